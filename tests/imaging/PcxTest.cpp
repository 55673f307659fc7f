// PCX files of every depth written byte by byte, read back through QImageReader (which proves the
// static plugin is registered) and compared pixel by pixel.

#include "ImageDecoder.h"
#include "PcxWriter.h"
#include "RegressionInputs.h"
#include "TempFolder.h"

#include <QBuffer>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

QList<QRgb> ega() {
    QList<QRgb> p;
    for (int i = 0; i < 16; ++i)
        p << qRgb((i & 1) * 200 + 20, ((i >> 1) & 1) * 180 + 30, ((i >> 2) & 1) * 160 + (i >> 3) * 60);
    return p;
}

PcxPicture pattern(int width, int height, int bits, int planes) {
    PcxPicture p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = bits;
    p.planes = planes;
    const int levels = 1 << (bits * (bits == 8 && planes > 1 ? 1 : planes));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (bits == 8 && planes >= 3)
                p.pixels.push_back(
                    qRgba(x * 7 % 256, y * 13 % 256, (x * y) % 256, planes == 4 ? (x + y) * 9 % 256 : 255));
            else
                p.pixels.push_back(quint32(((x / 3) + y * 5) % levels));
        }
    if (bits == 8 && planes == 1)
        for (int i = 0; i < 256; ++i)
            p.palette << qRgb(i, 255 - i, (i * 3) % 256);
    else
        p.palette = ega();
    return p;
}

QRgb expected(const PcxPicture& p, int x, int y) {
    const quint32 v = p.pixels[size_t(y) * p.width + x];
    if (p.bitsPerPixel == 8 && p.planes >= 3)
        return p.planes == 4 ? v : (v | 0xFF000000u);
    if (p.bitsPerPixel == 1 && p.planes == 1)
        return v ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    return p.palette[int(v)];
}

QImage readPcx(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.read();
}

void expectSamePixels(const PcxPicture& p, const QImage& image, const char* what) {
    ASSERT_FALSE(image.isNull()) << what;
    ASSERT_EQ(image.size(), QSize(p.width, p.height)) << what;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            ASSERT_EQ(image.pixel(x, y), expected(p, x, y)) << what << " at " << x << "," << y;
}

} // namespace

TEST(Pcx, EveryDepthReadsBackThroughQImageReader) {
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("pcx"));
    struct Depth {
        const char* name;
        int bits, planes;
    };
    const Depth depths[] = {{"1-bit", 1, 1},        {"2-bit", 2, 1},    {"4-bit packed", 4, 1},
                            {"EGA 4 planes", 1, 4}, {"3 planes", 1, 3}, {"8-bit", 8, 1},
                            {"24-bit", 8, 3},       {"32-bit", 8, 4}};
    for (const Depth& d : depths) {
        // An odd width leaves unused bits at each line's end; the extra byte is the usual padding
        // to an even line length.
        PcxPicture p = pattern(37, 11, d.bits, d.planes);
        p.extraBytesPerLine = 1;
        expectSamePixels(p, readPcx(writePcx(p)), d.name);
        p.compressed = false;
        expectSamePixels(p, readPcx(writePcx(p)), d.name);
    }
}

TEST(Pcx, RunsThatCrossLineEndsAreFollowed) {
    PcxPicture p = pattern(40, 6, 8, 1);
    for (auto& v : p.pixels)
        v = 7; // one colour: every run is as long as a run can be and spans lines
    p.runsAcrossLines = true;
    const QByteArray bytes = writePcx(p);
    expectSamePixels(p, readPcx(bytes), "across lines");
    PcxPicture rgb = pattern(20, 5, 8, 3);
    for (auto& v : rgb.pixels)
        v = qRgb(9, 9, 9);
    rgb.runsAcrossLines = true;
    expectSamePixels(rgb, readPcx(writePcx(rgb)), "across planes");
}

TEST(Pcx, SizeComesFromTheHeaderAlone) {
    PcxPicture p = pattern(3000, 2000, 8, 1);
    p.pixels.assign(p.pixels.size(), 0);
    QByteArray bytes = writePcx(p).left(128); // no image data at all
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "pcx");
    EXPECT_EQ(reader.size(), QSize(3000, 2000));
    EXPECT_TRUE(reader.read().isNull());
}

