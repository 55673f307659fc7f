#include "CjfCommands.h"

#include "CombinedFileReader.h"
#include "ConsoleMessages.h"
#include "DiskSpace.h"
#include "ShowDocument.h"
#include "PathNames.h"
#include "ProgressReport.h"
#include "ShowFiles.h"
#include "ShowTexts.h"
#include "SlideTime.h"
#include "SpaceCheck.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

void print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

// Paths into the working folder are shown by name alone; anything else stays as it is.
QString shown(const QString& path, const QString& workFolder) {
    const QString prefix = joinPath(workFolder, QString());
    return path.startsWith(prefix) ? path.mid(prefix.size()) : path;
}

QStringList shownAll(const QStringList& paths, const QString& workFolder) {
    QStringList out;
    for (const QString& path : paths)
        out << shown(path, workFolder);
    return out;
}

QString onOff(bool value) {
    return value ? QStringLiteral("on") : QStringLiteral("off");
}

QJsonObject showJson(const CombinedContents& contents, const ShowDocument& doc, const QString& work) {
    QJsonObject root;
    const CombinedHeader& h = contents.header;
    root[QStringLiteral("version")] = static_cast<double>(h.version);
    root[QStringLiteral("delay")] = h.delay;
    root[QStringLiteral("music")] = h.musicEnabled;
    root[QStringLiteral("fit")] = h.fitToWindow;
    root[QStringLiteral("advance")] = h.autoAdvance;
    root[QStringLiteral("loop")] = h.loop;
    QJsonArray entries;
    for (const EntryRecord& e : contents.entries)
        entries.append(QJsonObject{{QStringLiteral("name"), e.name},
                                   {QStringLiteral("caption"), e.caption},
                                   {QStringLiteral("size"), static_cast<double>(e.size)}});
    root[QStringLiteral("entries")] = entries;
    QJsonArray slides;
    for (int i = 0; i < doc.slideCount(); ++i)
        slides.append(QJsonObject{{QStringLiteral("image"), shown(doc.imagePaths[i], work)},
                                  {QStringLiteral("timing"), doc.timings.value(i)},
                                  {QStringLiteral("caption"), doc.captions.value(i)},
                                  {QStringLiteral("audio"), shown(doc.soundPaths.value(i), work)}});
    root[QStringLiteral("slides")] = slides;
    root[QStringLiteral("tracks")] = QJsonArray::fromStringList(shownAll(doc.musicTracks, work));
    root[QStringLiteral("cfgset")] = QJsonArray::fromStringList(doc.settingsLines);
    return root;
}

QString showText(const QString& path, const CombinedContents& contents, const ShowDocument& doc,
                 const QString& work) {
    const CombinedHeader& h = contents.header;
    QString out;
    QTextStream s(&out);
    s << "Show: " << path << '\n';
    s << "Version: " << h.version << '\n';
    s << "Default delay: " << h.delay << " s\n";
    s << "Music: " << onOff(h.musicEnabled) << ", fit to window: " << onOff(h.fitToWindow)
      << ", automatic advance: " << onOff(h.autoAdvance) << ", loop: " << onOff(h.loop) << '\n';
    s << "Settings: " << doc.settingsLines.join(QStringLiteral(" | ")) << '\n';
    s << "Slides (" << doc.slideCount() << "):\n";
    for (int i = 0; i < doc.slideCount(); ++i) {
        s << "  " << (i + 1) << ". " << shown(doc.imagePaths[i], work) << "  time "
          << doc.timings.value(i);
        if (!doc.captions.value(i).trimmed().isEmpty())
            s << "  caption \"" << doc.captions.value(i) << '"';
        if (!doc.soundPaths.value(i).trimmed().isEmpty())
            s << "  sound " << shown(doc.soundPaths.value(i), work);
        s << '\n';
    }
    s << "Tracks (" << doc.musicTracks.size() << "):\n";
    for (int i = 0; i < doc.musicTracks.size(); ++i)
        s << "  " << (i + 1) << ". " << shown(doc.musicTracks[i], work) << '\n';
    s << "Packed files (" << contents.entries.size() << "):\n";
    for (const EntryRecord& e : contents.entries)
        s << "  " << e.size << '\t' << e.name << '\n';
    return out;
}

bool isReadableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

} // namespace

