#include "ShowWindow.h"
#include "BackgroundShow.h"
#include "ChildWidget.h"
#include "ElidingLabel.h"
#include "FakeShowHost.h"
#include "ImageCache.h"
#include "PictureWidget.h"
#include "ShowTexts.h"
#include "TempFolder.h"
#include "TransitionEffects.h"
#include "TransitionHost.h"
#include "audio/AudioEngine.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class ShowWindowTest : public ::testing::Test {
protected:
    ShowWindowTest() : engine(AudioEngine::Output::Manual) {}

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

    ShowWindow& start() {
        show = std::make_unique<ShowWindow>(host, engine);
        show->startShow();
        return *show;
    }

    QTimer& timer() { return child<QTimer>(show.get(), "advanceTimer"); }
    ElidingLabel& caption() { return child<ElidingLabel>(show.get(), "captionLabel"); }
    PictureWidget& slideView() { return child<PictureWidget>(show.get(), "slideView"); }
    QWidget& viewport() { return *child<QScrollArea>(show.get(), "scrollArea").viewport(); }
    QAction& action(const char* name) { return child<QAction>(show.get(), name); }
    QToolButton& button(const char* name) { return child<QToolButton>(show.get(), name); }
    // Opens the pop-up menu as a right click would, and closes it again.
    void openMenu() {
        QMenu& menu = child<QMenu>(show.get(), "slideMenu");
        menu.popup(QPoint(0, 0));
        menu.hide();
    }

    TempFolder dir;
    FakeShowHost host;
    AudioEngine engine;
    std::unique_ptr<ShowWindow> show;
};

TEST_F(ShowWindowTest, StatusOverALoopingShowAndTheSlidesOwnTimes) {
    makeSlides(3);
    host.doc.setTiming(1, QStringLiteral("2500"));
    host.delay = 7;
    ShowWindow& w = start();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(host.editorVisible);
    EXPECT_EQ(w.statusText(0), "Playing");
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 3");
    EXPECT_EQ(w.statusText(2), "slide0.png");
    QApplication::processEvents();
    EXPECT_EQ(child<QLabel>(&w, "statusPanel3").text(), "slide0.png") << "the last panel reaches the edge";
    EXPECT_TRUE(timer().isActive());
    EXPECT_EQ(timer().interval(), 7000) << "\"0\" is the default delay";
    EXPECT_EQ(caption().fullText(), "Caption 0");

    QStringList seen;
    for (int step = 0; step < 4; ++step) {
        w.next();
        seen << w.statusText(1);
        if (step == 0) {
            EXPECT_EQ(timer().interval(), 2500);
        }
    }
    EXPECT_EQ(seen, QStringList({"Slide: 2 of 3", "Slide: 3 of 3", "Slide: 1 of 3", "Slide: 2 of 3"}));
    EXPECT_EQ(slideView().picture().raster().size(), viewport().size());
    EXPECT_EQ(host.editorShown, 0);
}

TEST_F(ShowWindowTest, TheTimerAdvancesTheShowOnItsOwn) {
    makeSlides(2);
    host.doc.setTiming(0, QStringLiteral("30"));
    ShowWindow& w = start();
    for (int waited = 0; waited < 5000 && w.statusText(1) != "Slide: 2 of 2"; waited += 10)
        QTest::qWait(10);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 2");
    EXPECT_EQ(timer().interval(), 10000);
}

TEST_F(ShowWindowTest, WithoutLoopTheShowEndsInTheEditorOnItsFirstSlide) {
    makeSlides(3);
    host.looping = false;
    ShowWindow& w = start();
    w.next();
    w.next();
    EXPECT_TRUE(w.isVisible());
    w.next();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(timer().isActive());
    EXPECT_TRUE(host.editorVisible);
    EXPECT_EQ(host.firstSlideSelected, 1);
    ASSERT_EQ(host.previews.size(), 1);
    EXPECT_EQ(host.previews[0], qMakePair(host.doc.imagePaths()[0], 0));
    EXPECT_EQ(w.controller().nextSlide(), 0);
}

TEST_F(ShowWindowTest, BackFromTheFirstSlideShowsTheLastAndKeysMoveTheShow) {
    makeSlides(3);
    host.looping = false;
    ShowWindow& w = start();
    QTest::keyClick(&w, Qt::Key_B);
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 3") << "from the first slide to the last, loop or not";
    EXPECT_TRUE(timer().isActive()) << "Back keeps the running show running";
    QTest::keyClick(&w, Qt::Key_B);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    QTest::keyClick(&w, Qt::Key_Space);
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 3");
    QTest::keyClick(&w, Qt::Key_N);
    EXPECT_FALSE(w.isVisible()) << "Next on the last slide without loop ends the show";
    EXPECT_FALSE(timer().isActive()) << "and the hidden window's timer stays off";
}

