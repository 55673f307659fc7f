#include "MusicFiles.h"
#include "TempFolder.h"
#include "TrackListEdits.h"

#include <gtest/gtest.h>

namespace {

using namespace TrackListEdits;

TEST(TrackListEdits, FilesAreInsertedInFrontOfTheEntryOrAppended) {
    const QStringList five = {"t0", "t1", "t2", "t3", "t4"};
    const QStringList three = {"a", "b", "c"};
    QStringList list = five;
    insert(list, 2, three);
    EXPECT_EQ(list, QStringList({"t0", "t1", "a", "b", "c", "t2", "t3", "t4"}));
    list = five;
    insert(list, 5, three);
    EXPECT_EQ(list, five + three) << "below the last entry";
    list = five;
    insert(list, -1, three);
    EXPECT_EQ(list, five + three);
    list = {};
    insert(list, 0, {"a", "a"});
    EXPECT_EQ(list, QStringList({"a", "a"})) << "the same file twice is two tracks";
}

TEST(TrackListEdits, ADraggedTrackLandsInFrontOfTheOneItWasDroppedOn) {
    struct Case {
        int from;
        int to;
        QStringList expected;
        bool moved;
    };
    const Case cases[] = {
        {0, 2, {"B", "A", "C", "D"}, true},  // A onto C
        {3, 1, {"A", "D", "B", "C"}, true},  // D onto B
        {1, 4, {"A", "C", "D", "B"}, true},  // B below the last entry
        {0, 0, {"A", "B", "C", "D"}, false}, // onto itself
        {0, 1, {"A", "B", "C", "D"}, false}, // in front of its neighbour: where it is
        {3, 4, {"A", "B", "C", "D"}, false},
        {-1, 2, {"A", "B", "C", "D"}, false}, // no current track
        {1, -1, {"A", "B", "C", "D"}, false}, // no target
        {1, 5, {"A", "B", "C", "D"}, false},
    };
    for (const Case& k : cases) {
        QStringList list = {"A", "B", "C", "D"};
        EXPECT_EQ(move(list, k.from, k.to), k.moved) << k.from << " to " << k.to;
        EXPECT_EQ(list, k.expected) << k.from << " to " << k.to;
    }
}

TEST(TrackListEdits, ARenamedFolderTakesItsEntriesAlongButNotItsSiblings) {
    QStringList list = {"/music/Rock/a.wav", "/music/Rock2/x.wav", "/music/b.wav", "/music/Rock/deep/c.mid",
                        "/music/Rock"};
    EXPECT_EQ(repointFolder(list, "/music/Rock", "/music/Jazz"), 2);
    EXPECT_EQ(list, QStringList({"/music/Jazz/a.wav", "/music/Rock2/x.wav", "/music/b.wav",
                                 "/music/Jazz/deep/c.mid", "/music/Rock"}));
    EXPECT_EQ(repointFolder(list, "/music/Jazz/", "/music/Blues/"), 2) << "a trailing slash changes nothing";
    EXPECT_EQ(list[0], "/music/Blues/a.wav");
    EXPECT_EQ(repointFolder(list, "/", "/elsewhere"), 0) << "the root is no folder one renames";
}

TEST(TrackListEdits, AMovedFileIsFoundWithBlanksAroundIt) {
    QStringList list = {" /music/song.wav", "/music/song.wav\t", "/music/song.wav2", "/music/other.wav"};
    EXPECT_EQ(repointFile(list, "/music/song.wav ", "/backup/song.wav"), 2);
    EXPECT_EQ(list, QStringList({"/backup/song.wav", "/backup/song.wav", "/music/song.wav2", "/music/other.wav"}));
    EXPECT_EQ(repointFile(list, "  ", "/x"), 0);
}

TEST(TrackListEdits, NewFoldersAreNumberedFromTwoToFifty) {
    const QStringList names = newFolderNames();
    ASSERT_EQ(names.size(), 50);
    EXPECT_EQ(names[0], "New Folder");
    EXPECT_EQ(names[1], "New Folder (2)");
    EXPECT_EQ(names[2], "New Folder (3)");
    EXPECT_EQ(names.last(), "New Folder (50)");
}

TEST(MusicFiles, TheLibraryListsItsSoundsAsAPersonReadsThem) {
    TempFolder dir;
    for (const char* name : {"b10.wav", "b9.WAV", "A.mid", "song.Mid", ".hidden.wav", "notes.txt", "x.wave"})
        dir.write(QLatin1String(name), "x");
    dir.write(QStringLiteral("two\nlines.wav"), "x");
    QDir().mkdir(dir.file("folder.wav"));
    EXPECT_EQ(MusicFiles::list(dir.path()), QStringList({"A.mid", "b9.WAV", "b10.wav", "song.Mid"}));
    EXPECT_EQ(MusicFiles::list(dir.file("missing")), QStringList());
    EXPECT_EQ(MusicFiles::list(QString()), QStringList());
}

TEST(MusicFiles, TenThousandFilesAreListedWhole) {
    TempFolder dir;
    for (int i = 0; i < 10000; ++i)
        QFile(dir.file(QStringLiteral("track %1.wav").arg(i))).open(QIODevice::WriteOnly);
    const QStringList names = MusicFiles::list(dir.path());
    ASSERT_EQ(names.size(), 10000);
    EXPECT_EQ(names[9], "track 9.wav");
    EXPECT_EQ(names[10], "track 10.wav");
    EXPECT_EQ(names.last(), "track 9999.wav");
}

} // namespace