namespace CjfCommands {

OpenedShow::OpenedShow() : parent(std::make_unique<QTemporaryDir>()) {
    if (parent->isValid())
        work = WorkFolder::createNumbered(parent->path());
}

OpenedShow::~OpenedShow() = default;

int OpenedShow::open(const QString& path) {
    if (work.isEmpty())
        return usageError(QStringLiteral("cannot make a working folder"));
    ConsoleMessages messages;
    NoProgress progress;
    SystemDiskSpace disk;
    if (ShowFiles::open(path, doc, work, ShowFileServices{messages, progress, disk}, &contents) ==
        ShowFiles::OpenResult::Opened)
        return 0;
    // A show without its list files is refused without a word by the program; here it needs one.
    if (messages.shown().isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(ShowTexts::listFilesMissing(path)));
    return 1;
}

int usageError(const QString& text) {
    std::fprintf(stderr, "orvanne-cjf: %s\n", qPrintable(text));
    return 2;
}

bool wantsHelp(const QStringList& args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

int info(const QStringList& args) {
    if (wantsHelp(args)) {
        print(QStringLiteral("usage: orvanne-cjf info [--json] SHOW.cjf\n"
                             "Reads a show as the program opens it and prints its settings, slides, tracks\n"
                             "and packed files; --json prints one JSON object instead.\n"));
        return 0;
    }
    bool json = false;
    QString path;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (arg.startsWith(QLatin1String("--")))
            return usageError(QStringLiteral("info: unknown option ") + arg);
        else if (path.isEmpty())
            path = arg;
        else
            return usageError(QStringLiteral("info: one show at a time"));
    }
    if (path.isEmpty())
        return usageError(QStringLiteral("info: which show? (orvanne-cjf info [--json] SHOW.cjf)"));
    path = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(path) && !isReadableFile(path))
        return usageError(QStringLiteral("cannot read ") + path);

    OpenedShow show;
    if (const int code = show.open(path))
        return code;
    if (json)
        print(QString::fromUtf8(
            QJsonDocument(showJson(show.contents, show.doc, show.work)).toJson(QJsonDocument::Indented)));
    else
        print(showText(path, show.contents, show.doc, show.work));
    return 0;
}

int extract(const QStringList& args) {
    if (wantsHelp(args)) {
        print(QStringLiteral("usage: orvanne-cjf extract SHOW.cjf DIR\n"
                             "Unpacks every file of a show into DIR (made when missing; nothing in it is\n"
                             "removed, files of the same name are replaced).\n"));
        return 0;
    }
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) ||
        args[1].startsWith(QLatin1String("--")))
        return usageError(QStringLiteral("extract: orvanne-cjf extract SHOW.cjf DIR"));
    const QString path = QFileInfo(args[0]).absoluteFilePath();
    const QString dir = QFileInfo(args[1]).absoluteFilePath();
    if (QFileInfo::exists(path) && !isReadableFile(path))
        return usageError(QStringLiteral("cannot read ") + path);
    if (QFileInfo::exists(dir) && !QFileInfo(dir).isDir())
        return usageError(dir + QStringLiteral(" is not a folder"));
    if (!QDir().mkpath(dir))
        return usageError(QStringLiteral("cannot make the folder ") + dir);

    ConsoleMessages messages;
    NoProgress progress;
    SystemDiskSpace disk;
    if (!QFileInfo::exists(path)) {
        messages.error(ShowTexts::fileNotFound(path));
        return 1;
    }
    if (!SpaceCheck::forOpening(path, dir, disk, messages))
        return 1;
    ShowDocument doc;
    CombinedFileReader reader(messages, progress);
    if (!reader.read(path, dir, doc)) {
        if (messages.shown().isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(ShowTexts::listFilesMissing(path)));
        return 1;
    }
    return 0;
}