TEST_F(ShowWindowTest, ACommandDuringATransitionFinishesItAtOnceThenRuns) {
    makeSlides(3);
    host.effects = true;
    ShowWindow& w = start();
    ASSERT_TRUE(w.transitions().isRunning()) << "the first slide paints in while the program goes on";
    EXPECT_FALSE(timer().isActive()) << "its time has not started";

    // Everything that follows the key happens before control returns: no frame passes.
    QStringList events;
    QObject::connect(&w.transitions(), &TransitionHost::finished, [&] {
        events << QStringLiteral("slide %1 whole").arg(w.controller().currentSlide() + 1);
    });
    QObject::connect(&w.controller(), &ShowController::slideChanged,
                     [&](int index) { events << QStringLiteral("slide %1 starts").arg(index + 1); });
    QTest::keyClick(&w, Qt::Key_N);
    EXPECT_EQ(events, QStringList({"slide 1 whole", "slide 2 starts"}));
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    EXPECT_TRUE(w.transitions().isRunning()) << "slide 2 paints in";

    QSignalSpy whole(&w.transitions(), &TransitionHost::finished);
    ASSERT_TRUE(whole.wait(5000));
    EXPECT_TRUE(timer().isActive()) << "the slide's time starts when it is whole on screen";
    EXPECT_NEAR(timer().remainingTime(), 10000, 50) << "and it is the whole of its time";
}

TEST_F(ShowWindowTest, AOneSlideShowShowsItsSlideAgainOnBack) {
    makeSlides(1);
    ShowWindow& w = start();
    w.back();
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 1");
    EXPECT_EQ(w.controller().nextSlide(), 1);
}

TEST_F(ShowWindowTest, StartingPausedWaitsThenPResumesAtOnce) {
    makeSlides(3);
    host.advance = false;
    ShowWindow& w = start();
    EXPECT_EQ(w.statusText(0), "Paused");
    EXPECT_TRUE(button("pauseButton").isChecked());
    EXPECT_FALSE(timer().isActive()) << "the first slide waits for the user";
    openMenu();
    EXPECT_TRUE(action("resumeAction").isEnabled());
    EXPECT_FALSE(action("pauseAction").isEnabled());

    QTest::keyClick(&w, Qt::Key_P);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3") << "resuming shows the next slide at once";
    EXPECT_EQ(w.statusText(0), "Playing");
    EXPECT_TRUE(timer().isActive());
    EXPECT_TRUE(host.advance);

    // Pausing by the button leaves "Automatic Advance" off in the editor and the show modified.
    host.doc.setModified(false);
    QTest::mouseClick(&button("pauseButton"), Qt::LeftButton);
    EXPECT_TRUE(button("pauseButton").isChecked());
    EXPECT_FALSE(timer().isActive());
    EXPECT_FALSE(host.advance);
    EXPECT_TRUE(host.doc.isModified());
    EXPECT_EQ(w.statusText(0), "Paused");
    w.next();
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 3");
    EXPECT_FALSE(timer().isActive()) << "Next while paused stays paused";
}

