#include "WavSource.h"

#include <cmath>

namespace {
constexpr int kReadFrames = 2048;
}

WavSource::WavSource(SNDFILE* file, const SF_INFO& info, int sampleRate)
    : file_(file), channels_(info.channels), step_(double(info.samplerate) / sampleRate),
      outFrames_(std::llround(double(info.frames) * sampleRate / info.samplerate)),
      block_(size_t(kReadFrames) * size_t(info.channels)) {}

WavSource::~WavSource() {
    sf_close(file_);
}

bool WavSource::nextInput(float& left, float& right) {
    if (blockPos_ >= blockFrames_) {
        left = right = 0;
        if (inputDone_)
            return true;
        const sf_count_t got = sf_readf_float(file_, block_.data(), kReadFrames);
        if (got <= 0) {
            inputDone_ = true;
            return sf_error(file_) == SF_ERR_NO_ERROR;
        }
        blockFrames_ = int(got);
        blockPos_ = 0;
    }
    const float* frame = block_.data() + size_t(blockPos_++) * size_t(channels_);
    left = frame[0];
    right = channels_ > 1 ? frame[1] : frame[0]; // mono goes to both sides; beyond two, the front pair
    return true;
}

int WavSource::render(float* out, int frames) {
    if (!primed_) {
        primed_ = true;
        for (int i = 1; i < 4; ++i)
            if (!nextInput(history_[i][0], history_[i][1]))
                return -1;
        history_[0][0] = history_[1][0];
        history_[0][1] = history_[1][1];
    }
    int n = 0;
    while (n < frames && produced_ < outFrames_) {
        const float f = float(frac_);
        for (int s = 0; s < 2; ++s) {
            const float h0 = history_[0][s], h1 = history_[1][s], h2 = history_[2][s], h3 = history_[3][s];
            const float c1 = 0.5f * (h2 - h0);
            const float c2 = h0 - 2.5f * h1 + 2.0f * h2 - 0.5f * h3;
            const float c3 = 0.5f * (h3 - h0) + 1.5f * (h1 - h2);
            out[2 * n + s] = ((c3 * f + c2) * f + c1) * f + h1;
        }
        ++n;
        ++produced_;
        frac_ += step_;
        while (frac_ >= 1.0) {
            frac_ -= 1.0;
            for (int i = 0; i < 3; ++i) {
                history_[i][0] = history_[i + 1][0];
                history_[i][1] = history_[i + 1][1];
            }
            if (!nextInput(history_[3][0], history_[3][1]))
                return -1;
        }
    }
    return n;
}
