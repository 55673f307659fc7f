#include "AboutBox.h"
#include "ChildWidget.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(AboutBox, TheSplashIsThePictureAloneForThreeSecondsOrAClick) {
    QPointer<AboutBox> splash = new AboutBox(AboutBox::Mode::Splash);
    splash->open();
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash->size(), QSize(273, 213)) << "exactly the picture's size";
    EXPECT_TRUE(child<QWidget>(splash, "versionStrip").isHidden());
    QTimer& timer = child<QTimer>(splash, "splashTimer");
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(timer.isSingleShot());
    EXPECT_EQ(timer.interval(), 3000);
    QSignalSpy finished(splash.data(), &QDialog::finished);
    timer.start(1); // its time is up at once
    ASSERT_TRUE(finished.wait(2000)) << "it closes when its time is up";
    QTest::qWait(0);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull()) << "and goes";

    QPointer<AboutBox> clicked = new AboutBox(AboutBox::Mode::Splash);
    clicked->open();
    QSignalSpy closed(clicked.data(), &QDialog::finished);
    QTest::mouseClick(&child<QLabel>(clicked, "creditsPicture"), Qt::LeftButton);
    EXPECT_EQ(closed.count(), 1) << "or at a click on the picture";
}

TEST(AboutBox, TheAboutBoxWaitsForOkAndShowsTheVersion) {
    QPointer<AboutBox> about = new AboutBox(AboutBox::Mode::About);
    about->open();
    EXPECT_EQ(about->windowTitle(), "About Orvanne");
    EXPECT_EQ(about->size(), QSize(274, 244));
    EXPECT_FALSE(about->windowFlags() & Qt::WindowCloseButtonHint) << "no buttons in its title bar";
    EXPECT_FALSE(child<QWidget>(about, "versionStrip").isHidden());
    EXPECT_EQ(child<QWidget>(about, "versionStrip").height(), 29);
    EXPECT_EQ(child<QLabel>(about, "versionLabel").text(), "Version 1.50 for Linux");
    EXPECT_FALSE(child<QTimer>(about, "splashTimer").isActive()) << "it never closes by itself";
    EXPECT_EQ(child<QLabel>(about, "creditsPicture").size(), QSize(273, 213));
    QSignalSpy finished(about.data(), &QDialog::finished);
    child<QPushButton>(about, "okButton").click();
    EXPECT_EQ(finished.count(), 1);
}

} // namespace
