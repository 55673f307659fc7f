#include "ShowAudio.h"
#include "BackgroundShow.h"
#include "FakeShowHost.h"
#include "MediaPlayer.h"
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
constexpr int kBlock = kRate / 100; // 10 ms

struct ChannelTap : MixTap {
    void channelRendered(int channel, qint64 position, const float*, int count) override {
        blocks[channel].push_back({position, count});
    }
    void mixed(const float* frames, int count) override {
        for (int i = 0; i < 2 * count; ++i)
            peak = std::max(peak, std::abs(frames[i]));
    }
    qint64 framesOf(int channel) const {
        qint64 n = 0;
        if (auto it = blocks.find(channel); it != blocks.end())
            for (const auto& b : it->second)
                n += b.second;
        return n;
    }
    std::map<int, std::vector<std::pair<qint64, int>>> blocks;
    float peak = 0;
};

class ShowAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.setTap(&tap);
        audio = std::make_unique<ShowAudio>(host, engine);
    }

    // A mono tone; each file gets its own pitch so that mixing mistakes would show.
    QString tone(const QString& name, int ms, double hz = 440) {
        return dir.write(name, SoundFiles::wav(kRate, 1, 16, qint64(kRate) * ms / 1000, [hz](qint64 f, int) {
                             return 0.4 * std::sin(2 * M_PI * hz * double(f) / kRate);
                         }));
    }

    // Plays ms of the show in 10 ms blocks, letting notices through between blocks.
    void run(int ms) {
        for (int done = 0; done < ms; done += 10) {
            engine.pull(kBlock);
            QCoreApplication::processEvents();
        }
    }

    MediaPlayer& music() { return audio->musicPlayer(); }
    MediaPlayer& sound() { return audio->soundPlayer(); }

    // Every frame the music channel rendered follows the one before: nothing skipped or repeated.
    void expectMusicContiguous() {
        qint64 next = -1;
        for (const auto& [position, count] : tap.blocks[music().channel()]) {
            if (next >= 0 && position != 0) { // position 0: a new track started
                EXPECT_EQ(position, next);
            }
            next = position + count;
        }
    }

    AudioEngine engine{AudioEngine::Output::Manual};
    ChannelTap tap;
    FakeShowHost host;
    TempFolder dir;
    std::unique_ptr<ShowAudio> audio;
};

} // namespace

TEST_F(ShowAudioTest, TracksPlayInOrderRoundAndRound) {
    const QString a = tone(QStringLiteral("a.wav"), 60, 330);
    const QString b = tone(QStringLiteral("b.wav"), 90, 550);
    host.doc.setMusicTracks({a, b});
    ASSERT_TRUE(audio->startMusic());
    QStringList heard{music().fileName()};
    QList<int> indices{audio->trackIndex()};
    for (int i = 0; i < 60; ++i) {
        run(10);
        if (music().fileName() != heard.last()) {
            heard << music().fileName();
            indices << audio->trackIndex();
        }
    }
    ASSERT_GE(heard.size(), 5);
    for (int i = 0; i < heard.size(); ++i) {
        EXPECT_EQ(heard[i], i % 2 ? b : a) << i;
        EXPECT_EQ(indices[i], i % 2) << i;
    }
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Playing);
    EXPECT_TRUE(host.shownMessages.shown.isEmpty());
}

TEST_F(ShowAudioTest, SlideSoundHaltsTheMusicWhichThenContinuesFromTheSameSample) {
    host.doc.setMusicTracks({tone(QStringLiteral("music.wav"), 3000)});
    const QString ding = tone(QStringLiteral("ding.wav"), 200, 880);
    ASSERT_TRUE(audio->startMusic());
    run(300);
    const qint64 interrupted = music().positionFrames();
    audio->playSlideSound(ding);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Stopped);
    EXPECT_EQ(sound().mode(), MediaPlayer::Mode::Playing);
    run(30); // the music's fade-out
    const qint64 kept = music().positionFrames();
    EXPECT_LE(kept - interrupted, kRate * AudioMixer::kFadeMilliseconds / 1000);
    const qint64 musicBefore = tap.framesOf(music().channel());
    run(150);
    EXPECT_EQ(music().positionFrames(), kept); // silent while the sound plays
    EXPECT_EQ(tap.framesOf(music().channel()), musicBefore);
    run(150);
    EXPECT_EQ(sound().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Playing);
    EXPECT_GT(music().positionFrames(), kept);
    expectMusicContiguous();
    EXPECT_EQ(tap.framesOf(sound().channel()), kRate / 5);
}

