#include "MediaPlayer.h"
#include "DemoMedia.h"
#include "SoundFiles.h"
#include "TempFolder.h"
#include "audio/AudioEngine.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

constexpr int kRate = AudioEngine::kDefaultSampleRate;

// Remembers what each channel gave and what came out of the mixer.
struct Recorder : MixTap {
    struct Block {
        qint64 position;
        int count;
    };
    void channelRendered(int channel, qint64 position, const float* frames, int count) override {
        blocks[channel].push_back({position, count});
        auto& data = samples[channel];
        data.insert(data.end(), frames, frames + 2 * count);
    }
    void mixed(const float* frames, int count) override {
        output.insert(output.end(), frames, frames + 2 * count);
    }
    std::map<int, std::vector<Block>> blocks;
    std::map<int, std::vector<float>> samples;
    std::vector<float> output;
};

// Mixes ms of sound in 10 ms blocks, delivering posted notices between blocks as the event loop
// of a running program would.
void run(AudioEngine& engine, int ms) {
    for (int done = 0; done < ms; done += 10) {
        engine.pull(kRate / 100);
        QCoreApplication::processEvents();
    }
}

// A value per frame that never repeats within a file, so a skipped or repeated frame shows.
double rampSample(qint64 frame) {
    return double((frame * 7919) % 20000 - 10000) / 32768.0;
}

struct Notices {
    explicit Notices(MediaPlayer& player) {
        QObject::connect(&player, &MediaPlayer::notified, &context,
                         [this](MediaPlayer::NotifyResult r, quint64 id) {
                             EXPECT_FALSE(insideCommand) << "a notice arrived before its command returned";
                             seen.push_back({r, id});
                         });
    }
    QObject context;
    bool insideCommand = false;
    std::vector<std::pair<MediaPlayer::NotifyResult, quint64>> seen;
};

using R = MediaPlayer::NotifyResult;

} // namespace

TEST(MediaPlayer, EveryPlayEndsInExactlyOneNoticeAfterItsCommandReturned) {
    TempFolder dir;
    const QString file =
        dir.write(QStringLiteral("beep.wav"),
                  SoundFiles::wav(kRate, 1, 16, kRate / 20, [](qint64 f, int) { return rampSample(f); }));
    AudioEngine engine(AudioEngine::Output::Manual);
    MediaPlayer player(engine);
    Notices notices(player);
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::NotReady);
    player.setFileName(file);
    ASSERT_TRUE(player.open()) << player.errorText().toStdString();
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::Stopped);
    EXPECT_EQ(player.length(), 50);
    EXPECT_EQ(player.deviceType(), QStringLiteral("wav"));

    // Runs to its end.
    notices.insideCommand = true;
    ASSERT_TRUE(player.play());
    notices.insideCommand = false;
    const quint64 first = player.lastPlayId();
    run(engine, 100);
    ASSERT_EQ(notices.seen.size(), 1u);
    EXPECT_EQ(notices.seen[0], std::make_pair(R::Successful, first));
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::Stopped);
    EXPECT_EQ(player.positionFrames(), kRate / 20);

    // Played again at the end: over at once, still one notice.
    notices.insideCommand = true;
    ASSERT_TRUE(player.play());
    notices.insideCommand = false;
    QCoreApplication::processEvents();
    ASSERT_EQ(notices.seen.size(), 2u);
    EXPECT_EQ(notices.seen[1].first, R::Successful);

    // Superseded by a second play, which stop() then aborts; nothing else follows.
    notices.seen.clear();
    notices.insideCommand = true;
    ASSERT_TRUE(player.open());
    player.play();
    const quint64 a = player.lastPlayId();
    player.play();
    const quint64 b = player.lastPlayId();
    EXPECT_TRUE(player.stop());
    EXPECT_FALSE(player.stop());
    notices.insideCommand = false;
    run(engine, 100);
    ASSERT_EQ(notices.seen.size(), 2u);
    EXPECT_EQ(notices.seen[0], std::make_pair(R::Superseded, a));
    EXPECT_EQ(notices.seen[1], std::make_pair(R::Aborted, b));

    // Closing or reopening a playing sound aborts it.
    notices.seen.clear();
    player.play();
    player.close();
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::NotReady);
    player.close(); // nothing open: nothing happens
    ASSERT_TRUE(player.open());
    player.play();
    ASSERT_TRUE(player.open());
    run(engine, 20);
    ASSERT_EQ(notices.seen.size(), 2u);
    EXPECT_EQ(notices.seen[0].first, R::Aborted);
    EXPECT_EQ(notices.seen[1].first, R::Aborted);
    EXPECT_FALSE(player.stop());
}

