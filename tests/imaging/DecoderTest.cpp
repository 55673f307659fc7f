// The decoder as the program uses it: dispatch by extension, failure texts, decode size, EXIF
// orientation, hostile headers, and a seeded stream of damaged files of every format.

#include "ImageDecoder.h"
#include "PcxWriter.h"
#include "RegressionInputs.h"
#include "TempFolder.h"
#include "WmfWriter.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QImage testImage(int w = 64, int h = 48) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x < w / 2) ? 40 : 220));
    return image;
}

QByteArray encode(const QImage& image, const char* format, int quality = -1,
                  QImageIOHandler::Transformations transform = QImageIOHandler::TransformationNone) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setTransformation(transform);
    EXPECT_TRUE(writer.write(image)) << format << writer.errorString().toStdString();
    return bytes;
}

QByteArray sampleWmf() {
    WmfWriter w;
    w.placeable(0, 0, 200, 100, 96);
    w.setWindowExt(200, 100);
    w.createPen(0, 2, qRgb(0, 0, 0));
    w.selectObject(0);
    w.createBrush(2, qRgb(200, 0, 0), 3);
    w.selectObject(1);
    w.ellipse(10, 10, 190, 90);
    w.createFont(-20, "DejaVu Sans");
    w.selectObject(2);
    w.textOut(20, 50, "Orvanne");
    w.stretchDib(testImage(4, 4), 0, 0, 50, 50);
    w.polyPolygon(
        {{QPoint(0, 0), QPoint(60, 0), QPoint(30, 50)}, {QPoint(20, 10), QPoint(40, 10), QPoint(30, 30)}});
    return w.bytes();
}

// Qt writes no GIF, so a small one is spelled out: 2 x 2 pixels, four colours.
QByteArray sampleGif() {
    return QByteArray::fromHex(
        "47494638396102000200910000ff000000ff000000ffffffff21f90401000000002c000000000200"
        "02000002028c0a003b");
}

QByteArray samplePcx() {
    PcxPicture p;
    p.width = 33;
    p.height = 21;
    p.bitsPerPixel = 8;
    p.planes = 1;
    for (int i = 0; i < p.width * p.height; ++i)
        p.pixels.push_back(quint32((i / 5) % 256));
    for (int i = 0; i < 256; ++i)
        p.palette << qRgb(i, i / 2, 255 - i);
    return writePcx(p);
}

// A 16-bit bitmap, rows given top first. With bit-field compression (3) the masks follow a 40-byte
// information header, or lie inside a longer one (red, green, blue, alpha).
QByteArray bitmap16(const QList<QList<quint16>>& rows, quint32 compression, const QList<quint32>& masks = {},
                    quint32 infoSize = 40) {
    auto put = [](QByteArray& b, auto value) {
        char bytes[sizeof(value)];
        qToLittleEndian(value, bytes);
        b.append(bytes, sizeof(value));
    };
    const int width = int(rows.first().size()), height = int(rows.size());
    QByteArray info;
    put(info, quint32(infoSize));
    put(info, qint32(width));
    put(info, qint32(height));
    put(info, quint16(1));
    put(info, quint16(16));
    put(info, compression);
    for (int i = 0; i < 5; ++i)
        put(info, quint32(0));
    for (quint32 m : masks)
        put(info, m);
    if (info.size() < qsizetype(infoSize))
        info.append(QByteArray(qsizetype(infoSize) - info.size(), '\0'));
    QByteArray pixels;
    for (int y = height - 1; y >= 0; --y) {
        for (quint16 p : rows[y])
            put(pixels, p);
        while (pixels.size() % 4)
            pixels.append('\0');
    }
    QByteArray file("BM");
    put(file, quint32(14 + info.size() + pixels.size()));
    put(file, quint32(0));
    put(file, quint32(14 + info.size()));
    return file + info + pixels;
}

