#include "RecentFiles.h"
#include "TempFolder.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

TEST(RecentFiles, LoadingDropsEveryGoneEntryEvenSideBySide) {
    TempFolder tmp;
    const QString a = tmp.write("a.cjf", "a");
    const QString d = tmp.write("d.cjf", "d");
    {
        QSettings settings(tmp.file("s.ini"), QSettings::IniFormat);
        settings.setValue("recentFiles", QStringList({a, tmp.file("b.cjf"), tmp.file("c.cjf"), d, a}));
    }
    QSettings settings(tmp.file("s.ini"), QSettings::IniFormat);
    RecentFiles recent(settings);
    recent.load();
    EXPECT_EQ(recent.entries(), QStringList({a, d})) << "two missing side by side both go; a repeat goes";
    EXPECT_EQ(settings.value("recentFiles").toStringList(), QStringList({a, d}))
        << "and the pruned list is kept";
}

TEST(RecentFiles, PathsAreComparedExactlyAndTheListKeepsSix) {
    TempFolder tmp;
    QSettings settings(tmp.file("s.ini"), QSettings::IniFormat);
    RecentFiles recent(settings);
    const QString lower = tmp.write("show.cjf", "x");
    const QString upper = tmp.write("Show.cjf", "y");
    recent.add(lower);
    recent.add(upper);
    EXPECT_EQ(recent.entries(), QStringList({upper, lower})) << "two files on this system";
    recent.add(tmp.file("missing.cjf"));
    EXPECT_EQ(recent.entries().size(), 2) << "a file that is not there is not listed";
    for (int i = 0; i < 8; ++i)
        recent.add(tmp.write(QStringLiteral("%1.cjf").arg(i), "z"));
    EXPECT_EQ(recent.entries().size(), 6);
    EXPECT_EQ(recent.entries().first(), tmp.file("7.cjf"));
    recent.remove(tmp.file("7.cjf"));
    EXPECT_EQ(recent.entries().first(), tmp.file("6.cjf"));

    QSettings again(tmp.file("s.ini"), QSettings::IniFormat);
    RecentFiles reread(again);
    reread.load();
    EXPECT_EQ(reread.entries(), recent.entries()) << "kept between runs";
}

} // namespace
