#include "ShowDocument.h"
#include "SlideTime.h"

#include <gtest/gtest.h>

namespace {

ShowDocument threeSlides() {
    ShowDocument doc;
    for (int i = 0; i < 3; ++i)
        doc.addSlide(QStringLiteral("/p/%1.jpg").arg(i), QStringLiteral("/s/%1.wav").arg(i),
                     QStringLiteral("caption %1").arg(i), i * 1000);
    return doc;
}

// The order of slides, read from every per-slide list; all four must agree.
QString order(const ShowDocument& doc) {
    QString out;
    for (int i = 0; i < doc.slideCount(); ++i) {
        const QString n = doc.imagePaths[i].mid(3, 1);
        EXPECT_EQ(doc.soundPaths[i], QStringLiteral("/s/%1.wav").arg(n));
        EXPECT_EQ(doc.captions[i], QStringLiteral("caption %1").arg(n));
        EXPECT_EQ(doc.timings[i], QString::number(n.toInt() * 1000));
        out += n;
    }
    return out;
}

TEST(ShowDocument, MovesSlideInAllFourLists) {
    struct Case {
        int from, to;
        const char* expected;
    } cases[] = {{0, 2, "120"}, {2, 0, "201"}, {0, 1, "102"}, {1, 0, "102"}, {1, 2, "021"}, {2, 1, "021"}};
    for (const Case& c : cases) {
        ShowDocument doc = threeSlides();
        doc.moveSlide(c.from, c.to);
        EXPECT_EQ(order(doc), QLatin1String(c.expected)) << c.from << " -> " << c.to;
        EXPECT_TRUE(doc.slidesInStep());
    }
}

TEST(ShowDocument, RemovesExactlyTheMarkedSlidesEvenWithEqualNames) {
    ShowDocument doc;
    for (int i = 0; i < 5; ++i)
        doc.addSlide(QStringLiteral("/same/a.jpg"), QString(), QString::number(i), 0);
    doc.imagePaths[1] = kDeleteSlideMarker;
    doc.imagePaths[3] = kDeleteSlideMarker;
    doc.removeMarkedSlides();
    EXPECT_EQ(doc.captions, QStringList({"0", "2", "4"}));
    EXPECT_TRUE(doc.slidesInStep());

    for (QString& entry : doc.imagePaths)
        entry = kDeleteSlideMarker;
    doc.removeMarkedSlides();
    EXPECT_EQ(doc.slideCount(), 0);
    EXPECT_TRUE(doc.slidesInStep());
}

TEST(ShowDocument, SettingsLinesAndTransitionSetting) {
    ShowDocument doc;
    EXPECT_EQ(doc.settingsLines, QStringList({"-2147483633", "TRUE"}));
    EXPECT_TRUE(doc.transitionSetting());
    doc.setSettingsLine(2, QStringLiteral("false"));
    EXPECT_FALSE(doc.transitionSetting());
    doc.setSettingsLine(2, QStringLiteral("true"));
    EXPECT_TRUE(doc.transitionSetting()) << "read case-insensitively";
    doc.setSettingsLine(7, QStringLiteral("extra"));
    EXPECT_EQ(doc.settingsLines.size(), 3) << "a line past the end is appended";

    doc.settingsLines = QStringList({"255"});
    EXPECT_FALSE(doc.transitionSetting()) << "a missing line 2 means off";
    doc.resetSettings();
    EXPECT_EQ(doc.settingsLines, QStringList({"-2147483633", "TRUE"}));

    doc.addSlide("/a.jpg", " ", "", 0);
    doc.musicTracks << "/t.mid";
    doc.clear();
    EXPECT_EQ(doc.slideCount(), 0);
    EXPECT_TRUE(doc.musicTracks.isEmpty());
    EXPECT_EQ(doc.settingsLines.size(), 2) << "clearing the show leaves its settings to the caller";
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
