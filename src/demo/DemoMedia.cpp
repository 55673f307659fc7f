#include "DemoMedia.h"

#include "ConsoleMessages.h"
#include "DiskSpace.h"
#include "PathNames.h"
#include "ProgressReport.h"
#include "ShowDocument.h"
#include "ShowFiles.h"
#include "WorkFolder.h"
#include "audio/SoundWriter.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTemporaryDir>
#include <QtMath>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void drawTitle(QPainter& p, const QRect& area, const QString& text, int pixelSize, const QColor& colour) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(area.translated(3, 3), Qt::AlignCenter, text);
    p.setPen(colour);
    p.drawText(area, Qt::AlignCenter, text);
}

} // namespace

namespace DemoMedia {

bool writeTone(const QString& path, double frequency, int milliseconds, int sampleRate, int channels) {
    const qint64 frames = static_cast<qint64>(sampleRate) * milliseconds / 1000;
    const int fade = sampleRate / 100; // 10 ms in and out: no clicks
    return writeFile(path, SoundWriter::wav(sampleRate, channels, 16, frames, [&](qint64 i, int) {
                         double gain = 0.5;
                         if (i < fade)
                             gain *= static_cast<double>(i) / fade;
                         if (frames - i < fade)
                             gain *= static_cast<double>(frames - i) / fade;
                         return gain * std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / sampleRate);
                     }));
}

bool writeTune(const QString& path, const QVector<Note>& notes, int program, int microsecondsPerQuarter) {
    SoundWriter::MidiTrack track;
    track.tempo(static_cast<quint32>(microsecondsPerQuarter)).program(0, program & 0x7F);
    for (const Note& note : notes) {
        if (note.key > 0)
            track.noteOn(0, note.key, 96).wait(static_cast<quint32>(note.ticks)).noteOff(0, note.key);
        else // a rest: a silent controller event after the pause
            track.wait(static_cast<quint32>(note.ticks)).event({0xB0, 0x40, 0x00});
    }
    track.end();
    return writeFile(path, SoundWriter::midi(0, 480, {track}));
}

QImage drawSunrise(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0.0, QColor(18, 32, 86));
    sky.setColorAt(0.55, QColor(232, 120, 70));
    sky.setColorAt(1.0, QColor(250, 214, 120));
    p.fillRect(image.rect(), sky);
    QRadialGradient sun(width * 0.5, height * 0.72, height * 0.22);
    sun.setColorAt(0.0, QColor(255, 250, 210));
    sun.setColorAt(1.0, QColor(255, 190, 80, 0));
    p.setBrush(sun);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(width * 0.5, height * 0.72), height * 0.22, height * 0.22);
    QPainterPath hills;
    hills.moveTo(0, height);
    for (int x = 0; x <= width; x += 8)
        hills.lineTo(x, height * 0.8 + std::sin(x * 0.012) * height * 0.05 +
                            std::sin(x * 0.031) * height * 0.02);
    hills.lineTo(width, height);
    p.setBrush(QColor(34, 60, 40));
    p.drawPath(hills);
    drawTitle(p, QRect(0, 0, width, height / 2), QStringLiteral("Orvanne"), height / 7,
              QColor(255, 245, 230));
    return image;
}

QImage drawShapes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(236, 240, 244));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(220, 60, 70), QColor(40, 150, 200), QColor(250, 180, 40),
                              QColor(90, 170, 90)};
    for (int i = 0; i < 12; ++i) {
        p.setBrush(colours[i % 4]);
        p.setPen(QPen(colours[(i + 1) % 4].darker(140), 4));
        const QRectF r(width * (0.05 + 0.075 * i), height * (0.15 + 0.05 * (i % 5)), width * 0.16,
                       height * 0.22);
        if (i % 3 == 0)
            p.drawEllipse(r);
        else if (i % 3 == 1)
            p.drawRoundedRect(r, 18, 18);
        else
            p.drawPolygon(QPolygonF({r.bottomLeft(), QPointF(r.center().x(), r.top()), r.bottomRight()}));
    }
    drawTitle(p, QRect(0, height * 2 / 3, width, height / 3), QStringLiteral("Shapes"), height / 9,
              QColor(40, 40, 60));
    return image;
}