TEST_F(ShowAudioTest, MovingOnCutsTheSoundOffAndTheMusicContinues) {
    host.doc.setMusicTracks({tone(QStringLiteral("music.wav"), 5000)});
    const QString longSound = tone(QStringLiteral("long.wav"), 5000, 660);
    const QString shortSound = tone(QStringLiteral("short.wav"), 200, 990);
    ASSERT_TRUE(audio->startMusic());
    run(100);

    // Next slide without a sound: the cut sound's notice brings the music back.
    audio->playSlideSound(longSound);
    run(100);
    audio->cutSlideSound();
    EXPECT_EQ(sound().mode(), MediaPlayer::Mode::NotReady);
    run(20);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Playing);

    // Next slide with a sound of its own: the late notice of the cut one must not silence it.
    audio->playSlideSound(longSound);
    run(100);
    audio->cutSlideSound();
    audio->playSlideSound(shortSound);
    run(100);
    EXPECT_EQ(sound().mode(), MediaPlayer::Mode::Playing);
    EXPECT_EQ(sound().fileName(), shortSound);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Stopped);
    run(200);
    EXPECT_EQ(sound().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Playing);
    expectMusicContiguous();
}

TEST_F(ShowAudioTest, BlankOrMissingSoundNeitherPlaysNorInterrupts) {
    host.doc.setMusicTracks({tone(QStringLiteral("music.wav"), 2000)});
    ASSERT_TRUE(audio->startMusic());
    run(50);
    for (const QString& entry : {QString(), QStringLiteral(" "), dir.file(QStringLiteral("gone.wav"))}) {
        audio->playSlideSound(entry);
        EXPECT_TRUE(sound().fileName().isEmpty());
        run(50);
        EXPECT_EQ(music().mode(), MediaPlayer::Mode::Playing);
    }
    EXPECT_EQ(tap.framesOf(sound().channel()), 0);
    expectMusicContiguous();

    // A sound file that will not open: no message, the slide goes silent, the music waits.
    audio->playSlideSound(dir.write(QStringLiteral("broken.wav"), "RIFF nonsense"));
    EXPECT_EQ(sound().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Stopped);
    EXPECT_TRUE(host.shownMessages.shown.isEmpty());
}

TEST_F(ShowAudioTest, MusicOffUnchecksMusicAndLaterSlidesAreSilent) {
    host.doc.setMusicTracks(
        {tone(QStringLiteral("one.wav"), 2000), tone(QStringLiteral("two.wav"), 2000, 660)});
    const QString ding = tone(QStringLiteral("ding.wav"), 100, 880);
    ASSERT_TRUE(audio->startMusic());
    run(100);
    audio->setMusicOn(false);
    EXPECT_FALSE(host.musicEnabled());
    EXPECT_TRUE(host.doc.isModified());
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);

    // The advance step plays a slide's sound only while music is enabled.
    run(20);
    tap.peak = 0;
    for (int slide = 0; slide < 3; ++slide) {
        if (host.musicEnabled())
            audio->playSlideSound(ding);
        run(100);
    }
    EXPECT_EQ(tap.peak, 0.0f);

    // On again: the current track restarts from its beginning.
    audio->setTrackIndex(1);
    audio->setMusicOn(true);
    EXPECT_TRUE(host.musicEnabled());
    EXPECT_EQ(host.musicChanges, (QList<bool>{false, true}));
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Playing);
    EXPECT_EQ(music().fileName(), host.doc.musicTracks()[1]);
    EXPECT_EQ(music().positionFrames(), 0);
}

TEST_F(ShowAudioTest, TrackThatCannotBeOpenedIsReportedOnceAndMusicStaysOff) {
    const QString bad = dir.write(QStringLiteral("b.mid"), "not music at all");
    host.doc.setMusicTracks({tone(QStringLiteral("a.wav"), 50), bad});
    ASSERT_TRUE(audio->startMusic());
    for (int i = 0; i < 50; ++i)
        run(10);
    EXPECT_EQ(host.shownMessages.texts(),
              QStringList{QStringLiteral("Unable to play audio file: ") + bad +
                          QStringLiteral(". The file may be damaged or corrupted.")});
    EXPECT_EQ(host.shownMessages.shown.first().kind, MessageKind::Error);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(audio->trackIndex(), 1);
}

