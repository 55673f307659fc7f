#pragma once

// The show window: plays the current show slide after slide, each for its own time or until the
// user moves on, with its caption, a status bar, a bar of control buttons, a pop-up menu and
// keyboard commands, and hands the screen back to the editor when the show stops or runs out.
// It reads the document and the editor's options through ShowHost at the moment it needs them.

#include <QSet>
#include <QWidget>

#include <memory>

class AudioEngine;
class ImageCache;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QScrollArea;
class QStatusBar;
class QTimer;
class QToolButton;
class ShowAudio;
class ShowHost;
class TEdge;
class PictureWidget;

class TfmShow : public QWidget {
    Q_OBJECT
public:
    TfmShow(ShowHost& host, AudioEngine& engine, QWidget* parent = nullptr);
    ~TfmShow() override;

    // Controls, top to bottom.
    QStatusBar* sbShowStatus;
    QScrollArea* ImageScroll;
    PictureWidget* jpgImage;  // the slide on screen
    PictureWidget* jpgImage2; // the loader, never visible
    QLabel* pnNoPicFound;
    QLabel* pnCaption;
    QFrame* pnBottom;
    QWidget* pnButtons;
    QToolButton* btBack;
    QToolButton* btFor;
    QToolButton* btPause;
    QToolButton* btStop;
    QMenu* popSlideMenu;
    QAction* Pause1;
    QAction* Resume1;
    QAction* Back1;
    QAction* Next1;
    QAction* HideCaption1;
    QAction* MusicOn1;
    QAction* StopShow1;
    QTimer* ShowTimer;
    TEdge* Edge;

    // State.
    int NextSlide = 0;
    bool MusicEnabled = true; // mirrors chkSEnable; the host keeps it in step
    bool FitToWindow = false;
    int EffectCounter = 0;

    ShowAudio& audio() { return *audio_; }
    ImageCache& imageCache() { return *cache_; }
    int TrackIndex() const;
    void setTrackIndex(int index);
    // The text of status panel 0, 1 or 2.
    QString statusText(int panel) const;

    // Starts the current show: status bar and buttons as the editor's menu says, the timer as
    // "&Automatic Advance" says, the window shown and the editor hidden, the first track, the
    // first slide. The editor's own checks (slides present, music advisory) come before.
    void startShow();

    // The advance step and the commands that move through the show.
    void ShowTimerTimer();
    bool DisplaySlide(const QString& path);
    void UpdateShowStatus(const QString& path);
    void Next1Click();
    void Back1Click();
    void Pause1Click();
    void Resume1Click();
    void btPauseClick();
    void btStopClick();
    void StopShow1Click();
    void HideCaption1Click();
    void MusicOn1Click();
    void popSlideMenuPopup();
    void pnBottomResize();
    // The key commands, by character (27 = Esc).
    void FormKeyPress(QChar key);

    // The screen size the slides are composed for when they are shown at natural size; empty:
    // the screen the window is on.
    void setScreenSize(const QSize& size) { screenSize_ = size; }
    // How long the pointer may rest over a playing show before it hides (2 s).
    void setPointerHideDelay(int ms);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void armTimer(bool armed);
    void handBackToEditor();
    void closePlayers();
    QSize decodeSize() const;
    void prefetchNext();
    int slideTime(int index);
    void setStatus(int panel, const QString& text);
    void showPointer();
    // True while an advance step runs: a command arriving then (the transition lets window
    // messages through once) is run when the step is over instead.
    bool deferredDuringStep(void (TfmShow::*command)());

    ShowHost& host_;
    std::unique_ptr<ShowAudio> audio_;
    std::unique_ptr<ImageCache> cache_;
    QLabel* panels_[3];
    QTimer* pointerTimer_;
    QSize screenSize_;
    QSet<int> reportedTimings_;
    bool stepping_ = false;
};
