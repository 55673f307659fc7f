#include "MediaPlayer.h"

#include "audio/AudioEngine.h"
#include "audio/SoundFile.h"

#include <QMetaObject>

namespace {
MediaPlayer::NotifyResult toNotify(PlayOutcome outcome) {
    switch (outcome) {
    case PlayOutcome::Successful:
        return MediaPlayer::NotifyResult::Successful;
    case PlayOutcome::Superseded:
        return MediaPlayer::NotifyResult::Superseded;
    case PlayOutcome::Aborted:
        return MediaPlayer::NotifyResult::Aborted;
    case PlayOutcome::Failure:
        break;
    }
    return MediaPlayer::NotifyResult::Failure;
}
} // namespace

MediaPlayer::MediaPlayer(AudioEngine& engine, QObject* parent) : QObject(parent), engine_(engine) {
    // Decided under the mixer's lock on whichever thread ended the play, delivered later on
    // ours. A queued call to a destroyed object is dropped by Qt, and the channel goes before
    // the player does, so no notice reaches a dead player.
    channel_ = engine_.mixer().addChannel([this](PlayOutcome outcome, quint64 playId) {
        QMetaObject::invokeMethod(
            this, [this, outcome, playId] { emit notified(toNotify(outcome), playId); },
            Qt::QueuedConnection);
    });
}

MediaPlayer::~MediaPlayer() {
    engine_.mixer().removeChannel(channel_);
}

bool MediaPlayer::open() {
    close();
    SoundInfo info;
    auto source = SoundFile::open(fileName_, engine_.sampleRate(), engine_.soundFont(), info);
    if (!source) {
        errorText_ = QStringLiteral("Cannot open %1: %2.").arg(fileName_, info.error);
        return false;
    }
    errorText_.clear();
    deviceType_ = info.type;
    lengthMs_ = info.lengthMs;
    engine_.mixer().load(channel_, std::move(source));
    return true;
}

bool MediaPlayer::play() {
    engine_.wake();
    const quint64 id = engine_.mixer().play(channel_);
    if (!id) {
        errorText_ = QStringLiteral("Cannot play: no sound is open.");
        return false;
    }
    lastPlayId_ = id;
    return true;
}

bool MediaPlayer::stop() {
    return engine_.mixer().stop(channel_);
}

void MediaPlayer::close() {
    if (engine_.mixer().mode(channel_) == AudioMixer::ChannelMode::Empty)
        return;
    engine_.mixer().load(channel_, nullptr);
    deviceType_.clear();
    lengthMs_ = 0;
}

MediaPlayer::Mode MediaPlayer::mode() const {
    switch (engine_.mixer().mode(channel_)) {
    case AudioMixer::ChannelMode::Empty:
        return Mode::NotReady;
    case AudioMixer::ChannelMode::Stopped:
        return Mode::Stopped;
    case AudioMixer::ChannelMode::Playing:
        return Mode::Playing;
    }
    return Mode::NotReady;
}

qint64 MediaPlayer::positionFrames() const {
    return engine_.mixer().position(channel_);
}

qint64 MediaPlayer::position() const {
    return positionFrames() * 1000 / engine_.sampleRate();
}
