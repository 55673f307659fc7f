// Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/ with the program's own
// writers (and the tests' byte-by-byte writers), so that every seed is a small, valid file of its
// kind that the fuzzer then takes apart. Run it from the fuzz preset's build:
//   build-fuzz/bin/make_fuzz_seeds fuzz/corpus

#include "CjfBytes.h"
#include "CombinedFileWriter.h"
#include "ListFile.h"
#include "PcxWriter.h"
#include "ProgressReport.h"
#include "WmfWriter.h"
#include "audio/SoundWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <cstdio>

namespace {

QString root;

void put(const QString& target, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(root + QLatin1Char('/') + target);
    QFile file(root + QLatin1Char('/') + target + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s/%s\n", qPrintable(target), qPrintable(name));
        std::exit(1);
    }
}

QImage smallPicture(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, format);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(0, 0, width / 2, height / 2, QColor(200, 40, 40));
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(40, 40, 200));
    p.end();
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot encode %s: %s\n", format, qPrintable(writer.errorString()));
        std::exit(1);
    }
    return bytes;
}

// A 16-bit bit-field bitmap (5-6-5), which the decoder widens itself.
QByteArray bitfieldBmp() {
    const int w = 3, h = 2, row = 8;
    QByteArray b(14 + 40 + 12 + row * h, '\0');
    auto put16 = [&](int at, quint32 v) { qToLittleEndian<quint16>(quint16(v), b.data() + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, b.data() + at); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, quint32(b.size()));
    put32(10, 14 + 40 + 12);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    put16(26, 1);
    put16(28, 16);
    put32(30, 3);
    put32(54, 0xF800);
    put32(58, 0x07E0);
    put32(62, 0x001F);
    for (int i = 0; i < row * h; i += 2)
        put16(66 + i, 0xFFFF - quint32(i) * 0x0841);
    return b;
}

QByteArray dibOf(const QImage& image) {
    return encoded(image.convertToFormat(QImage::Format_RGB888), "bmp").mid(14);
}

QList<quint16> words(const QByteArray& bytes) {
    QByteArray b = bytes;
    if (b.size() % 2)
        b.append('\0');
    QList<quint16> out;
    for (qsizetype i = 0; i < b.size(); i += 2)
        out.append(quint16(uchar(b[i]) | (uchar(b[i + 1]) << 8)));
    return out;
}

