#include "FakeShowHost.h"
#include "ILSpecAd.h"
#include "ImageCache.h"
#include "PictureWidget.h"
#include "TempFolder.h"
#include "TransitionEffects.h"
#include "audio/AudioEngine.h"
#include "uShow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// An effect canvas whose clock runs a frame ahead at each step, so transitions take no time.
class InstantCanvas : public TransitionCanvas {
public:
    QImage& surface() override { return surface_; }
    void flush(const QRect&) override {}
    qint64 elapsedMs() override { return now_; }
    void nextFrame() override { now_ += 100; }

private:
    QImage surface_;
    qint64 now_ = 0;
};

class ShowWindow : public ::testing::Test {
protected:
    ShowWindow() : engine(AudioEngine::Output::Manual) {}

    // n slides with pictures of different colours; slide i of the show is pictures[i].
    void makeSlides(int n) {
        for (int i = 0; i < n; ++i) {
            QImage image(40 + i, 30, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 60 % 360, 200, 200));
            const QString path = dir.file(QStringLiteral("slide%1.png").arg(i));
            image.save(path);
            host.doc.addSlide(path, QString(), QStringLiteral("Caption %1").arg(i), 0);
        }
        host.effects = false;
    }

    TfmShow& start() {
        show = std::make_unique<TfmShow>(host, engine);
        show->Edge->setCanvasFactory(
            [](PictureWidget&, const QImage&) { return std::make_unique<InstantCanvas>(); });
        show->startShow();
        return *show;
    }

    TempFolder dir;
    FakeShowHost host;
    AudioEngine engine;
    std::unique_ptr<TfmShow> show;
};

TEST_F(ShowWindow, StatusOverALoopingShowAndTheSlidesOwnTimes) {
    makeSlides(3);
    host.doc.timings[1] = QStringLiteral("2500");
    host.delay = 7;
    TfmShow& w = start();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(host.editorVisible);
    EXPECT_EQ(w.statusText(0), "Playing");
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 3");
    EXPECT_EQ(w.statusText(2), "slide0.png");
    EXPECT_TRUE(w.ShowTimer->isActive());
    EXPECT_EQ(w.ShowTimer->interval(), 7000) << "\"0\" is the default delay";
    EXPECT_EQ(w.pnCaption->text(), "Caption 0");

    QStringList seen;
    for (int step = 0; step < 4; ++step) {
        w.ShowTimerTimer();
        seen << w.statusText(1);
        if (step == 0) {
            EXPECT_EQ(w.ShowTimer->interval(), 2500);
        }
    }
    EXPECT_EQ(seen, QStringList({"Slide: 2 of 3", "Slide: 3 of 3", "Slide: 1 of 3", "Slide: 2 of 3"}));
    EXPECT_EQ(w.jpgImage->picture().raster().size(), w.ImageScroll->viewport()->size());
    EXPECT_EQ(host.editorShown, 0);
}

TEST_F(ShowWindow, TheTimerAdvancesTheShowOnItsOwn) {
    makeSlides(2);
    host.doc.timings[0] = QStringLiteral("30");
    TfmShow& w = start();
    for (int waited = 0; waited < 5000 && w.statusText(1) != "Slide: 2 of 2"; waited += 10)
        QTest::qWait(10);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 2");
    EXPECT_EQ(w.ShowTimer->interval(), 10000);
}

TEST_F(ShowWindow, WithoutLoopTheShowEndsInTheEditorOnItsFirstSlide) {
    makeSlides(3);
    host.looping = false;
    TfmShow& w = start();
    w.ShowTimerTimer();
    w.ShowTimerTimer();
    EXPECT_TRUE(w.isVisible());
    w.ShowTimerTimer();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.ShowTimer->isActive());
    EXPECT_TRUE(host.editorVisible);
    EXPECT_EQ(host.firstSlideSelected, 1);
    ASSERT_EQ(host.previews.size(), 1);
    EXPECT_EQ(host.previews[0], qMakePair(host.doc.imagePaths[0], 0));
    EXPECT_EQ(w.NextSlide, 0);
}

TEST_F(ShowWindow, BackFromTheFirstSlideShowsTheLastAndKeysMoveTheShow) {
    makeSlides(3);
    host.looping = false;
    TfmShow& w = start();
    QTest::keyClick(&w, Qt::Key_B);
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 3") << "from the first slide to the last, loop or not";
    EXPECT_TRUE(w.ShowTimer->isActive()) << "Back keeps the running show running";
    QTest::keyClick(&w, Qt::Key_B);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    QTest::keyClick(&w, Qt::Key_Space);
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 3");
    QTest::keyClick(&w, Qt::Key_N);
    EXPECT_FALSE(w.isVisible()) << "Next on the last slide without loop ends the show";
    EXPECT_FALSE(w.ShowTimer->isActive()) << "and the hidden window's timer stays off";
}