TEST_F(ShowWindowTest, EscLeavesTheEditorAsItWasAndStopSelectsTheFirstSlide) {
    makeSlides(3);
    ShowWindow& w = start();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(host.editorVisible);
    EXPECT_EQ(host.firstSlideSelected, 0);
    EXPECT_TRUE(host.previews.isEmpty());
    EXPECT_FALSE(timer().isActive());

    w.startShow();
    QTest::mouseClick(&button("stopButton"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(host.firstSlideSelected, 1);
    EXPECT_EQ(host.previews.size(), 1);

    w.startShow();
    action("stopAction").trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(host.firstSlideSelected, 2);
    EXPECT_EQ(host.previews.size(), 2);
}

TEST_F(ShowWindowTest, CaptionsOfBlanksAndTheCaptionCommand) {
    makeSlides(2);
    host.doc.setCaption(0, QStringLiteral("   "));
    ShowWindow& w = start();
    EXPECT_TRUE(caption().isHidden()) << "a caption of blanks shows no caption bar";
    openMenu();
    EXPECT_EQ(action("captionAction").text(), "&Hide Caption");
    action("captionAction").trigger();
    EXPECT_FALSE(host.captions);
    EXPECT_EQ(action("captionAction").text(), "Show &Caption");
    action("captionAction").trigger();
    EXPECT_TRUE(host.captions);
    EXPECT_FALSE(caption().isHidden()) << "shown, even empty";
    EXPECT_EQ(caption().fullText(), "");
    EXPECT_LT(caption().y(), child<QWidget>(&w, "controlBar").y())
        << "the button bar stays below the caption bar";

    host.captions = false;
    w.next();
    EXPECT_TRUE(caption().isHidden());
    EXPECT_EQ(caption().fullText(), "Caption 1") << "the text is set all the same";
}

TEST_F(ShowWindowTest, AnUnreadableSlideShowsItsPanelAndTheShowGoesOn) {
    makeSlides(5);
    const QString bad = dir.write("b.jpg", "this is not a picture");
    host.doc.setImagePath(1, bad);
    ShowWindow& w = start();
    const QImage first = slideView().picture().raster();
    w.next();
    EXPECT_FALSE(child<ElidingLabel>(&w, "unreadableLabel").isHidden());
    EXPECT_EQ(child<ElidingLabel>(&w, "unreadableLabel").fullText(), "Cannot read: " + bad);
    EXPECT_EQ(w.statusText(0), "Slide: 2 of 5");
    EXPECT_EQ(w.statusText(1), "***");
    EXPECT_EQ(w.statusText(2), "b.jpg");
    EXPECT_EQ(slideView().picture().raster(), first) << "the previous slide stays behind the panel";
    EXPECT_EQ(w.controller().nextSlide(), 2);
    EXPECT_GE(host.shownMessages.shown.size(), 1) << "the decoder said why";
    w.next();
    EXPECT_TRUE(child<ElidingLabel>(&w, "unreadableLabel").isHidden());
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 5");
}

TEST_F(ShowWindowTest, ADamagedTimeIsReportedOnceAndTheDefaultDelayUsed) {
    makeSlides(2);
    host.doc.setTiming(0, QStringLiteral("2.5s"));
    host.delay = 4;
    ShowWindow& w = start();
    EXPECT_EQ(host.shownMessages.texts(), QStringList({"'2.5s' is not a valid integer value"}));
    EXPECT_EQ(timer().interval(), 4000);
    EXPECT_EQ(w.controller().nextSlide(), 1) << "the show moves on";
    w.next();
    w.next();
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 2");
    EXPECT_EQ(host.shownMessages.shown.size(), 1);
}

TEST_F(ShowWindowTest, CaptionBackgroundAndEffectRotation) {
    makeSlides(2);
    host.title = QStringLiteral("Orvanne - Holiday");
    host.doc.setSettingsLine(1, QStringLiteral("255"));
    host.effects = true;
    ShowWindow& w = start();
    EXPECT_EQ(w.windowTitle(), "SlideShow - Holiday");
    EXPECT_EQ(slideView().color(), QColor(255, 0, 0));
    QList<TransitionEffect> methods{w.transitions().effect()};
    for (int i = 0; i < 3; ++i) {
        w.next();
        methods << w.transitions().effect();
    }
    EXPECT_EQ(methods, QList<TransitionEffect>({TransitionEffect::Rows, TransitionEffect::Rings,
                                                TransitionEffect::Columns, TransitionEffect::Rows}));
    host.effects = false;
    w.next();
    EXPECT_EQ(w.transitions().effect(), TransitionEffect::None);
    host.effects = true;
    w.next();
    EXPECT_EQ(w.transitions().effect(), TransitionEffect::Rows)
        << "switching effects off and on restarts the rotation";

    host.doc.setSettingsLine(1, QStringLiteral("not a colour"));
    w.hide();
    w.startShow();
    EXPECT_EQ(slideView().color(), QColor(Qt::black));
}

TEST_F(ShowWindowTest, AClickOnThePictureIsNextAndTheNextSlideIsPrefetched) {
    makeSlides(3);
    ShowWindow& w = start();
    EXPECT_TRUE(w.imageCache().holds(host.doc.imagePaths()[1], viewport().size()));
    QTest::mouseClick(&viewport(), Qt::LeftButton);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    w.next();
    EXPECT_TRUE(w.imageCache().holds(host.doc.imagePaths()[0], viewport().size()))
        << "after the last slide of a looping show comes the first";
}

TEST_F(ShowWindowTest, ThePointerHidesOverTheShowAndF11TogglesFullScreen) {
    makeSlides(2);
    show = std::make_unique<ShowWindow>(host, engine);
    show->setPointerHideDelay(30);
    ShowWindow& w = *show;
    w.startShow();
    EXPECT_NE(w.cursor().shape(), Qt::BlankCursor);
    for (int waited = 0; waited < 3000 && w.cursor().shape() != Qt::BlankCursor; waited += 10)
        QTest::qWait(10);
    EXPECT_EQ(w.cursor().shape(), Qt::BlankCursor);
    QTest::mouseMove(&viewport(), QPoint(20, 20));
    EXPECT_NE(w.cursor().shape(), Qt::BlankCursor) << "a movement brings the pointer back";

    QTest::keyClick(&w, Qt::Key_F11);
    EXPECT_TRUE(w.windowState() & Qt::WindowFullScreen);
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 2") << "nothing else changes";
    QTest::keyClick(&w, Qt::Key_F11);
    EXPECT_FALSE(w.windowState() & Qt::WindowFullScreen);
}

TEST_F(ShowWindowTest, MenuStatesFollowTheEditor) {
    makeSlides(1);
    ShowWindow& w = start();
    openMenu();
    EXPECT_FALSE(action("musicAction").isEnabled()) << "no tracks";
    EXPECT_EQ(action("musicAction").text(), "&Music Off");
    host.doc.setMusicTracks(host.doc.musicTracks() + QStringList{dir.file("t.mid")});
    host.music = false;
    openMenu();
    EXPECT_TRUE(action("musicAction").isEnabled());
    EXPECT_EQ(action("musicAction").text(), "&Music On");
    EXPECT_TRUE(action("pauseAction").isEnabled());
    EXPECT_FALSE(action("resumeAction").isEnabled());

    w.resize(500, 300);
    QCoreApplication::processEvents();
    const int left = button("backButton").x();
    const int right = child<QWidget>(&w, "controlBar").width() - button("stopButton").geometry().right() - 1;
    EXPECT_NEAR(left, right, 1) << "the buttons are centred in their bar";
}

} // namespace

namespace {

TEST_F(ShowWindowTest, LongCaptionsAndFileNamesNeverWidenTheWindow) {
    makeSlides(2);
    host.doc.setCaption(0, QString(200, QLatin1Char('w')));
    const QString longName = dir.write(QString(180, QLatin1Char('n')) + ".jpg", "not a picture");
    host.doc.setImagePath(1, longName);
    ShowWindow& w = start();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.width(), 620);
    EXPECT_LE(w.minimumSizeHint().width(), 620) << "the caption sets no minimum width";
    EXPECT_EQ(caption().fullText(), host.doc.captions()[0]) << "the whole caption is kept";
    EXPECT_TRUE(caption().text().endsWith(QChar(0x2026))) << "what does not fit is cut with an ellipsis";
    EXPECT_EQ(caption().toolTip(), host.doc.captions()[0]);

    w.next();
    QCoreApplication::processEvents();
    EXPECT_EQ(child<ElidingLabel>(&w, "unreadableLabel").fullText(), "Cannot read: " + longName);
    EXPECT_LE(w.minimumSizeHint().width(), 620);
    w.resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.width(), 400) << "and the window can still be made smaller";
}

