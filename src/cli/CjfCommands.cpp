#include "CjfCommands.h"

#include "CombinedFileReader.h"
#include "ConsoleMessages.h"
#include "DiskSpace.h"
#include "PathNames.h"
#include "ProgressReport.h"
#include "ShowDocument.h"
#include "ShowFiles.h"
#include "ShowManifest.h"
#include "ShowTexts.h"
#include "SpaceCheck.h"
#include "WorkFolder.h"

#include <QCommandLineParser>
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
    for (const Slide& slide : doc.slides())
        slides.append(QJsonObject{{QStringLiteral("image"), shown(slide.imagePath, work)},
                                  {QStringLiteral("timing"), slide.timing},
                                  {QStringLiteral("caption"), slide.caption},
                                  {QStringLiteral("audio"), shown(slide.soundPath, work)}});
    root[QStringLiteral("slides")] = slides;
    root[QStringLiteral("tracks")] = QJsonArray::fromStringList(shownAll(doc.musicTracks(), work));
    root[QStringLiteral("cfgset")] = QJsonArray::fromStringList(doc.settingsLines());
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
    s << "Settings: " << doc.settingsLines().join(QStringLiteral(" | ")) << '\n';
    s << "Slides (" << doc.slideCount() << "):\n";
    for (int i = 0; i < doc.slideCount(); ++i) {
        const Slide slide = doc.slide(i);
        s << "  " << (i + 1) << ". " << shown(slide.imagePath, work) << "  time " << slide.timing;
        if (!slide.caption.trimmed().isEmpty())
            s << "  caption \"" << slide.caption << '"';
        if (slide.hasSound())
            s << "  sound " << shown(slide.soundPath, work);
        s << '\n';
    }
    s << "Tracks (" << doc.musicTracks().size() << "):\n";
    for (int i = 0; i < doc.musicTracks().size(); ++i)
        s << "  " << (i + 1) << ". " << shown(doc.musicTracks()[i], work) << '\n';
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
        workFolder = WorkFolder::createNumbered(parent->path());
    work = workFolder.path();
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

std::optional<int> parse(QCommandLineParser& parser, const QString& command, const QStringList& args,
                         const char* usage) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    if (!parser.parse(QStringList{QStringLiteral("orvanne-cjf")} + args))
        return usageError(command + QStringLiteral(": ") + parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(usage, stdout);
        return 0;
    }
    return std::nullopt;
}

int info(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    parser.addOption(jsonOption);
    if (const auto done =
            parse(parser, QStringLiteral("info"), args,
                  "usage: orvanne-cjf info [--json] SHOW.cjf\n"
                  "Reads a show as the program opens it and prints its settings, slides, tracks\n"
                  "and packed files; --json prints one JSON object instead.\n"))
        return *done;
    const bool json = parser.isSet(jsonOption);
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("info: which show? (orvanne-cjf info [--json] SHOW.cjf)"));
    if (positional.size() > 1)
        return usageError(QStringLiteral("info: one show at a time"));
    const QString path = QFileInfo(positional[0]).absoluteFilePath();
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
    QCommandLineParser parser;
    if (const auto done = parse(parser, QStringLiteral("extract"), args,
                                "usage: orvanne-cjf extract SHOW.cjf DIR\n"
                                "Unpacks every file of a show into DIR (made when missing; nothing in it is\n"
                                "removed, files of the same name are replaced).\n"))
        return *done;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return usageError(QStringLiteral("extract: orvanne-cjf extract SHOW.cjf DIR"));
    const QString path = QFileInfo(positional[0]).absoluteFilePath();
    const QString dir = QFileInfo(positional[1]).absoluteFilePath();
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
    QCommandLineParser parser;
    const QCommandLineOption delay(QStringLiteral("delay"), QString(), QStringLiteral("N"));
    const QCommandLineOption noMusic(QStringLiteral("no-music"));
    const QCommandLineOption noFit(QStringLiteral("no-fit"));
    const QCommandLineOption noAdvance(QStringLiteral("no-advance"));
    const QCommandLineOption noLoop(QStringLiteral("no-loop"));
    const QCommandLineOption noTransitions(QStringLiteral("no-transitions"));
    const QCommandLineOption background(QStringLiteral("background"), QString(), QStringLiteral("C"));
    const QCommandLineOption music(QStringLiteral("music"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption manifest(QStringLiteral("manifest"), QString(), QStringLiteral("FILE"));
    parser.addOptions({delay, noMusic, noFit, noAdvance, noLoop, noTransitions, background, music, manifest});
    if (const auto done =
            parse(parser, QStringLiteral("create"), args,
                  "usage: orvanne-cjf create OUT.cjf [OPTIONS] [IMAGE]...\n"
                  "Builds a show and saves it as the program saves one. The slides of the manifests\n"
                  "come first, in order, then each IMAGE as a slide on the default delay, without\n"
                  "caption or sound.\n"
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
                  "                      relative paths are taken from the manifest's folder; repeatable)\n"))
        return *done;
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("create: orvanne-cjf create OUT.cjf [OPTIONS] [IMAGE]..."));
    const QString target = QFileInfo(positional[0]).absoluteFilePath();
    ShowDocument doc;
    ShowSettings settings;

    if (parser.isSet(delay)) {
        bool ok = false;
        const QString v = parser.value(delay);
        settings.delay = v.toInt(&ok);
        if (!ok || settings.delay < 3 || settings.delay > 90)
            return usageError(QStringLiteral("create: --delay takes whole seconds from 3 to 90, not ") + v);
    }
    settings.musicEnabled = !parser.isSet(noMusic);
    settings.fitToWindow = !parser.isSet(noFit);
    settings.autoAdvance = !parser.isSet(noAdvance);
    settings.loop = !parser.isSet(noLoop);
    if (parser.isSet(noTransitions))
        doc.setSettingsLine(2, QStringLiteral("FALSE"));
    if (parser.isSet(background)) {
        const QString v = parser.value(background);
        bool ok = false;
        const qint64 colour = v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                  ? v.mid(2).toLongLong(&ok, 16)
                                  : v.toLongLong(&ok, 10);
        if (!ok || colour < -2147483648LL || colour > 0xFFFFFFFFLL)
            return usageError(QStringLiteral("create: --background takes a 32-bit colour value, not ") + v);
        doc.setSettingsLine(1, QString::number(static_cast<qint32>(static_cast<quint32>(colour))));
    }
    for (const QString& file : parser.values(music)) {
        const QString track = QFileInfo(file).absoluteFilePath();
        if (!isReadableFile(track))
            return usageError(QStringLiteral("cannot read ") + track);
        doc.setMusicTracks(doc.musicTracks() + QStringList{track});
    }
    for (const QString& file : parser.values(manifest)) {
        QString error;
        if (!ShowManifest::read(file, doc, &error))
            return usageError(error);
    }
    for (const QString& arg : positional.mid(1)) {
        const QString image = QFileInfo(arg).absoluteFilePath();
        if (!isReadableFile(image))
            return usageError(QStringLiteral("cannot read ") + image);
        doc.addSlide(image, QString(), QString(), 0);
    }

    ConsoleMessages messages;
    if (doc.slideCount() == 0) {
        messages.warning(ShowFiles::kNoSlidesMessage);
        return 1;
    }
    QTemporaryDir scratch;
    const OwnedWorkFolder workFolder =
        scratch.isValid() ? WorkFolder::createNumbered(scratch.path()) : OwnedWorkFolder();
    if (!workFolder.isValid())
        return usageError(QStringLiteral("cannot make a working folder"));
    const QString& work = workFolder.path();
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
