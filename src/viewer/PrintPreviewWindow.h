#pragma once

// The print preview: one picture centred on one page, at a scale the user picks, in portrait or
// landscape. A miniature page shows where the picture will fall; Print sends it to the printer.

#include "Picture.h"
#include "PrintLayout.h"
#include "PrinterDevice.h"

#include <QDialog>
#include <QImage>
#include <QString>

#include <functional>

class FileDialogs;
class PictureWidget;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class UserMessages;

class PrintPreviewWindow : public QDialog {
    Q_OBJECT
public:
    PrintPreviewWindow(UserMessages& messages, PrinterDevice& printer, FileDialogs& dialogs,
                       QWidget* parent = nullptr);
    ~PrintPreviewWindow() override;

    // Shows the window modally for picture, loaded from a file named fileName (which names the job
    // and proposes the PDF's name); returns at once.
    void preview(const Picture& picture, const QString& fileName);

    // What F1 runs, with the help context of what the user asks about.
    void setHelp(std::function<void(int context)> help) { help_ = std::move(help); }

    const PrintLayout& layout() const { return layout_; }
    int scale() const;

    // The guide's parts for the window and its controls.
    static constexpr int kHelpContext = 270;
    static constexpr int kPageHelpContext = 930;
    static constexpr int kScaleHelpContext = 840;
    static constexpr int kSetupHelpContext = 845;

public slots:
    // Works the page out again from the printer's page and the scale, and redraws the miniature.
    void layoutPage();
    // Prints the picture and closes the window, unless the user cancels naming a PDF file.
    void printImage();
    void printerSetup();
    void setOrientation(PrinterDevice::Orientation orientation);
    void showContextHelp();

private:
    void scaleChanged(int percent);
    // The job itself; false when any step failed (the job is then thrown away).
    bool runJob();
    // The file a printer-less job is written to, asked of the user; empty when cancelled.
    QString askForPdfName();
    QImage miniatureImage(const QSize& size) const;

    UserMessages& messages_;
    PrinterDevice& printer_;
    FileDialogs& dialogs_;
    std::function<void(int)> help_;

    QLabel* headingLabel_;
    QFrame* pagePanel_;
    QFrame* pageOutline_;
    PictureWidget* miniature_;
    QSlider* scaleSlider_;
    QLabel* scaleLabel_;
    QPushButton* printButton_;
    QPushButton* setupButton_;
    QPushButton* cancelButton_;
    QRadioButton* portraitButton_;
    QRadioButton* landscapeButton_;

    Picture picture_;
    QString fileName_;
    // A small copy of the picture over white paper, made once per showing; each layout scales
    // the miniature from it rather than from the full picture.
    QImage thumbnail_;
    PrintLayout layout_;
};
