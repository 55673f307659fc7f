#include "MidiFile.h"

#include "SoundWriter.h"

#include <QtEndian>

#include <algorithm>

namespace {

using TempoList = std::vector<std::pair<std::int64_t, std::uint32_t>>; // (tick, microseconds per quarter)

constexpr std::uint32_t kDefaultTempo = 500000; // 120 beats per minute until the file says otherwise
// A type 2 file is rewritten with one tick per microsecond: a quarter note of 25000 ticks lasting
// 25000 microseconds.
constexpr std::uint32_t kMergedDivision = 25000;

std::uint32_t be32(const QByteArray& b, std::uint32_t at) {
    return qFromBigEndian<quint32>(b.constData() + at);
}
std::uint32_t be16(const QByteArray& b, std::uint32_t at) {
    return qFromBigEndian<quint16>(b.constData() + at);
}
std::uint32_t le32(const QByteArray& b, std::uint32_t at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// Reads a variable-length quantity of at most four bytes; false when it runs past end.
bool readVarLen(const QByteArray& b, std::uint32_t& pos, std::uint32_t end, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= end)
            return false;
        const auto byte = std::uint8_t(b[pos++]);
        value = (value << 7) | (byte & 0x7F);
        if (!(byte & 0x80))
            return true;
    }
    return false; // a fifth continuation byte: not a MIDI number
}

// Microseconds from tick 0 to tick, through the tempo changes of a file.
class TempoMap {
public:
    TempoMap(TempoList tempos, int division) : changes_(std::move(tempos)), division_(division) {
        std::stable_sort(changes_.begin(), changes_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        // The time at each change, so that a lookup is one binary search.
        startUs_.reserve(changes_.size());
        double us = 0;
        std::int64_t at = 0;
        std::uint32_t tempo = kDefaultTempo;
        for (const auto& [tick, newTempo] : changes_) {
            us += double(tick - at) * tempo / division_;
            startUs_.push_back(us);
            at = tick;
            tempo = newTempo;
        }
    }
    double microseconds(std::int64_t tick) const {
        // The last change at or before tick decides; several changes on one tick: the last wins.
        const auto it = std::upper_bound(changes_.begin(), changes_.end(), tick,
                                         [](std::int64_t t, const auto& change) { return t < change.first; });
        if (it == changes_.begin())
            return double(tick) * kDefaultTempo / division_;
        const size_t i = size_t(it - changes_.begin()) - 1;
        return startUs_[i] + double(tick - changes_[i].first) * changes_[i].second / division_;
    }

private:
    TempoList changes_;
    std::vector<double> startUs_;
    int division_;
};

QString trackText(int number) {
    return QStringLiteral("track %1").arg(number);
}

} // namespace

bool MidiFile::looksLikeMidi(const QByteArray& head) {
    return head.startsWith("MThd") ||
           (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "RMID");
}

