#include "ShowLauncher.h"
#include "AccessibleNames.h"
#include "ChildWidget.h"
#include "FakeShowHost.h"
#include "MediaPlayer.h"
#include "MusicAdvisoryDialog.h"
#include "ShowAudio.h"
#include "ShowWindow.h"
#include "SoundFiles.h"
#include "TempFolder.h"
#include "audio/AudioEngine.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class ShowLauncherTest : public ::testing::Test {
protected:
    ShowLauncherTest()
        : engine(AudioEngine::Output::Manual), show(host, engine), launcher(host, show, advisory) {
        host.effects = false;
        advisory.setSelectTracks([this] {
            ++tracksAsked;
            host.doc.setMusicTracks({track("one.wav"), track("two.wav")});
        });
    }
    ~ShowLauncherTest() override {
        if (show.isVisible())
            show.stop();
    }

    void addSlides(int n) {
        for (int i = 0; i < n; ++i) {
            QImage image(32, 24, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            const QString path = dir.file(QStringLiteral("slide%1.png").arg(i));
            image.save(path);
            host.doc.addSlide(path, QString(), QString(), 0);
        }
    }
    QString track(const char* name) {
        return dir.write(QLatin1String(name),
                         SoundFiles::wav(8000, 1, 16, 8000, [](qint64, int) { return 0.1; }));
    }

    // Begins the show; when the advisory comes up, the user clicks button on it.
    void begin(const char* button = "continueButton") {
        QTimer::singleShot(0, &advisory, [this, button] {
            if (!advisory.isVisible())
                return;
            ++advisoriesShown;
            child<QPushButton>(&advisory, button).click();
        });
        launcher.beginShow();
        QApplication::processEvents();
    }

    MediaPlayer& music() { return show.audio().musicPlayer(); }

    TempFolder dir;
    FakeShowHost host;
    AudioEngine engine;
    ShowWindow show;
    MusicAdvisoryDialog advisory;
    ShowLauncher launcher;
    int advisoriesShown = 0;
    int tracksAsked = 0;
};

TEST_F(ShowLauncherTest, WithoutSlidesNothingStarts) {
    begin();
    ASSERT_EQ(host.shownMessages.shown.size(), 1);
    EXPECT_EQ(host.shownMessages.shown[0].text, "No Images Selected!");
    EXPECT_EQ(host.shownMessages.shown[0].kind, MessageKind::Plain);
    EXPECT_EQ(host.shownMessages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(advisoriesShown, 0);
    EXPECT_FALSE(show.isVisible());
    EXPECT_TRUE(host.editorVisible);
}

TEST_F(ShowLauncherTest, MusicWithoutTracksAsksEveryTimeAndContinuingPlaysNoMusic) {
    addSlides(2);
    begin("continueButton");
    EXPECT_EQ(advisoriesShown, 1);
    EXPECT_TRUE(show.isVisible());
    EXPECT_FALSE(host.editorVisible);
    EXPECT_EQ(show.statusText(1), "Slide: 1 of 2");
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::NotReady);
    show.stop();

    begin("continueButton");
    EXPECT_EQ(advisoriesShown, 2) << "asked again at the next start";
    EXPECT_EQ(tracksAsked, 0);
}

TEST_F(ShowLauncherTest, TracksPickedFromTheAdvisoryPlayFromTheFirst) {
    addSlides(1);
    begin("selectMusicButton");
    EXPECT_EQ(advisoriesShown, 1);
    EXPECT_EQ(tracksAsked, 1);
    EXPECT_FALSE(advisory.isVisible());
    EXPECT_TRUE(show.isVisible());
    EXPECT_EQ(music().fileName(), host.doc.musicTracks()[0]);
    EXPECT_EQ(music().mode(), MediaPlayer::Mode::Playing);
}

TEST_F(ShowLauncherTest, MusicOffAsksNothingAndPlaysNothing) {
    addSlides(1);
    host.doc.setMusicTracks({track("one.wav")});
    host.music = false;
    begin();
    EXPECT_EQ(advisoriesShown, 0);
    EXPECT_TRUE(show.isVisible());
    EXPECT_NE(music().mode(), MediaPlayer::Mode::Playing);
}

TEST_F(ShowLauncherTest, TheShowWindowTakesTheEditorsViewOptions) {
    addSlides(2);
    host.music = false;
    host.statusBar = false;
    host.controlButtons = false;
    host.advance = false;
    begin();
    EXPECT_FALSE(child<QStatusBar>(&show, "statusBar").isVisible());
    EXPECT_FALSE(child<QWidget>(&show, "controlBar").isVisible());
    EXPECT_TRUE(child<QToolButton>(&show, "pauseButton").isChecked()) << "automatic advance off";
    EXPECT_FALSE(child<QTimer>(&show, "advanceTimer").isActive());
    EXPECT_EQ(show.statusText(1), "Slide: 1 of 2");
}

TEST(MusicAdvisoryDialog, SaysItsThreeLinesAndClosesWithoutAResult) {
    MusicAdvisoryDialog advisory;
    int asked = 0;
    advisory.setSelectTracks([&] {
        EXPECT_FALSE(advisory.isVisible()) << "hidden while the tracks are picked";
        ++asked;
    });
    EXPECT_EQ(advisory.windowTitle(), "Advisory");
    EXPECT_EQ(child<QLabel>(&advisory, "adviceLabel").text(),
              "Music tracks have been enabled, but no music tracks have\n"
              "been selected.  You may select tracks now, or continue without\n"
              "musical effects.");
    EXPECT_EQ(child<QPushButton>(&advisory, "selectMusicButton").text(), "Select &Music Tracks");
    EXPECT_EQ(child<QPushButton>(&advisory, "continueButton").text(), "&Continue without Music");

    // Esc closes it as "Continue without Music" does.
    QTimer::singleShot(0, &advisory, [&] {
        EXPECT_EQ(unnamedControls(advisory), QStringList());
        QTest::keyClick(&advisory, Qt::Key_Escape);
    });
    advisory.ask();
    EXPECT_FALSE(advisory.isVisible());
    EXPECT_EQ(asked, 0);
    QTimer::singleShot(0, &advisory, [&] { child<QPushButton>(&advisory, "selectMusicButton").click(); });
    advisory.ask();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(advisory.isVisible());
}

} // namespace
