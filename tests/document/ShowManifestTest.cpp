#include "ShowManifest.h"
#include "ShowDocument.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowManifest, SlidesWithTheirFieldsAndPathsFromTheManifestsFolder) {
    TempFolder tmp;
    const QString a = tmp.write("pics/a.jpg", "a");
    const QString b = tmp.write("pics/b.png", "b");
    const QString ring = tmp.write("snd/ring.wav", "RIFF");
    const QString manifest = tmp.write(
        "shows/holiday.txt", QString("../pics/a.jpg\t2.3\tCaf\u00e9 \u5bcc\u58eb\t../snd/ring.wav\r\n"
                                     "\n"
                                     "   \n"
                                     "../pics/b.png\n"
                                     "../pics/a.jpg\t\t\t\n")
                                 .toUtf8());
    ShowDocument doc;
    doc.addSlide("/already/there.jpg", "", "", 0);
    QString error;
    ASSERT_TRUE(ShowManifest::read(manifest, doc, &error)) << error.toStdString();
    EXPECT_EQ(doc.imagePaths(), QStringList({"/already/there.jpg", a, b, a}));
    EXPECT_EQ(doc.timings(), QStringList({"0", "2299", "0", "0"})) << "seconds kept as the dialog keeps them";
    EXPECT_EQ(doc.captions(), QStringList({"", QString("Caf\u00e9 \u5bcc\u58eb"), "", ""}));
    EXPECT_EQ(doc.soundPaths(), QStringList({"", ring, "", ""}));
}

TEST(ShowManifest, AFaultNamesItsLineAndAddsNothing) {
    TempFolder tmp;
    tmp.write("a.jpg", "a");
    const struct {
        QByteArray text;
        QString error;
    } cases[] = {
        {"a.jpg\n\ta\n", "m.txt:2: no image"},
        {"a.jpg\t1\tx\t\textra\n", "m.txt:1: more than four fields"},
        {"a.jpg\nmissing.jpg\n", "m.txt:2: cannot read " + tmp.file("missing.jpg")},
        {"a.jpg\t601\n", "m.txt:1: seconds must be a number from 0 to 600, not 601"},
        {"a.jpg\t-1\n", "m.txt:1: seconds must be a number from 0 to 600, not -1"},
        {"a.jpg\t1\t\tgone.wav\n", "m.txt:1: cannot read " + tmp.file("gone.wav")},
    };
    for (const auto& c : cases) {
        const QString manifest = tmp.write("m.txt", c.text);
        ShowDocument doc;
        QString error;
        EXPECT_FALSE(ShowManifest::read(manifest, doc, &error)) << c.text.constData();
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(doc.slideCount(), 0) << "nothing of a faulty manifest is added";
    }
    ShowDocument doc;
    QString error;
    EXPECT_FALSE(ShowManifest::read(tmp.file("none.txt"), doc, &error));
    EXPECT_EQ(error, "cannot read " + tmp.file("none.txt"));
}

} // namespace
