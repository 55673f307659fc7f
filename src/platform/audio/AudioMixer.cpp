#include "AudioMixer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kBlockFrames = 1024;
using Dead = std::vector<std::unique_ptr<SoundSource>>;
} // namespace

AudioMixer::AudioMixer(int sampleRate)
    : sampleRate_(sampleRate), fadeFrames_(std::max(1, sampleRate * kFadeMilliseconds / 1000)),
      scratch_(2 * kBlockFrames) {}

AudioMixer::~AudioMixer() = default;

int AudioMixer::addChannel(Completion completion) {
    std::lock_guard lock(mutex_);
    const int id = nextChannel_++;
    channels_[id].completion = std::move(completion);
    return id;
}

void AudioMixer::removeChannel(int channel) {
    Dead dead;
    {
        std::lock_guard lock(mutex_);
        auto it = channels_.find(channel);
        if (it == channels_.end())
            return;
        it->second.playing = false; // its owner is gone: nobody to tell
        retire(it->second);
        channels_.erase(it);
        dead.swap(graveyard_);
    }
}

void AudioMixer::load(int channel, std::unique_ptr<SoundSource> source) {
    Dead dead;
    {
        std::lock_guard lock(mutex_);
        auto it = channels_.find(channel);
        if (it == channels_.end())
            return;
        Channel& c = it->second;
        finish(c, PlayOutcome::Aborted);
        retire(c);
        c.source = std::move(source);
        dead.swap(graveyard_);
    }
}

quint64 AudioMixer::play(int channel) {
    Dead dead;
    std::lock_guard lock(mutex_);
    auto it = channels_.find(channel);
    if (it == channels_.end() || !it->second.source)
        return 0;
    Channel& c = it->second;
    finish(c, PlayOutcome::Superseded);
    c.playId = c.lastPlayId = nextPlayId_++;
    c.playing = true;
    if (c.ended) {
        // Nothing left to play: the play is over as soon as it began.
        finish(c, PlayOutcome::Successful);
    } else {
        c.active = true; // the gain ramps up from wherever it is
    }
    dead.swap(graveyard_);
    return c.lastPlayId;
}

bool AudioMixer::stop(int channel) {
    Dead dead;
    std::lock_guard lock(mutex_);
    auto it = channels_.find(channel);
    if (it == channels_.end() || !it->second.playing)
        return false;
    finish(it->second, PlayOutcome::Aborted); // render fades it out and keeps the position
    dead.swap(graveyard_);
    return true;
}

AudioMixer::ChannelMode AudioMixer::mode(int channel) const {
    std::lock_guard lock(mutex_);
    auto it = channels_.find(channel);
    if (it == channels_.end() || !it->second.source)
        return ChannelMode::Empty;
    return it->second.playing ? ChannelMode::Playing : ChannelMode::Stopped;
}

qint64 AudioMixer::position(int channel) const {
    std::lock_guard lock(mutex_);
    auto it = channels_.find(channel);
    return it == channels_.end() ? 0 : it->second.position;
}

bool AudioMixer::atEnd(int channel) const {
    std::lock_guard lock(mutex_);
    auto it = channels_.find(channel);
    return it != channels_.end() && it->second.ended;
}

quint64 AudioMixer::lastPlayId(int channel) const {
    std::lock_guard lock(mutex_);
    auto it = channels_.find(channel);
    return it == channels_.end() ? 0 : it->second.lastPlayId;
}

void AudioMixer::setTap(MixTap* tap) {
    std::lock_guard lock(mutex_);
    tap_ = tap;
}

void AudioMixer::finish(Channel& c, PlayOutcome outcome) {
    if (!c.playing)
        return;
    c.playing = false;
    const quint64 id = c.playId;
    c.playId = 0;
    if (c.completion)
        c.completion(outcome, id);
}

void AudioMixer::retire(Channel& c) {
    if (c.source) {
        if (c.active && c.gain > 0)
            tails_.push_back({std::move(c.source), c.gain});
        else
            graveyard_.push_back(std::move(c.source));
    }
    c.source.reset();
    c.position = 0;
    c.ended = false;
    c.active = false;
    c.gain = 0;
}

int AudioMixer::renderChannel(Channel& c, int channel, float* mix, int frames) {
    const float step = 1.0f / float(fadeFrames_);
    int done = 0;
    while (done < frames && c.active) {
        int want = std::min(frames - done, kBlockFrames);
        if (!c.playing) {
            // Fading out: take from the source only what the fade needs, so that the position
            // kept is the first frame nobody has heard.
            const int left = int(std::ceil(c.gain / step - 1e-3f));
            if (left <= 0) {
                c.gain = 0;
                c.active = false;
                break;
            }
            want = std::min(want, left);
        }
        const int got = c.source->render(scratch_.data(), want);
        if (got < 0) {
            c.active = false;
            c.ended = true;
            finish(c, PlayOutcome::Failure);
            break;
        }
        if (tap_ && got > 0)
            tap_->channelRendered(channel, c.position, scratch_.data(), got);
        const float target = c.playing ? 1.0f : 0.0f;
        float* out = mix + 2 * done;
        for (int i = 0; i < got; ++i) {
            if (c.gain < target)
                c.gain = std::min(target, c.gain + step);
            else if (c.gain > target)
                c.gain = std::max(target, c.gain - step);
            out[2 * i] += scratch_[2 * i] * c.gain;
            out[2 * i + 1] += scratch_[2 * i + 1] * c.gain;
        }
        c.position += got;
        done += got;
        if (got < want) {
            c.ended = true;
            c.active = false;
            finish(c, PlayOutcome::Successful);
            break;
        }
        if (!c.playing && c.gain <= 0) {
            c.gain = 0;
            c.active = false;
        }
    }
    return done;
}

void AudioMixer::render(float* out, int frames) {
    std::fill(out, out + 2 * frames, 0.0f);
    std::lock_guard lock(mutex_);
    for (auto& [id, c] : channels_)
        if (c.active)
            renderChannel(c, id, out, frames);

    const float step = 1.0f / float(fadeFrames_);
    for (auto it = tails_.begin(); it != tails_.end();) {
        const int want = std::min({frames, kBlockFrames, int(std::ceil(it->gain / step))});
        const int got = want > 0 ? it->source->render(scratch_.data(), want) : 0;
        for (int i = 0; i < got; ++i) {
            it->gain = std::max(0.0f, it->gain - step);
            out[2 * i] += scratch_[2 * i] * it->gain;
            out[2 * i + 1] += scratch_[2 * i + 1] * it->gain;
        }
        if (got < want || it->gain <= 0 || want <= 0) {
            graveyard_.push_back(std::move(it->source));
            it = tails_.erase(it);
        } else {
            ++it;
        }
    }

    for (int i = 0; i < 2 * frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    if (tap_)
        tap_->mixed(out, frames);
}

bool AudioMixer::isIdle() const {
    std::lock_guard lock(mutex_);
    if (!tails_.empty())
        return false;
    for (const auto& [number, c] : channels_)
        if (c.active)
            return false;
    return true;
}
