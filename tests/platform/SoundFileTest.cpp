#include "audio/SoundFile.h"
#include "DemoMedia.h"
#include "RegressionInputs.h"
#include "SoundFiles.h"
#include "TempFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>

using SoundFiles::SmfTrack;

namespace {

double tone(qint64 frame, int channel, int rate) {
    return 0.5 * std::sin(2 * M_PI * (440.0 + 110 * channel) * double(frame) / rate);
}

QString writeWav(const TempFolder& dir, const QString& name, int rate, int channels, int bits, qint64 frames,
                 bool isFloat = false) {
    return dir.write(name, SoundFiles::wav(
                               rate, channels, bits, frames,
                               [rate](qint64 f, int c) { return tone(f, c, rate); }, isFloat));
}

} // namespace

TEST(SoundFile, SampledLengthsAreExactForEveryRateWidthAndChannelCount) {
    TempFolder dir;
    struct Case {
        int rate, channels, bits;
        bool isFloat;
        qint64 frames;
    };
    const QList<Case> cases = {{8000, 1, 8, false, 8000 * 3 / 2},   {11025, 2, 16, false, 12345},
                               {22050, 1, 16, false, 22050},        {44100, 2, 24, false, 44100 / 3},
                               {48000, 6, 16, false, 48000 / 4},    {96000, 2, 32, false, 96000 / 5},
                               {32000, 1, 32, true, 32000 * 7 / 10}};
    for (const Case& c : cases) {
        const QString path =
            writeWav(dir, QStringLiteral("t%1-%2-%3.wav").arg(c.rate).arg(c.channels).arg(c.bits), c.rate,
                     c.channels, c.bits, c.frames, c.isFloat);
        const SoundInfo info = SoundFile::inspect(path);
        ASSERT_TRUE(info.ok()) << info.error.toStdString();
        EXPECT_EQ(info.kind, SoundInfo::Kind::Sampled);
        EXPECT_EQ(info.type, QStringLiteral("wav"));
        EXPECT_NEAR(double(info.lengthMs), double(c.frames) * 1000.0 / c.rate, 1.0) << c.rate << " Hz";
    }
}

TEST(SoundFile, KindComesFromContentNotName) {
    TempFolder dir;
    SmfTrack t;
    t.tempo(600000).noteOn(0, 60).wait(960).running(60, 0).end(); // two quarters at 600 ms
    const QString midiNamedWav = dir.write(QStringLiteral("tune.wav"), SoundFiles::smf(0, 480, {t}));
    const QString wavNamedMid = writeWav(dir, QStringLiteral("tone.mid"), 22050, 1, 16, 2205);
    const SoundInfo midi = SoundFile::inspect(midiNamedWav);
    ASSERT_TRUE(midi.ok()) << midi.error.toStdString();
    EXPECT_EQ(midi.type, QStringLiteral("midi"));
    EXPECT_NEAR(double(midi.lengthMs), 1200.0, 5.0);
    const SoundInfo wav = SoundFile::inspect(wavNamedMid);
    ASSERT_TRUE(wav.ok()) << wav.error.toStdString();
    EXPECT_EQ(wav.type, QStringLiteral("wav"));
    EXPECT_NEAR(double(wav.lengthMs), 100.0, 1.0);
}

TEST(SoundFile, BadInputsAreRefusedWithAClearReason) {
    TempFolder dir;
    const QString text = dir.write(QStringLiteral("notes.wav"), "These are my notes, not a sound.\n");
    const QString empty = dir.write(QStringLiteral("empty.wav"), QByteArray());
    QByteArray noChannels = SoundFiles::wav(22050, 1, 16, 100, [](qint64, int) { return 0.1; });
    noChannels[22] = 0; // the format chunk now says zero channels
    const QString lying = dir.write(QStringLiteral("lying.wav"), noChannels);

    // 2 GB that take no room on disk: a sparse file of zeros, and one that starts like MIDI.
    const QString sparse = dir.write(QStringLiteral("huge.mid"), QByteArray());
    const QString sparseMidi =
        dir.write(QStringLiteral("huge2.mid"), QByteArray("MThd\0\0\0\6\0\0\0\1\1\xE0", 14));
    for (const QString& path : {sparse, sparseMidi}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(2LL * 1024 * 1024 * 1024));
    }

    const QList<QPair<QString, QString>> cases = {
        {dir.file(QStringLiteral("missing.wav")), QStringLiteral("does not exist")},
        {text, QStringLiteral("not a sound file")},
        {empty, QStringLiteral("empty")},
        {lying, QStringLiteral("not a sound file")},
        {sparse, QStringLiteral("not a sound file")},
        {sparseMidi, QStringLiteral("too large")},
    };
    for (const auto& [path, says] : cases) {
        const SoundInfo info = SoundFile::inspect(path);
        EXPECT_FALSE(info.ok()) << path.toStdString();
        EXPECT_TRUE(info.error.contains(says)) << path.toStdString() << ": " << info.error.toStdString();
    }
}

