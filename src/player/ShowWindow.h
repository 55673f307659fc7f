#pragma once

// The show window: plays the current show slide after slide, each for its own time or until the
// user moves on, with its caption, a status bar, a bar of control buttons, a pop-up menu and
// keyboard commands, and hands the screen back to the editor when the show stops or runs out.
// It reads the document and the editor's options through ShowHost at the moment it needs them.

#include <QSet>
#include <QWidget>

#include <memory>

class AudioEngine;
class ElidingLabel;
class ImageCache;
class PictureWidget;
class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QStatusBar;
class QTimer;
class QToolButton;
class ShowAudio;
class ShowHost;
class TransitionHost;

class ShowWindow : public QWidget {
    Q_OBJECT
public:
    ShowWindow(ShowHost& host, AudioEngine& engine, QWidget* parent = nullptr);
    ~ShowWindow() override;

    // Starts the current show: status bar and buttons as the editor says, the advance timer as
    // automatic advance says, the window shown and the editor hidden, the first track, the first
    // slide. The editor's own checks (slides present, music advisory) come before.
    void startShow();

    // The slide the next advance shows (0-based), and whether the show is running by itself.
    int nextSlide() const { return nextSlide_; }
    bool isAdvancing() const;
    // The text of status panel 0, 1 or 2.
    QString statusText(int panel) const;

    ShowAudio& audio() { return *audio_; }
    ImageCache& imageCache() { return *cache_; }
    TransitionHost& transitions() { return *transitions_; }

    // The screen size slides are composed for when they are shown at natural size; empty: the
    // screen the window is on.
    void setScreenSize(const QSize& size) { screenSize_ = size; }
    // How long the pointer may rest over a playing show before it hides (2 s).
    void setPointerHideDelay(int ms);

public slots:
    // Shows the next slide now (the show goes on with that slide's time) or, past the last slide
    // of a show that does not loop, ends the show.
    void next();
    // Shows the slide before the one on screen; from the first slide, the last one.
    void back();
    void pause();
    // Automatic advance again, with the next slide at once.
    void resume();
    void togglePause();
    // Ends the show, back to the editor with its first slide selected.
    void stop();
    void toggleCaption();
    void toggleMusic();

signals:
    // The screen has gone back to the editor: the show ended, was stopped or left.
    void finished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the slide nextSlide_ names, arms the timer with its time, and starts its sound; past
    // the last slide, loops or ends the show.
    void advance();
    bool showSlide(const QString& path);
    void updateStatusBar(const QString& path);
    void prepareToShow();
    // Closes the players, hides the window and shows the editor; with selectFirst the editor's
    // first slide is selected and previewed. Announces finished() once per show.
    void returnToEditor(bool selectFirst);
    void updateMenu();
    // A key by its character (27 = Esc).
    void runKeyCommand(QChar key);

    void armTimer(bool armed);
    QSize decodeSize() const;
    void prefetchNext();
    int slideTime(int index);
    void setStatus(int panel, const QString& text);
    void showPointer();
    // True while an advance step runs: a command arriving then (the transition lets window
    // messages through once) is run when the step is over instead.
    bool deferredDuringStep(void (ShowWindow::*command)());

    ShowHost& host_;
    std::unique_ptr<ShowAudio> audio_;
    std::unique_ptr<ImageCache> cache_;

    QStatusBar* statusBar_;
    QLabel* statusPanels_[3];
    QScrollArea* scrollArea_;
    PictureWidget* slideView_;
    PictureWidget* loader_;
    ElidingLabel* unreadableLabel_;
    ElidingLabel* captionLabel_;
    QWidget* controlBar_;
    QToolButton* backButton_;
    QToolButton* nextButton_;
    QToolButton* pauseButton_;
    QToolButton* stopButton_;
    QMenu* slideMenu_;
    QAction* pauseAction_;
    QAction* resumeAction_;
    QAction* backAction_;
    QAction* nextAction_;
    QAction* captionAction_;
    QAction* musicAction_;
    QAction* stopAction_;
    QAction* togglePauseAction_;
    QTimer* advanceTimer_;
    TransitionHost* transitions_;
    QTimer* pointerTimer_;

    int nextSlide_ = 0;
    int effectCounter_ = 0;
    bool running_ = false;
    bool stepping_ = false;
    QSize screenSize_;
    QSet<int> reportedTimings_;
};
