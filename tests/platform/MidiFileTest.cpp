#include "audio/MidiFile.h"
#include "RegressionInputs.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <random>

using SoundFiles::SmfTrack;

namespace {

// Playing time worked out by hand from (ticks, microseconds per quarter) segments.
double expectedMs(const QList<QPair<int, int>>& segments, int division) {
    double us = 0;
    for (const auto& [ticks, tempo] : segments)
        us += double(ticks) * tempo / division;
    return us / 1000.0;
}

// Type 1, 480 ticks per quarter: a tempo track with three tempos and a melody track that uses
// running status and outlasts the tempo track, plus a short third track with a text and a sysex.
QByteArray typeOneFile() {
    SmfTrack tempo;
    tempo.tempo(500000).wait(960).tempo(250000).wait(480).tempo(1000000).wait(10).end();
    SmfTrack melody;
    melody.program(0, 0).noteOn(0, 60).wait(480).running(60, 0).running(62, 90).wait(480).running(62, 0);
    melody.running(64, 90).wait(960).running(64, 0).wait(240).end();
    SmfTrack extra;
    extra.text("drums")
        .sysex(QByteArray("\x7E\x7F\x09\x01\xF7", 5))
        .noteOn(9, 36)
        .wait(100)
        .running(36, 0)
        .end();
    return SoundFiles::smf(1, 480, {tempo, melody, extra});
}

} // namespace

TEST(MidiFile, LengthFollowsTempoChangesAcrossTracksAndRunningStatus) {
    MidiFile midi;
    QString error;
    ASSERT_TRUE(midi.parse(typeOneFile(), &error)) << error.toStdString();
    EXPECT_EQ(midi.format(), 1);
    EXPECT_EQ(midi.trackCount(), 3);
    // The melody ends at tick 2160: 960 at 120 bpm, 480 at 240 bpm, 720 at 60 bpm.
    const double ms = expectedMs({{960, 500000}, {480, 250000}, {720, 1000000}}, 480);
    EXPECT_NEAR(double(midi.lengthMilliseconds()), ms, 5.0);
    EXPECT_EQ(midi.playable(), typeOneFile()); // types 0 and 1 go to the synthesizer untouched

    // The same music wrapped in RIFF is the same length.
    MidiFile wrapped;
    ASSERT_TRUE(wrapped.parse(SoundFiles::rmid(typeOneFile()), &error)) << error.toStdString();
    EXPECT_TRUE(wrapped.riffWrapped());
    EXPECT_EQ(wrapped.lengthMilliseconds(), midi.lengthMilliseconds());
    EXPECT_EQ(wrapped.playable(), typeOneFile());
}

TEST(MidiFile, TypeTwoTracksPlayOneAfterAnotherEachWithItsOwnTempo) {
    SmfTrack first;
    first.tempo(400000).noteOn(0, 60).wait(96).running(60, 0).wait(96).end(); // 192 ticks at 400 ms
    SmfTrack second;
    second.noteOn(0, 67).wait(48).running(67, 0).tempo(1000000).wait(96).end(); // default tempo, then 1 s
    const QByteArray bytes = SoundFiles::smf(2, 96, {first, second});
    MidiFile midi;
    QString error;
    ASSERT_TRUE(midi.parse(bytes, &error)) << error.toStdString();
    const double ms = expectedMs({{192, 400000}, {48, 500000}, {96, 1000000}}, 96);
    EXPECT_NEAR(double(midi.lengthMilliseconds()), ms, 5.0);

    // What the synthesizer gets is one type 0 track of the same length, events in sequence.
    MidiFile merged;
    ASSERT_TRUE(merged.parse(midi.playable(), &error)) << error.toStdString();
    EXPECT_EQ(merged.format(), 0);
    EXPECT_NEAR(double(merged.lengthMilliseconds()), ms, 1.0);
}

TEST(MidiFile, DamagedFilesAreRefusedWithAReason) {
    SmfTrack t;
    t.noteOn(0, 60).wait(480).running(60, 0).end();
    const QByteArray good = SoundFiles::smf(0, 480, {t});
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* says;
    };
    QByteArray truncated = good.left(good.size() - 3); // the track claims bytes that are not there
    QByteArray noTracks = SoundFiles::smf(1, 480, {});
    QByteArray missingTrack = good;
    missingTrack[11] = 2; // says two tracks, holds one
    QByteArray smpte = good;
    smpte[12] = char(0xE7); // -25 frames per second
    smpte[13] = 40;
    SmfTrack orphan;
    orphan.event({60, 100}).end();
    SmfTrack zeroTempo;
    zeroTempo.tempo(0).end();
    const QList<Case> cases = {
        {"truncated", truncated, "claims"},
        {"no tracks", noTracks, "no tracks"},
        {"missing track", missingTrack, "ends before track 2"},
        {"smpte", smpte, "SMPTE"},
        {"running status with nothing to run", SoundFiles::smf(0, 480, {orphan}), "without a status"},
        {"zero tempo", SoundFiles::smf(0, 480, {zeroTempo}), "tempo of zero"},
        {"header only", good.left(14), "ends before track 1"},
        {"not midi", QByteArray("MThx\0\0\0\6", 8), "not a Standard MIDI File"},
        {"empty riff", QByteArray("RIFF\4\0\0\0RMID", 12), "no MIDI data"},
    };
    for (const Case& c : cases) {
        MidiFile midi;
        QString error;
        EXPECT_FALSE(midi.parse(c.bytes, &error)) << c.name;
        EXPECT_TRUE(error.contains(QLatin1String(c.says))) << c.name << ": " << error.toStdString();
    }
}