TEST(MediaPlayer, DestroyedPlayerReceivesNoNotice) {
    TempFolder dir;
    const QString file =
        dir.write(QStringLiteral("beep.wav"),
                  SoundFiles::wav(kRate, 1, 16, kRate, [](qint64 f, int) { return rampSample(f); }));
    AudioEngine engine(AudioEngine::Output::Manual);
    int notices = 0;
    QObject context;
    {
        MediaPlayer player(engine);
        QObject::connect(&player, &MediaPlayer::notified, &context, [&] { ++notices; });
        player.setFileName(file);
        ASSERT_TRUE(player.open());
        player.play();
        run(engine, 20);
        player.stop(); // posts an aborted notice, then the player goes
    }
    run(engine, 50);
    EXPECT_EQ(notices, 0);
}

TEST(MediaPlayer, FailedOpenSaysWhyAndLeavesNothingToPlay) {
    TempFolder dir;
    AudioEngine engine(AudioEngine::Output::Manual);
    MediaPlayer player(engine);
    const QString bad =
        dir.write(QStringLiteral("bad.mid"), QByteArray("MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0\1\0", 22));
    player.setFileName(bad);
    EXPECT_FALSE(player.open());
    EXPECT_TRUE(player.errorText().startsWith(QStringLiteral("Cannot open ") + bad))
        << player.errorText().toStdString();
    EXPECT_TRUE(player.errorText().contains(QLatin1String("claims 256 bytes")));
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::NotReady);
    EXPECT_FALSE(player.play());

    engine.setSoundFontPlaces({dir.file(QStringLiteral("no-such-font.sf2"))});
    const QString tune = dir.file(QStringLiteral("tune.mid"));
    ASSERT_TRUE(DemoMedia::writeTune(tune, {{60, 240}}, 0));
    player.setFileName(tune);
    EXPECT_FALSE(player.open());
    EXPECT_TRUE(player.errorText().contains(QLatin1String("apt install timgm6mb-soundfont")));
}

// Stop and play again continue from the very next frame: nothing skipped, nothing repeated.
TEST(MediaPlayer, StopAndResumeContinueFromTheSameSample) {
    TempFolder dir;
    const qint64 frames = kRate / 2;
    const QString file =
        dir.write(QStringLiteral("ramp.wav"),
                  SoundFiles::wav(kRate, 1, 16, frames, [](qint64 f, int) { return rampSample(f); }));
    AudioEngine engine(AudioEngine::Output::Manual);
    Recorder tap;
    engine.setTap(&tap);
    MediaPlayer player(engine);
    player.setFileName(file);
    ASSERT_TRUE(player.open());
    player.play();
    run(engine, 120);
    const qint64 atStop = player.positionFrames();
    player.stop();
    run(engine, 30);
    const qint64 kept = player.positionFrames();
    // Only the frames of the fade-out are taken after the stop; the next one is the first unheard.
    EXPECT_GT(kept, atStop);
    EXPECT_LE(kept - atStop, kRate * AudioMixer::kFadeMilliseconds / 1000);
    run(engine, 100); // stopped: the position stays
    EXPECT_EQ(player.positionFrames(), kept);
    player.play();
    run(engine, 100);
    player.stop();
    player.play(); // resumed in the middle of the fade-out
    run(engine, 600);
    EXPECT_EQ(player.positionFrames(), frames);

    qint64 next = 0;
    for (const Recorder::Block& b : tap.blocks[player.channel()]) {
        EXPECT_EQ(b.position, next);
        next = b.position + b.count;
    }
    EXPECT_EQ(next, frames);
    const std::vector<float>& got = tap.samples[player.channel()];
    ASSERT_EQ(qint64(got.size()), 2 * frames);
    for (qint64 f = 0; f < frames; f += 97)
        ASSERT_NEAR(got[size_t(2 * f)], std::lround(rampSample(f) * 32767) / 32768.0, 1e-4) << f;
}

