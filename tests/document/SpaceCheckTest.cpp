#include "SpaceCheck.h"
#include "FakeDiskSpace.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(SpaceCheck, SavingCountsFilesRecordsAndHeaderEvenOverAnOldShow) {
    TempFolder tmp;
    const QStringList pack = {tmp.write("a.jpg", QByteArray(1000, 'a')),
                              tmp.write("b.wav", QByteArray(500, 'b')), tmp.file("gone.jpg")};
    EXPECT_EQ(SpaceCheck::combinedSize(pack), 1000 + 500 + 3 * 344 + 44);

    FakeDiskSpace disk;
    ScriptedMessages messages;
    const qint64 needed = 1000 + 500 + 3 * 344 + 44;
    disk.free = needed;
    EXPECT_TRUE(SpaceCheck::forSaving(pack, tmp.file("new.cjf"), disk, messages));
    disk.free = needed - 1;
    EXPECT_FALSE(SpaceCheck::forSaving(pack, tmp.file("new.cjf"), disk, messages));
    EXPECT_EQ(messages.texts(), QStringList({"Insufficient space on drive: /media/show"}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Warning);

    // The show being replaced stays on disk until the new one is complete: its room is not free.
    tmp.write("old.cjf", QByteArray(800, 'o'));
    disk.free = needed - 1;
    EXPECT_FALSE(SpaceCheck::forSaving(pack, tmp.file("old.cjf"), disk, messages));
    disk.free = needed;
    EXPECT_TRUE(SpaceCheck::forSaving(pack, tmp.file("old.cjf"), disk, messages));
    EXPECT_EQ(messages.shown.size(), 2);
}

TEST(SpaceCheck, SavingWhereTheFileSystemCannotBeAsked) {
    TempFolder tmp;
    FakeDiskSpace disk;
    ScriptedMessages messages;
    const QString folder = tmp.file("net");
    disk.unreachable << folder;
    EXPECT_FALSE(SpaceCheck::forSaving({}, folder + "/show.cjf", disk, messages));
    EXPECT_EQ(messages.texts(), QStringList({"Unable to access drive: " + folder}));

    messages.shown.clear();
    EXPECT_FALSE(SpaceCheck::forSaving({}, "relative.cjf", disk, messages));
    EXPECT_TRUE(messages.shown.isEmpty()) << "a target without a folder answers no silently";
}

TEST(SpaceCheck, OpeningNeedsRoomForTheWholeFileAsA64BitCount) {
    TempFolder tmp;
    const QString show = tmp.write("show.cjf", QByteArray(4096, 's'));
    FakeDiskSpace disk;
    ScriptedMessages messages;

    EXPECT_FALSE(SpaceCheck::forOpening(tmp.file("missing.cjf"), tmp.path(), disk, messages));
    EXPECT_TRUE(messages.shown.isEmpty());

    disk.free = 5LL * 1024 * 1024 * 1024; // more than 32 bits can count
    EXPECT_TRUE(SpaceCheck::forOpening(show, tmp.path(), disk, messages));
    disk.free = 4095;
    EXPECT_FALSE(SpaceCheck::forOpening(show, tmp.path(), disk, messages));
    disk.unreachable << tmp.path();
    disk.free = 1LL << 40;
    EXPECT_FALSE(SpaceCheck::forOpening(show, tmp.path(), disk, messages))
        << "unknown free space counts as none";
    EXPECT_EQ(messages.texts(),
              QStringList(2, "Cannot open file due to insufficient working space on drive: " + tmp.path()));
}

} // namespace