QByteArray le32(quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray riff(const QByteArray& chunks) {
    return "RIFF" + le32(quint32(4 + chunks.size())) + "RMID" + chunks;
}

// A chunk of odd length is followed by a pad byte. The walk steps over padded chunks to the data,
// and a last chunk whose pad byte the file lacks ends it at the end of the file, not past it.
TEST(MidiFile, RiffChunksOfOddLengthAreSteppedOverWithinTheFile) {
    const QByteArray smf = typeOneFile();
    MidiFile plain;
    ASSERT_TRUE(plain.parse(smf, nullptr));

    MidiFile padded;
    QString error;
    ASSERT_TRUE(padded.parse(riff("LIST" + le32(3) + "abc" + '\0' + "data" + le32(quint32(smf.size())) + smf),
                             &error))
        << error.toStdString();
    EXPECT_EQ(padded.lengthMicroseconds(), plain.lengthMicroseconds());
    EXPECT_EQ(padded.playable(), smf);

    const QList<QByteArray> unpadded = {riff("LIST" + le32(1) + "a"), riff("INFO" + le32(3) + "abc"),
                                        regressionInput("midi", "rmid-odd-last-chunk-oob-read.mid")};
    for (const QByteArray& bytes : unpadded) {
        MidiFile midi;
        EXPECT_FALSE(midi.parse(bytes, &error));
        EXPECT_EQ(error, "the RIFF file holds no MIDI data");
    }
}

// A few bytes of slowest tempo and longest deltas claim centuries; rewriting such a type 2 file
// for the synthesizer once bridged every gap in pieces (gigabytes, or an abort). Lengths beyond a
// day are refused instead, for every type; shorter ones are rewritten in a few bytes.
TEST(MidiFile, LengthsBeyondADayAreRefusedAndADayIsRewrittenSmall) {
    QString error;
    for (const char* name :
         {"type2-huge-tempo-delta-1.8gb-20s.mid", "type2-huge-tempo-delta-bad-alloc.mid"}) {
        MidiFile midi;
        EXPECT_FALSE(midi.parse(regressionInput("midi", QLatin1String(name)), &error)) << name;
        EXPECT_EQ(error, "the MIDI file claims to play for more than 24 hours") << name;
        EXPECT_TRUE(midi.playable().isEmpty()) << name;
    }

    // One tick a second: a note held for 23 hours, then one for 25.
    auto held = [](int hours) {
        SmfTrack track;
        track.tempo(1000000).noteOn(0, 60).wait(quint32(hours) * 3600).running(60, 0).end();
        return track;
    };
    for (int format : {0, 2}) {
        MidiFile day;
        ASSERT_TRUE(day.parse(SoundFiles::smf(format, 1, {held(23)}), &error)) << error.toStdString();
        EXPECT_EQ(day.lengthMilliseconds(), 23LL * 3600 * 1000);
        EXPECT_LT(day.playable().size(), 4096) << "type " << format;
        MidiFile rewritten;
        ASSERT_TRUE(rewritten.parse(day.playable(), &error)) << error.toStdString();
        EXPECT_EQ(rewritten.lengthMilliseconds(), day.lengthMilliseconds());

        MidiFile tooLong;
        EXPECT_FALSE(tooLong.parse(SoundFiles::smf(format, 1, {held(25)}), &error)) << "type " << format;
        EXPECT_EQ(error, "the MIDI file claims to play for more than 24 hours");
    }
    // Type 2 plays its tracks one after another: two of 13 hours make 26.
    MidiFile twoHalves;
    EXPECT_FALSE(twoHalves.parse(SoundFiles::smf(2, 1, {held(13), held(13)}), &error));
}

// Random damage to a valid file must end in a clean refusal or a sane result, never in a read
// outside the buffer (run under the sanitizer build) or an unbounded allocation.
TEST(MidiFile, SurvivesSeededMutations) {
    SmfTrack second;
    second.tempo(300000).noteOn(1, 50).wait(100).running(50, 0).sysex("\x01\x02\xF7").wait(5).end();
    const QList<QByteArray> seeds = {typeOneFile(), SoundFiles::smf(2, 96, {second, second}),
                                     SoundFiles::rmid(typeOneFile())};
    std::mt19937 random(20240611);
    int accepted = 0, refused = 0;
    for (int round = 0; round < 600; ++round) {
        QByteArray bytes = seeds[round % seeds.size()];
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const int at = int(random() % quint32(bytes.size()));
            switch (random() % 4) {
            case 0:
                bytes[at] = char(random());
                break;
            case 1:
                bytes[at] = char(bytes[at] ^ (1 << (random() % 8)));
                break;
            case 2:
                bytes.truncate(at);
                break;
            case 3:
                bytes.insert(at, char(random()));
                break;
            }
            if (bytes.isEmpty())
                break;
        }
        MidiFile midi;
        QString error;
        if (midi.parse(bytes, &error)) {
            ++accepted;
            EXPECT_TRUE(error.isEmpty());
            EXPECT_GE(midi.lengthMicroseconds(), 0.0);
            EXPECT_TRUE(std::isfinite(midi.lengthMicroseconds()));
            MidiFile again; // what we hand the synthesizer must itself be a valid file
            EXPECT_TRUE(again.parse(midi.playable(), &error)) << round << ": " << error.toStdString();
        } else {
            ++refused;
            EXPECT_FALSE(error.isEmpty());
        }
    }
    // Both outcomes must occur, or the mutations were not testing anything.
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}