int create(const QStringList& args) {
    if (wantsHelp(args)) {
        print(QStringLiteral(
            "usage: orvanne-cjf create OUT.cjf [OPTIONS] [IMAGE]...\n"
            "Builds a show and saves it as the program saves one. Each IMAGE becomes a slide on\n"
            "the default delay, without caption or sound.\n"
            "  --delay N           default seconds per slide, 3 to 90 (10)\n"
            "  --no-music          music tracks and slide sounds off\n"
            "  --no-fit            show pictures at natural size\n"
            "  --no-advance        advance by hand only\n"
            "  --no-loop           end after the last slide\n"
            "  --no-transitions    no transition effects\n"
            "  --background C      background colour as a COLORREF (0x00BBGGRR, decimal or 0x hex)\n"
            "  --music FILE        add a music track (repeatable)\n"
            "  --manifest FILE     add slides from FILE: one per line, UTF-8,\n"
            "                      image<TAB>seconds<TAB>caption<TAB>sound (empty fields allowed;\n"
            "                      relative paths are taken from the manifest's folder)\n"));
        return 0;
    }
    if (args.isEmpty() || args[0].startsWith(QLatin1String("--")))
        return usageError(QStringLiteral("create: orvanne-cjf create OUT.cjf [OPTIONS] [IMAGE]..."));
    const QString target = QFileInfo(args[0]).absoluteFilePath();
    ShowDocument doc;
    ShowSettings settings;

    auto needFile = [](const QString& path, QString* error) {
        if (!isReadableFile(path)) {
            *error = QStringLiteral("cannot read ") + path;
            return false;
        }
        return true;
    };

    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&](QString* out) {
            if (i + 1 >= args.size())
                return false;
            *out = args[++i];
            return true;
        };
        QString v;
        QString error;
        if (arg == QLatin1String("--delay")) {
            bool ok = false;
            if (!value(&v))
                return usageError(QStringLiteral("create: --delay needs a number of seconds"));
            const int delay = v.toInt(&ok);
            if (!ok || delay < 3 || delay > 90)
                return usageError(QStringLiteral("create: --delay takes whole seconds from 3 to 90, not ") +
                                  v);
            settings.delay = delay;
        } else if (arg == QLatin1String("--no-music")) {
            settings.musicEnabled = false;
        } else if (arg == QLatin1String("--no-fit")) {
            settings.fitToWindow = false;
        } else if (arg == QLatin1String("--no-advance")) {
            settings.autoAdvance = false;
        } else if (arg == QLatin1String("--no-loop")) {
            settings.loop = false;
        } else if (arg == QLatin1String("--no-transitions")) {
            doc.setSettingsLine(2, QStringLiteral("FALSE"));
        } else if (arg == QLatin1String("--background")) {
            if (!value(&v))
                return usageError(QStringLiteral("create: --background needs a colour"));
            bool ok = false;
            const qint64 colour = v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                      ? v.mid(2).toLongLong(&ok, 16)
                                      : v.toLongLong(&ok, 10);
            if (!ok || colour < -2147483648LL || colour > 0xFFFFFFFFLL)
                return usageError(QStringLiteral("create: --background takes a 32-bit colour value, not ") +
                                  v);
            doc.setSettingsLine(1, QString::number(static_cast<qint32>(static_cast<quint32>(colour))));
        } else if (arg == QLatin1String("--music")) {
            if (!value(&v))
                return usageError(QStringLiteral("create: --music needs a file"));
            v = QFileInfo(v).absoluteFilePath();
            if (!needFile(v, &error))
                return usageError(error);
            doc.musicTracks << v;
        } else if (arg == QLatin1String("--manifest")) {
            if (!value(&v))
                return usageError(QStringLiteral("create: --manifest needs a file"));
            QFile manifest(v);
            if (!manifest.open(QIODevice::ReadOnly))
                return usageError(QStringLiteral("cannot read ") + QFileInfo(v).absoluteFilePath());
            const QDir base = QFileInfo(v).absoluteDir();
            const QStringList lines = QString::fromUtf8(manifest.readAll()).split(QLatin1Char('\n'));
            for (int n = 0; n < lines.size(); ++n) {
                QString line = lines[n];
                if (line.endsWith(QLatin1Char('\r')))
                    line.chop(1);
                if (line.trimmed().isEmpty())
                    continue;
                const QStringList f = line.split(QLatin1Char('\t'));
                const QString where = QFileInfo(v).fileName() + QLatin1Char(':') + QString::number(n + 1) +
                                      QStringLiteral(": ");
                if (f.size() > 4)
                    return usageError(where + QStringLiteral("more than four fields"));
                const QString image =
                    f[0].isEmpty() ? QString() : QDir::cleanPath(base.absoluteFilePath(f[0]));
                if (image.isEmpty())
                    return usageError(where + QStringLiteral("no image"));
                if (!needFile(image, &error))
                    return usageError(where + error);
                const QString seconds = f.value(1);
                if (!SlideTime::isAcceptable(seconds))
                    return usageError(where + QStringLiteral("seconds must be a number from 0 to 600, not ") +
                                      seconds);
                QString sound = f.value(3);
                if (!sound.trimmed().isEmpty()) {
                    sound = QDir::cleanPath(base.absoluteFilePath(sound));
                    if (!needFile(sound, &error))
                        return usageError(where + error);
                }
                doc.addSlide(image, sound, f.value(2), 0);
                doc.timings.last() =
                    seconds.trimmed().isEmpty() ? QStringLiteral("0") : SlideTime::fromSeconds(seconds);
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("create: unknown option ") + arg);
        } else {
            const QString image = QFileInfo(arg).absoluteFilePath();
            if (!needFile(image, &error))
                return usageError(error);
            doc.addSlide(image, QString(), QString(), 0);
        }
    }

    ConsoleMessages messages;
    if (doc.imagePaths.isEmpty()) {
        messages.warning(ShowFiles::kNoSlidesMessage);
        return 1;
    }
    QTemporaryDir scratch;
    const QString work = scratch.isValid() ? WorkFolder::createNumbered(scratch.path()) : QString();
    if (work.isEmpty())
        return usageError(QStringLiteral("cannot make a working folder"));
    NoProgress progress;
    SystemDiskSpace disk;
    const auto result =
        ShowFiles::save(doc, settings, work, target, ShowFileServices{messages, progress, disk});
    return result == ShowFiles::SaveResult::Saved ? 0 : 1;
}

int probe(const QStringList& args); // CjfProbe.cpp

int other(const QString& name, const QStringList& args) {
    if (name == QLatin1String("probe"))
        return probe(args);
    if (name == QLatin1String("frames"))
        return frames(args);
    return -1;
}

} // namespace CjfCommands
