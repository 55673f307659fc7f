#pragma once

#include "SoundSource.h"

#include <QtGlobal>

#include <sndfile.h>

#include <vector>

// A sampled sound read through libsndfile and brought to the engine's rate and to stereo. The
// file is streamed a block at a time; a sound at another rate is resampled with four-point
// Hermite interpolation, so it plays at its own pitch and speed.
class WavSource : public SoundSource {
public:
    // Takes ownership of file. sampleRate is the engine's.
    WavSource(SNDFILE* file, const SF_INFO& info, int sampleRate);
    ~WavSource() override;
    WavSource(const WavSource&) = delete;
    WavSource& operator=(const WavSource&) = delete;

    int render(float* out, int frames) override;
    qint64 lengthFrames() const { return outFrames_; }

private:
    bool nextInput(float& left, float& right); // false after a read error

    SNDFILE* file_;
    const int channels_;
    const double step_; // input frames per output frame
    const qint64 outFrames_;
    qint64 produced_ = 0;
    std::vector<float> block_; // interleaved input as the file has it
    int blockFrames_ = 0;
    int blockPos_ = 0;
    bool inputDone_ = false;
    double frac_ = 0;
    float history_[4][2] = {}; // input frames around the output position: h[1] <= pos < h[2]
    bool primed_ = false;
};
