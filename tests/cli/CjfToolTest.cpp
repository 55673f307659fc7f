#include "CjfBytes.h"
#include "DemoMedia.h"
#include "RegressionInputs.h"
#include "ShowTexts.h"
#include "SmallFileSystem.h"
#include "TempFolder.h"
#include "ToolRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

QJsonObject infoJson(const QString& show) {
    const ToolRun run = runTool("orvanne-cjf", {"info", "--json", show});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out).object();
}

TEST(CjfTool, CreateFromAManifestThenInfoShowsWhatWasAsked) {
    TempFolder tmp;
    tmp.write("pics/a.jpg", "not really a jpeg");
    tmp.write("pics/b.png", "png");
    tmp.write("snd/ring.wav", "RIFF");
    const QString music = tmp.write("music/t.mid", "MThd");
    const QString extra = tmp.write("extra.bmp", "bmp");
    tmp.write("show.txt", QString("pics/a.jpg\t2.3\tCaf\u00e9 \u5bcc\u58eb\tsnd/ring.wav\r\n"
                                  "\n"
                                  "pics/b.png\t\t\t\n")
                              .toUtf8());
    const QString out = tmp.file("out.cjf");
    const ToolRun run = runTool("orvanne-cjf", {"create", out, "--delay", "7", "--no-loop",
                                                "--no-transitions", "--background", "0x00FF0000", "--music",
                                                music, "--manifest", tmp.file("show.txt"), extra});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const QJsonObject info = infoJson(out);
    EXPECT_EQ(info["version"].toDouble(), 1.5);
    EXPECT_EQ(info["delay"].toInt(), 7);
    EXPECT_TRUE(info["music"].toBool());
    EXPECT_FALSE(info["loop"].toBool());
    const QJsonArray slides = info["slides"].toArray();
    ASSERT_EQ(slides.size(), 3);
    EXPECT_EQ(slides[0].toObject()["image"].toString(), "a.jpg");
    EXPECT_EQ(slides[0].toObject()["timing"].toString(), "2299");
    EXPECT_EQ(slides[0].toObject()["caption"].toString(), QString("Caf\u00e9 \u5bcc\u58eb"));
    EXPECT_EQ(slides[0].toObject()["audio"].toString(), "ring.wav");
    EXPECT_EQ(slides[1].toObject()["timing"].toString(), "0");
    EXPECT_EQ(slides[1].toObject()["audio"].toString(), "");
    EXPECT_EQ(slides[2].toObject()["image"].toString(), "extra.bmp");
    EXPECT_EQ(info["tracks"].toArray().toVariantList(), QVariantList({"t.mid"}));
    EXPECT_EQ(info["cfgset"].toArray().toVariantList(), QVariantList({"16711680", "FALSE"}));
    const QJsonArray entries = info["entries"].toArray();
    ASSERT_EQ(entries.size(), 11);
    EXPECT_EQ(entries[0].toObject()["name"].toString(), "a.jpg");
    EXPECT_EQ(entries[0].toObject()["size"].toInt(), 17);
}