quint32 crc32Of(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims any size, with valid checksums so that the claim is believed.
QByteArray pngClaiming(quint32 width, quint32 height) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    auto chunk = [&](const char* type, const QByteArray& data) {
        QByteArray len(4, '\0');
        qToBigEndian<quint32>(quint32(data.size()), len.data());
        QByteArray body = QByteArray(type, 4) + data;
        QByteArray crc(4, '\0');
        qToBigEndian<quint32>(crc32Of(body), crc.data());
        png += len + body + crc;
    };
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 6; // RGBA
    chunk("IHDR", ihdr);
    chunk("IDAT", QByteArray(64, '\0'));
    chunk("IEND", QByteArray());
    return png;
}

} // namespace

TEST(Decoder, EachFormatDecodesToItsPixels) {
    TempFolder dir;
    const QImage source = testImage();
    struct Format {
        const char* file;
        const char* writer;
        bool lossless;
    };
    const Format formats[] = {{"a.bmp", "bmp", true},    {"a.png", "png", true},    {"a.tif", "tiff", true},
                              {"a.TIFF", "tiff", true},  {"a.webp", "webp", false}, {"a.jpg", "jpeg", false},
                              {"a.JPEG", "jpeg", false}, {"a.ico", "ico", true}};
    for (const Format& f : formats) {
        const QString path = dir.write(f.file, encode(source, f.writer, 95));
        const DecodeResult r = decodeImageFile(path);
        ASSERT_FALSE(r.failed()) << f.file << ": " << r.errorText.toStdString();
        EXPECT_EQ(r.picture.size(), source.size()) << f.file;
        EXPECT_FALSE(r.picture.isVector());
        const QRgb got = r.picture.raster().pixel(10, 40), want = source.pixel(10, 40);
        if (f.lossless)
            EXPECT_EQ(got, want) << f.file;
        else
            EXPECT_NEAR(qGreen(got), qGreen(want), 24) << f.file;
    }
    const DecodeResult gif = decodeImageFile(dir.write("a.gif", sampleGif()));
    ASSERT_FALSE(gif.failed()) << gif.errorText.toStdString();
    EXPECT_EQ(gif.picture.size(), QSize(2, 2));
    const DecodeResult pcx = decodeImageFile(dir.write("b.PCX", samplePcx()));
    EXPECT_EQ(pcx.picture.size(), QSize(33, 21));
    const DecodeResult wmf = decodeImageFile(dir.write("c.Wmf", sampleWmf()));
    EXPECT_TRUE(wmf.picture.isVector());
    EXPECT_EQ(wmf.picture.size(), QSize(200, 100));
}

TEST(Decoder, UnknownExtensionsAreRecognisedByContent) {
    TempFolder dir;
    const DecodeResult png = decodeImageFile(dir.write("photo.dat", encode(testImage(), "png")));
    EXPECT_EQ(png.picture.size(), QSize(64, 48));
    const DecodeResult wmf = decodeImageFile(dir.write("drawing", sampleWmf()));
    EXPECT_TRUE(wmf.picture.isVector());
    const DecodeResult pcx = decodeImageFile(dir.write("scan.img", samplePcx()));
    EXPECT_EQ(pcx.picture.size(), QSize(33, 21));
    const DecodeResult junk = decodeImageFile(dir.write("notes.txt", "hello"));
    EXPECT_TRUE(junk.picture.isEmpty());
    EXPECT_EQ(junk.failedMessage, "Reading txt file failed");
}