TEST_F(ShowAudioTest, FirstTrackFailingAtTheStartIsReportedAndTheShowGoesOnWithoutMusic) {
    const QString missing = dir.file(QStringLiteral("gone.mid"));
    host.doc.setMusicTracks({missing, tone(QStringLiteral("b.wav"), 100)});
    EXPECT_FALSE(audio->startMusic());
    EXPECT_EQ(host.shownMessages.texts(), QStringList{ShowAudio::unableToPlayText(missing)});
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
    const QString ding = tone(QStringLiteral("ding.wav"), 50, 880);
    audio->playSlideSound(ding); // slides still have their sounds
    EXPECT_EQ(sound().mode(), MediaPlayer::Mode::Playing);
    run(200);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(host.shownMessages.shown.size(), 1);

    // Music disabled, or no tracks: nothing starts and nothing is said.
    host.doc.setMusicTracks({tone(QStringLiteral("c.wav"), 100)});
    host.music = false;
    EXPECT_FALSE(audio->startMusic());
    host.music = true;
    host.doc.setMusicTracks({});
    EXPECT_FALSE(audio->startMusic());
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(host.shownMessages.shown.size(), 1);
}

TEST_F(ShowAudioTest, ClosingStopsEverything) {
    host.doc.setMusicTracks({tone(QStringLiteral("music.wav"), 2000)});
    ASSERT_TRUE(audio->startMusic());
    audio->playSlideSound(tone(QStringLiteral("ding.wav"), 1000, 880));
    run(50);
    audio->closeBoth();
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(sound().mode(), MediaPlayer::Mode::NotReady);
    run(50); // the aborted notice of the sound finds no music to resume
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
    tap.peak = 0;
    run(50);
    EXPECT_EQ(tap.peak, 0.0f);
}

TEST_F(ShowAudioTest, ATrackEndingJustBeforeTheShowStopsDoesNotRestartTheMusic) {
    host.doc.setMusicTracks({tone(QStringLiteral("a.wav"), 50), tone(QStringLiteral("b.wav"), 50, 550)});
    ASSERT_TRUE(audio->startMusic());
    // Play the first track to its end without letting its notice through, then stop the show.
    for (int i = 0; i < 10; ++i)
        engine.pull(kBlock);
    audio->closeBoth();
    QCoreApplication::processEvents();
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(audio->trackIndex(), 0);
}

TEST_F(ShowAudioTest, ASoundOfNoLengthIsRefusedRatherThanLoopedAtOnce) {
    const QString empty = dir.write(QStringLiteral("empty.wav"),
                                    SoundFiles::wav(kRate, 1, 16, 0, [](qint64, int) { return 0.0; }));
    host.doc.setMusicTracks({empty});
    EXPECT_FALSE(audio->startMusic());
    EXPECT_EQ(host.shownMessages.texts(), QStringList({ShowAudio::unableToPlayText(empty)}));
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
}

TEST_F(ShowAudioTest, MusicStillInTheShowFileStartsWhenItArrivesAndALostTrackIsTheShowsDamage) {
    const QByteArray track = SoundFiles::wav(kRate, 1, 16, kRate, [](qint64, int) { return 0.2; });
    QList<CjfEntry> entries = listFilesFor({"a.png"}, {}, {"one.wav", "two.wav"});
    entries += {{"a.png", "not looked at"}, {"one.wav", track}, {"two.wav", track}};
    QByteArray bytes = cjfFile(1.5f, entries);
    bytes.chop(100); // into the second track
    ScriptedMessages readerMessages;
    const BackgroundShow opened = openInBackground(dir, bytes, host.doc, readerMessages);
    const std::unique_ptr<ShowUnpack>& media = opened.media;
    ASSERT_TRUE(media);
    host.unpack = media.get();
    media->start(0); // only what is asked for comes

    EXPECT_TRUE(audio->startMusic()) << "the music is on its way";
    EXPECT_NE(music().mode(), MediaPlayer::Mode::Playing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return music().mode() == MediaPlayer::Mode::Playing; }, 5000));
    EXPECT_EQ(music().fileName(), opened.work + "/one.wav");
    EXPECT_TRUE(host.shownMessages.shown.isEmpty());

    // The second track is cut short in the file: when the music reaches it the show hears of
    // the damage instead of a message about an unplayable track.
    media->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return media->isFinished(); }, 5000));
    QSignalSpy lost(audio.get(), &ShowAudio::fileLost);
    run(1200);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_TRUE(host.shownMessages.shown.isEmpty());
    audio.reset();
}