// Start, stop, resume and close ramp the gain: no jump in the output is larger than the tone's
// own steepest step.
TEST(MediaPlayer, StartStopResumeAndCloseDoNotClick) {
    TempFolder dir;
    const QString file =
        dir.write(QStringLiteral("tone.wav"), SoundFiles::wav(kRate, 1, 16, kRate, [](qint64 f, int) {
                      return 0.8 * std::sin(2 * M_PI * 440 * double(f) / kRate);
                  }));
    AudioEngine engine(AudioEngine::Output::Manual);
    Recorder tap;
    engine.setTap(&tap);
    MediaPlayer player(engine);
    player.setFileName(file);
    ASSERT_TRUE(player.open());
    player.play();
    run(engine, 103);
    player.stop();
    run(engine, 50);
    player.play();
    run(engine, 77);
    player.close();
    run(engine, 50);
    const double steepest = 0.8 * 2 * M_PI * 440 / kRate; // about 0.05
    double largest = 0;
    float previous = 0;
    for (size_t i = 0; i < tap.output.size(); i += 2) {
        largest = std::max(largest, double(std::abs(tap.output[i] - previous)));
        previous = tap.output[i];
    }
    EXPECT_LT(largest, steepest * 1.05);
    EXPECT_GT(largest, steepest * 0.5); // the tone was heard at all
    EXPECT_EQ(previous, 0.0f);
}

// Sounds at other rates and channel counts keep their pitch and their length.
TEST(MediaPlayer, OtherRatesAndChannelCountsPlayAtTheRightPitchAndSpeed) {
    TempFolder dir;
    struct Case {
        int rate, channels;
    };
    for (const Case c : {Case{22050, 1}, Case{48000, 2}, Case{8000, 6}, Case{96000, 1}}) {
        const QString file =
            dir.write(QStringLiteral("t%1.wav").arg(c.rate),
                      SoundFiles::wav(c.rate, c.channels, 16, c.rate / 2, [&](qint64 f, int) {
                          return 0.5 * std::sin(2 * M_PI * 1000 * double(f) / c.rate);
                      }));
        AudioEngine engine(AudioEngine::Output::Manual);
        Recorder tap;
        engine.setTap(&tap);
        MediaPlayer player(engine);
        player.setFileName(file);
        ASSERT_TRUE(player.open()) << player.errorText().toStdString();
        EXPECT_EQ(player.length(), 500);
        player.play();
        run(engine, 700);
        const std::vector<float>& s = tap.samples[player.channel()];
        EXPECT_NEAR(double(s.size() / 2), kRate / 2.0, 1.0) << c.rate;
        int crossings = 0;
        for (size_t i = 2; i < s.size(); i += 2) {
            if ((s[i - 2] < 0) != (s[i] < 0))
                ++crossings;
            ASSERT_EQ(s[i], s[i + 1]) << "both sides carry the first channel's sine";
        }
        EXPECT_NEAR(crossings, 1000, 3) << c.rate; // 1000 Hz for half a second
    }
}

