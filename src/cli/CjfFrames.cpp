// orvanne-cjf frames: every slide of a show composed as the show window composes it, written as
// PNG files. Runs the real pipeline (open, decode, place, compose) without a display or widgets.

#include "CjfCommands.h"

#include "ColorRef.h"
#include "DiskSpace.h"
#include "ImageDecoder.h"
#include "PathNames.h"
#include "ProgressReport.h"
#include "ShowFiles.h"
#include "SlideComposer.h"
#include "WorkFolder.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

namespace CjfCommands {

int frames(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption sizeOption(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    parser.addOption(sizeOption);
    if (const auto done =
            parse(parser, QStringLiteral("frames"), args,
                  "usage: orvanne-cjf frames SHOW.cjf OUTDIR [--size WxH]\n"
                  "Writes each slide as the show composes it for a display of the given size\n"
                  "(1920x1080 when not given) with the show's fit setting and background colour, as\n"
                  "OUTDIR/slide-001.png, slide-002.png, ... With fit off the size stands for the\n"
                  "screen, and a larger picture gives a larger frame, as it would scroll on screen.\n"
                  "A slide that cannot be composed writes no file and prints \"Cannot read: \" and\n"
                  "its name on stderr.\n"))
        return *done;
    QSize size(1920, 1080);
    if (parser.isSet(sizeOption)) {
        const QString value = parser.value(sizeOption);
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(value);
        if (!m.hasMatch() || m.captured(1).toInt() < 16 || m.captured(2).toInt() < 16 ||
            m.captured(1).toInt() > 16384 || m.captured(2).toInt() > 16384)
            return usageError(
                QStringLiteral("frames: --size takes WIDTHxHEIGHT from 16x16 to 16384x16384, not ") + value);
        size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return usageError(QStringLiteral("frames: orvanne-cjf frames SHOW.cjf OUTDIR [--size WxH]"));
    const QString path = QFileInfo(positional[0]).absoluteFilePath();
    const QString outDir = QFileInfo(positional[1]).absoluteFilePath();
    if (QFileInfo::exists(path) && !(QFileInfo(path).isFile() && QFileInfo(path).isReadable()))
        return usageError(QStringLiteral("cannot read ") + path);
    if (!QDir().mkpath(outDir))
        return usageError(QStringLiteral("cannot make the folder ") + outDir);

    OpenedShow show;
    if (const int code = show.open(path))
        return code;
    const ShowDocument& doc = show.doc;
    const CombinedContents& contents = show.contents;

    const bool fit = contents.header.fitToWindow;
    const QColor background =
        ColorRef::backgroundFromSettingsLine(doc.settingsLine(1), QGuiApplication::palette());

    // The show's own decode and composition, for a display of the given size that is also the
    // screen's; nothing scrolls here, so the whole size is the visible area.
    int failures = 0;
    for (int i = 0; i < doc.slideCount(); ++i) {
        const QString image = doc.slide(i).imagePath;
        const DecodeResult decoded = decodeImageFile(image, fit ? size : QSize());
        const ComposedSlide slide = composeSlide(decoded.picture, size, size, fit, background);
        const QString out = QStringLiteral("%1/slide-%2.png").arg(outDir).arg(i + 1, 3, 10, QLatin1Char('0'));
        if (!slide.ok() || !slide.frame.save(out, "PNG")) {
            ++failures;
            std::fprintf(stderr, "Cannot read: %s\n", qPrintable(fileNamePart(image)));
        }
    }
    return failures ? 1 : 0;
}

} // namespace CjfCommands
