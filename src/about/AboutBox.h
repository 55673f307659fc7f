#pragma once

// The window that is the program's splash when it starts and its About box from the Help menu: a
// picture, and (as the About box) a strip with the version and an OK button. Each use makes a new
// box, which deletes itself when it closes.

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Splash, About };
    static constexpr int kSplashMs = 3000;

    explicit AboutBox(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return mode_; }
    // The program's credits picture, 273 x 213, drawn once.
    static QPixmap creditsArtwork();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Mode mode_;
    QLabel* creditsPicture_;
    QWidget* versionStrip_;
    QLabel* versionLabel_;
    QPushButton* okButton_;
    QTimer* splashTimer_;
};
