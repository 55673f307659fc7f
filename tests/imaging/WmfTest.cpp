// Metafiles written record by record, decoded, rendered, and checked pixel by pixel.

#include "ImageDecoder.h"
#include "RegressionInputs.h"
#include "TempFolder.h"
#include "WmfWriter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb Green = 0xFF00FF00;

// A 100 x 100 unit drawing, 1 unit = 1 pixel at 96 units per inch.
WmfWriter canvas() {
    WmfWriter w;
    w.placeable(0, 0, 100, 100, 96);
    w.setWindowOrg(0, 0);
    w.setWindowExt(100, 100);
    return w;
}

DecodeResult decodeBytes(const TempFolder& dir, const QByteArray& bytes, const QString& name = "t.wmf") {
    return decodeImageFile(dir.write(name, bytes));
}

QImage render(const WmfWriter& w, QSize size = QSize(100, 100)) {
    TempFolder dir;
    const DecodeResult r = decodeBytes(dir, w.bytes());
    EXPECT_FALSE(r.failed()) << r.errorText.toStdString();
    EXPECT_TRUE(r.picture.isVector());
    return r.picture.toImage(size).convertToFormat(QImage::Format_RGB32);
}

int countColour(const QImage& image, QRgb colour, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

} // namespace

TEST(Metafile, NaturalSizeComesFromThePlaceableFrameAtNinetySixDpi) {
    TempFolder dir;
    WmfWriter w;
    w.placeable(0, 0, 2880, 1440, 1440); // 2 x 1 inches
    w.setWindowExt(2880, 1440);
    w.rectangle(0, 0, 2880, 1440);
    const DecodeResult r = decodeBytes(dir, w.bytes());
    ASSERT_FALSE(r.failed()) << r.errorText.toStdString();
    EXPECT_EQ(r.picture.width(), 192);
    EXPECT_EQ(r.picture.height(), 96);
    EXPECT_TRUE(r.picture.raster().isNull());
}

TEST(Metafile, FilledShapesLandWhereTheRecordsPutThem) {
    WmfWriter w = canvas();
    w.createPen(5 /* null */, 0, 0);
    w.selectObject(0);
    w.createBrush(0, Red);
    w.selectObject(1);
    w.rectangle(0, 0, 50, 50);
    w.createBrush(0, Blue);
    w.selectObject(2);
    w.ellipse(50, 50, 100, 100);
    w.createBrush(0, Green);
    w.selectObject(3);
    w.polygon({QPoint(60, 0), QPoint(100, 0), QPoint(100, 40)});
    w.createBrush(0, Red);
    w.selectObject(4);
    w.roundRect(0, 60, 40, 100, 20, 20);

    const QImage img = render(w);
    EXPECT_EQ(img.pixel(25, 25), Red);
    EXPECT_EQ(img.pixel(75, 75), Blue);
    EXPECT_EQ(img.pixel(52, 52), White) << "an ellipse leaves its bounding box's corners alone";
    EXPECT_EQ(img.pixel(95, 5), Green);
    EXPECT_EQ(img.pixel(65, 35), White) << "the other side of the triangle's diagonal";
    EXPECT_EQ(img.pixel(20, 80), Red);
    EXPECT_EQ(img.pixel(1, 61), White) << "a round rectangle's corner is cut off";
    EXPECT_EQ(img.pixel(45, 75), White) << "nothing was drawn outside the shapes";
}

TEST(Metafile, RenderingFollowsTheTargetSizeAndWindowOrigin) {
    WmfWriter w;
    w.placeable(1000, 2000, 1100, 2100, 96);
    w.setWindowOrg(1000, 2000);
    w.setWindowExt(100, 100);
    w.createBrush(0, Red);
    w.selectObject(0);
    w.rectangle(1000, 2000, 1050, 2100); // the left half
    w.createBrush(0, Blue);
    w.selectObject(1);
    w.rectangle(1050, 2000, 1100, 2100); // the right half

    const QImage img = render(w, QSize(300, 60));
    EXPECT_EQ(img.pixel(20, 30), Red);
    EXPECT_EQ(img.pixel(280, 30), Blue);
    EXPECT_EQ(img.pixel(140, 30), Red);
    EXPECT_EQ(img.pixel(160, 30), Blue);
}