TEST(MediaPlayer, MidiPlaysForItsTempoMapLengthAndResumesExactly) {
    TempFolder dir;
    const QString tune = dir.file(QStringLiteral("tune.mid"));
    ASSERT_TRUE(DemoMedia::writeTune(tune, {{60, 480}, {64, 480}, {67, 240}}, 0, 400000)); // 1 s
    AudioEngine engine(AudioEngine::Output::Manual);
    ASSERT_FALSE(engine.soundFont().isEmpty()) << "the GM soundfont is not installed";
    Recorder tap;
    engine.setTap(&tap);
    MediaPlayer player(engine);
    Notices notices(player);
    player.setFileName(tune);
    ASSERT_TRUE(player.open()) << player.errorText().toStdString();
    EXPECT_EQ(player.deviceType(), QStringLiteral("midi"));
    EXPECT_EQ(player.length(), 1000);
    player.play();
    run(engine, 300);
    player.stop();
    run(engine, 200);
    player.play();
    run(engine, 1200);
    ASSERT_EQ(notices.seen.size(), 2u);
    EXPECT_EQ(notices.seen[0].first, R::Aborted);
    EXPECT_EQ(notices.seen[1].first, R::Successful);
    EXPECT_EQ(player.positionFrames(), kRate); // exactly one second of frames

    qint64 next = 0;
    double energy = 0;
    for (const Recorder::Block& b : tap.blocks[player.channel()]) {
        EXPECT_EQ(b.position, next);
        next = b.position + b.count;
    }
    for (float v : tap.samples[player.channel()])
        energy += double(v) * v;
    EXPECT_GT(energy, 1.0); // the notes were synthesized

    // Type 2: the patterns play one after another, each at its own tempo, and end on time.
    SoundFiles::SmfTrack first, second;
    first.tempo(250000).program(0, 0).noteOn(0, 60).wait(480).running(60, 0).end();   // 250 ms
    second.tempo(1000000).program(0, 0).noteOn(0, 72).wait(240).running(72, 0).end(); // 500 ms
    player.setFileName(dir.write(QStringLiteral("patterns.mid"), SoundFiles::smf(2, 480, {first, second})));
    ASSERT_TRUE(player.open()) << player.errorText().toStdString();
    EXPECT_EQ(player.length(), 750);
    tap.samples.clear();
    player.play();
    run(engine, 1000);
    EXPECT_EQ(player.positionFrames(), kRate * 3 / 4);
    const std::vector<float>& patterns = tap.samples[player.channel()];
    auto loudness = [&patterns](int fromMs, int toMs) {
        double e = 0;
        for (size_t i = size_t(2 * kRate / 1000 * fromMs); i < size_t(2 * kRate / 1000 * toMs); ++i)
            e += double(patterns[i]) * patterns[i];
        return e;
    };
    EXPECT_GT(loudness(0, 250), 0.1);   // the first pattern
    EXPECT_GT(loudness(300, 700), 0.1); // the second

    // RIFF-wrapped, the same music plays the same way.
    const QString wrapped = dir.write(QStringLiteral("tune.rmi"), SoundFiles::rmid(TempFolder::read(tune)));
    player.setFileName(wrapped);
    ASSERT_TRUE(player.open()) << player.errorText().toStdString();
    EXPECT_EQ(player.length(), 1000);
}

// The real output: SDL on its dummy driver pulls the mixer on its own thread.
TEST(MediaPlayer, PlaysThroughSdlOnTheDummyDriver) {
    qputenv("SDL_AUDIODRIVER", "dummy");
    TempFolder dir;
    const QString file = dir.file(QStringLiteral("tone.wav"));
    ASSERT_TRUE(DemoMedia::writeTone(file, 660, 150, 22050));
    AudioEngine engine(AudioEngine::Output::Device);
    qunsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(engine.driverName(), QStringLiteral("dummy")) << engine.outputError().toStdString();
    MediaPlayer player(engine);
    QSignalSpy spy(&player, &MediaPlayer::notified);
    player.setFileName(file);
    ASSERT_TRUE(player.open());
    ASSERT_TRUE(player.play());
    EXPECT_EQ(spy.count(), 0);
    ASSERT_TRUE(spy.wait(10000));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].value<MediaPlayer::NotifyResult>(), R::Successful);
    EXPECT_NEAR(double(player.position()), 150.0, 1.0);
}

TEST(MediaPlayer, AnIdleOutputClosesAndOpensAgainForTheNextPlay) {
    qputenv("SDL_AUDIODRIVER", "dummy");
    TempFolder dir;
    const QString file = dir.file(QStringLiteral("tone.wav"));
    ASSERT_TRUE(DemoMedia::writeTone(file, 660, 60, 22050));
    AudioEngine engine(AudioEngine::Output::Device);
    qunsetenv("SDL_AUDIODRIVER");
    engine.setIdleCheckInterval(20);
    MediaPlayer player(engine);
    player.setFileName(file);
    ASSERT_TRUE(player.open());
    ASSERT_TRUE(player.play());
    EXPECT_TRUE(engine.isOutputOpen());
    QSignalSpy spy(&player, &MediaPlayer::notified);
    ASSERT_TRUE(spy.wait(10000));
    // Silent now: after two silent checks the output is closed, and its thread with it.
    for (int waited = 0; waited < 5000 && engine.isOutputOpen(); waited += 10)
        QTest::qWait(10);
    EXPECT_FALSE(engine.isOutputOpen());

    // The next play opens it again and is heard to its end.
    player.close();
    ASSERT_TRUE(player.open());
    ASSERT_TRUE(player.play());
    EXPECT_TRUE(engine.isOutputOpen());
    ASSERT_TRUE(spy.wait(10000));
    EXPECT_EQ(spy.last()[0].value<MediaPlayer::NotifyResult>(), R::Successful);
    EXPECT_NEAR(double(player.position()), 60.0, 1.0);
}
