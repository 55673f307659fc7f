#include "ShowDocument.h"
#include "SlideTime.h"

#include <QObject>

#include <gtest/gtest.h>

namespace {

void addThreeSlides(ShowDocument& doc) {
    for (int i = 0; i < 3; ++i)
        doc.addSlide(QStringLiteral("/p/%1.jpg").arg(i), QStringLiteral("/s/%1.wav").arg(i),
                     QStringLiteral("caption %1").arg(i), i * 1000);
}

// The order of slides; every field of a slide must have moved with it.
QString order(const ShowDocument& doc) {
    QString out;
    for (const Slide& slide : doc.slides()) {
        const QString n = slide.imagePath.mid(3, 1);
        EXPECT_EQ(slide.soundPath, QStringLiteral("/s/%1.wav").arg(n));
        EXPECT_EQ(slide.caption, QStringLiteral("caption %1").arg(n));
        EXPECT_EQ(slide.timing, QString::number(n.toInt() * 1000));
        out += n;
    }
    return out;
}

TEST(ShowDocument, MovesAWholeSlide) {
    struct Case {
        int from, to;
        const char* expected;
    } cases[] = {{0, 2, "120"}, {2, 0, "201"}, {0, 1, "102"}, {1, 0, "102"}, {1, 2, "021"},
                 {2, 1, "021"}, {1, 1, "012"}, {0, 3, "012"}, {-1, 0, "012"}};
    for (const Case& c : cases) {
        ShowDocument doc;
        addThreeSlides(doc);
        doc.moveSlide(c.from, c.to);
        EXPECT_EQ(order(doc), QLatin1String(c.expected)) << c.from << " -> " << c.to;
    }
}

TEST(ShowDocument, RemovesExactlyTheSlidesAtTheIndicesEvenWithEqualNames) {
    ShowDocument doc;
    for (int i = 0; i < 5; ++i)
        doc.addSlide(QStringLiteral("/same/a.jpg"), QString(), QString::number(i), 0);
    doc.removeSlides({1, 3, 3, 9, -1});
    EXPECT_EQ(doc.captions(), QStringList({"0", "2", "4"})) << "any order, repeats and strays allowed";
    doc.removeSlides({0, 2, 1});
    EXPECT_EQ(doc.slideCount(), 0);
    EXPECT_TRUE(doc.imagePaths().isEmpty());
    EXPECT_TRUE(doc.soundPaths().isEmpty());
}

TEST(ShowDocument, OneFieldOfOneSlideAndTheListsAtTheBoundary) {
    ShowDocument doc;
    addThreeSlides(doc);
    doc.setCaption(1, "Beach");
    doc.setTiming(2, "2500");
    doc.setSoundPath(0, " ");
    doc.setImagePath(2, "/q/x.png");
    doc.setCaption(7, "nobody");
    EXPECT_EQ(doc.captions(), QStringList({"caption 0", "Beach", "caption 2"}));
    EXPECT_EQ(doc.timings(), QStringList({"0", "1000", "2500"}));
    EXPECT_EQ(doc.soundPaths(), QStringList({" ", "/s/1.wav", "/s/2.wav"}));
    EXPECT_EQ(doc.imagePaths(), QStringList({"/p/0.jpg", "/p/1.jpg", "/q/x.png"}));
    EXPECT_FALSE(doc.slide(0).hasSound()) << "a blank sound is none";
    EXPECT_EQ(doc.slide(5), Slide()) << "no slide there";
}

TEST(ShowDocument, SettingsLinesAndTransitionSetting) {
    ShowDocument doc;
    EXPECT_EQ(doc.settingsLines(), QStringList({"-2147483633", "TRUE"}));
    EXPECT_TRUE(doc.transitionSetting());
    doc.setSettingsLine(2, QStringLiteral("false"));
    EXPECT_FALSE(doc.transitionSetting());
    doc.setSettingsLine(2, QStringLiteral("true"));
    EXPECT_TRUE(doc.transitionSetting()) << "read case-insensitively";
    doc.setSettingsLine(7, QStringLiteral("extra"));
    EXPECT_EQ(doc.settingsLines().size(), 3) << "a line past the end is appended";

    doc.setSettingsLines(QStringList({"255"}));
    EXPECT_FALSE(doc.transitionSetting()) << "a missing line 2 means off";
    EXPECT_EQ(doc.settingsLine(2), "");
    doc.resetSettings();
    EXPECT_EQ(doc.settingsLines(), QStringList({"-2147483633", "TRUE"}));

    doc.addSlide("/a.jpg", " ", "", 0);
    doc.setMusicTracks({"/t.mid"});
    doc.clear();
    EXPECT_EQ(doc.slideCount(), 0);
    EXPECT_TRUE(doc.musicTracks().isEmpty());
    EXPECT_EQ(doc.settingsLines().size(), 2) << "clearing the show leaves its settings to the caller";
}

TEST(ShowDocument, ModifiedIsTheEditorsToSetAndSignalledOnChange) {
    ShowDocument doc;
    QList<bool> signalled;
    QObject::connect(&doc, &ShowDocument::modified, [&](bool on) { signalled << on; });
    int changes = 0;
    QObject::connect(&doc, &ShowDocument::changed, [&] { ++changes; });
    doc.addSlide("/a.jpg", "", "", 0);
    EXPECT_FALSE(doc.isModified()) << "operations leave the flag to the caller";
    doc.setModified(true);
    doc.setModified(true);
    doc.setModified(false);
    EXPECT_EQ(signalled, QList<bool>({true, false})) << "only real changes are signalled";
    EXPECT_EQ(changes, 1);
}

TEST(ShowDocument, SecondsAreStoredAsTheDialogStoresThem) {
    EXPECT_EQ(SlideTime::fromSeconds("2.5"), "2500");
    EXPECT_EQ(SlideTime::fromSeconds("2.3"), "2299") << "the float nearest 2.3 lies just below it";
    EXPECT_EQ(SlideTime::fromSeconds("600"), "600000");
    EXPECT_EQ(SlideTime::fromSeconds(""), "0");
    EXPECT_EQ(SlideTime::fromSeconds("abc"), "0");

    EXPECT_TRUE(SlideTime::isAcceptable("600.4"));
    EXPECT_FALSE(SlideTime::isAcceptable("600.5"));
    EXPECT_TRUE(SlideTime::isAcceptable("0"));
    EXPECT_TRUE(SlideTime::isAcceptable(""));
    EXPECT_FALSE(SlideTime::isAcceptable("-1"));
    EXPECT_FALSE(SlideTime::isAcceptable("ten"));
}

} // namespace
