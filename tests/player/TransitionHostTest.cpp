#include "TransitionHost.h"
#include "PictureWidget.h"
#include "ScriptedMessages.h"
#include "TransitionEffects.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

// A canvas with a clock that moves 16 ms a frame, recording what the effect painted.
class FakeCanvas : public TransitionCanvas {
public:
    explicit FakeCanvas(const QImage& before) : surface_(before.convertToFormat(QImage::Format_RGB32)) {}
    QImage& surface() override { return surface_; }
    void flush(const QRect& dirty) override {
        ++flushes;
        if (now >= 288 && midpoint.isNull())
            midpoint = surface_.copy();
        EXPECT_TRUE(surface_.rect().contains(dirty)) << "dirty area outside the canvas";
    }
    qint64 elapsedMs() override { return now; }
    void nextFrame() override {
        now += 16;
        ++frames;
    }

    QImage surface_;
    qint64 now = 0;
    int frames = 0;
    int flushes = 0;
    QImage midpoint;
};

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

using Effect = std::function<void(TransitionCanvas&, const QImage&)>;

TEST(TransitionEffects, EachRevealsProgressivelyInTheSameTimeAndEndsComplete) {
    const std::pair<const char*, Effect> effects[] = {
        {"horizontal", [](TransitionCanvas& c, const QImage& b) { revealRows(c, b, 1, 5); }},
        {"vertical", [](TransitionCanvas& c, const QImage& b) { revealColumns(c, b, 1, 5); }},
        {"diagonals", [](TransitionCanvas& c, const QImage& b) { revealDiagonals(c, b, 1, 5); }},
        {"diagonal squares", [](TransitionCanvas& c, const QImage& b) { revealSquares(c, b, 1, 5); }},
        {"rectangles", [](TransitionCanvas& c, const QImage& b) { revealRings(c, b, 5); }},
        {"thick horizontal", [](TransitionCanvas& c, const QImage& b) { revealRows(c, b, 7, 5); }},
        {"thick diagonals", [](TransitionCanvas& c, const QImage& b) { revealDiagonals(c, b, 5, 5); }},
    };
    for (const auto& [name, effect] : effects) {
        int framesAtSize[2] = {0, 0};
        const QSize sizes[2] = {QSize(160, 90), QSize(643, 357)};
        for (int s = 0; s < 2; ++s) {
            const QImage before = filled(sizes[s], Qt::black);
            QImage after = filled(sizes[s], Qt::white);
            after.setPixel(sizes[s].width() - 1, sizes[s].height() - 1, qRgb(1, 2, 3));
            FakeCanvas canvas(before);
            effect(canvas, after);
            EXPECT_EQ(canvas.surface(), after) << name << ": the whole frame is painted when it returns";
            ASSERT_FALSE(canvas.midpoint.isNull()) << name;
            const int revealed = countColour(canvas.midpoint, qRgb(255, 255, 255));
            const int total = sizes[s].width() * sizes[s].height();
            EXPECT_GT(revealed, total / 10) << name << ": half-way, much is shown";
            EXPECT_LT(revealed, total * 9 / 10) << name << ": half-way, much is still to come";
            framesAtSize[s] = canvas.frames;
        }
        // Paced by time: 0.6 s at 60 frames a second, whatever the size.
        EXPECT_NEAR(framesAtSize[0], 600 / 16, 2) << name;
        EXPECT_NEAR(framesAtSize[1], 600 / 16, 2) << name;
    }
}

TEST(TransitionEffects, ASinglePixelAndASlowerPace) {
    FakeCanvas canvas(filled(QSize(1, 1), Qt::black));
    revealRings(canvas, filled(QSize(1, 1), Qt::white), 5);
    EXPECT_EQ(canvas.surface().pixel(0, 0), qRgb(255, 255, 255));

    FakeCanvas slow(filled(QSize(50, 50), Qt::black));
    revealColumns(slow, filled(QSize(50, 50), Qt::white), 1, 25);
    EXPECT_NEAR(slow.frames, 3000 / 16, 2) << "the default pace of 25 takes 3 s";
}

class TransitionHostTest : public ::testing::Test {
protected:
    TransitionHostTest() : target(messages), host(messages) {
        target.resize(64, 48);
        host.setCanvasFactory([this](PictureWidget&, const QImage& bitmap) {
            ++canvases;
            auto canvas = std::make_unique<FakeCanvas>(filled(bitmap.size(), Qt::black));
            lastCanvasSize = bitmap.size();
            return canvas;
        });
    }

    ScriptedMessages messages;
    PictureWidget target;
    TransitionHost host;
    int canvases = 0;
    QSize lastCanvasSize;
};

TEST_F(TransitionHostTest, AnEmptyFrameTouchesNothing) {
    host.setTarget(&target);
    host.setEffect(TransitionEffect::Rows);
    host.run(QImage());
    EXPECT_EQ(canvases, 0);
    EXPECT_TRUE(target.picture().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(TransitionHostTest, PaintsTheFrameThenMakesItThePicture) {
    host.setTarget(&target);
    host.setEffect(TransitionEffect::Columns);
    host.run(filled(QSize(64, 48), Qt::green));
    EXPECT_EQ(canvases, 1);
    EXPECT_EQ(target.picture().raster().pixelColor(10, 10), QColor(Qt::green));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is the one from before the run";
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(TransitionHostTest, AStretchingTargetGetsTheFrameAtItsOwnSize) {
    host.setTarget(&target);
    target.setStretch(true);
    host.setEffect(TransitionEffect::Rings);
    host.run(filled(QSize(640, 480), Qt::blue));
    EXPECT_EQ(lastCanvasSize, QSize(64, 48));
    EXPECT_EQ(target.picture().size(), QSize(64, 48));
}

TEST_F(TransitionHostTest, MessagesForNoTargetAndNoEffect) {
    host.setEffect(TransitionEffect::Rows);
    host.run(filled(QSize(8, 8), Qt::red));
    EXPECT_EQ(messages.texts(), QStringList({"No Image Component assigned yet"}));
    EXPECT_EQ(canvases, 0);

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
    EXPECT_EQ(canvases, 0);
    EXPECT_EQ(messages.texts(), QStringList({"No Image Component assigned yet"}));
}

TEST(TransitionHostOnScreen, TheRealCanvasPaintsTheWidget) {
    ScriptedMessages messages;
    PictureWidget target(messages);
    target.setAttribute(Qt::WA_DontShowOnScreen);
    target.resize(120, 80);
    target.show();
    TransitionHost host(messages);
    host.setTarget(&target);
    host.setEffect(TransitionEffect::Rows);
    host.setPace(1); // 120 ms
    host.run(filled(QSize(120, 80), Qt::magenta));
    EXPECT_EQ(target.grab().toImage().pixelColor(60, 40), QColor(Qt::magenta));
    EXPECT_EQ(target.findChildren<QWidget*>().size(), 0) << "the painting overlay is gone";
}

} // namespace