bool MidiFile::parse(const QByteArray& bytes, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (bytes.size() > kMaxFileBytes)
        return fail(QStringLiteral("the file is too large to be a MIDI file"));

    // A RIFF MIDI file carries the Standard MIDI File in its "data" chunk.
    QByteArray smf = bytes;
    riffWrapped_ = bytes.startsWith("RIFF");
    if (riffWrapped_) {
        if (bytes.size() < 12 || bytes.mid(8, 4) != "RMID")
            return fail(QStringLiteral("the RIFF file holds no MIDI data"));
        // Positions are signed and 64-bit: a chunk padded to an even length may end one byte
        // past the file, and the walk must stop there rather than wrap around.
        qint64 pos = 12;
        const qint64 size = bytes.size();
        smf.clear();
        while (size - pos >= 8) {
            const qint64 chunk = le32(bytes, std::uint32_t(pos + 4));
            if (chunk > size - pos - 8)
                return fail(QStringLiteral("the RIFF MIDI file is truncated"));
            if (bytes.mid(pos, 4) == "data") {
                smf = bytes.mid(pos + 8, chunk);
                break;
            }
            pos += 8 + chunk + (chunk & 1);
        }
        if (smf.isEmpty())
            return fail(QStringLiteral("the RIFF file holds no MIDI data"));
    }

    const auto size = std::uint32_t(smf.size());
    if (size < 14 || !smf.startsWith("MThd"))
        return fail(QStringLiteral("the file is not a Standard MIDI File"));
    const std::uint32_t headerSize = be32(smf, 4);
    if (headerSize < 6 || headerSize > size - 8)
        return fail(QStringLiteral("the MIDI file header is damaged"));
    format_ = int(be16(smf, 8));
    trackCount_ = int(be16(smf, 10));
    division_ = int(be16(smf, 12));
    if (format_ > 2)
        return fail(QStringLiteral("the MIDI file is of unknown type %1").arg(format_));
    if (trackCount_ == 0)
        return fail(QStringLiteral("the MIDI file has no tracks"));
    if (division_ & 0x8000)
        return fail(
            QStringLiteral("the MIDI file counts time in SMPTE frames, which this player cannot play"));
    if (division_ == 0)
        return fail(QStringLiteral("the MIDI file header gives a time division of zero"));
    if (format_ != 2 && trackCount_ > kMaxTracks)
        return fail(QStringLiteral("the MIDI file has %1 tracks; at most %2 can be played")
                        .arg(trackCount_)
                        .arg(kMaxTracks));

    std::vector<Track> tracks;
    TempoList tempos;                 // types 0 and 1: one map over all tracks
    std::vector<TempoList> ownTempos; // type 2: each track its own
    std::uint32_t pos = 8 + headerSize;
    while (int(tracks.size()) < trackCount_) {
        const int number = int(tracks.size()) + 1;
        if (size - pos < 8)
            return fail(
                QStringLiteral("the MIDI file ends before %1 of %2").arg(trackText(number)).arg(trackCount_));
        const std::uint32_t chunk = be32(smf, pos + 4);
        if (chunk > size - pos - 8)
            return fail(QStringLiteral("%1 of the MIDI file claims %2 bytes but the file ends after %3")
                            .arg(trackText(number))
                            .arg(chunk)
                            .arg(size - pos - 8));
        const std::uint32_t begin = pos + 8;
        pos = begin + chunk;
        if (smf.mid(int(begin - 8), 4) != "MTrk")
            continue; // chunks of unknown kinds are skipped, as the format asks
        Track track;
        TempoList& into = format_ == 2 ? ownTempos.emplace_back() : tempos;
        if (!parseTrack(smf, begin, begin + chunk, number, format_ == 2, track, into, error))
            return false;
        tracks.push_back(std::move(track));
    }

    // A few bytes of slow tempo and long delta times can claim centuries. Such a length is refused
    // before anything is built from it: the type 2 rewrite below bridges gaps in pieces whose
    // number grows with the length, and the times must fit the integers they are stored in.
    auto tooLong = [&] {
        return fail(QStringLiteral("the MIDI file claims to play for more than %1 hours")
                        .arg(kMaxLengthMicroseconds / 3600000000LL));
    };
    if (format_ == 2) {
        double length = 0;
        for (size_t i = 0; i < tracks.size(); ++i)
            length += TempoMap(ownTempos[i], division_).microseconds(tracks[i].endTick);
        if (!(length <= double(kMaxLengthMicroseconds)))
            return tooLong();
        lengthUs_ = length;
        // The events now hold their times in microseconds within their own track.
        for (size_t i = 0; i < tracks.size(); ++i) {
            const TempoMap map(ownTempos[i], division_);
            for (Event& e : tracks[i].events)
                e.tick = std::int64_t(map.microseconds(e.tick) + 0.5);
            tracks[i].endTick = std::int64_t(map.microseconds(tracks[i].endTick) + 0.5);
        }
        playable_ = mergeType2(smf, tracks);
    } else {
        std::int64_t endTick = 0;
        for (const Track& t : tracks)
            endTick = std::max(endTick, t.endTick);
        const double length = TempoMap(tempos, division_).microseconds(endTick);
        if (!(length <= double(kMaxLengthMicroseconds)))
            return tooLong();
        lengthUs_ = length;
        playable_ = smf;
    }
    return true;
}