TEST_F(ShowWindowTest, ThePopUpMenuOpensAnywhereAndAClickMovesOnWhenReleased) {
    makeSlides(3);
    ShowWindow& w = start();
    QMenu& menu = child<QMenu>(&w, "slideMenu");
    for (QWidget* over : {static_cast<QWidget*>(&caption()), &child<QWidget>(&w, "controlBar"),
                          &child<QWidget>(&w, "statusBar"), &viewport()}) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), over->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(over, &event);
        EXPECT_TRUE(menu.isVisible()) << over->objectName().toStdString();
        menu.hide();
    }

    QTest::mousePress(&viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 3") << "pressing alone does not move on";
    QTest::mouseRelease(&viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    QTest::mouseClick(&viewport(), Qt::RightButton);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3") << "the right button opens the menu, it does not move on";
}

TEST_F(ShowWindowTest, EveryControlHasANameForScreenReadersAndTheButtonsShareTheMenusCommands) {
    makeSlides(3);
    ShowWindow& w = start();
    const struct {
        const char* button;
        const char* name;
        const char* action;
    } buttons[] = {{"backButton", "Back", "backAction"},
                   {"nextButton", "Next", "nextAction"},
                   {"pauseButton", "Pause", "togglePauseAction"},
                   {"stopButton", "Stop", "stopAction"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(button(b.button).accessibleName(), b.name);
        EXPECT_EQ(button(b.button).toolTip(), b.name);
        EXPECT_EQ(button(b.button).defaultAction(), &action(b.action)) << b.button;
    }
    for (QWidget* widget : w.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&w) || qobject_cast<QMenu*>(widget) ||
            widget->objectName().startsWith("qt_"))
            continue;
        const bool control = qobject_cast<QToolButton*>(widget) || qobject_cast<ElidingLabel*>(widget) ||
                             qobject_cast<PictureWidget*>(widget) || qobject_cast<QScrollArea*>(widget);
        if (control) {
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
        }
    }
    // The button and the menu run one command.
    QTest::mouseClick(&button("nextButton"), Qt::LeftButton);
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    action("nextAction").trigger();
    EXPECT_EQ(w.statusText(1), "Slide: 3 of 3");
}

} // namespace