TEST(CjfTool, ExitCodesAndMessages) {
    TempFolder tmp;
    const QString junk =
        tmp.write("junk.cjf", "This is a text file, not a show at all, nor anything like one.");
    const QString stub = tmp.write("stub.cjf", QByteArray("\x04CJFF", 5));
    const struct {
        QStringList args;
        int code;
        QString err;
    } cases[] = {
        {{"info", junk}, 1, "Not a valid *.CJF file.\n"},
        {{"info", stub},
         1,
         "Unable to open " + stub + ".  File may be damaged or format is not recognized.\n"},
        {{"info", tmp.file("none.cjf")}, 1, "Unable to locate file " + tmp.file("none.cjf") + "\n"},
        {{"info"}, 2, ""},
        {{"info", "--bogus", junk}, 2, ""},
        {{"frobnicate"}, 2, ""},
        {{"create", tmp.file("x.cjf"), tmp.file("missing.jpg")},
         2,
         "orvanne-cjf: cannot read " + tmp.file("missing.jpg") + "\n"},
        {{"create", tmp.file("x.cjf"), "--delay", "2", junk}, 2, ""},
        {{"create", tmp.file("x.cjf")},
         1,
         "No slides have been added to the slide show.  Please add one or more slides before saving the "
         "slide show.\n"},
        {{"extract", junk}, 2, ""},
    };
    for (const auto& c : cases) {
        const ToolRun run = runTool("orvanne-cjf", c.args);
        EXPECT_EQ(run.exitCode, c.code) << c.args.join(' ').toStdString() << ": " << run.err.toStdString();
        if (!c.err.isEmpty()) {
            EXPECT_TRUE(run.err.endsWith(c.err)) << run.err.toStdString();
        }
        if (c.code == 2) {
            EXPECT_EQ(run.err.count('\n'), 1) << "a bad argument gives one line: " << run.err.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(tmp.file("x.cjf")));
    for (const char* command : {"info", "extract", "create"}) {
        const ToolRun help = runTool("orvanne-cjf", {command, "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.startsWith("usage: orvanne-cjf ")) << command;
    }
}

TEST(CjfTool, ExtractAddsToAFolderWithoutEmptyingIt) {
    TempFolder tmp;
    const QString shows = tmp.file("shows");
    ASSERT_TRUE(DemoMedia::writeShow(shows));
    const QString into = tmp.file("into/deeper");
    tmp.write("into/deeper/mine.txt", "mine");
    const ToolRun run = runTool("orvanne-cjf", {"extract", shows + "/demo.cjf", into});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(TempFolder::read(into + "/mine.txt"), QByteArray("mine"));
    EXPECT_EQ(TempFolder::read(into + "/sunrise.jpg"), TempFolder::read(shows + "/sunrise.jpg"));
    EXPECT_EQ(TempFolder::read(into + "/morning.mid"), TempFolder::read(shows + "/morning.mid"));
    EXPECT_TRUE(QFileInfo::exists(into + "/CfgSet.lst"));

    // A damaged show: the program's message, exit 1, and nothing written outside the folder.
    const QString evil = tmp.write("evil.cjf", cjfFile(1.0f, {{"../escaped.jpg", "x"}}));
    const ToolRun bad = runTool("orvanne-cjf", {"extract", evil, into});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(
        bad.err.endsWith("Unable to open " + evil + ".  File may be damaged or format is not recognized.\n"))
        << bad.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tmp.file("into/escaped.jpg")));
}

// Every input that once crashed the program or ran away with its memory, through the tools a
// user would try first: each ends with a message and an exit code, never a signal.
TEST(CjfTool, InputsThatOnceBrokeTheProgramEndWithAMessage) {
    QStringList sounds;
    for (const QString& target : {QStringLiteral("midi"), QStringLiteral("sound")})
        for (const QString& name : QDir(regressionPath(target, QString())).entryList(QDir::Files))
            sounds << regressionPath(target, name);
    ASSERT_GE(sounds.size(), 4);
    const ToolRun probe = runTool("orvanne-cjf", QStringList{"probe"} + sounds);
    EXPECT_EQ(probe.exitCode, 1) << probe.err.toStdString();
    const QList<QByteArray> lines = probe.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), sounds.size());
    for (const QByteArray& line : lines)
        EXPECT_FALSE(QJsonDocument::fromJson(line).object().value("error").toString().isEmpty())
            << line.constData();

    // The pictures as the slides of a show, the sounds as their sounds.
    const QStringList pictures = {
        regressionPath("image", "bmp-rowbytes-mul-overflow.bmp"),
        regressionPath("pcx", "any-pcx-reserves-1gib.pcx"),
        regressionPath("wmf", "reused-brush-slot-wild-pattern-pointer.wmf"),
        regressionPath("wmf", "text-stretched-one-way-glyph-cache-copies-from-nothing.wmf")};
    QList<CjfEntry> entries;
    QByteArray display, timing, captions, audio;
    for (int i = 0; i < pictures.size(); ++i) {
        QFile file(pictures[i]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        entries.append({QFile::encodeName(QFileInfo(pictures[i]).fileName()), file.readAll()});
        display += QFile::encodeName(QFileInfo(pictures[i]).fileName()) + "\r\n";
        timing += "0\r\n";
        captions += regressionInput("listfile", "shortstring-splits-surrogate-pair.lst")
                        .left(60)
                        .replace('\r', ' ')
                        .replace('\n', ' ') +
                    "\r\n";
        audio += QFile::encodeName(QFileInfo(sounds[i % sounds.size()]).fileName()) + "\r\n";
    }
    for (const QString& sound : sounds) {
        QFile file(sound);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        entries.append({QFile::encodeName(QFileInfo(sound).fileName()), file.readAll()});
    }
    entries += {{"DisplayList.lst", display}, {"SlideTiming.lst", timing}, {"Captions.lst", captions},
                {"SlideAudio.lst", audio},    {"SongList.lst", ""},        {"CfgSet.lst", "0\r\nTRUE\r\n"}};
    TempFolder tmp;
    const QString show = tmp.write("found.cjf", cjfFile(1.5f, entries));
    const ToolRun info = runTool("orvanne-cjf", {"info", show});
    EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
    const ToolRun frames = runTool("orvanne-cjf", {"frames", show, tmp.file("frames"), "--size", "320x240"});
    EXPECT_EQ(frames.exitCode, 1) << "the damaged bitmap cannot be shown";
    EXPECT_TRUE(frames.err.contains("Cannot read: bmp-rowbytes-mul-overflow.bmp"))
        << frames.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(tmp.file("frames/slide-002.png"))) << "the PCX slide is shown";
    const ToolRun extract = runTool("orvanne-cjf", {"extract", show, tmp.file("out")});
    EXPECT_EQ(extract.exitCode, 0) << extract.err.toStdString();
    EXPECT_EQ(TempFolder::read(tmp.file("out/any-pcx-reserves-1gib.pcx")),
              regressionInput("pcx", "any-pcx-reserves-1gib.pcx"));
}

