#pragma once

#include "SoundSource.h"

#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// How a play ended: ran to its end, replaced by a newer play, stopped or closed, or broke off.
enum class PlayOutcome { Successful, Superseded, Aborted, Failure };

// Sees what the mixer produced, on the thread that pulled it and under the mixer's lock: keep
// it short and never call back into the mixer.
class MixTap {
public:
    virtual ~MixTap() = default;
    // The frames a channel's source gave before its gain was applied; position is the source
    // frame of the first of them.
    virtual void channelRendered(int channel, qint64 position, const float* frames, int count) {
        Q_UNUSED(channel);
        Q_UNUSED(position);
        Q_UNUSED(frames);
        Q_UNUSED(count);
    }
    // The mixed output, interleaved stereo.
    virtual void mixed(const float* frames, int count) = 0;
};

// Our own mixer: one channel per player, each holding at most one sound. Commands come from the
// user-interface thread, render() from the output's thread; one lock covers both, and the
// outcome of every play is decided under it, so a play ends exactly once whichever side gets
// there first. Start, stop and resume ramp the gain over kFadeMilliseconds so nothing clicks.
class AudioMixer {
public:
    static constexpr int kFadeMilliseconds = 5;
    // Called under the lock with the outcome and the play it belongs to; it must only post.
    using Completion = std::function<void(PlayOutcome outcome, quint64 playId)>;
    enum class ChannelMode { Empty, Stopped, Playing };

    explicit AudioMixer(int sampleRate);
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    int sampleRate() const { return sampleRate_; }

    int addChannel(Completion completion);
    // Drops the channel and its sound without any completion; an audible sound fades out.
    void removeChannel(int channel);

    // Puts source on the channel at position 0, stopped; nullptr empties it. A play in progress
    // ends as aborted; a sound still audible fades out rather than stopping dead.
    void load(int channel, std::unique_ptr<SoundSource> source);
    // Plays from the current position. Returns the id of the new play, 0 when the channel is
    // empty. A play in progress ends as superseded; at the end of the sound the new play ends at
    // once as successful.
    quint64 play(int channel);
    // Stops a play in progress (ending it as aborted) and keeps the position: after the
    // fade-out the next play continues from the very next frame. False when nothing played.
    bool stop(int channel);

    ChannelMode mode(int channel) const;
    qint64 position(int channel) const; // frames of the source consumed
    bool atEnd(int channel) const;
    quint64 lastPlayId(int channel) const;

    // True when nothing is audible: no play in progress and nothing fading out.
    bool isIdle() const;

    // Mixes frames interleaved stereo frames into out.
    void render(float* out, int frames);
    void setTap(MixTap* tap);

private:
    struct Channel {
        Completion completion;
        std::unique_ptr<SoundSource> source;
        qint64 position = 0;
        bool ended = false;
        bool active = false;  // pulled by render: playing or fading out
        bool playing = false; // a play is in progress
        float gain = 0;
        quint64 playId = 0;
        quint64 lastPlayId = 0;
    };
    struct Tail { // a sound taken off its channel while audible, fading out
        std::unique_ptr<SoundSource> source;
        float gain;
    };

    void finish(Channel& c, PlayOutcome outcome);
    void retire(Channel& c);
    int renderChannel(Channel& c, int channel, float* mix, int frames);

    const int sampleRate_;
    const int fadeFrames_;
    mutable std::mutex mutex_;
    std::map<int, Channel> channels_;
    std::vector<Tail> tails_;
    std::vector<std::unique_ptr<SoundSource>> graveyard_; // freed outside the lock, off the audio thread
    std::vector<float> scratch_;
    int nextChannel_ = 1;
    quint64 nextPlayId_ = 1;
    MixTap* tap_ = nullptr;
};