TEST(Pcx, DamagedFilesFailWithTheReadingPcxMessage) {
    TempFolder dir;
    const QByteArray good = writePcx(pattern(30, 20, 8, 3));
    QByteArray brokenRun = good.left(128);
    brokenRun.append(char(0xC5)); // a run count with no value after it
    QByteArray hugeClaim = good.left(128);
    hugeClaim[8] = char(0xFF);
    hugeClaim[9] = char(0xFF);
    hugeClaim[10] = char(0xFF);
    hugeClaim[11] = char(0xFF);
    hugeClaim[66] = char(0xFF);
    hugeClaim[67] = char(0xFF);
    hugeClaim.append(QByteArray(4000, char(0xFF)));
    QByteArray shortLines = good;
    shortLines[66] = 1; // lines too short for the width
    shortLines[67] = 0;
    const QList<QPair<const char*, QByteArray>> cases = {{"truncated", good.left(good.size() / 2)},
                                                         {"broken run", brokenRun},
                                                         {"huge claim", hugeClaim},
                                                         {"short lines", shortLines},
                                                         {"header only", good.left(60)},
                                                         {"empty", QByteArray()}};
    for (const auto& [name, bytes] : cases) {
        const DecodeResult r = decodeImageFile(dir.write(QString::fromLatin1(name) + ".pcx", bytes));
        EXPECT_TRUE(r.picture.isEmpty()) << name;
        EXPECT_FALSE(r.errorText.isEmpty()) << name;
        EXPECT_EQ(r.failedMessage, "Reading pcx file failed") << name;
        EXPECT_FALSE(r.reportedByCaller) << name;
    }
}

TEST(Pcx, FilesWrittenByAnotherProgramDecode) {
    const QString convert = QStandardPaths::findExecutable("convert");
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick convert is not installed";
    TempFolder dir;
    QImage source(23, 17, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, qRgb((x % 8) * 30, (y % 8) * 30, 128)); // few enough colours for a palette
    const QString png = dir.file("source.png");
    ASSERT_TRUE(source.save(png));
    for (const char* type : {"TrueColor", "Palette"}) {
        const QString pcx = dir.file(QStringLiteral("out-%1.pcx").arg(type));
        ASSERT_EQ(QProcess::execute(convert, {png, "-type", type, pcx}), 0);
        const DecodeResult r = decodeImageFile(pcx);
        ASSERT_FALSE(r.failed()) << type << ": " << r.errorText.toStdString();
        const QImage image = r.picture.raster();
        ASSERT_EQ(image.size(), source.size());
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                ASSERT_EQ(image.pixel(x, y), source.pixel(x, y)) << type << " at " << x << "," << y;
    }
}

// QIODevice::read(n) sets aside n bytes before it reads any; the plugin once asked for 512 MB for
// every file, so wherever address space is limited a PCX slide could not be shown. With 256 MB
// more than the process has now, a small PCX file decodes.
TEST(Pcx, ReadingSetsAsideOnlyWhatTheFileHolds) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves terabytes of address space up front";
#else
    QFile statm(QStringLiteral("/proc/self/statm"));
    ASSERT_TRUE(statm.open(QIODevice::ReadOnly));
    const qint64 pages = statm.readAll().split(' ').value(0).toLongLong();
    ASSERT_GT(pages, 0);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = rlim_t(pages * ::sysconf(_SC_PAGESIZE) + 256LL * 1024 * 1024);
    if (old.rlim_cur != RLIM_INFINITY && old.rlim_cur < limited.rlim_cur)
        GTEST_SKIP() << "address space is limited already";
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &limited), 0);
    const DecodeResult r =
        decodeImageFile(regressionPath(QStringLiteral("pcx"), QStringLiteral("any-pcx-reserves-1gib.pcx")));
    ::setrlimit(RLIMIT_AS, &old);
    EXPECT_FALSE(r.failed()) << r.errorText.toStdString();
    EXPECT_EQ(r.picture.size(), QSize(17, 3));
#endif
}