namespace {

TEST_F(ShowWindowTest, WithoutFitTheFirstSlideLandsWhereItLandsWhenShownAgain) {
    makeSlides(1);
    host.fit = false;
    show = std::make_unique<ShowWindow>(host, engine);
    show->setScreenSize(QSize(1024, 768)); // larger than the window: the picture scrolls
    ShowWindow& w = *show;
    w.startShow();
    const QImage first = slideView().grab().toImage();
    QCoreApplication::processEvents(); // the scroll area lays out its scroll bars
    w.back();                          // a one-slide show shows its slide again
    const QImage again = slideView().grab().toImage();
    ASSERT_EQ(slideView().size(), QSize(1024, 768));
    EXPECT_EQ(first, again);
    // Centred in what can be seen with the scroll bars in place.
    const QSize visible = viewport().size();
    const QRect picture((visible.width() - 40) / 2, (visible.height() - 30) / 2, 40, 30);
    EXPECT_NE(first.pixel(picture.center()), first.pixel(picture.left() - 2, picture.center().y()));
    EXPECT_EQ(first.pixel(picture.topLeft()), first.pixel(picture.center()))
        << "the picture's corner is where the visible area puts it";
    EXPECT_EQ(slideView().picture().raster().size(), QSize(40, 30)) << "the picture itself, not a frame";
}

// A photograph far larger than the window, at its natural size: the widget holds the decoded
// picture and draws whatever part is scrolled into view; the only frame made is the visible
// part a transition runs over.
TEST_F(ShowWindowTest, WithoutFitALargePictureScrollsWithoutAFrameOfItsSize) {
    QImage photo(2400, 1600, QImage::Format_RGB32);
    photo.fill(QColor(200, 0, 0));
    QPainter(&photo).fillRect(QRect(1200, 800, 1200, 800), QColor(0, 0, 200));
    const QString path = dir.file(QStringLiteral("large.png"));
    ASSERT_TRUE(photo.save(path));
    host.doc.addSlide(path, QString(), QString(), 0);
    host.doc.addSlide(path, QString(), QString(), 0);
    host.fit = false;
    host.effects = true;
    show = std::make_unique<ShowWindow>(host, engine);
    show->setScreenSize(QSize(1024, 768));
    ShowWindow& w = *show;
    QSignalSpy shown(&w.transitions(), &TransitionHost::finished);
    w.startShow();
    for (int step = 0; step < 3; ++step) {
        w.transitions().finish(); // the transition, if one runs, ends on the visible part
        QCoreApplication::processEvents();
        EXPECT_TRUE(slideView().isPlaced()) << step;
        EXPECT_EQ(slideView().size(), QSize(2400, 1600)) << step;
        EXPECT_EQ(slideView().picture().raster().size(), QSize(2400, 1600)) << "the decoded picture itself";
        w.next();
    }
    EXPECT_GE(shown.count(), 1) << "transitions ran";
    w.transitions().finish();
    QCoreApplication::processEvents();

    // What the window shows at the top-left and, scrolled to the end, at the bottom-right.
    QScrollArea& area = child<QScrollArea>(show.get(), "scrollArea");
    QImage seen = viewport().grab().toImage();
    EXPECT_EQ(seen.pixelColor(5, 5), QColor(200, 0, 0));
    area.horizontalScrollBar()->setValue(area.horizontalScrollBar()->maximum());
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    seen = viewport().grab().toImage();
    EXPECT_EQ(seen.pixelColor(seen.width() - 5, seen.height() - 5), QColor(0, 0, 200));
}

} // namespace