QImage drawWaves(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double v = std::sin(x * 0.04 + std::sin(y * 0.03) * 2.0) * 0.5 + 0.5;
            line[x] = qRgb(static_cast<int>(20 + 40 * v), static_cast<int>(80 + 100 * v),
                           static_cast<int>(140 + 110 * v));
        }
    }
    QPainter p(&image);
    drawTitle(p, image.rect(), QStringLiteral("Waves"), height / 8, QColor(255, 255, 255));
    return image;
}

bool writeMedia(const QString& folder, DemoShow& show) {
    if (!QDir().mkpath(folder))
        return false;
    struct Picture {
        QString name;
        QImage image;
        const char* format;
        QString caption;
        QString timing;
        QString sound;
    };
    const Picture pictures[] = {
        {QStringLiteral("sunrise.jpg"), drawSunrise(1280, 720), "JPG", QStringLiteral("Welcome to Orvanne"),
         QStringLiteral("4000"), QString()},
        {QStringLiteral("shapes.png"), drawShapes(800, 600), "PNG", QStringLiteral("Shapes in PNG"),
         QStringLiteral("0"), joinPath(folder, QStringLiteral("chime.wav"))},
        {QStringLiteral("waves.bmp"), drawWaves(640, 480), "BMP", QString(), QStringLiteral("3000"),
         QString()},
        {QStringLiteral("portrait.jpg"), drawSunrise(600, 900), "JPG", QStringLiteral("A tall picture"),
         QStringLiteral("3500"), QStringLiteral(" ")},
        {QStringLiteral("small.png"), drawShapes(320, 200), "PNG",
         QStringLiteral("Small pictures stay small"), QStringLiteral("3000"), QString()},
    };
    for (const Picture& picture : pictures) {
        if (!picture.image.save(joinPath(folder, picture.name), picture.format,
                                qstrcmp(picture.format, "JPG") == 0 ? 90 : -1))
            return false;
        show.images << joinPath(folder, picture.name);
        show.captions << picture.caption;
        show.timings << picture.timing;
        show.sounds << picture.sound;
    }
    if (!writeTone(joinPath(folder, QStringLiteral("chime.wav")), 660.0, 1200))
        return false;
    const QVector<Note> first = {{60, 480}, {64, 480}, {67, 480}, {72, 960}, {67, 480}, {64, 480}, {60, 960},
                                 {0, 480},  {62, 480}, {65, 480}, {69, 480}, {74, 960}, {72, 1440}};
    const QVector<Note> second = {{67, 720}, {69, 240}, {67, 480}, {64, 480}, {62, 960},
                                  {64, 480}, {65, 480}, {67, 960}, {60, 1440}};
    if (!writeTune(joinPath(folder, QStringLiteral("morning.mid")), first, 0) ||
        !writeTune(joinPath(folder, QStringLiteral("evening.mid")), second, 73, 600000))
        return false;
    show.tracks << joinPath(folder, QStringLiteral("morning.mid"))
                << joinPath(folder, QStringLiteral("evening.mid"));
    return true;
}

bool writeShow(const QString& folder, QString* error) {
    DemoShow media;
    if (!writeMedia(folder, media)) {
        if (error)
            *error = QStringLiteral("cannot write the demo media into ") + folder;
        return false;
    }
    ShowDocument doc;
    for (int i = 0; i < media.images.size(); ++i)
        doc.addSlide(media.images[i], media.sounds[i], media.captions[i], media.timings[i].toInt());
    doc.setMusicTracks(media.tracks);

    QTemporaryDir scratch;
    const OwnedWorkFolder workFolder = WorkFolder::createNumbered(scratch.path());
    const QString& work = workFolder.path();
    ConsoleMessages messages;
    NoProgress progress;
    SystemDiskSpace disk;
    ShowSettings settings;
    settings.delay = 5;
    const auto result = ShowFiles::save(doc, settings, work, joinPath(folder, QStringLiteral("demo.cjf")),
                                        ShowFileServices{messages, progress, disk});
    if (result != ShowFiles::SaveResult::Saved) {
        if (error)
            *error = messages.shown().join(QLatin1Char(' '));
        return false;
    }
    return true;
}

} // namespace DemoMedia