TEST_F(ShowWindow, AKeyPressedDuringATransitionWaitsForTheSlideToBeOnScreen) {
    makeSlides(3);
    host.effects = true;
    TfmShow& w = start();
    QCoreApplication::postEvent(
        &w, new QKeyEvent(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, QStringLiteral("n")));
    w.Next1Click(); // its transition lets pending window messages through once
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    EXPECT_EQ(w.NextSlide, 2);
    for (int i = 0; i < 20 && w.statusText(1) != "Slide: 3 of 3"; ++i)
        QTest::qWait(5);
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 3") << "then the key is handled";
}

TEST_F(ShowWindow, AOneSlideShowShowsItsSlideAgainOnBack) {
    makeSlides(1);
    TfmShow& w = start();
    w.Back1Click();
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 1");
    EXPECT_EQ(w.NextSlide, 1);
}

TEST_F(ShowWindow, StartingPausedWaitsThenPResumesAtOnce) {
    makeSlides(3);
    host.advance = false;
    TfmShow& w = start();
    EXPECT_EQ(w.statusText(0), "Paused");
    EXPECT_TRUE(w.btPause->isChecked());
    EXPECT_FALSE(w.ShowTimer->isActive()) << "the first slide waits for the user";
    w.popSlideMenuPopup();
    EXPECT_TRUE(w.Resume1->isEnabled());
    EXPECT_FALSE(w.Pause1->isEnabled());

    QTest::keyClick(&w, Qt::Key_P);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3") << "resuming shows the next slide at once";
    EXPECT_EQ(w.statusText(0), "Playing");
    EXPECT_TRUE(w.ShowTimer->isActive());
    EXPECT_TRUE(host.advance);

    // Pausing by the button leaves "Automatic Advance" off in the editor and the show modified.
    host.doc.setModified(false);
    QTest::mouseClick(w.btPause, Qt::LeftButton);
    EXPECT_TRUE(w.btPause->isChecked());
    EXPECT_FALSE(w.ShowTimer->isActive());
    EXPECT_FALSE(host.advance);
    EXPECT_TRUE(host.doc.isModified());
    EXPECT_EQ(w.statusText(0), "Paused");
    w.Next1Click();
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 3");
    EXPECT_FALSE(w.ShowTimer->isActive()) << "Next while paused stays paused";
}