// The decode size is the area the picture is fitted into; the raster comes out at exactly the
// size the show draws the picture at there, so drawing it copies it without a second resampling.
TEST(Decoder, RastersAreDecodedAtTheSizeTheyAreDrawnAt) {
    TempFolder dir;
    struct Case {
        const char* file;
        QByteArray bytes;
        QSize natural;
        QSize area;
        QSize drawn;
    };
    const Case cases[] = {
        // Qt's own fitting would give 45 x 72; single precision makes 72/320 a hair small.
        {"tall.png", encode(testImage(200, 320), "png"), {200, 320}, {128, 72}, {44, 71}},
        {"over.png", encode(testImage(601, 400), "png"), {601, 400}, {600, 400}, {599, 399}},
        {"big.jpg", encode(testImage(800, 600), "jpeg", 90), {800, 600}, {200, 200}, {200, 150}},
        {"p.pcx", samplePcx(), {33, 21}, {11, 7}, {11, 7}},
        {"small.png",
         encode(testImage(300, 201), "png"),
         {300, 201},
         {600, 400},
         {300, 201}}, // never enlarged
    };
    for (const Case& c : cases) {
        const DecodeResult r = decodeImageFile(dir.write(c.file, c.bytes), c.area);
        ASSERT_FALSE(r.failed()) << c.file;
        const QImage raster = r.picture.raster();
        EXPECT_EQ(raster.size(), c.drawn) << c.file;
        EXPECT_EQ(r.picture.size(), c.natural) << c.file;

        QImage frame(c.area + QSize(7, 5), QImage::Format_RGB32);
        frame.fill(Qt::black);
        QPainter painter(&frame);
        r.picture.draw(painter, QRectF(QPointF(3, 2), QSizeF(c.drawn)));
        painter.end();
        EXPECT_EQ(frame.copy(QRect(QPoint(3, 2), c.drawn)), raster.convertToFormat(QImage::Format_RGB32))
            << c.file << ": drawn pixel for pixel";
    }
}

// Full scale in a 16-bit bitmap is white, and every channel's steps stay even: each channel's bits
// are repeated into the low bits, whatever its width, also when the bitmap is shrunk.
// A GIF whose screen claims no height, or a height its picture does not have, tells its size only
// once it is read; the picture's own size then counts, and it is brought to the size it is drawn
// at like every other raster (found by fuzzing).
TEST(Decoder, APictureWhoseHeaderMisstatesItsSizeIsStillDecodedAtItsDrawnSize) {
    for (const char* name :
         {"gif-without-height-decoded-unfitted.gif", "gif-claiming-50-rows-holding-2049.gif"}) {
        const QString path = regressionPath(QStringLiteral("image"), QLatin1String(name));
        const DecodeResult fitted = decodeImageFile(path, QSize(320, 240));
        ASSERT_FALSE(fitted.failed()) << fitted.errorText.toStdString();
        EXPECT_EQ(fitted.picture.size(), QSize(1, 2049)) << name;
        EXPECT_EQ(fitted.picture.raster().size(), QSize(1, 240)) << name;
        const DecodeResult natural = decodeImageFile(path);
        EXPECT_EQ(natural.picture.size(), QSize(1, 2049)) << name;
        EXPECT_EQ(natural.picture.raster().size(), QSize(1, 2049)) << name;
    }
}