TEST(Metafile, PolyPolygonLeavesItsHoleOpenUnderAlternateFill) {
    WmfWriter w = canvas();
    w.createPen(5, 0, 0);
    w.selectObject(0);
    w.createBrush(0, Blue);
    w.selectObject(1);
    w.setPolyFillMode(1);
    w.polyPolygon({{QPoint(0, 0), QPoint(100, 0), QPoint(100, 100), QPoint(0, 100)},
                   {QPoint(30, 30), QPoint(70, 30), QPoint(70, 70), QPoint(30, 70)}});
    const QImage img = render(w);
    EXPECT_EQ(img.pixel(10, 10), Blue);
    EXPECT_EQ(img.pixel(50, 50), White);
    EXPECT_EQ(img.pixel(90, 50), Blue);
}

TEST(Metafile, PensAndBrushesKeepTheirStyles) {
    WmfWriter w = canvas();
    w.createPen(1 /* dash */, 1, Red);
    w.selectObject(0);
    w.moveTo(0, 10);
    w.lineTo(100, 10);
    w.createPen(0, 6, Blue);
    w.selectObject(1);
    w.polyline({QPoint(0, 30), QPoint(100, 30)});
    w.createPen(5, 0, 0);
    w.selectObject(2);
    w.createBrush(2 /* hatched */, Green, 4 /* cross */);
    w.selectObject(3);
    w.setBkMode(1); // transparent: the hatch's gaps show what is below
    w.rectangle(0, 50, 100, 100);

    const QImage img = render(w);
    const QRect dashRow(0, 9, 100, 3);
    const int inked = 300 - countColour(img, White, dashRow);
    EXPECT_GT(inked, 30) << "the dashed line is drawn";
    EXPECT_GT(countColour(img, White, QRect(0, 10, 100, 1)), 10) << "and has gaps";
    EXPECT_EQ(img.pixel(50, 30), Blue);
    EXPECT_EQ(img.pixel(50, 28), Blue) << "a six-unit pen is wider than a hairline";
    const QRect hatched(10, 60, 80, 30);
    EXPECT_GT(countColour(img, White, hatched), 100);
    EXPECT_GT(countColour(img, Green, hatched), 100);
}

TEST(Metafile, PieChordAndArcCoverTheRightQuadrants) {
    WmfWriter w = canvas();
    w.createPen(5, 0, 0);
    w.selectObject(0);
    w.createBrush(0, Red);
    w.selectObject(1);
    // A pie from 3 o'clock counter-clockwise to 12 o'clock: the upper right quarter.
    w.arcLike(0x081A, 0, 0, 100, 100, 100, 50, 50, 0);
    const QImage img = render(w);
    EXPECT_EQ(img.pixel(70, 30), Red);
    EXPECT_EQ(img.pixel(30, 30), White);
    EXPECT_EQ(img.pixel(30, 70), White);
    EXPECT_EQ(img.pixel(70, 70), White);

    WmfWriter c = canvas();
    c.createPen(5, 0, 0);
    c.selectObject(0);
    c.createBrush(0, Blue);
    c.selectObject(1);
    c.arcLike(0x0830, 0, 0, 100, 100, 100, 50, 50, 0); // the chord of the same quarter
    const QImage chord = render(c);
    EXPECT_EQ(chord.pixel(78, 18), Blue);
    EXPECT_EQ(chord.pixel(60, 40), White) << "a chord stops at the straight line";
}

TEST(Metafile, TextIsDrawnInTheTextColour) {
    WmfWriter w = canvas();
    w.createFont(-40, "DejaVu Sans", 700);
    w.selectObject(0);
    w.setTextColor(Blue);
    w.setBkMode(1);
    w.record(0x012E, {24}); // baseline alignment
    w.textOut(5, 60, "HH");
    const QImage img = render(w);
    int blueish = 0;
    for (int y = 20; y < 62; ++y)
        for (int x = 0; x < 100; ++x)
            blueish += qBlue(img.pixel(x, y)) > 200 && qRed(img.pixel(x, y)) < 60;
    EXPECT_GT(blueish, 100);
    EXPECT_EQ(countColour(img, White, QRect(0, 70, 100, 30)), 3000) << "nothing below the baseline";
}