TEST_F(ShowWindow, EscLeavesTheEditorAsItWasAndStopSelectsTheFirstSlide) {
    makeSlides(3);
    TfmShow& w = start();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(host.editorVisible);
    EXPECT_EQ(host.firstSlideSelected, 0);
    EXPECT_TRUE(host.previews.isEmpty());
    EXPECT_FALSE(w.ShowTimer->isActive());

    w.startShow();
    QTest::mouseClick(w.btStop, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(host.firstSlideSelected, 1);
    EXPECT_EQ(host.previews.size(), 1);

    w.startShow();
    w.StopShow1Click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(host.firstSlideSelected, 2);
    EXPECT_EQ(host.previews.size(), 2);
}

TEST_F(ShowWindow, CaptionsOfBlanksAndTheCaptionCommand) {
    makeSlides(2);
    host.doc.captions[0] = QStringLiteral("   ");
    TfmShow& w = start();
    EXPECT_TRUE(w.pnCaption->isHidden()) << "a caption of blanks shows no caption bar";
    w.popSlideMenuPopup();
    EXPECT_EQ(w.HideCaption1->text(), "&Hide Caption");
    w.HideCaption1Click();
    EXPECT_FALSE(host.captions);
    EXPECT_EQ(w.HideCaption1->text(), "Show &Caption");
    w.HideCaption1Click();
    EXPECT_TRUE(host.captions);
    EXPECT_FALSE(w.pnCaption->isHidden()) << "shown, even empty";
    EXPECT_EQ(w.pnCaption->text(), "");
    EXPECT_LT(w.pnCaption->y(), w.pnBottom->y()) << "the button bar stays below the caption bar";

    host.captions = false;
    w.Next1Click();
    EXPECT_TRUE(w.pnCaption->isHidden());
    EXPECT_EQ(w.pnCaption->text(), "Caption 1") << "the text is set all the same";
}

TEST_F(ShowWindow, AnUnreadableSlideShowsItsPanelAndTheShowGoesOn) {
    makeSlides(5);
    const QString bad = dir.write("b.jpg", "this is not a picture");
    host.doc.imagePaths[1] = bad;
    TfmShow& w = start();
    const QImage first = w.jpgImage->picture().raster();
    w.Next1Click();
    EXPECT_FALSE(w.pnNoPicFound->isHidden());
    EXPECT_EQ(w.pnNoPicFound->text(), "Cannot read: " + bad);
    EXPECT_EQ(w.statusText(0), "Slide: 2 of 5");
    EXPECT_EQ(w.statusText(1), "***");
    EXPECT_EQ(w.statusText(2), "b.jpg");
    EXPECT_EQ(w.jpgImage->picture().raster(), first) << "the previous slide stays behind the panel";
    EXPECT_EQ(w.NextSlide, 2);
    EXPECT_GE(host.shownMessages.shown.size(), 1) << "the decoder said why";
    w.Next1Click();
    EXPECT_TRUE(w.pnNoPicFound->isHidden());
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 5");
}

TEST_F(ShowWindow, ADamagedTimeIsReportedOnceAndTheDefaultDelayUsed) {
    makeSlides(2);
    host.doc.timings[0] = QStringLiteral("2.5s");
    host.delay = 4;
    TfmShow& w = start();
    EXPECT_EQ(host.shownMessages.texts(), QStringList({"'2.5s' is not a valid integer value"}));
    EXPECT_EQ(w.ShowTimer->interval(), 4000);
    EXPECT_EQ(w.NextSlide, 1) << "the show moves on";
    w.Next1Click();
    w.Next1Click();
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 2");
    EXPECT_EQ(host.shownMessages.shown.size(), 1);
}

TEST_F(ShowWindow, CaptionBackgroundAndEffectRotation) {
    makeSlides(2);
    host.caption = QStringLiteral("Orvanne - Holiday");
    host.doc.setSettingsLine(1, QStringLiteral("255"));
    host.effects = true;
    TfmShow& w = start();
    EXPECT_EQ(w.windowTitle(), "SlideShow - Holiday");
    EXPECT_EQ(w.jpgImage->color(), QColor(255, 0, 0));
    QList<int> methods{w.Edge->FXMethod};
    for (int i = 0; i < 3; ++i) {
        w.Next1Click();
        methods << w.Edge->FXMethod;
    }
    EXPECT_EQ(methods, QList<int>({FXHorizontal, FXRectangles, FXVertical, FXHorizontal}));
    host.effects = false;
    w.Next1Click();
    EXPECT_EQ(w.EffectCounter, 0);
    host.effects = true;
    w.Next1Click();
    EXPECT_EQ(w.Edge->FXMethod, FXHorizontal) << "switching effects off and on restarts the rotation";

    host.doc.setSettingsLine(1, QStringLiteral("not a colour"));
    w.hide();
    w.startShow();
    EXPECT_EQ(w.jpgImage->color(), QColor(Qt::black));
}

TEST_F(ShowWindow, AClickOnThePictureIsNextAndTheNextSlideIsPrefetched) {
    makeSlides(3);
    TfmShow& w = start();
    EXPECT_TRUE(w.imageCache().holds(host.doc.imagePaths[1], w.ImageScroll->viewport()->size()));
    QTest::mouseClick(w.ImageScroll->viewport(), Qt::LeftButton);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    w.Next1Click();
    EXPECT_TRUE(w.imageCache().holds(host.doc.imagePaths[0], w.ImageScroll->viewport()->size()))
        << "after the last slide of a looping show comes the first";
}

TEST_F(ShowWindow, ThePointerHidesOverTheShowAndF11TogglesFullScreen) {
    makeSlides(2);
    show = std::make_unique<TfmShow>(host, engine);
    show->setPointerHideDelay(30);
    TfmShow& w = *show;
    w.startShow();
    EXPECT_NE(w.cursor().shape(), Qt::BlankCursor);
    for (int waited = 0; waited < 3000 && w.cursor().shape() != Qt::BlankCursor; waited += 10)
        QTest::qWait(10);
    EXPECT_EQ(w.cursor().shape(), Qt::BlankCursor);
    QTest::mouseMove(w.ImageScroll->viewport(), QPoint(20, 20));
    EXPECT_NE(w.cursor().shape(), Qt::BlankCursor) << "a movement brings the pointer back";

    QTest::keyClick(&w, Qt::Key_F11);
    EXPECT_TRUE(w.windowState() & Qt::WindowFullScreen);
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 2") << "nothing else changes";
    QTest::keyClick(&w, Qt::Key_F11);
    EXPECT_FALSE(w.windowState() & Qt::WindowFullScreen);
}

TEST_F(ShowWindow, MenuStatesFollowTheEditor) {
    makeSlides(1);
    TfmShow& w = start();
    w.popSlideMenuPopup();
    EXPECT_FALSE(w.MusicOn1->isEnabled()) << "no tracks";
    EXPECT_EQ(w.MusicOn1->text(), "&Music Off");
    host.doc.musicTracks << dir.file("t.mid");
    host.music = false;
    w.popSlideMenuPopup();
    EXPECT_TRUE(w.MusicOn1->isEnabled());
    EXPECT_EQ(w.MusicOn1->text(), "&Music On");
    EXPECT_TRUE(w.Pause1->isEnabled());
    EXPECT_FALSE(w.Resume1->isEnabled());

    w.resize(500, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.pnButtons->x(), (w.pnBottom->width() - 145) / 2);
}

} // namespace
