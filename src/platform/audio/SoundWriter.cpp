#include "SoundWriter.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

template <class T> void appendLittle(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

template <class T> void appendBig(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToBigEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// Appends value as a MIDI variable-length number (7 bits a byte, the high bit marking more).
void appendVariableLength(QByteArray& out, quint32 value) {
    quint8 groups[5];
    int n = 0;
    do {
        groups[n++] = value & 0x7F;
        value >>= 7;
    } while (value);
    while (n > 1)
        out.append(static_cast<char>(groups[--n] | 0x80));
    out.append(static_cast<char>(groups[0]));
}

} // namespace

namespace SoundWriter {

QByteArray wav(int rate, int channels, int bits, qint64 frames,
               const std::function<double(qint64, int)>& sample, bool isFloat) {
    QByteArray data;
    const int bytes = bits / 8;
    data.reserve(static_cast<qsizetype>(frames * channels * bytes));
    for (qint64 f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const double v = std::clamp(sample(f, c), -1.0, 1.0);
            if (isFloat) {
                appendLittle(data, static_cast<float>(v));
            } else if (bits == 8) {
                data.append(static_cast<char>(std::lround(v * 127.0) + 128)); // 8-bit WAV is unsigned
            } else {
                const double scale = static_cast<double>((1LL << (bits - 1)) - 1);
                const auto value = static_cast<qint32>(std::llround(v * scale));
                char word[4];
                qToLittleEndian(value, word);
                data.append(word, bytes); // the low bytes of the little-endian word
            }
        }
    }
    QByteArray out("RIFF");
    appendLittle(out, static_cast<quint32>(36 + data.size()));
    out.append("WAVEfmt ");
    appendLittle(out, quint32(16));
    appendLittle(out, static_cast<quint16>(isFloat ? 3 : 1));
    appendLittle(out, static_cast<quint16>(channels));
    appendLittle(out, static_cast<quint32>(rate));
    appendLittle(out, static_cast<quint32>(rate * channels * bytes));
    appendLittle(out, static_cast<quint16>(channels * bytes));
    appendLittle(out, static_cast<quint16>(bits));
    out.append("data");
    appendLittle(out, static_cast<quint32>(data.size()));
    out.append(data);
    return out;
}

MidiTrack& MidiTrack::event(const QByteArray& bytes) {
    appendVariableLength(data_, pending_);
    pending_ = 0;
    data_.append(bytes);
    return *this;
}

MidiTrack& MidiTrack::event(std::initializer_list<int> bytes) {
    QByteArray out;
    for (int b : bytes)
        out.append(static_cast<char>(b));
    return event(out);
}

MidiTrack& MidiTrack::tempo(quint32 microsecondsPerQuarter) {
    return event({0xFF, 0x51, 0x03, int((microsecondsPerQuarter >> 16) & 0xFF),
                  int((microsecondsPerQuarter >> 8) & 0xFF), int(microsecondsPerQuarter & 0xFF)});
}

MidiTrack& MidiTrack::text(const QByteArray& text) {
    QByteArray e("\xFF\x01", 2);
    appendVariableLength(e, static_cast<quint32>(text.size()));
    e.append(text);
    return event(e);
}

MidiTrack& MidiTrack::sysex(const QByteArray& payload) {
    QByteArray e("\xF0", 1);
    appendVariableLength(e, static_cast<quint32>(payload.size()));
    e.append(payload);
    return event(e);
}

QByteArray MidiTrack::chunk() const {
    QByteArray out("MTrk");
    appendBig(out, static_cast<quint32>(data_.size()));
    out.append(data_);
    return out;
}

QByteArray midi(int format, int division, const QList<MidiTrack>& tracks) {
    QByteArray out("MThd");
    appendBig(out, quint32(6));
    appendBig(out, static_cast<quint16>(format));
    appendBig(out, static_cast<quint16>(tracks.size()));
    appendBig(out, static_cast<quint16>(division));
    for (const MidiTrack& t : tracks)
        out.append(t.chunk());
    return out;
}

} // namespace SoundWriter
