#pragma once

// The image viewer: one picture at a chosen zoom in a window of its own, with its file name and
// slide caption above it, and the way to the print preview. The window is made once and keeps
// its zoom from one picture to the next.

#include <QDialog>
#include <QString>

#include <functional>

class ElidingLabel;
class Picture;
class PictureWidget;
class PrintPreviewWindow;
class QLabel;
class QScrollArea;
class QSlider;
class QToolButton;
class UserMessages;

class ImageViewerWindow : public QDialog {
    Q_OBJECT
public:
    ImageViewerWindow(UserMessages& messages, PrintPreviewWindow& preview, QWidget* parent = nullptr);
    ~ImageViewerWindow() override;

    // What F1 runs, with the help context of what has the focus.
    void setHelp(std::function<void(int context)> help) { help_ = std::move(help); }

    int zoom() const;
    // The picture last shown; it stays after the window closes, until the next one.
    const Picture& picture() const;

    static constexpr int kZoomHelpContext = 830;

public slots:
    // Loads the picture at path and shows the window modally with it; returns at once. A damaged
    // metafile or icon is reported in an error box and the window stays closed.
    void showImage(const QString& path, const QString& caption);
    void setZoom(int percent);
    void zoomIn();
    void zoomOut();
    void resetZoom();
    // The print preview over the viewer, for the picture shown.
    void printPreview();
    void showContextHelp();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void zoomChanged(int percent);
    // Places the picture for the current zoom and window size.
    void relayout();

    UserMessages& messages_;
    PrintPreviewWindow& preview_;
    std::function<void(int)> help_;

    QWidget* toolStrip_;
    QSlider* zoomSlider_;
    QLabel* zoomLabel_;
    QToolButton* printButton_;
    ElidingLabel* fileLabel_;
    ElidingLabel* captionLabel_;
    QScrollArea* imageScroll_;
    QWidget* content_;
    PictureWidget* picture_;

    QString fileName_;
    // Wheel turns with Ctrl held, gathered until they make a whole notch.
    int wheelAngle_ = 0;
};
