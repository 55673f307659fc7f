#include "TransitionHost.h"
#include "PictureWidget.h"
#include "ScriptedMessages.h"
#include "TransitionEffects.h"

#include <QApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

int countColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour ? 1 : 0;
    return n;
}

struct Driven {
    int frames = 0;
    QImage midpoint;
};

// Drives an effect a frame (16 ms) at a time, as the host's timer does, keeping the surface at
// the half-way mark and checking every changed area lies on the frame.
Driven drive(Reveal& reveal) {
    Driven run;
    for (qint64 now = 16; !reveal.isDone(); now += 16) {
        const QRect dirty = reveal.advanceTo(now);
        EXPECT_TRUE(dirty.isEmpty() || reveal.surface().rect().contains(dirty))
            << "changed area outside the frame";
        ++run.frames;
        if (now >= 288 && run.midpoint.isNull())
            run.midpoint = reveal.surface().copy();
    }
    return run;
}

TEST(TransitionEffects, EachRevealsProgressivelyInTheSameTimeAndEndsComplete) {
    const struct {
        const char* name;
        TransitionEffect effect;
        int thickness;
    } effects[] = {
        {"rows", TransitionEffect::Rows, 1},
        {"columns", TransitionEffect::Columns, 1},
        {"diagonals", TransitionEffect::Diagonals, 1},
        {"squares", TransitionEffect::Squares, 1},
        {"rings", TransitionEffect::Rings, 1},
        {"thick rows", TransitionEffect::Rows, 7},
        {"thick diagonals", TransitionEffect::Diagonals, 5},
    };
    for (const auto& e : effects) {
        int framesAtSize[2] = {0, 0};
        const QSize sizes[2] = {QSize(160, 90), QSize(643, 357)};
        for (int s = 0; s < 2; ++s) {
            QImage after = filled(sizes[s], Qt::white);
            after.setPixel(sizes[s].width() - 1, sizes[s].height() - 1, qRgb(1, 2, 3));
            Reveal reveal(e.effect, filled(sizes[s], Qt::black), after, e.thickness, 5);
            const Driven run = drive(reveal);
            EXPECT_EQ(reveal.surface(), after) << e.name << ": the whole frame is painted at the end";
            ASSERT_FALSE(run.midpoint.isNull()) << e.name;
            const int revealed = countColour(run.midpoint, qRgb(255, 255, 255));
            const int total = sizes[s].width() * sizes[s].height();
            EXPECT_GT(revealed, total / 10) << e.name << ": half-way, much is shown";
            EXPECT_LT(revealed, total * 9 / 10) << e.name << ": half-way, much is still to come";
            framesAtSize[s] = run.frames;
        }
        // Paced by time: 0.6 s at 60 frames a second, whatever the size.
        EXPECT_NEAR(framesAtSize[0], 600 / 16, 2) << e.name;
        EXPECT_NEAR(framesAtSize[1], 600 / 16, 2) << e.name;
    }
}

TEST(TransitionEffects, ASinglePixelASlowerPaceAndFinishingAtOnce) {
    Reveal dot(TransitionEffect::Rings, filled(QSize(1, 1), Qt::black), filled(QSize(1, 1), Qt::white), 1, 5);
    drive(dot);
    EXPECT_EQ(dot.surface().pixel(0, 0), qRgb(255, 255, 255));

    Reveal slow(TransitionEffect::Columns, filled(QSize(50, 50), Qt::black), filled(QSize(50, 50), Qt::white),
                1, 25);
    EXPECT_NEAR(drive(slow).frames, 3000 / 16, 2) << "the default pace of 25 takes 3 s";

    Reveal cut(TransitionEffect::Squares, filled(QSize(80, 60), Qt::black), filled(QSize(80, 60), Qt::red), 1,
               5);
    cut.advanceTo(100);
    EXPECT_FALSE(cut.isDone());
    EXPECT_EQ(cut.finish(), QRect(0, 0, 80, 60)) << "finishing repaints the whole frame";
    EXPECT_TRUE(cut.isDone());
    EXPECT_EQ(cut.surface(), filled(QSize(80, 60), Qt::red));
    EXPECT_TRUE(cut.advanceTo(700).isEmpty()) << "and nothing is left to do";
}

class TransitionHostTest : public ::testing::Test {
protected:
    TransitionHostTest() : target(messages), host(messages) {
        target.resize(64, 48);
        host.setClock([this] { return now; });
        host.setPace(5); // 0.6 s
    }

    ScriptedMessages messages;
    PictureWidget target;
    TransitionHost host;
    qint64 now = 0;
};