// Office suites set the text state once and wrap every shape and text in SaveDC/RestoreDC; the
// state must survive the save and come back with whichever level a RestoreDC names.
TEST(Metafile, TextKeepsTheStateSavedAroundIt) {
    constexpr quint16 Transparent = 1, Opaque = 2, Top = 0, Baseline = 24;
    struct Case {
        const char* name;
        quint16 mode;                            // background mode set before anything is saved
        quint16 align;                           // text alignment set before anything is saved
        std::function<void(WmfWriter&)> between; // records between that and the text
        bool boxed;                              // an opaque red box behind the text
    };
    // On green, so that a box of any colour shows; red is what no pixel has without one.
    const Case cases[] = {
        {"saved once", Transparent, Baseline, [](WmfWriter& w) { w.saveDC(); }, false},
        {"opaque background saved", Opaque, Baseline, [](WmfWriter& w) { w.saveDC(); }, true},
        {"top alignment saved", Transparent, Top, [](WmfWriter& w) { w.saveDC(); }, false},
        {"restored two levels back", Transparent, Baseline,
         [](WmfWriter& w) {
             w.saveDC();
             w.setBkMode(Opaque);
             w.saveDC();
             w.restoreDC(-2);
         },
         false},
        {"restored to the first saved level", Transparent, Baseline,
         [](WmfWriter& w) {
             w.saveDC();
             w.setBkMode(Opaque);
             w.saveDC();
             w.saveDC();
             w.restoreDC(1);
         },
         false},
        {"restore of a level never saved", Opaque, Baseline,
         [](WmfWriter& w) {
             w.restoreDC(-1);
             w.saveDC();
             w.setBkMode(Transparent);
             w.restoreDC(-2);
             w.restoreDC(3);
         },
         false},
    };
    constexpr int x = 5, y = 30;
    for (const Case& c : cases) {
        WmfWriter w = canvas();
        w.createPen(5 /* null */, 0, 0);
        w.selectObject(0);
        w.createBrush(0, Green);
        w.selectObject(1);
        w.rectangle(0, 0, 100, 100);
        w.createFont(-40, "DejaVu Sans");
        w.selectObject(2);
        w.setTextColor(Blue);
        w.setBkColor(Red);
        w.setBkMode(c.mode);
        w.setTextAlign(c.align);
        c.between(w);
        w.textOut(x, y, "HH");
        w.restoreDC(-1);
        const QImage img = render(w);

        int blueInk = 0, boxed = 0, red = 0, lowestInk = -1;
        for (int row = 0; row < img.height(); ++row)
            for (int col = 0; col < img.width(); ++col) {
                const QRgb p = img.pixel(col, row);
                if (qRed(p) < 100 && qGreen(p) < 100) { // glyphs of any colour
                    lowestInk = row;
                    blueInk += qBlue(p) > 150;
                }
                boxed += qRed(p) > 150;
                red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
            }
        EXPECT_GT(blueInk, 100) << c.name << ": the text is drawn in the saved text colour";
        if (c.boxed)
            EXPECT_GT(red, 500) << c.name << ": a box in the saved background colour";
        else
            EXPECT_EQ(boxed, 0) << c.name << ": no opaque box behind the text";
        // A capital sits on the baseline: at the point itself, or one font ascent below a
        // top-aligned point.
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        const double baseline = c.align == Top ? y + QFontMetricsF(font).ascent() : y;
        EXPECT_NEAR(lowestInk + 1, baseline, 1.0) << c.name;
    }
}