void metafiles() {
    {
        WmfWriter w;
        w.placeable(0, 0, 400, 300, 1440);
        w.setWindowOrg(0, 0);
        w.setWindowExt(400, 300);
        w.createPen(0, 3, qRgb(0, 0, 0));
        w.selectObject(0);
        w.createBrush(0, qRgb(255, 0, 0));
        w.selectObject(1);
        w.rectangle(10, 10, 200, 150);
        w.ellipse(100, 100, 300, 250);
        w.roundRect(50, 200, 150, 280, 20, 20);
        w.arcLike(0x081A, 200, 20, 380, 180, 380, 100, 200, 100); // pie
        w.arcLike(0x0830, 200, 20, 380, 180, 290, 20, 290, 180);  // chord
        w.arcLike(0x0817, 20, 20, 180, 180, 180, 100, 20, 100);   // arc
        w.moveTo(0, 0);
        w.lineTo(400, 300);
        w.polygon({{10, 290}, {60, 250}, {110, 290}});
        w.polyline({{300, 290}, {350, 250}, {390, 290}});
        w.polyPolygon({{{0, 0}, {30, 0}, {30, 30}}, {{40, 40}, {70, 40}, {70, 70}}});
        w.deleteObject(1);
        w.createBrush(2, qRgb(0, 128, 0), 3); // hatched
        w.selectObject(1);
        w.setBkMode(2);
        w.setBkColor(qRgb(255, 255, 0));
        w.rectangle(220, 200, 390, 290);
        put(QStringLiteral("wmf"), QStringLiteral("shapes.wmf"), w.bytes());
    }
    {
        WmfWriter w;
        w.setWindowOrg(0, 0);
        w.setWindowExt(200, 100);
        w.setBkMode(1);
        w.setTextAlign(24);
        w.saveDC();
        w.createFont(-20, "DejaVu Sans", 700);
        w.selectObject(0);
        w.setTextColor(qRgb(0, 0, 255));
        w.textOut(10, 50, "Caf\xe9");
        w.restoreDC(-1);
        w.saveDC();
        w.saveDC();
        w.restoreDC(1);
        put(QStringLiteral("wmf"), QStringLiteral("text.wmf"), w.bytes());
    }
    {
        WmfWriter w;
        w.placeable(0, 0, 64, 48, 96);
        w.stretchDib(smallPicture(8, 6), 0, 0, 32, 24);
        w.dibStretchBlt(smallPicture(4, 4), 32, 24, 32, 24);
        // A pattern brush from a bitmap, used, deleted, and its slot taken by a pen.
        QList<quint16> pattern = {5 /* BS_DIBPATTERN */, 0 /* DIB_RGB_COLORS */};
        pattern += words(dibOf(smallPicture(8, 8)));
        w.record(0x0142, pattern);
        w.selectObject(0);
        w.rectangle(0, 24, 32, 48);
        w.deleteObject(0);
        w.createPen(0, 1, qRgb(0, 0, 0));
        w.selectObject(0);
        w.rectangle(32, 0, 64, 24);
        put(QStringLiteral("wmf"), QStringLiteral("bitmaps.wmf"), w.bytes());
    }
    const QString data = QStringLiteral(ORVANNE_SOURCE_DIR "/tests/data/metafiles/");
    for (const char* name : {"blocks.wmf", "stripes.wmf"}) {
        QFile file(data + QLatin1String(name));
        if (file.open(QIODevice::ReadOnly))
            put(QStringLiteral("wmf"), QLatin1String(name), file.readAll());
    }
}

void pcxFiles() {
    auto picture = [](int w, int h, int bits, int planes, bool compressed) {
        PcxPicture p;
        p.width = w;
        p.height = h;
        p.bitsPerPixel = bits;
        p.planes = planes;
        p.compressed = compressed;
        const int colours = planes >= 3 ? 0 : 1 << (bits * planes);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                p.pixels.push_back(colours ? quint32((x + y) % colours)
                                           : qRgba(x * 40, y * 60, (x * y) % 256, 200 + x));
        for (int i = 0; i < (bits == 8 && planes == 1 ? 256 : 16); ++i)
            p.palette.append(qRgb(i * 7 % 256, i * 13 % 256, i * 29 % 256));
        return p;
    };
    struct Kind {
        const char* name;
        int bits, planes;
        bool compressed;
    };
    for (const Kind& k : {Kind{"mono", 1, 1, true}, Kind{"four-colours", 2, 1, true},
                          Kind{"sixteen", 4, 1, true}, Kind{"ega", 1, 4, true}, Kind{"palette", 8, 1, true},
                          Kind{"rgb", 8, 3, true}, Kind{"rgba", 8, 4, true}, Kind{"rgb-raw", 8, 3, false}}) {
        const QByteArray bytes = writePcx(picture(7, 3, k.bits, k.planes, k.compressed));
        put(QStringLiteral("pcx"), QLatin1String(k.name) + QStringLiteral(".pcx"), bytes);
    }
    PcxPicture across = picture(9, 4, 8, 1, true);
    across.runsAcrossLines = true;
    across.extraBytesPerLine = 1;
    put(QStringLiteral("pcx"), QStringLiteral("runs-across-lines.pcx"), writePcx(across));
}

