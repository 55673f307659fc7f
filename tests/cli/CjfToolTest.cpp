#include "CjfBytes.h"
#include "DemoMedia.h"
#include "TempFolder.h"
#include "ToolRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

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

} // namespace
