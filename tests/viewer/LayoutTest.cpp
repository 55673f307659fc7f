// The viewer's and the print preview's arithmetic against the worked figures.

#include "PrintLayout.h"
#include "ViewerLayout.h"

#include <gtest/gtest.h>

namespace {

// A rectangle as left, top, right, bottom, the way the page figures are given.
struct Edges {
    int left, top, right, bottom;
    bool operator==(const Edges&) const = default;
};
Edges edges(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
void PrintTo(const Edges& e, std::ostream* os) {
    *os << "(" << e.left << ", " << e.top << ", " << e.right << ", " << e.bottom << ")";
}

const QSize kPanel(125, 125);
const QSize kPortrait(4800, 6600);
const QSize kLandscape(6600, 4800);

TEST(ViewerLayoutTest, PlacesThePictureAsTheWorkedFiguresSay) {
    struct Case {
        QSize image;
        int zoom;
        QSize client;
        QRect expected;
    };
    const Case cases[] = {
        // Larger than the window: top-left, full size, to be scrolled.
        {{640, 480}, 100, {612, 448}, {0, 0, 640, 480}},
        // Smaller: centred, with 40 pixels kept for the tool strip.
        {{640, 480}, 50, {612, 448}, {146, 84, 320, 240}},
        // Cut toward zero.
        {{333, 100}, 25, {612, 448}, {264, 191, 83, 25}},
        // 100 x 0.29 is 28.999... in binary floating point; the viewer says 29.
        {{100, 100}, 29, {612, 448}, {291, 189, 29, 29}},
        // Wider than the window but low enough: left edge, centred vertically.
        {{1000, 100}, 100, {612, 448}, {0, 154, 1000, 100}},
        // Exactly the window's width is not narrower than it.
        {{612, 100}, 100, {612, 448}, {0, 154, 612, 100}},
        // Nothing loaded: nothing to place, and nothing divides.
        {{0, 0}, 100, {612, 448}, {306, 204, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewerImageRect(c.image, c.zoom, c.client), c.expected)
            << c.image.width() << "x" << c.image.height() << " at " << c.zoom;
}

TEST(ViewerLayoutTest, ZoomingACentredPictureBeyondTheWindowPutsItBackAtTheCorner) {
    const QSize image(400, 300);
    const QSize client(612, 448);
    EXPECT_EQ(viewerImageRect(image, 100, client).topLeft(), QPoint(106, 54));
    EXPECT_EQ(viewerImageRect(image, 200, client), QRect(0, 0, 800, 600));
}

TEST(ViewerLayoutTest, ZoomIsExactForEveryPercentAndLargePictures) {
    for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom)
        EXPECT_EQ(zoomedLength(100, zoom), zoom);
    // Products beyond 32 bits stay exact.
    EXPECT_EQ(zoomedLength(120'000'000, 200), 240'000'000);
    EXPECT_EQ(zoomedLength(120'000'001, 25), 30'000'000);
}

TEST(PrintLayoutTest, PortraitAtScale100) {
    const PrintLayout layout = printLayout({640, 480}, kPortrait, 100, kPanel);
    EXPECT_TRUE(layout.printable);
    EXPECT_FLOAT_EQ(layout.fit, 7.5f);
    EXPECT_FLOAT_EQ(layout.scale, 3.75f);
    EXPECT_EQ(edges(layout.printRect), (Edges{1200, 2400, 3600, 4200}));
    EXPECT_EQ(layout.outline, QRect(30, 18, 65, 89));
    EXPECT_EQ(layout.miniatureComputed, QSize(24, 16));
    EXPECT_EQ(layout.miniature, QRect(50, 54, 24, 16));
}

TEST(PrintLayoutTest, PortraitAtScale200IsCappedAtSixPrinterPixelsPerPixel) {
    const PrintLayout layout = printLayout({640, 480}, kPortrait, 200, kPanel);
    EXPECT_FLOAT_EQ(layout.fit, 7.5f);
    EXPECT_FLOAT_EQ(layout.scale, 6.0f);
    EXPECT_EQ(edges(layout.printRect), (Edges{480, 1860, 4320, 4740}));
}

TEST(PrintLayoutTest, LandscapeAtScale100) {
    const PrintLayout layout = printLayout({640, 480}, kLandscape, 100, kPanel);
    EXPECT_FLOAT_EQ(layout.fit, 10.0f);
    EXPECT_FLOAT_EQ(layout.scale, 5.0f);
    EXPECT_EQ(edges(layout.printRect), (Edges{1700, 1200, 4900, 3600}));
    EXPECT_EQ(layout.outline, QRect(12, 26, 100, 72));
}

TEST(PrintLayoutTest, ASmallPictureAlwaysPrintsAtSixAndItsMiniatureShowsAtOnePixel) {
    for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) {
        const PrintLayout layout = printLayout({32, 32}, kPortrait, zoom, kPanel);
        ASSERT_FLOAT_EQ(layout.fit, 150.0f) << zoom;
        ASSERT_FLOAT_EQ(layout.scale, 6.0f) << zoom;
        ASSERT_EQ(edges(layout.printRect), (Edges{2304, 3204, 2496, 3396})) << zoom;
        ASSERT_EQ(layout.miniatureComputed, QSize(-5, -5)) << zoom;
        // One pixel, centred on the outline by the same rule as any miniature.
        ASSERT_TRUE(layout.miniatureShown);
        ASSERT_EQ(layout.miniature, QRect(30 + 32, 18 + 44, 1, 1)) << zoom;
    }
}

TEST(PrintLayoutTest, FitTakesTheSmallerRatioInSinglePrecision) {
    EXPECT_FLOAT_EQ(fitScale(kPortrait, {640, 480}), 7.5f);
    EXPECT_FLOAT_EQ(fitScale(kPortrait, {480, 640}), 10.0f);
    // 6851 / 480 is not exact in binary: the quotient is the single-precision one.
    EXPECT_EQ(fitScale({4792, 6851}, {100, 480}), static_cast<float>(6851.0 / 480.0));
}

TEST(PrintLayoutTest, EmptyPicturesAndPagesDivideByNothing) {
    EXPECT_EQ(fitScale(kPortrait, {0, 0}), 0.0f);
    EXPECT_EQ(fitScale(kPortrait, {640, 0}), 0.0f);
    EXPECT_EQ(fitScale({0, 0}, {640, 480}), 0.0f);

    // No picture: the page is shown, nothing is to print, there is no miniature.
    const PrintLayout noPicture = printLayout({0, 0}, kPortrait, 100, kPanel);
    EXPECT_FALSE(noPicture.printable);
    EXPECT_TRUE(noPicture.outlineShown);
    EXPECT_EQ(noPicture.outline, QRect(30, 18, 65, 89));
    EXPECT_FALSE(noPicture.miniatureShown);

    // No page (a printer that reports none): nothing at all.
    for (const QSize page : {QSize(0, 0), QSize(4800, 0), QSize(0, 6600)}) {
        const PrintLayout noPage = printLayout({640, 480}, page, 100, kPanel);
        EXPECT_FALSE(noPage.printable);
        EXPECT_FALSE(noPage.outlineShown);
        EXPECT_FALSE(noPage.miniatureShown);
    }
}

TEST(PrintLayoutTest, AVeryWidePictureDoesNotOverflowTheMiniature) {
    // 100 outline pixels times 30 million image pixels is beyond 32 bits.
    const PrintLayout layout = printLayout({30'000'000, 10}, kLandscape, 200, kPanel);
    EXPECT_TRUE(layout.printable);
    EXPECT_EQ(layout.miniatureComputed.width(), 100 - 8);
    EXPECT_LE(layout.printRect.width(), kLandscape.width());
}

} // namespace