// Entries of 6000 bytes: few enough for the free-space check, but their files take more pages of
// a nearly full disk than it has.
TEST(CjfTool, ExtractOntoAFullOrReadOnlyDiskSaysWhatFailedAndLeavesNothing) {
    SmallFileSystem small(64 * 1024);
    if (!small.mounted())
        GTEST_SKIP() << small.whyNot().toStdString();
    const QString into = small.path() + "/into";
    QDir().mkpath(into);
    QFile mine(into + "/mine.txt");
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    small.fill(7 * 4096);
    struct statvfs fs {};
    ASSERT_EQ(::statvfs(QFile::encodeName(into).constData(), &fs), 0);
    const qint64 pages = qint64(fs.f_bavail) * qint64(fs.f_frsize) / 4096;
    QList<CjfEntry> entries;
    for (int i = 0; i <= pages / 2; ++i)
        entries.append({QByteArray("e") + QByteArray::number(i) + ".jpg", QByteArray(6000, char('a' + i))});
    TempFolder tmp;
    const QString show = tmp.write("show.cjf", cjfFile(1.0f, entries));
    ASSERT_LE(QFileInfo(show).size(), qint64(fs.f_bavail) * qint64(fs.f_frsize)) << "passes the space check";

    const ToolRun full = runTool("orvanne-cjf", {"extract", show, into});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, ShowTexts::noRoomToUnpack(show, into) + "\n");
    EXPECT_EQ(QDir(into).entryList(QDir::Files | QDir::Hidden), QStringList({"mine.txt"}));

    ASSERT_TRUE(small.makeReadOnly());
    const ToolRun readOnly = runTool("orvanne-cjf", {"extract", show, into});
    EXPECT_EQ(readOnly.exitCode, 1);
    EXPECT_EQ(readOnly.err, ShowTexts::folderNotWritable(show, into) + "\n");
}

// Without root a folder without write permission does the same.
TEST(CjfTool, ExtractIntoAFolderThatCannotBeWrittenSaysSo) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    TempFolder tmp;
    const QString show = tmp.write("show.cjf", cjfFile(1.0f, {{"a.jpg", "x"}}));
    const QString into = tmp.file("locked");
    QDir().mkpath(into);
    ::chmod(QFile::encodeName(into).constData(), 0500);
    const ToolRun run = runTool("orvanne-cjf", {"extract", show, into});
    ::chmod(QFile::encodeName(into).constData(), 0700);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, ShowTexts::folderNotWritable(show, into) + "\n");
}

} // namespace