// Inputs of the image target: one byte choosing the extension (see image_fuzz.cpp), then the file.
void images() {
    enum { Bmp, Jpg, Png, Pcx, Gif, Tif, Ico, Wmf, None, Kinds };
    auto image = [](const char* name, int kind, bool fit, const QByteArray& file) {
        QByteArray input(1, char(kind + (fit ? Kinds : 0)));
        put(QStringLiteral("image"), QLatin1String(name), input + file);
    };
    const QImage picture = smallPicture(12, 9);
    image("rgb.bmp", Bmp, false, encoded(picture, "bmp"));
    image("indexed.bmp", Bmp, true, encoded(picture.convertToFormat(QImage::Format_Indexed8), "bmp"));
    image("bitfields.bmp", Bmp, false, bitfieldBmp());
    image("photo.jpg", Jpg, true, encoded(smallPicture(24, 16), "jpeg"));
    image("alpha.png", Png, false, encoded(smallPicture(6, 6, QImage::Format_ARGB32), "png"));
    image("icon.ico", Ico, false, encoded(smallPicture(16, 16, QImage::Format_ARGB32), "ico"));
    image("picture.tif", Tif, true, encoded(picture, "tiff"));
    QFile pcx(root + QStringLiteral("/pcx/palette.pcx"));
    if (pcx.open(QIODevice::ReadOnly))
        image("palette.pcx", Pcx, true, pcx.readAll());
    QFile wmf(root + QStringLiteral("/wmf/bitmaps.wmf"));
    if (wmf.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = wmf.readAll();
        image("bitmaps.wmf", Wmf, false, bytes);
        image("metafile-without-extension", None, false, bytes);
    }
    // The smallest GIF: one white pixel.
    image("pixel.gif", Gif, false,
          QByteArray::fromHex(
              "47494638396101000100800000ffffff00000021f90401000000002c00000000010001000002024401003b"));
}

void sounds() {
    using SoundWriter::MidiTrack;
    MidiTrack tempo;
    tempo.tempo(500000).wait(96).tempo(250000).wait(48).end();
    MidiTrack melody;
    melody.program(0, 0).noteOn(0, 60).wait(96).running(60, 0).noteOn(0, 64).wait(48).noteOff(0, 64).end();
    MidiTrack extra;
    extra.text("drums")
        .sysex(QByteArray("\x7E\x7F\x09\x01\xF7", 5))
        .noteOn(9, 36)
        .wait(24)
        .running(36, 0)
        .end();
    const QByteArray type0 = SoundWriter::midi(0, 96, {melody});
    const QByteArray type1 = SoundWriter::midi(1, 96, {tempo, melody, extra});
    const QByteArray type2 = SoundWriter::midi(2, 96, {melody, tempo, extra});
    auto rmid = [](const QByteArray& smf) {
        QByteArray out("RIFF");
        char size[4];
        qToLittleEndian<quint32>(quint32(4 + 8 + smf.size() + (smf.size() & 1)), size);
        out.append(size, 4);
        out.append("RMIDdata");
        qToLittleEndian<quint32>(quint32(smf.size()), size);
        out.append(size, 4);
        out.append(smf);
        if (smf.size() & 1)
            out.append('\0');
        return out;
    };
    for (const QString& target : {QStringLiteral("midi"), QStringLiteral("sound")}) {
        put(target, QStringLiteral("type0.mid"), type0);
        put(target, QStringLiteral("type1.mid"), type1);
        put(target, QStringLiteral("type2.mid"), type2);
        put(target, QStringLiteral("riff.rmi"), rmid(type1));
    }
    auto tone = [](qint64 frame, int channel) { return std::sin(double(frame) * 0.3 + channel); };
    put(QStringLiteral("sound"), QStringLiteral("mono8.wav"), SoundWriter::wav(8000, 1, 8, 32, tone));
    put(QStringLiteral("sound"), QStringLiteral("stereo16.wav"), SoundWriter::wav(44100, 2, 16, 32, tone));
    put(QStringLiteral("sound"), QStringLiteral("pcm24.wav"), SoundWriter::wav(22050, 3, 24, 16, tone));
    put(QStringLiteral("sound"), QStringLiteral("float.wav"), SoundWriter::wav(48000, 2, 32, 16, tone, true));
}

