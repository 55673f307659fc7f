#pragma once

// Sound files written byte by byte for tests: PCM and float WAV of any rate, width and channel
// count, and Standard MIDI Files with tempo changes, running status and several tracks.

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace SoundFiles {

inline void putLe(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}
inline void putBe(QByteArray& out, quint64 value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

// sample(frame, channel) in -1..1. bits: 8, 16, 24 or 32 (integer PCM), or 32 with isFloat.
inline QByteArray wav(int rate, int channels, int bits, qint64 frames,
                      const std::function<double(qint64, int)>& sample, bool isFloat = false) {
    QByteArray data;
    const int bytes = bits / 8;
    for (qint64 f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c) {
            const double v = std::clamp(sample(f, c), -1.0, 1.0);
            if (isFloat) {
                const float x = float(v);
                quint32 u;
                std::memcpy(&u, &x, 4);
                putLe(data, u, 4);
            } else if (bits == 8) {
                data.append(char(std::lround(v * 127.0) + 128)); // 8-bit WAV is unsigned
            } else {
                const double scale = double((1LL << (bits - 1)) - 1);
                putLe(data, quint64(qint64(std::llround(v * scale))), bytes);
            }
        }
    QByteArray out("RIFF");
    putLe(out, quint64(36 + data.size()), 4);
    out.append("WAVEfmt ");
    putLe(out, 16, 4);
    putLe(out, isFloat ? 3 : 1, 2);
    putLe(out, quint64(channels), 2);
    putLe(out, quint64(rate), 4);
    putLe(out, quint64(rate * channels * bytes), 4);
    putLe(out, quint64(channels * bytes), 2);
    putLe(out, quint64(bits), 2);
    out.append("data");
    putLe(out, quint64(data.size()), 4);
    out.append(data);
    return out;
}

// One MTrk chunk's events. wait() adds to the delta time of the next event.
class SmfTrack {
public:
    SmfTrack& wait(quint32 ticks) {
        pending_ += ticks;
        return *this;
    }
    SmfTrack& event(const QByteArray& bytes) {
        varLen(pending_);
        pending_ = 0;
        data_.append(bytes);
        return *this;
    }
    SmfTrack& tempo(quint32 microsecondsPerQuarter) {
        QByteArray e("\xFF\x51\x03", 3);
        putBe(e, microsecondsPerQuarter, 3);
        return event(e);
    }
    SmfTrack& program(int channel, int program) { return event(bytes({0xC0 | channel, program})); }
    SmfTrack& noteOn(int channel, int key, int velocity = 100) {
        return event(bytes({0x90 | channel, key, velocity}));
    }
    // Data bytes only: the status of the previous channel event carries on.
    SmfTrack& running(int key, int velocity) { return event(bytes({key, velocity})); }
    SmfTrack& text(const QByteArray& t) {
        QByteArray e("\xFF\x01", 2);
        e.append(char(t.size()));
        e.append(t);
        return event(e);
    }
    SmfTrack& sysex(const QByteArray& payload) {
        QByteArray e("\xF0", 1);
        e.append(char(payload.size()));
        e.append(payload);
        return event(e);
    }
    SmfTrack& end() { return event(QByteArray("\xFF\x2F\x00", 3)); }

    QByteArray chunk() const {
        QByteArray out("MTrk");
        putBe(out, quint64(data_.size()), 4);
        out.append(data_);
        return out;
    }

    static QByteArray bytes(std::initializer_list<int> values) {
        QByteArray out;
        for (int v : values)
            out.append(char(v));
        return out;
    }

private:
    void varLen(quint32 value) {
        quint8 groups[5];
        int n = 0;
        do {
            groups[n++] = value & 0x7F;
            value >>= 7;
        } while (value);
        while (n > 1)
            data_.append(char(groups[--n] | 0x80));
        data_.append(char(groups[0]));
    }
    QByteArray data_;
    quint32 pending_ = 0;
};

inline QByteArray smf(int format, int division, const QList<SmfTrack>& tracks) {
    QByteArray out("MThd");
    putBe(out, 6, 4);
    putBe(out, quint64(format), 2);
    putBe(out, quint64(tracks.size()), 2);
    putBe(out, quint64(division), 2);
    for (const SmfTrack& t : tracks)
        out.append(t.chunk());
    return out;
}

// The same SMF inside a RIFF RMID container.
inline QByteArray rmid(const QByteArray& smfBytes) {
    QByteArray out("RIFF");
    putLe(out, quint64(4 + 8 + smfBytes.size() + (smfBytes.size() & 1)), 4);
    out.append("RMIDdata");
    putLe(out, quint64(smfBytes.size()), 4);
    out.append(smfBytes);
    if (smfBytes.size() & 1)
        out.append('\0');
    return out;
}

} // namespace SoundFiles