TEST(Metafile, EmbeddedBitmapsAreStretchedIntoTheirRectangle) {
    QImage bitmap(2, 2, QImage::Format_RGB32);
    bitmap.setPixel(0, 0, Red);
    bitmap.setPixel(1, 0, Green);
    bitmap.setPixel(0, 1, Blue);
    bitmap.setPixel(1, 1, White);
    WmfWriter w = canvas();
    w.stretchDib(bitmap, 0, 0, 100, 100);
    const QImage img = render(w);
    EXPECT_EQ(img.pixel(10, 10), Red);
    EXPECT_EQ(img.pixel(90, 10), Green);
    EXPECT_EQ(img.pixel(10, 90), Blue);

    WmfWriter d = canvas();
    d.dibStretchBlt(bitmap, 50, 50, 50, 50);
    const QImage half = render(d);
    EXPECT_EQ(half.pixel(55, 55), Red);
    EXPECT_EQ(half.pixel(25, 25), White);
}

// A pattern brush fills with the bitmap the record carries. The player keeps brushes in object
// slots that a later record may reuse for a pen; a brush still selected from such a slot once had
// the pen's bytes taken for a pointer to an image. Only bitmaps the decoder made itself are used.
TEST(Metafile, PatternBrushesFillWithTheirOwnBitmapAndNothingElse) {
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, Red);
    tile.setPixel(1, 0, Green);
    tile.setPixel(0, 1, Blue);
    tile.setPixel(1, 1, White);
    WmfWriter w = canvas();
    w.dibPatternBrush(tile);
    w.selectObject(0);
    w.rectangle(-10, -10, 110, 110);
    const QImage img = render(w);
    // The tile is scaled and smoothed with the drawing, so its colours are told apart by their
    // dominant channel.
    int reddish = 0, greenish = 0, bluish = 0;
    for (int y = 10; y < 90; ++y)
        for (int x = 10; x < 90; ++x) {
            const QRgb p = img.pixel(x, y);
            reddish += qRed(p) > 150 && qGreen(p) < 100 && qBlue(p) < 100;
            greenish += qGreen(p) > 150 && qRed(p) < 100 && qBlue(p) < 100;
            bluish += qBlue(p) > 150 && qRed(p) < 100 && qGreen(p) < 100;
        }
    EXPECT_GT(reddish, 100);
    EXPECT_GT(greenish, 100);
    EXPECT_GT(bluish, 100);

    TempFolder dir;
    const DecodeResult reused =
        decodeBytes(dir, regressionInput("wmf", "reused-brush-slot-wild-pattern-pointer.wmf"));
    EXPECT_TRUE(reused.failed() || !reused.picture.toImage(QSize(40, 30)).isNull());
}

// A window 2 units wide and 3172 high squeezes text one way and stretches it the other: Qt's glyph
// cache then made no bitmap for a glyph thousands of pixels tall and copied from nothing. Such text
// is drawn as outlines; ordinary text keeps Qt's own glyphs.
// The same for a font, whose face name is a pointer: a slot that held a font and was taken by
// another object once handed the text a wild name (found by fuzzing). Text is drawn only with a
// font the decoder saw made.
TEST(Metafile, TextIsDrawnOnlyWithAFontTheDecoderSawMade) {
    TempFolder dir;
    const DecodeResult found =
        decodeBytes(dir, regressionInput("wmf", "reused-font-slot-wild-face-name.wmf"));
    EXPECT_TRUE(found.failed() || !found.picture.toImage(QSize(160, 120)).isNull());
}

TEST(Metafile, TextStretchedOneWayIsDrawnAsOutlines) {
    TempFolder dir;
    const DecodeResult found = decodeBytes(
        dir, regressionInput("wmf", "text-stretched-one-way-glyph-cache-copies-from-nothing.wmf"));
    ASSERT_FALSE(found.failed()) << found.errorText.toStdString();
    for (const QSize size : {QSize(160, 120), QSize(1600, 1200), QSize(7, 900)})
        EXPECT_FALSE(found.picture.toImage(size).isNull());

    WmfWriter w;
    w.setWindowOrg(0, 0);
    w.setWindowExt(4000, 40); // drawn at 200 x 200: a twentieth across, five times down
    w.createFont(-60, "DejaVu Sans", 700);
    w.selectObject(0);
    w.setTextColor(qRgb(255, 0, 0));
    w.setBkMode(1);
    w.textOut(100, 0, "IIIIIIIIIIIIIIIIIIIIIIIIIIIIII");
    const DecodeResult stretched = decodeBytes(dir, w.bytes());
    ASSERT_FALSE(stretched.failed()) << stretched.errorText.toStdString();
    const QImage img = stretched.picture.toImage(QSize(200, 200)).convertToFormat(QImage::Format_RGB32);
    int inked = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            inked += qRed(img.pixel(x, y)) > 200 && qGreen(img.pixel(x, y)) < 200;
    EXPECT_GT(inked, 0) << "the text is drawn, not dropped";
}