void lists() {
    put(QStringLiteral("listfile"), QStringLiteral("DisplayList.lst"),
        ListFile::format({QStringLiteral("a.jpg"), QStringLiteral("Caf\u00e9 \u20ac.bmp"),
                          QStringLiteral("\u5bcc\u58eb\u5c71.png")}));
    put(QStringLiteral("listfile"), QStringLiteral("SlideAudio.lst"),
        ListFile::format({QString(), QStringLiteral(" "), QStringLiteral("ring.wav")}));
    put(QStringLiteral("listfile"), QStringLiteral("CfgSet.lst"),
        ListFile::format({QStringLiteral("-2147483633"), QStringLiteral("TRUE")}));
    put(QStringLiteral("listfile"), QStringLiteral("line-ends.lst"), QByteArray("a\rb\nc\r\nd"));

    // The codec target: a limit byte, then the text.
    auto codec = [](const char* name, int limit, const QByteArray& text) {
        put(QStringLiteral("textcodec"), QLatin1String(name), QByteArray(1, char(limit)) + text);
    };
    codec("windows-1252", 80, QByteArray("Caf\xe9 \x80 5\x81"));
    codec("utf-8", 8, QStringLiteral("\u5bcc\u58eb\u5c71 \U0001F600").toUtf8());
    const QString pairs = QStringLiteral("ab\U0001F600\U0001F601c");
    codec("utf-16-pairs", 5, QByteArray(reinterpret_cast<const char*>(pairs.utf16()), pairs.size() * 2));
}

void shows() {
    QTemporaryDir scratch;
    const QString folder = scratch.path();
    auto file = [&](const QString& name, const QByteArray& bytes) {
        QFile f(folder + QLatin1Char('/') + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    const QString slide1 = file(QStringLiteral("sea.bmp"), encoded(smallPicture(4, 3), "bmp"));
    const QString slide2 = file(QStringLiteral("Caf\u00e9.pcx"), QByteArray("\x0a\x05\x01\x08", 4));
    const QString sound = file(QStringLiteral("ring.wav"), QByteArray("RIFF"));
    const QString track = file(QStringLiteral("tune.mid"), QByteArray("MThd"));
    const QStringList lists = {
        file(ListFile::kDisplayList,
             ListFile::format({QStringLiteral("sea.bmp"), QStringLiteral("Caf\u00e9.pcx")})),
        file(ListFile::kSlideTiming, ListFile::format({QStringLiteral("0"), QStringLiteral("2500")})),
        file(ListFile::kSlideAudio, ListFile::format({QStringLiteral("ring.wav"), QStringLiteral(" ")})),
        file(ListFile::kSongList, ListFile::format({QStringLiteral("tune.mid")})),
        file(ListFile::kCaptions, ListFile::format({QStringLiteral("First"), QString()})),
        file(ListFile::kCfgSet, ListFile::format({QStringLiteral("255"), QStringLiteral("FALSE")}))};
    NoProgress progress;
    CombinedFileWriter writer(progress);
    CombinedHeader header;
    const QStringList pack = QStringList{slide1, slide2, track, sound} + lists;
    header.count = qint32(pack.size());
    if (!writer.write(pack, folder + QStringLiteral("/show.cjf"), header, {QStringLiteral("First")})) {
        std::fprintf(stderr, "cannot write a show: %s\n", qPrintable(writer.error()));
        std::exit(1);
    }
    QFile written(folder + QStringLiteral("/show.cjf"));
    written.open(QIODevice::ReadOnly);
    put(QStringLiteral("cjf"), QStringLiteral("version-15.cjf"), written.readAll());

    put(QStringLiteral("cjf"), QStringLiteral("version-10.cjf"),
        cjfFile(1.0f, {CjfEntry{"one.jpg", "JPEG", "A caption"}, CjfEntry{"tune.mid", "MThd"}}));
    put(QStringLiteral("cjf"), QStringLiteral("empty.cjf"), cjfFile(1.5f, {}));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds CORPUS_FOLDER\n");
        return 2;
    }
    root = QFile::decodeName(argv[1]);
    metafiles();
    pcxFiles();
    images();
    sounds();
    lists();
    shows();
    return 0;
}