namespace {

TEST_F(ShowWindowTest, TheFirstSlideIsComposedForTheSizeItIsShownAt) {
    // Photographs of 3:2 with captions: the caption bar appears with the first slide and takes
    // its height from the picture area.
    for (int i = 0; i < 2; ++i) {
        QImage photo(600, 400, QImage::Format_RGB32);
        photo.fill(i ? Qt::blue : Qt::red);
        const QString path = dir.file(QStringLiteral("photo%1.png").arg(i));
        photo.save(path);
        host.doc.addSlide(path, QString(), QStringLiteral("Photo %1").arg(i), 0);
    }
    host.effects = false;
    ShowWindow& w = start();
    const QImage first = slideView().picture().raster();
    QCoreApplication::processEvents();
    EXPECT_EQ(first.size(), viewport().size()) << "the frame fills the picture area as laid out";
    w.next();
    const QImage second = slideView().picture().raster();
    EXPECT_EQ(second.size(), first.size()) << "the first slide is the size of the rest";
    // The picture inside the frame keeps its 3:2 aspect on both.
    auto pictureWidth = [](const QImage& frame, QRgb colour) {
        int n = 0;
        for (int x = 0; x < frame.width(); ++x)
            n += frame.pixel(x, frame.height() / 2) == colour ? 1 : 0;
        return n;
    };
    EXPECT_EQ(pictureWidth(first, qRgb(255, 0, 0)), pictureWidth(second, qRgb(0, 0, 255)));

    // When the window changes size under a slide (a window manager placing it, a drag of the frame),
    // the slide is composed again for the new size once the resizing settles.
    w.resize(900, 500);
    QCoreApplication::processEvents();
    for (int waited = 0; waited < 3000 && slideView().picture().raster().size() != viewport().size();
         waited += 10)
        QTest::qWait(10);
    EXPECT_EQ(slideView().picture().raster().size(), viewport().size());
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 2") << "nothing else changes";
}

} // namespace

namespace {

TEST_F(ShowWindowTest, F1AsksTheHostForTheShowWindowsPartOfTheGuide) {
    makeSlides(1);
    ShowWindow& w = start();
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(host.helpContexts, QList<int>({250}));
    EXPECT_EQ(w.statusText(1), "Slide: 1 of 1") << "nothing else happens";
}

} // namespace

namespace {

QByteArray pngBytes(QRgb colour) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

TEST_F(ShowWindowTest, ASlideWaitsForItsFilesAndALostOneEndsTheShowWithTheDamage) {
    // Three slides, the list files first; the file ends inside the third picture.
    QList<CjfEntry> entries = listFilesFor({"a.png", "b.png", "c.png"});
    entries += {{"a.png", pngBytes(qRgb(255, 0, 0))},
                {"b.png", pngBytes(qRgb(0, 255, 0))},
                {"c.png", pngBytes(qRgb(0, 0, 255))}};
    QByteArray bytes = cjfFile(1.5f, entries);
    bytes.chop(20);
    ScriptedMessages readerMessages;
    const BackgroundShow opened = openInBackground(dir, bytes, host.doc, readerMessages);
    const std::unique_ptr<ShowUnpack>& media = opened.media;
    ASSERT_TRUE(media);
    host.unpack = media.get();
    host.music = false;
    host.effects = false;
    // Nothing is unpacked but what the show asks for, until its first slide is drawn.
    media->start(0);

    ShowWindow& w = start();
    EXPECT_EQ(w.statusText(1), "Slide:") << "no slide before its picture is there";
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.statusText(1) == "Slide: 1 of 3"; }, 5000));
    EXPECT_EQ(slideView().picture().raster().pixel(2, 2), qRgb(255, 0, 0));
    // Once the first slide is drawn, the rest of the show follows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return media->isFinished(); }, 5000));
    w.next();
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3");
    EXPECT_TRUE(host.shownMessages.shown.isEmpty());

    QSignalSpy finished(&w, &ShowWindow::finished);
    w.next();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 5000));
    EXPECT_EQ(w.statusText(1), "Slide: 2 of 3") << "the lost slide is never shown";
    ASSERT_EQ(host.shownMessages.shown.size(), 1);
    EXPECT_EQ(host.shownMessages.shown[0].text, ShowTexts::damagedShow(opened.source));
    EXPECT_TRUE(w.stoppedForLostFile());
    EXPECT_FALSE(w.isVisible());
    show.reset(); // before the unpack it waits on
}
