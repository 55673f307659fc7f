#include "ShowController.h"

#include "ShowAudio.h"
#include "ShowDocument.h"
#include "ShowHost.h"
#include "SlideTime.h"
#include "UserMessages.h"

#include <QTimer>

ShowController::ShowController(ShowHost& host, AudioEngine& engine, QObject* parent)
    : QObject(parent), host_(host), audio_(std::make_unique<ShowAudio>(host, engine)),
      timer_(new QTimer(this)) {
    // A slide lasts its time to the millisecond, not to the few percent a coarse timer allows.
    timer_->setObjectName(QStringLiteral("advanceTimer"));
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &ShowController::advance);
}

ShowController::~ShowController() = default;

bool ShowController::isCounting() const {
    return timer_->isActive();
}

void ShowController::setState(State state) {
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged(state);
}

void ShowController::start() {
    timer_->stop();
    next_ = 0;
    current_ = -1;
    awaitingShown_ = false;
    reportedTimings_.clear();
    setState(host_.autoAdvance() ? State::Running : State::Paused);
    audio_->startMusic();
    advance();
}

int ShowController::slideTime(int index) {
    const QString entry = host_.document().slide(index).timing;
    if (const std::optional<int> ms = SlideTime::milliseconds(entry))
        return *ms;
    // A damaged time would stall the show on this slide for good; say so once and use the
    // default delay instead.
    if (!reportedTimings_.contains(index)) {
        reportedTimings_.insert(index);
        host_.messages().error(QLatin1Char('\'') + entry + QStringLiteral("' is not a valid integer value"));
    }
    return 0;
}

void ShowController::advance() {
    if (!isActive())
        return;
    timer_->stop();
    audio_->cutSlideSound();
    const int n = host_.document().slideCount();
    if (next_ >= n && host_.loop())
        next_ = 0;
    if (next_ >= n) {
        next_ = 0;
        end(Ending::RanOut);
        return;
    }
    current_ = next_;
    const int t = slideTime(current_);
    interval_ = t != 0 ? t : host_.defaultDelaySeconds() * 1000;
    next_ = current_ + 1;
    awaitingShown_ = true;
    emit slideChanged(current_);
}

void ShowController::slideShown() {
    if (!awaitingShown_ || !isActive())
        return;
    awaitingShown_ = false;
    // With music disabled, slides play silently.
    if (host_.musicEnabled())
        audio_->playSlideSound(host_.document().slide(current_).soundPath);
    if (state_ == State::Running)
        timer_->start(interval_);
}

void ShowController::next() {
    advance();
}

void ShowController::back() {
    if (!isActive())
        return;
    const int n = host_.document().slideCount();
    for (int k = 0; k < 2; ++k) {
        if (--next_ < 0)
            next_ = n - 1;
    }
    advance();
}

void ShowController::pause() {
    if (state_ != State::Running)
        return;
    timer_->stop();
    host_.setAutoAdvance(false);
    setState(State::Paused);
}

void ShowController::resume() {
    if (state_ != State::Paused)
        return;
    host_.setAutoAdvance(true);
    setState(State::Running);
    advance();
}

void ShowController::togglePause() {
    if (state_ == State::Running)
        pause();
    else
        resume();
}

void ShowController::stop() {
    next_ = 0;
    end(Ending::Stopped);
}

void ShowController::leave() {
    next_ = 0;
    end(Ending::Left);
}

void ShowController::end(Ending ending) {
    if (!isActive())
        return;
    timer_->stop();
    awaitingShown_ = false;
    // A failure closing either player is of no consequence here.
    audio_->closeBoth();
    setState(State::Stopped);
    emit finished(ending);
}