TEST(Metafile, HeaderCountsThatUnderstateTheTruthAreCorrected) {
    WmfWriter w = canvas();
    w.createBrush(0, Red);
    w.selectObject(0);
    w.rectangle(0, 0, 100, 100);
    w.objectsOverride_ = 0;
    w.maxRecordOverride_ = 3;
    TempFolder dir;
    const DecodeResult r = decodeBytes(dir, w.bytes());
    ASSERT_FALSE(r.failed()) << r.errorText.toStdString();
    EXPECT_EQ(r.picture.toImage().pixel(50, 50), Red);
}

TEST(Metafile, RecordsThatLieAboutTheirSizeRaiseWithAReason) {
    TempFolder dir;
    struct Case {
        const char* name;
        std::function<void(WmfWriter&)> damage;
    };
    const Case cases[] = {
        {"size past end",
         [](WmfWriter& w) {
             w.rawRecord(0x7FFFFFFF, 0x041B, {0, 0, 10, 10});
         }},
        {"size below minimum",
         [](WmfWriter& w) {
             w.rawRecord(1, 0x041B, {0, 0, 10, 10});
         }},
        {"polygon count past record",
         [](WmfWriter& w) {
             w.record(0x0324, {60000, 1, 2, 3, 4});
         }},
        {"polypolygon counts past record",
         [](WmfWriter& w) {
             w.record(0x0538, {2, 40000, 40000, 0, 0});
         }},
        {"rectangle without corners", [](WmfWriter& w) { w.record(0x041B, {1}); }},
        {"text longer than record",
         [](WmfWriter& w) {
             w.record(0x0521, {5000, 0x4141, 0, 0});
         }},
    };
    for (const Case& c : cases) {
        WmfWriter w = canvas();
        c.damage(w);
        const DecodeResult r = decodeBytes(dir, w.bytes(), QString::fromLatin1(c.name) + ".wmf");
        EXPECT_TRUE(r.reportedByCaller) << c.name;
        EXPECT_FALSE(r.errorText.isEmpty()) << c.name;
        EXPECT_TRUE(r.failedMessage.isEmpty()) << c.name;
        EXPECT_TRUE(r.picture.isEmpty()) << c.name;
    }
    // A bitmap record claiming a gigantic bitmap draws nothing rather than allocating it.
    WmfWriter w = canvas();
    QList<quint16> p = {0x0020, 0x00CC, 0, 1, 1, 0, 0, 100, 100, 0, 0};
    p << 40 << 0 << 0xFFFF << 0x7FFF << 0xFFFF << 0x7FFF << 1 << 24 << 0 << 0 << 0 << 0 << 0 << 0 << 0 << 0
      << 0 << 0 << 0 << 0;
    w.record(0x0F43, p);
    w.rectangle(0, 0, 10, 10);
    const DecodeResult big = decodeBytes(dir, w.bytes(), "big.wmf");
    EXPECT_FALSE(big.reportedByCaller) << big.errorText.toStdString();
    EXPECT_FALSE(big.picture.isEmpty());
}

TEST(Metafile, WithoutTheClosingRecordTheDrawingStillShows) {
    WmfWriter w = canvas();
    w.createBrush(0, Red);
    w.selectObject(0);
    w.rectangle(0, 0, 100, 100);
    TempFolder dir;
    const DecodeResult r = decodeBytes(dir, w.bytes(false));
    ASSERT_FALSE(r.failed()) << r.errorText.toStdString();
    EXPECT_EQ(r.picture.toImage().pixel(50, 50), Red);
}
