#include "SlideComposer.h"
#include "Picture.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    QSize picture;
    QSize visible;
    QSize screen;
    bool fit;
    QSize display;
    int width, height, left, top;
};

TEST(SlideComposer, GeometryOfTheWorkedFiguresAndTheEdges) {
    const QSize area(600, 400);
    const QSize screen(1024, 768);
    const Expected cases[] = {
        {{1200, 400}, area, screen, true, area, 600, 200, 0, 100},
        {{300, 201}, area, screen, true, area, 300, 201, 150, 100}, // never enlarged; odd pixel on top
        {{601, 400}, area, screen, true, area, 599, 399, 1, 1},     // single-precision scale
        {{600, 400}, area, screen, true, area, 600, 400, 0, 0},
        {{400, 1200}, area, screen, true, area, 133, 400, 234, 0},
        // Without fit: natural size, centred in the visible area, the display at least the screen.
        {{300, 201}, area, screen, false, screen, 300, 201, 150, 100},
        {{2000, 300}, area, screen, false, {2000, 768}, 2000, 300, 0, 50},
        {{3000, 2000}, area, screen, false, {3000, 2000}, 3000, 2000, 0, 0},
    };
    for (const Expected& e : cases) {
        const auto p = placeSlide(e.picture, e.visible, e.screen, e.fit);
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->display, e.display) << e.picture.width() << "x" << e.picture.height();
        EXPECT_EQ(QRect(p->left, p->top, p->scaledWidth, p->scaledHeight),
                  QRect(e.left, e.top, e.width, e.height))
            << e.picture.width() << "x" << e.picture.height() << (e.fit ? " fit" : " natural");
    }
    EXPECT_FALSE(placeSlide(QSize(0, 0), area, screen, true)) << "an empty picture cannot be placed";
    EXPECT_FALSE(placeSlide(QSize(100, 0), area, screen, false));
}

TEST(SlideComposer, TheShowRotatesThroughThreeEffects) {
    EXPECT_EQ(effectForCycle(0), TransitionEffect::None);
    EXPECT_EQ(effectForCycle(1), TransitionEffect::Rows);
    EXPECT_EQ(effectForCycle(2), TransitionEffect::Rings);
    EXPECT_EQ(effectForCycle(3), TransitionEffect::Columns);
    EXPECT_EQ(effectForCycle(4), TransitionEffect::None);
    EXPECT_EQ(effectForCycle(-1), TransitionEffect::None);
}

TEST(SlideComposer, ComposesOntoTheBackgroundOrSaysTheSlideCannotBeShown) {
    QImage wide(1200, 400, QImage::Format_RGB32);
    wide.fill(QColor(200, 30, 30));
    const Picture picture = Picture::fromImage(wide);

    const ComposedSlide fitted = composeSlide(picture, QSize(600, 400), QSize(1024, 768), true, Qt::black);
    ASSERT_TRUE(fitted.ok());
    const QImage& frame = fitted.frame;
    ASSERT_EQ(frame.size(), QSize(600, 400));
    EXPECT_EQ(frame.pixelColor(300, 99), QColor(Qt::black)) << "band above";
    EXPECT_EQ(frame.pixelColor(300, 100), QColor(200, 30, 30));
    EXPECT_EQ(frame.pixelColor(300, 299), QColor(200, 30, 30));
    EXPECT_EQ(frame.pixelColor(300, 300), QColor(Qt::black)) << "band below";

    EXPECT_FALSE(composeSlide(Picture(), QSize(600, 400), QSize(1024, 768), true, Qt::black).ok())
        << "an empty picture cannot be shown";

    // Without fit the frame takes the picture's size where it exceeds the screen, to scroll.
    const ComposedSlide natural = composeSlide(picture, QSize(600, 400), QSize(800, 600), false, Qt::white);
    ASSERT_TRUE(natural.ok());
    EXPECT_EQ(natural.frame.size(), QSize(1200, 600));
    EXPECT_EQ(natural.placement.display, QSize(1200, 600));
    EXPECT_EQ(natural.frame.pixelColor(0, 0), QColor(200, 30, 30)) << "starts at the top-left";

    // A picture whose natural size needs a frame beyond 64 million pixels is not shown unscaled.
    const Picture huge = Picture::fromRaster(wide, QSize(20000, 20000));
    EXPECT_FALSE(composeSlide(huge, QSize(600, 400), QSize(800, 600), false, Qt::white).ok());
    EXPECT_TRUE(composeSlide(huge, QSize(600, 400), QSize(800, 600), true, Qt::white).ok()) << "fitted it is";
}

// Shown at natural size, only what the visible area shows before any scrolling is composed; it is
// exactly that part of the frame the whole slide would have had.
TEST(SlideComposer, ANaturalSizeSlideComposesOnlyItsVisiblePart) {
    QImage photo(700, 500, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256 + y / 256) * 60));
    const QColor background(10, 90, 10);
    const QSize screen(640, 480);
    struct Case {
        QImage image;
        QSize visible;
        QSize frame;
    };
    const Case cases[] = {
        {photo, QSize(600, 400), QSize(600, 400)},                      // larger both ways: scrolls
        {photo.copy(0, 0, 300, 200), QSize(600, 400), QSize(600, 400)}, // smaller: centred, screen wide
        {photo.copy(0, 0, 700, 100), QSize(600, 400), QSize(600, 400)}, // wider only
        {photo.copy(0, 0, 300, 200), QSize(800, 600), QSize(800, 600)}, // a window larger than the screen
        {photo, QSize(1000, 900), QSize(1000, 900)},                    // the whole slide is visible
    };
    for (const Case& c : cases) {
        const Picture picture = Picture::fromImage(c.image);
        const ComposedSlide whole = composeSlide(picture, c.visible, screen, false, background);
        const ComposedSlide part = composeVisibleSlide(picture, c.visible, screen, background);
        ASSERT_TRUE(whole.ok() && part.ok());
        EXPECT_EQ(part.placement.display, whole.placement.display);
        EXPECT_EQ(QRect(part.placement.left, part.placement.top, part.placement.scaledWidth,
                        part.placement.scaledHeight),
                  QRect(whole.placement.left, whole.placement.top, whole.placement.scaledWidth,
                        whole.placement.scaledHeight));
        EXPECT_EQ(part.frame.size(), c.frame.boundedTo(whole.placement.display));
        EXPECT_EQ(part.frame, whole.frame.copy(QRect(QPoint(), part.frame.size())))
            << c.image.width() << "x" << c.image.height() << " in " << c.visible.width() << "x"
            << c.visible.height();
    }
    EXPECT_FALSE(composeVisibleSlide(Picture(), QSize(600, 400), screen, background).ok());
    EXPECT_FALSE(composeVisibleSlide(Picture::fromImage(photo), QSize(), screen, background).ok());
}

} // namespace