TEST_F(TransitionHostTest, AnEmptyFrameTouchesNothing) {
    host.setTarget(&target);
    host.setEffect(TransitionEffect::Rows);
    QSignalSpy finished(&host, &TransitionHost::finished);
    host.run(QImage());
    EXPECT_FALSE(host.isRunning());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(target.picture().isEmpty());
}

TEST_F(TransitionHostTest, RunsFrameByFrameWithoutWaitingThenMakesTheFrameThePicture) {
    host.setTarget(&target);
    host.setEffect(TransitionEffect::Columns);
    target.setImage(filled(QSize(64, 48), Qt::black));
    QSignalSpy finished(&host, &TransitionHost::finished);
    host.run(filled(QSize(64, 48), Qt::green));
    EXPECT_TRUE(host.isRunning()) << "run returns at once";
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(target.findChildren<QWidget*>().size(), 1) << "the effect paints on an overlay";
    now = 300;
    host.tick();
    EXPECT_TRUE(host.isRunning());
    EXPECT_EQ(target.picture().raster().pixelColor(10, 10), QColor(Qt::black)) << "not the picture yet";
    now = 600;
    host.tick();
    EXPECT_FALSE(host.isRunning());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(target.picture().raster().pixelColor(10, 10), QColor(Qt::green));
    EXPECT_EQ(target.findChildren<QWidget*>().size(), 0) << "the overlay is gone";
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(TransitionHostTest, ANewRunOrFinishCompletesTheOneUnderWayFirst) {
    host.setTarget(&target);
    host.setEffect(TransitionEffect::Rings);
    QList<QRgb> pictureAtEachFinish;
    QObject::connect(&host, &TransitionHost::finished,
                     [&] { pictureAtEachFinish << target.picture().raster().pixel(32, 24); });
    host.run(filled(QSize(64, 48), Qt::red));
    host.run(filled(QSize(64, 48), Qt::blue));
    EXPECT_EQ(pictureAtEachFinish, QList<QRgb>({qRgb(255, 0, 0)})) << "the first frame was finished whole";
    host.finish();
    EXPECT_EQ(pictureAtEachFinish, QList<QRgb>({qRgb(255, 0, 0), qRgb(0, 0, 255)}));
    EXPECT_FALSE(host.isRunning());
    host.finish();
    EXPECT_EQ(pictureAtEachFinish.size(), 2) << "finishing with nothing under way does nothing";
}

TEST_F(TransitionHostTest, AStretchingTargetGetsTheFrameAtItsOwnSize) {
    host.setTarget(&target);
    target.setStretch(true);
    host.setEffect(TransitionEffect::Rings);
    host.run(filled(QSize(640, 480), Qt::blue));
    host.finish();
    EXPECT_EQ(target.picture().size(), QSize(64, 48));
}

TEST_F(TransitionHostTest, MessagesForNoTargetAndNoEffect) {
    QSignalSpy finished(&host, &TransitionHost::finished);
    host.setEffect(TransitionEffect::Rows);
    host.run(filled(QSize(8, 8), Qt::red));
    EXPECT_EQ(messages.texts(), QStringList({"No Image Component assigned yet"}));
    EXPECT_EQ(finished.count(), 1) << "the show does not wait for a frame that was dropped";

    messages.shown.clear();
    host.setTarget(&target);
    host.setEffect(TransitionEffect::None);
    host.run(filled(QSize(8, 8), Qt::red));
    EXPECT_EQ(messages.texts(), QStringList({"No Transition effect assigned yet!"}));
    EXPECT_EQ(target.picture().raster().pixelColor(0, 0), QColor(Qt::red))
        << "the frame still becomes the picture";
}

TEST_F(TransitionHostTest, ADestroyedTargetIsForgotten) {
    auto* gone = new PictureWidget(messages);
    host.setTarget(gone);
    delete gone;
    EXPECT_EQ(host.target(), nullptr);
    host.setEffect(TransitionEffect::Rows);
    host.run(filled(QSize(64, 48), Qt::yellow));
    EXPECT_EQ(messages.texts(), QStringList({"No Image Component assigned yet"}));
}

TEST(TransitionHostOnScreen, TheTimerPaintsTheWidgetWhileTheProgramGoesOn) {
    ScriptedMessages messages;
    PictureWidget target(messages);
    target.setAttribute(Qt::WA_DontShowOnScreen);
    target.resize(120, 80);
    target.show();
    TransitionHost host(messages);
    host.setTarget(&target);
    host.setEffect(TransitionEffect::Rows);
    host.setPace(1); // 120 ms
    QSignalSpy finished(&host, &TransitionHost::finished);
    host.run(filled(QSize(120, 80), Qt::magenta));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(target.grab().toImage().pixelColor(60, 40), QColor(Qt::magenta));
    EXPECT_EQ(target.findChildren<QWidget*>().size(), 0) << "the painting overlay is gone";
}

} // namespace
