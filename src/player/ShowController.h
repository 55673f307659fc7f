#pragma once

// The logic of a running show, without any widget: which slide comes next (looping, the wrap of
// Back), how long each slide stays, pause and resume, the end of the show, and the music and
// slide sounds. It says what the window must show (slideChanged, stateChanged, finished) and takes
// the commands the window's actions give it. The window tells it when a slide is fully on screen
// (slideShown); the slide's time counts from then.

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class AudioEngine;
class QTimer;
class ShowAudio;
class ShowHost;

class ShowController : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Running, Paused };
    Q_ENUM(State)
    // How a show came to its end.
    enum class Ending {
        RanOut,  // past the last slide of a show that does not loop
        Stopped, // the stop command, or the window closed
        Left     // Esc: back to the editor as it was
    };
    Q_ENUM(Ending)

    ShowController(ShowHost& host, AudioEngine& engine, QObject* parent = nullptr);
    ~ShowController() override;

    State state() const { return state_; }
    bool isActive() const { return state_ != State::Stopped; }
    // The slide on screen (or being put there), -1 before the first; the slide the next advance
    // shows.
    int currentSlide() const { return current_; }
    int nextSlide() const { return next_; }
    // Whether the slide on screen is counting down its time.
    bool isCounting() const;
    // The time of the slide on screen, in milliseconds.
    int currentInterval() const { return interval_; }

    ShowAudio& audio() { return *audio_; }

public slots:
    // Starts the show at its first slide: running when the host's automatic advance is on,
    // paused otherwise; the first music track starts.
    void start();
    // Shows the next slide now (a running show goes on with that slide's time); past the last
    // slide of a show that does not loop, ends the show.
    void next();
    // Shows the slide before the one on screen; from the first slide, the last one.
    void back();
    void pause();
    // Automatic advance again, with the next slide at once.
    void resume();
    void togglePause();
    void stop();
    // Esc: ends the show without touching the editor's selection.
    void leave();
    // The slide of the last slideChanged is whole on screen: its time starts, and so does its sound.
    void slideShown();

signals:
    // The window is to show slide index now and call slideShown() when it is whole on screen.
    void slideChanged(int index);
    void stateChanged(ShowController::State state);
    void finished(ShowController::Ending ending);

private:
    void advance();
    void end(Ending ending);
    void setState(State state);
    int slideTime(int index);

    ShowHost& host_;
    std::unique_ptr<ShowAudio> audio_;
    QTimer* timer_;
    State state_ = State::Stopped;
    int next_ = 0;
    int current_ = -1;
    int interval_ = 0;
    bool awaitingShown_ = false;
    QSet<int> reportedTimings_;
};
