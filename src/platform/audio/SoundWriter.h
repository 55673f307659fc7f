#pragma once

// Sound files written byte by byte: PCM and float WAV of any rate, width and channel count, and
// Standard MIDI Files built event by event. The demo show, the MIDI reader's rewriting of type 2
// files, the tests and the benchmarks all write their sounds through here.

#include <QByteArray>
#include <QList>

#include <functional>
#include <initializer_list>

namespace SoundWriter {

// sample(frame, channel) in -1..1. bits: 8, 16, 24 or 32 (integer PCM), or 32 with isFloat.
QByteArray wav(int rate, int channels, int bits, qint64 frames,
               const std::function<double(qint64, int)>& sample, bool isFloat = false);

// One MTrk chunk's events. wait() adds to the delta time of the next event.
class MidiTrack {
public:
    MidiTrack& wait(quint32 ticks) {
        pending_ += ticks;
        return *this;
    }
    // An event's bytes (status included) after the pending delta time.
    MidiTrack& event(const QByteArray& bytes);
    MidiTrack& event(std::initializer_list<int> bytes);
    MidiTrack& tempo(quint32 microsecondsPerQuarter);
    MidiTrack& program(int channel, int program) { return event({0xC0 | channel, program}); }
    MidiTrack& noteOn(int channel, int key, int velocity = 100) {
        return event({0x90 | channel, key, velocity});
    }
    MidiTrack& noteOff(int channel, int key, int velocity = 64) {
        return event({0x80 | channel, key, velocity});
    }
    // Data bytes only: the status of the previous channel event carries on.
    MidiTrack& running(int key, int velocity) { return event({key, velocity}); }
    MidiTrack& text(const QByteArray& text);
    MidiTrack& sysex(const QByteArray& payload);
    MidiTrack& end() { return event({0xFF, 0x2F, 0x00}); }

    QByteArray chunk() const;

private:
    QByteArray data_;
    quint32 pending_ = 0;
};

// A Standard MIDI File of the given format (0, 1 or 2) and ticks per quarter note.
QByteArray midi(int format, int division, const QList<MidiTrack>& tracks);

} // namespace SoundWriter
