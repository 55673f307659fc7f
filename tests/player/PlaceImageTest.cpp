#include "PlaceImage.h"
#include "ColorRef.h"
#include "ILSpecAd.h"
#include "ScriptedMessages.h"
#include "PictureWidget.h"
#include "TempFolder.h"

#include <QApplication>
#include <QPainter>
#include <QScrollArea>
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

TEST(PlaceImage, GeometryOfTheWorkedFiguresAndTheEdges) {
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
        const auto p = placeGeometry(e.picture, e.visible, e.screen, e.fit);
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->display, e.display) << e.picture.width() << "x" << e.picture.height();
        EXPECT_EQ(QRect(p->left, p->top, p->scaledWidth, p->scaledHeight),
                  QRect(e.left, e.top, e.width, e.height))
            << e.picture.width() << "x" << e.picture.height() << (e.fit ? " fit" : " natural");
    }
    EXPECT_FALSE(placeGeometry(QSize(0, 0), area, screen, true)) << "an empty picture cannot be placed";
    EXPECT_FALSE(placeGeometry(QSize(100, 0), area, screen, false));
}

TEST(PlaceImage, TheShowRotatesThroughThreeEffects) {
    EXPECT_EQ(methodForCycle(0), FXNone);
    EXPECT_EQ(methodForCycle(1), FXHorizontal);
    EXPECT_EQ(methodForCycle(2), FXRectangles);
    EXPECT_EQ(methodForCycle(3), FXVertical);
    EXPECT_EQ(methodForCycle(4), FXNone);
    EXPECT_EQ(methodForCycle(-1), FXNone);
}

TEST(PlaceImage, ComposesOntoTheBackgroundAndKeepsThePreviousPictureOnFailure) {
    TempFolder tmp;
    QImage wide(1200, 400, QImage::Format_RGB32);
    wide.fill(QColor(200, 30, 30));
    ASSERT_TRUE(wide.save(tmp.file("wide.png")));

    ScriptedMessages messages;
    QScrollArea scroll;
    scroll.setFrameShape(QFrame::NoFrame);
    scroll.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll.setAttribute(Qt::WA_DontShowOnScreen);
    scroll.resize(600, 400);
    auto* display = new PictureWidget(messages);
    scroll.setWidget(display);
    scroll.show();
    PictureWidget loader(messages);
    TEdge edge(messages);
    edge.sMultiImage = display;

    loader.loadFile(tmp.file("wide.png"));
    ASSERT_TRUE(PlaceImage(loader, *display, edge, true, 0, Qt::black, QSize(1024, 768)));
    const QImage frame = display->picture().raster();
    ASSERT_EQ(frame.size(), QSize(600, 400));
    EXPECT_EQ(frame.pixelColor(300, 99), QColor(Qt::black)) << "band above";
    EXPECT_EQ(frame.pixelColor(300, 100), QColor(200, 30, 30));
    EXPECT_EQ(frame.pixelColor(300, 299), QColor(200, 30, 30));
    EXPECT_EQ(frame.pixelColor(300, 300), QColor(Qt::black)) << "band below";
    EXPECT_EQ(edge.FXMethod, FXNone);

    // An empty file leaves the picture of the slide before.
    loader.loadFile(tmp.write("empty.png", QByteArray()));
    EXPECT_FALSE(PlaceImage(loader, *display, edge, true, 0, Qt::black, QSize(1024, 768)));
    EXPECT_EQ(display->picture().raster(), frame);

    // Without fit the display takes the picture's size where it exceeds the screen, to scroll.
    loader.loadFile(tmp.file("wide.png"));
    ASSERT_TRUE(PlaceImage(loader, *display, edge, false, 0, Qt::white, QSize(800, 600)));
    EXPECT_EQ(display->size(), QSize(1200, 600));
    EXPECT_EQ(display->picture().raster().pixelColor(0, 0), QColor(200, 30, 30)) << "starts at the top-left";
}

TEST(ColorRef, ValuesStoredByTheShow) {
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(ColorRef::toColor(0x00FF0000, palette), QColor(0, 0, 255)) << "0x00BBGGRR";
    EXPECT_EQ(ColorRef::toColor(0x000080FF, palette), QColor(255, 128, 0));
    EXPECT_EQ(ColorRef::toColor(ColorRef::kButtonFace, palette), palette.color(QPalette::Button));
    EXPECT_EQ(ColorRef::fromColor(QColor(255, 128, 0)), 0x000080FFu);
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("-2147483633", palette), palette.color(QPalette::Button));
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("255", palette), QColor(255, 0, 0));
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("red", palette), QColor(Qt::black));
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("", palette), QColor(Qt::black));
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("4294967295", palette), QColor(Qt::black))
        << "beyond 32-bit signed";
}

} // namespace