// MIDI files that once read past their buffer or took gigabytes, whatever their names say.
TEST(SoundFile, HostileMidiFilesAreRefusedWhateverTheirNames) {
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("rmid-odd-last-chunk-oob-read.wav"),
         QStringLiteral("the RIFF file holds no MIDI data")},
        {QStringLiteral("rmid-odd-last-chunk-oob-read.mid"),
         QStringLiteral("the RIFF file holds no MIDI data")},
        {QStringLiteral("type2-huge-tempo-delta-1.8gb-20s.mid"),
         QStringLiteral("the MIDI file claims to play for more than 24 hours")},
        {QStringLiteral("type2-huge-tempo-delta-bad-alloc.mid"),
         QStringLiteral("the MIDI file claims to play for more than 24 hours")}};
    for (const auto& [name, says] : cases) {
        const SoundInfo info = SoundFile::inspect(regressionPath(QStringLiteral("sound"), name));
        EXPECT_EQ(info.kind, SoundInfo::Kind::Midi) << name.toStdString();
        EXPECT_EQ(info.error, says) << name.toStdString();
        SoundInfo opened;
        EXPECT_EQ(SoundFile::open(regressionPath(QStringLiteral("sound"), name), 44100,
                                  QStringLiteral("/x.sf2"), opened),
                  nullptr);
        EXPECT_EQ(opened.error, says) << name.toStdString();
    }
}

TEST(SoundFile, DataChunkLongerThanTheFileCountsOnlyWhatIsThere) {
    TempFolder dir;
    QByteArray bytes = SoundFiles::wav(8000, 1, 16, 8000, [](qint64, int) { return 0.2; }); // 1 s
    bytes.truncate(44 + 4000 * 2);                                                          // half of it
    const SoundInfo info = SoundFile::inspect(dir.write(QStringLiteral("cut.wav"), bytes));
    ASSERT_TRUE(info.ok()) << info.error.toStdString();
    EXPECT_NEAR(double(info.lengthMs), 500.0, 1.0);
}

TEST(SoundFile, SoundFontIsFoundInFoldersAndItsAbsenceIsExplained) {
    TempFolder dir;
    EXPECT_TRUE(SoundFile::findSoundFont({dir.file(QStringLiteral("none.sf2")), dir.path()}).isEmpty());
    dir.write(QStringLiteral("fonts/b.sf2"), "x");
    dir.write(QStringLiteral("fonts/a.sf2"), "x");
    EXPECT_EQ(
        SoundFile::findSoundFont({dir.file(QStringLiteral("none.sf2")), dir.file(QStringLiteral("fonts"))}),
        dir.file(QStringLiteral("fonts/a.sf2")));

    const QString tune = dir.file(QStringLiteral("tune.mid"));
    ASSERT_TRUE(DemoMedia::writeTune(tune, {{60, 480}}, 0));
    SoundInfo info;
    EXPECT_EQ(SoundFile::open(tune, 44100, QString(), info), nullptr);
    EXPECT_TRUE(info.error.contains(QLatin1String("General MIDI soundfont"))) << info.error.toStdString();
    EXPECT_TRUE(info.error.contains(QLatin1String("apt install timgm6mb-soundfont")));
}

TEST(SoundFile, ProbeCommandPrintsOneJsonLinePerFile) {
    // Test programs and tools share the build's bin folder.
    const QString bin = QCoreApplication::applicationDirPath();
    const QString tool = bin + QStringLiteral("/orvanne-cjf");
    if (!QFile::exists(tool))
        GTEST_SKIP() << "orvanne-cjf is not built";
    TempFolder dir;
    SmfTrack tempo;
    tempo.tempo(750000).wait(480).tempo(375000).wait(480).end();
    SmfTrack notes;
    notes.noteOn(0, 60).wait(1200).running(60, 0).end(); // 480 at 750 ms, 480 at 375 ms, 240 at 375 ms
    const QString midi = dir.write(QStringLiteral("a.mid"), SoundFiles::smf(1, 480, {tempo, notes}));
    const QString wav = writeWav(dir, QStringLiteral("b.wav"), 48000, 2, 24, 36000);
    const QString bad = dir.write(QStringLiteral("c.mid"), QByteArray("MThd\0\0\0\6\0\1\0\0\1\xE0", 14));

    QProcess probe;
    probe.start(tool, {QStringLiteral("probe"), midi, wav, bad});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_EQ(probe.exitCode(), 1); // one file failed
    const QList<QByteArray> lines = probe.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    const QJsonObject a = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(a.value(QStringLiteral("file")).toString(), midi);
    EXPECT_EQ(a.value(QStringLiteral("type")).toString(), QStringLiteral("midi"));
    EXPECT_NEAR(a.value(QStringLiteral("length_ms")).toDouble(), 750 + 375 + 187.5, 5.0);
    const QJsonObject b = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(b.value(QStringLiteral("type")).toString(), QStringLiteral("wav"));
    EXPECT_NEAR(b.value(QStringLiteral("length_ms")).toDouble(), 750.0, 5.0);
    const QJsonObject c = QJsonDocument::fromJson(lines[2]).object();
    EXPECT_TRUE(c.value(QStringLiteral("error")).toString().contains(QLatin1String("no tracks")));
    EXPECT_FALSE(c.contains(QStringLiteral("length_ms")));

    QProcess none;
    none.start(tool, {QStringLiteral("probe")});
    ASSERT_TRUE(none.waitForFinished(60000));
    EXPECT_EQ(none.exitCode(), 2);
}
