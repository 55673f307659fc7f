#include "SlideTimes.h"
#include "SlideTime.h"

#include <gtest/gtest.h>

namespace {

const QLocale c = QLocale::c();
const QLocale german(QLocale::German, QLocale::Germany);

TEST(SlideTimes, StoredTimesShowAsSecondsWithOneDecimal) {
    struct Case {
        const char* stored;
        const QLocale& locale;
        const char* shown;
    };
    const Case cases[] = {
        {"0", c, "0.0"},
        {"2500", c, "2.5"},
        {"600000", c, "600.0"},
        {"2299", c, "2.3"},
        {"2500", german, "2,5"},
        {"1234567", german, "1234,6"},
        // Nothing the dialog could show for blank or damaged entries: the field is empty.
        {"", c, ""},
        {" ", c, ""},
        {"2.5", c, ""},
        {"-400", c, ""},
        {"abc", german, ""},
    };
    for (const Case& k : cases)
        EXPECT_EQ(SlideTimes::secondsText(QLatin1String(k.stored), k.locale), k.shown) << k.stored;
}

TEST(SlideTimes, TypedSecondsAreStoredAsMillisecondsAndChecked) {
    struct Case {
        const char* typed;
        const QLocale& locale;
        const char* stored;
        bool acceptable;
    };
    const Case cases[] = {
        {"2.5", c, "2500", true},
        {"2.3", c, "2299", true}, // the 32-bit float nearest 2.3 lies just below it
        {"", c, "0", true},
        {"  ", c, "0", true},
        {"600.4", c, "600400", true},
        {"600.5", c, "600500", false},
        {"-1", c, "-1000", false},
        {"1e30", c, "0", false},
        {"inf", c, "0", false},
        {"nan", c, "0", false},
        {"1,000.5", c, "0", false},
        {"2,5", c, "0", false},
        {"ten", c, "0", false},
        {"2,3", german, "2299", true},
        {"2.3", german, "2299", true}, // a point is a decimal point everywhere
        {" 600,4 ", german, "600400", true},
        {"600,5", german, "600500", false},
        {"1.000,5", german, "0", false}, // no thousands separators
    };
    for (const Case& k : cases) {
        EXPECT_EQ(SlideTime::fromSeconds(QLatin1String(k.typed), k.locale), k.stored) << k.typed;
        EXPECT_EQ(SlideTime::isAcceptable(QLatin1String(k.typed), k.locale), k.acceptable) << k.typed;
    }
}

TEST(SlideTimes, WhatIsShownReadsBackInTheSameLocale) {
    for (const QLocale& locale : {c, german, QLocale(QLocale::French, QLocale::France)}) {
        for (int tenths = 0; tenths <= 6000; ++tenths) {
            const QString ms = QString::number(tenths * 100);
            const QString shown = SlideTimes::secondsText(ms, locale);
            ASSERT_TRUE(SlideTime::isAcceptable(shown, locale)) << shown.toStdString();
            const int back = SlideTime::fromSeconds(shown, locale).toInt();
            // The float the dialog holds may lie a hair below the tenth.
            ASSERT_TRUE(back == tenths * 100 || back == tenths * 100 - 1) << shown.toStdString();
        }
    }
}

TEST(SlideTimes, WholeSecondsRoundHalvesUp) {
    EXPECT_EQ(SlideTimes::wholeSeconds(QString(), c), 0);
    EXPECT_EQ(SlideTimes::wholeSeconds(QStringLiteral("2.4"), c), 2);
    EXPECT_EQ(SlideTimes::wholeSeconds(QStringLiteral("2.5"), c), 3);
    EXPECT_EQ(SlideTimes::wholeSeconds(QStringLiteral("2,5"), german), 3);
    EXPECT_EQ(SlideTimes::wholeSeconds(QStringLiteral("x"), c), std::nullopt);
    EXPECT_EQ(SlideTimes::wholeSeconds(QStringLiteral("1e30"), c), std::nullopt);
}

TEST(SlideTimes, ASoundLongerThanTheSlideStretchesIt) {
    EXPECT_EQ(SlideTimes::stretchedSeconds(0, 3, 7400), 8) << "on the default delay";
    EXPECT_EQ(SlideTimes::stretchedSeconds(5, 3, 7400), 8);
    EXPECT_EQ(SlideTimes::stretchedSeconds(7, 3, 8000), 9);
    EXPECT_EQ(SlideTimes::stretchedSeconds(0, 3, 2000), std::nullopt) << "a short sound leaves it";
    EXPECT_EQ(SlideTimes::stretchedSeconds(0, 10, 7400), std::nullopt) << "a blank time uses the delay";
    EXPECT_EQ(SlideTimes::stretchedSeconds(8, 3, 8999), std::nullopt) << "whole seconds of the sound";
    EXPECT_EQ(SlideTimes::stretchedSeconds(3, 3, 0), std::nullopt);
}

} // namespace