bool MidiFile::parseTrack(const QByteArray& smf, std::uint32_t pos, std::uint32_t end, int number,
                          bool keepEvents, Track& track, TempoList& tempos, QString* error) {
    auto fail = [&](const QString& what) {
        if (error)
            *error = QStringLiteral("%1 of the MIDI file is damaged: %2").arg(trackText(number), what);
        return false;
    };
    std::int64_t tick = 0;
    std::uint8_t status = 0;
    while (pos < end) {
        std::uint32_t delta = 0;
        if (!readVarLen(smf, pos, end, delta))
            return fail(QStringLiteral("a delta time runs past the end of the track"));
        tick += delta;
        if (pos >= end)
            return fail(QStringLiteral("the track ends inside an event"));
        const std::uint32_t start = pos;
        const auto first = std::uint8_t(smf[pos]);
        if (first == 0xFF) { // meta event
            ++pos;
            if (pos >= end)
                return fail(QStringLiteral("a meta event is cut off"));
            const auto type = std::uint8_t(smf[pos++]);
            std::uint32_t length = 0;
            if (!readVarLen(smf, pos, end, length) || length > end - pos)
                return fail(QStringLiteral("a meta event runs past the end of the track"));
            if (type == 0x51) {
                if (length != 3)
                    return fail(QStringLiteral("a tempo change has the wrong length"));
                const std::uint32_t tempo = (std::uint32_t(std::uint8_t(smf[pos])) << 16) |
                                            (std::uint32_t(std::uint8_t(smf[pos + 1])) << 8) |
                                            std::uint32_t(std::uint8_t(smf[pos + 2]));
                if (tempo == 0)
                    return fail(QStringLiteral("a tempo change sets a tempo of zero"));
                tempos.emplace_back(tick, tempo);
                if (keepEvents)
                    track.events.push_back({tick, start, pos + length - start, 0xFF, true});
            }
            pos += length;
            if (type == 0x2F) { // end of track: whatever follows is not played
                track.endTick = tick;
                return true;
            }
        } else if (first == 0xF0 || first == 0xF7) { // system exclusive
            ++pos;
            std::uint32_t length = 0;
            if (!readVarLen(smf, pos, end, length) || length > end - pos)
                return fail(QStringLiteral("a system exclusive message runs past the end of the track"));
            pos += length;
            status = 0; // a system message cancels running status
            if (keepEvents)
                track.events.push_back({tick, start, pos - start, first, false});
        } else {
            if (first & 0x80) {
                if (first > 0xF0)
                    return fail(
                        QStringLiteral("a system message 0x%1 appears inside a track").arg(first, 0, 16));
                status = first;
                ++pos;
            } else if (!status) {
                return fail(QStringLiteral("a data byte appears without a status byte"));
            }
            const std::uint32_t dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
            if (dataBytes > end - pos)
                return fail(QStringLiteral("an event is cut off at the end of the track"));
            for (std::uint32_t i = 0; i < dataBytes; ++i)
                if (std::uint8_t(smf[pos + i]) & 0x80)
                    return fail(QStringLiteral("an event has too few data bytes"));
            if (keepEvents)
                track.events.push_back({tick, pos, dataBytes, status, false});
            pos += dataBytes;
        }
    }
    track.endTick = tick; // no end-of-track event: the last event ends it
    return true;
}

QByteArray MidiFile::mergeType2(const QByteArray& smf, const std::vector<Track>& tracks) const {
    SoundWriter::MidiTrack track;
    // One tempo for the whole rewritten file: a tick is a microsecond.
    track.tempo(kMergedDivision);
    // Deltas longer than a variable-length number holds are bridged with empty text events.
    auto waitFor = [&track](std::int64_t delta) {
        while (delta > 0x0FFFFFFF) {
            track.wait(0x0FFFFFFF).text(QByteArray());
            delta -= 0x0FFFFFFF;
        }
        track.wait(std::uint32_t(std::max<std::int64_t>(delta, 0)));
    };
    std::int64_t offset = 0;
    std::int64_t last = 0;
    for (const Track& t : tracks) {
        for (const Event& e : t.events) {
            if (e.tempo)
                continue; // already folded into the times
            const std::int64_t at = offset + e.tick;
            waitFor(at - last);
            last = at;
            QByteArray bytes;
            if (e.status != 0xF0 && e.status != 0xF7)
                bytes.append(char(e.status));
            bytes.append(smf.constData() + e.offset, int(e.size));
            track.event(bytes);
        }
        offset += t.endTick;
    }
    waitFor(offset - last);
    track.end();
    return SoundWriter::midi(0, kMergedDivision, {track});
}
