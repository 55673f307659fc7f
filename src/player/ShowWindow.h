#pragma once

// The show window: shows the slides a ShowController chooses, with their captions, a status bar,
// a bar of control buttons, a pop-up menu and keyboard commands, and hands the screen back to the
// editor when the show stops or runs out. It reads the document and the editor's options through
// ShowHost at the moment it needs them.

#include "Picture.h"
#include "ShowController.h"
#include "SlideComposer.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <utility>

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
    // cache, when given, is the image cache to use: one that may already be decoding the first
    // slide while the window is made.
    ShowWindow(ShowHost& host, AudioEngine& engine, QWidget* parent = nullptr);
    ShowWindow(ShowHost& host, AudioEngine& engine, std::unique_ptr<ImageCache> cache,
               QWidget* parent = nullptr);

    // The window's size when it first shows (the window manager may change it).
    static QSize initialSize() { return QSize(620, 470); }
    ~ShowWindow() override;

    // Starts the current show: status bar and buttons as the editor says, the window shown and
    // the editor hidden, then the controller's start (music, the first slide). The editor's own
    // checks (slides present, music advisory) come before.
    void startShow();

    // The text of status panel 0, 1 or 2.
    QString statusText(int panel) const;

    ShowController& controller() { return *controller_; }
    ShowAudio& audio() { return controller_->audio(); }
    ImageCache& imageCache() { return *cache_; }
    TransitionHost& transitions() { return *transitions_; }

    // The screen size slides are composed for when they are shown at natural size; empty: the
    // screen the window is on.
    void setScreenSize(const QSize& size) { screenSize_ = size; }
    // Whether the show stopped because a file it needed was lost in unpacking the show file
    // (the user has been told).
    bool stoppedForLostFile() const { return stoppedForLostFile_; }

    // How long the pointer may rest over a playing show before it hides (2 s).
    void setPointerHideDelay(int ms);

public slots:
    // Each command first completes a transition under way, so it acts on a slide that is whole
    // on screen and nothing waits or is lost.
    void next();
    void back();
    void pause();
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
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Puts slide index on screen and tells the controller when it is whole there.
    void showSlide(int index);
    // Whether the picture and sound of slide index are unpacked; when not, they are asked for
    // first and the slide is shown when they arrive. A lost one stops the show.
    bool slideFilesPresent(int index);
    // A file of the show was unpacked (or lost): a slide waiting for it is shown.
    void showFileHandled(const QString& path);
    // Tells the user that the show file is damaged and ends the show.
    void stopForLostFile();
    void showUnreadable(int index, const QString& path);
    // The slide's frame for the picture area as it is now; not ok when it cannot be shown. Without
    // fit the frame is only the part the visible area shows (see composeVisibleSlide).
    ComposedSlide compose(const Picture& picture) const;
    void placeFrame(const ComposedSlide& composed);
    // Puts the slide on the picture widget for good: the frame, or without fit the picture itself
    // where it lands, which the widget draws as it scrolls.
    void showComposed(const ComposedSlide& composed, const Picture& picture);
    void transitionFinished();
    // Composes the slide on screen again for the window's new size.
    void recompose();
    void updateStatusBar(const QString& path, int index);
    void prepareToShow();
    void stateChanged(ShowController::State state);
    // Hides the window and shows the editor; with selectFirst the editor's first slide is
    // selected and previewed. Announces finished().
    void returnToEditor(ShowController::Ending ending);
    void updateMenu();
    // A key by its character (27 = Esc).
    void runKeyCommand(QChar key);

    QSize screenSize() const;
    QSize decodeSize() const;
    void prefetchNext();
    // Starts decoding the first slide while the window comes up.
    void prefetchFirstSlide();
    void setStatus(int panel, const QString& text);
    void showPointer();

    ShowHost& host_;
    ShowController* controller_;
    std::unique_ptr<ImageCache> cache_;

    QStatusBar* statusBar_;
    ElidingLabel* statusPanels_[3];
    QScrollArea* scrollArea_;
    PictureWidget* slideView_;
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
    TransitionHost* transitions_;
    QTimer* pointerTimer_;
    QTimer* recomposeTimer_;

    // The natural-size slide a transition under way leads to, shown placed when it is whole.
    std::optional<std::pair<ComposedSlide, Picture>> afterTransition_;

    int effectCounter_ = 0;
    int waitingSlide_ = -1; // the slide that waits for its files to be unpacked; -1 when none does
    bool stoppedForLostFile_ = false;
    int shownSlide_ = -1; // the slide whose frame is on screen; -1 when none is (or it was unreadable)
    QSize screenSize_;
};
