#pragma once

// One sound as the mixer pulls it: stereo float frames at the engine's rate, from the current
// position on. A source is used by one thread at a time (the mixer holds its lock).
class SoundSource {
public:
    virtual ~SoundSource() = default;

    // Writes up to frames interleaved stereo frames (left, right) into out and returns how many
    // it wrote. Fewer than asked means the sound has ended; -1 means it cannot be read on.
    virtual int render(float* out, int frames) = 0;
};