TEST(Decoder, SixteenBitBitmapsReachFullScale) {
    TempFolder dir;
    struct Case {
        const char* file;
        QByteArray bytes;
        QRgb white, middle; // the decode of all ones, and of each channel's top bit alone
    };
    const Case cases[] = {
        {"565.bmp", bitmap16({{0xFFFF, 0x8410}}, 3, {0xF800, 0x07E0, 0x001F}), qRgb(255, 255, 255),
         qRgb(132, 130, 132)},
        {"555.bmp", bitmap16({{0x7FFF, 0x4210}}, 0), qRgb(255, 255, 255), qRgb(132, 132, 132)},
        {"444.bmp", bitmap16({{0x0FFF, 0x0888}}, 3, {0x0F00, 0x00F0, 0x000F}), qRgb(255, 255, 255),
         qRgb(136, 136, 136)},
        {"1555.bmp", bitmap16({{0xFFFF, 0x4210}}, 3, {0x7C00, 0x03E0, 0x001F, 0x8000}, 124),
         qRgba(255, 255, 255, 255), qRgba(132, 132, 132, 0)},
    };
    for (const Case& c : cases) {
        const DecodeResult r = decodeImageFile(dir.write(c.file, c.bytes));
        ASSERT_FALSE(r.failed()) << c.file << ": " << r.errorText.toStdString();
        const QImage image = r.picture.raster().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(image.pixel(0, 0), c.white) << c.file;
        EXPECT_EQ(image.pixel(1, 0), c.middle) << c.file;
    }
    const QList<quint16> whiteRow(8, 0xFFFF);
    const QByteArray white = bitmap16(QList<QList<quint16>>(8, whiteRow), 3, {0xF800, 0x07E0, 0x001F});
    const DecodeResult shrunk = decodeImageFile(dir.write("shrunk.bmp", white), QSize(4, 4));
    ASSERT_EQ(shrunk.picture.raster().size(), QSize(4, 4));
    EXPECT_EQ(shrunk.picture.raster().pixel(2, 2), qRgb(255, 255, 255)) << "widened before shrinking";
}

TEST(Decoder, ExifOrientationGivesTheUprightSize) {
    TempFolder dir;
    const QImage source = testImage(80, 40);
    const QString path =
        dir.write("turned.jpg", encode(source, "jpeg", 95, QImageIOHandler::TransformationRotate90));
    const DecodeResult r = decodeImageFile(path);
    ASSERT_FALSE(r.failed());
    EXPECT_EQ(r.picture.size(), QSize(40, 80));
    const DecodeResult scaled = decodeImageFile(path, QSize(20, 40));
    EXPECT_EQ(scaled.picture.size(), QSize(40, 80));
    EXPECT_EQ(scaled.picture.raster().size(), QSize(20, 40));
}

TEST(Decoder, MissingFilesAreEmptyAndSilent) {
    const DecodeResult r = decodeImageFile("/nonexistent/folder/slide.jpg");
    EXPECT_TRUE(r.picture.isEmpty());
    EXPECT_EQ(r.picture.width(), 0);
    EXPECT_FALSE(r.failed());
    EXPECT_FALSE(decodeImageFile(QString()).failed());
}

TEST(Decoder, BrokenFilesCarryTheDecoderReasonAndTheReadingNotice) {
    TempFolder dir;
    const QByteArray png = encode(testImage(), "png");
    const QList<QPair<QString, QByteArray>> cases = {
        {"zero.jpg", QByteArray()},
        {"half.bmp", encode(testImage(), "bmp").left(80)},
        {"garbage.png", QByteArray(500, 'x')},
        {"half.tif", encode(testImage(), "tiff").left(40)},
        {"huge.png", pngClaiming(60000, 60000)},
        {"widest.png", pngClaiming(0x7FFFFFFF, 1)},
    };
    const QStringList notices = {"Reading jpg file failed", "Reading bmp file failed",
                                 "Reading png file failed", "Reading tif file failed",
                                 "Reading png file failed", "Reading png file failed"};
    for (int i = 0; i < cases.size(); ++i) {
        const DecodeResult r = decodeImageFile(dir.write(cases[i].first, cases[i].second));
        EXPECT_TRUE(r.picture.isEmpty()) << cases[i].first.toStdString();
        EXPECT_FALSE(r.errorText.isEmpty()) << cases[i].first.toStdString();
        EXPECT_EQ(r.failedMessage, notices[i]) << cases[i].first.toStdString();
        EXPECT_FALSE(r.reportedByCaller);
    }
}

