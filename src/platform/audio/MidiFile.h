#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// A Standard MIDI File read far enough to trust it: every chunk and event must lie inside the
// file, and the tempo map gives the exact playing time. The synthesizer accepts truncated or
// garbled files and has no duration call, so the player validates here first and ends a MIDI
// sound at the time computed here.
class MidiFile {
public:
    // Nobody writes MIDI files this large; the cap keeps a mislabelled or hostile file from
    // making us read gigabytes.
    static constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;
    // The synthesizer's player keeps at most this many tracks.
    static constexpr int kMaxTracks = 128;
    // No sound for a slide show plays for a day; a file that claims to is damaged or hostile.
    static constexpr qint64 kMaxLengthMicroseconds = 24LL * 3600 * 1000 * 1000;

    // True when bytes start like a MIDI file (plain "MThd" or RIFF "RMID").
    static bool looksLikeMidi(const QByteArray& head);

    // Parses bytes (a plain SMF or one wrapped in a RIFF RMID container). On failure returns
    // false and sets error to a sentence a user can read.
    bool parse(const QByteArray& bytes, QString* error);

    int format() const { return format_; }
    int trackCount() const { return trackCount_; }
    int division() const { return division_; } // ticks per quarter note
    bool riffWrapped() const { return riffWrapped_; }
    // Playing time from the first tick to the last event of the longest track (types 0 and 1),
    // or of all tracks one after another (type 2).
    double lengthMicroseconds() const { return lengthUs_; }
    qint64 lengthMilliseconds() const { return static_cast<qint64>(lengthUs_ / 1000.0 + 0.5); }

    // The bytes to hand the synthesizer's player. It plays every track of a file at once,
    // which is wrong for type 2 (independent patterns, one after another), so a type 2 file is
    // rewritten as a type 0 file whose ticks are microseconds; other files go as they are,
    // without a RIFF wrapper.
    QByteArray playable() const { return playable_; }

private:
    struct Event {
        std::int64_t tick;
        std::uint32_t offset; // first byte of the event after its delta time
        std::uint32_t size;
        std::uint8_t status; // explicit status; running status resolved
        bool tempo;
    };
    struct Track {
        std::int64_t endTick = 0;
        std::vector<Event> events; // kept only for type 2
    };

    bool parseTrack(const QByteArray& smf, std::uint32_t begin, std::uint32_t end, int number,
                    bool keepEvents, Track& track,
                    std::vector<std::pair<std::int64_t, std::uint32_t>>& tempos, QString* error);
    QByteArray mergeType2(const QByteArray& smf, const std::vector<Track>& tracks) const;

    int format_ = 0;
    int trackCount_ = 0;
    int division_ = 0;
    bool riffWrapped_ = false;
    double lengthUs_ = 0;
    QByteArray playable_;
};