// A header may claim rows and a height whose product no integer holds; the completeness check
// once multiplied them (undefined behaviour, caught by the sanitizer build) and now divides.
TEST(Decoder, BitmapHeadersClaimingMoreThanAnyIntegerAreDamage) {
    TempFolder dir;
    QByteArray huge = bitmap16({{0x7FFF}}, 0);
    qToLittleEndian<qint32>(0x7FFFFFFF, huge.data() + 18);  // width
    qToLittleEndian<qint32>(-0x7FFFFFFF, huge.data() + 22); // height, top-down
    qToLittleEndian<quint16>(32, huge.data() + 28);         // bits
    const DecodeResult r = decodeImageFile(dir.write("huge.bmp", huge));
    EXPECT_EQ(r.errorText, "The bitmap's pixel data ends before the end of the picture");
    EXPECT_EQ(r.failedMessage, "Reading bmp file failed");

    const DecodeResult found = decodeImageFile(
        regressionPath(QStringLiteral("image"), QStringLiteral("bmp-rowbytes-mul-overflow.bmp")));
    EXPECT_TRUE(found.picture.isEmpty());
    EXPECT_EQ(found.failedMessage, "Reading bmp file failed");
}

TEST(Decoder, DamagedMetafilesAndIconsRaise) {
    TempFolder dir;
    for (const auto& [name, bytes] :
         {std::pair{"bad.ico", QByteArray("\0\0\1\0\1\0garbage", 14)}, std::pair{"empty.ico", QByteArray()},
          std::pair{"bad.wmf", QByteArray("\xd7\xcd\xc6\x9a", 4)},
          std::pair{"cut.wmf", sampleWmf().left(100)}}) {
        const DecodeResult r = decodeImageFile(dir.write(name, bytes));
        EXPECT_TRUE(r.reportedByCaller) << name;
        EXPECT_FALSE(r.errorText.isEmpty()) << name;
        EXPECT_TRUE(r.failedMessage.isEmpty()) << name;
        EXPECT_TRUE(r.picture.isEmpty()) << name;
    }
}

// Seeded, so a failure can be reproduced: flipped bytes, overwritten runs, truncation and
// insertions. Every outcome must be either a picture or a failure with its texts, never a crash.
TEST(Decoder, SeededMutationsOfEveryFormatNeverCrash) {
    TempFolder dir;
    const QImage source = testImage(40, 30);
    const QList<QPair<QString, QByteArray>> seeds = {
        {"m.bmp", encode(source, "bmp")}, {"m.jpg", encode(source, "jpeg", 80)},
        {"m.png", encode(source, "png")}, {"m.tif", encode(source, "tiff")},
        {"m.gif", sampleGif()},           {"m.ico", encode(source, "ico")},
        {"m.pcx", samplePcx()},           {"m.wmf", sampleWmf()},
    };
    QRandomGenerator random(20240611);
    for (const auto& [name, original] : seeds) {
        int decoded = 0;
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = original;
            const int edits = 1 + int(random.bounded(8));
            for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
                const qsizetype at = qsizetype(random.bounded(quint32(bytes.size())));
                switch (random.bounded(5)) {
                case 0:
                    bytes[at] = char(random.bounded(256));
                    break;
                case 1:
                    bytes[at] = char(uchar(bytes[at]) ^ (1u << random.bounded(8)));
                    break;
                case 2:
                    bytes.truncate(at);
                    break;
                case 3:
                    bytes.insert(at, QByteArray(int(random.bounded(16)) + 1, char(random.bounded(256))));
                    break;
                default:
                    bytes[at] = char(0xFF);
                    break;
                }
            }
            const DecodeResult r =
                decodeImageFile(dir.write(name, bytes), round % 2 ? QSize(17, 13) : QSize());
            if (r.picture.isEmpty()) {
                EXPECT_FALSE(r.errorText.isEmpty()) << name.toStdString() << " round " << round;
            } else {
                ++decoded;
                EXPECT_FALSE(r.failed());
                // Rendering what was decoded must be as safe as decoding it.
                EXPECT_FALSE(r.picture.toImage(QSize(31, 23)).isNull());
            }
        }
        EXPECT_GT(decoded, 0) << name.toStdString() << ": the mutations should leave some files readable";
    }
}
