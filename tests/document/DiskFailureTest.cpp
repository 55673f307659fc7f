// Saving and unpacking when the disk fills up, turns read-only or fails: with writes that fail on
// cue (any user can run these), and on a real small file system that fills up (these need root,
// as CI has, and skip elsewhere). In every case the old show stays byte for byte, nothing
// half-written is left behind, and the message says what failed.

#include "CjfBytes.h"
#include "CombinedFileReader.h"
#include "DiskSpace.h"
#include "FailingWrites.h"
#include "FakeDiskSpace.h"
#include "ListFile.h"
#include "ProgressReport.h"
#include "ReplacingFile.h"
#include "ScriptedMessages.h"
#include "ShowFiles.h"
#include "ShowTexts.h"
#include "SmallFileSystem.h"
#include "TempFolder.h"
#include "WorkFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QStringList entriesOf(const QString& folder) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

TEST(ReplacingFile, AFailedWriteOrFlushLeavesTheTargetAndItsFolderAsTheyWere) {
    TempFolder tmp;
    const QString target = tmp.write("list/DisplayList.lst", "old.jpg\r\n");
    const QStringList before = entriesOf(tmp.file("list"));
    for (int error : {ENOSPC, EDQUOT, EIO}) {
        for (qint64 allowed : {0, 3, 20}) {
            FailingWrites writes(allowed, error);
            EXPECT_FALSE(ListFile::write(target, {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}, writes))
                << error << " after " << allowed;
            EXPECT_EQ(TempFolder::read(target), QByteArray("old.jpg\r\n"));
            EXPECT_EQ(entriesOf(tmp.file("list")), before) << "nothing is left beside it";
        }
    }
    FailingWrites flushFails(1 << 20, EIO);
    flushFails.failSync = true;
    ReplacingFile file(target, flushFails);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write(QByteArray("new.jpg\r\n")));
    EXPECT_FALSE(file.commit(ReplacingFile::Durability::Synced));
    EXPECT_EQ(file.failure().code, EIO);
    EXPECT_TRUE(file.failure().writing);
    EXPECT_EQ(TempFolder::read(target), QByteArray("old.jpg\r\n"));
    EXPECT_EQ(entriesOf(tmp.file("list")), before);
}

TEST(ReplacingFile, TakesTheTargetsPlaceWholeAndKeepsItsPermissions) {
    TempFolder tmp;
    const QString target = tmp.write("show.cjf", "old");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    ReplacingFile file(target);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write(QByteArray("the new show")));
    if (file.unnamed()) {
        EXPECT_EQ(entriesOf(tmp.path()), QStringList({"show.cjf"}))
            << "an unnamed file shows no name while written";
    }
    EXPECT_EQ(TempFolder::read(target), QByteArray("old"));
    ASSERT_TRUE(file.commit(ReplacingFile::Durability::Synced));
    EXPECT_EQ(TempFolder::read(target), QByteArray("the new show"));
    EXPECT_EQ(modeOf(target), 0640u);
    EXPECT_EQ(entriesOf(tmp.path()), QStringList({"show.cjf"}));

    const mode_t mask = ::umask(022);
    ReplacingFile fresh(tmp.file("new.cjf"));
    ASSERT_TRUE(fresh.open());
    ASSERT_TRUE(fresh.write(QByteArray("x")));
    ASSERT_TRUE(fresh.commit(ReplacingFile::Durability::Cached));
    ::umask(mask);
    EXPECT_EQ(modeOf(tmp.file("new.cjf")), 0644u);

    ReplacingFile abandoned(tmp.file("never.cjf"));
    ASSERT_TRUE(abandoned.open());
    ASSERT_TRUE(abandoned.write(QByteArray("x")));
    abandoned.abandon();
    EXPECT_EQ(entriesOf(tmp.path()), QStringList({"new.cjf", "show.cjf"}));

    ReplacingFile nowhere(tmp.file("missing/show.cjf"));
    EXPECT_FALSE(nowhere.open());
    EXPECT_EQ(nowhere.failure().code, ENOENT);
}

class DiskFailure : public ::testing::Test {
protected:
    ShowFileServices services(const DiskSpace& space, const DiskWrites* writes = nullptr) {
        return ShowFileServices{messages, progress, space, writes};
    }

    // A show of two slides with captions and a track, saved for real; its bytes are what every
    // failed save must leave.
    QString saveGoodShow(const QString& target) {
        doc.addSlide(tmp.write("pics/sea.jpg", QByteArray(3000, 's')), "", "The sea", 2500);
        doc.addSlide(tmp.write("pics/hill.jpg", QByteArray(2000, 'h')), "", "The hill", 0);
        doc.setMusicTracks({tmp.write("music/tune.mid", "MThd")});
        EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), work, target, services(fakeDisk)),
                  ShowFiles::SaveResult::Saved);
        good = TempFolder::read(target);
        EXPECT_GT(good.size(), 5000);
        messages.shown.clear();
        return target;
    }

    TempFolder tmp;
    OwnedWorkFolder workFolder = WorkFolder::createNumbered(tmp.path());
    QString work = workFolder.path();
    ScriptedMessages messages;
    NoProgress progress;
    FakeDiskSpace fakeDisk;
    SystemDiskSpace systemDisk;
    ShowDocument doc;
    QByteArray good;
};

TEST_F(DiskFailure, ListFilesThatCannotBeWrittenStopTheSaveAndKeepTheOldShow) {
    const QString target = saveGoodShow(tmp.file("show.cjf"));
    const QStringList workBefore = entriesOf(work);
    for (qint64 allowed : {0, 10, 40}) {
        FailingWrites full(allowed, ENOSPC);
        EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), work, target, services(fakeDisk, &full)),
                  ShowFiles::SaveResult::ListFilesFailed);
        EXPECT_EQ(messages.texts(),
                  QStringList({"Unable to write file lists to disk. Please be sure there is "
                               "sufficient working space on drive /media/show:."}));
        EXPECT_EQ(TempFolder::read(target), good) << allowed;
        EXPECT_EQ(entriesOf(work), workBefore);
        messages.shown.clear();
    }
}

TEST_F(DiskFailure, ADiskThatFillsWhileTheShowIsPackedKeepsTheOldShow) {
    const QString target = saveGoodShow(tmp.file("show.cjf"));
    // The list files take a few dozen bytes; the show itself fails part of the way through.
    for (qint64 allowed : {200, 1000, 4000}) {
        FailingWrites full(allowed, ENOSPC);
        EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), work, target, services(fakeDisk, &full)),
                  ShowFiles::SaveResult::WriteFailed);
        EXPECT_EQ(messages.texts(),
                  QStringList({"Unable to save the show to " + target + ". The file was not changed. (" +
                               target + ": No space left on device)"}));
        EXPECT_EQ(TempFolder::read(target), good) << allowed;
        EXPECT_EQ(entriesOf(tmp.path()),
                  QStringList({"music", "pics", "show.cjf", QFileInfo(work).fileName()}));
        messages.shown.clear();
    }
    FailingWrites flushFails(1 << 20, EIO);
    flushFails.failSync = true;
    EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), work, target, services(fakeDisk, &flushFails)),
              ShowFiles::SaveResult::WriteFailed);
    EXPECT_EQ(TempFolder::read(target), good);
}

// What once happened: the working folder's disk was full, the list files were written as nothing,
// the save said it succeeded, and a good show was replaced by an empty one.
TEST_F(DiskFailure, AFullWorkingFolderDiskStopsTheSaveAndKeepsTheOldShow) {
    SmallFileSystem small(64 * 1024);
    if (!small.mounted())
        GTEST_SKIP() << small.whyNot().toStdString();
    const QString target = saveGoodShow(tmp.file("show.cjf"));
    const OwnedWorkFolder fullWorkFolder = WorkFolder::createNumbered(small.path());
    const QString& fullWork = fullWorkFolder.path();
    small.fill();
    EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), fullWork, target, services(systemDisk)),
              ShowFiles::SaveResult::ListFilesFailed);
    EXPECT_EQ(messages.texts(), QStringList({"Unable to write file lists to disk. Please be sure there is "
                                             "sufficient working space on drive " +
                                             small.path() + ":."}));
    EXPECT_EQ(TempFolder::read(target), good);
    EXPECT_TRUE(entriesOf(fullWork).isEmpty());
}

TEST_F(DiskFailure, ASaveOntoAFullDiskKeepsTheOldShowAndLeavesNothingBesideIt) {
    SmallFileSystem small(64 * 1024);
    if (!small.mounted())
        GTEST_SKIP() << small.whyNot().toStdString();
    const QString target = saveGoodShow(small.path() + "/show.cjf");
    small.fill();
    const QStringList before = entriesOf(small.path());
    // The free space looked enough when asked (another program took it since).
    EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), work, target, services(fakeDisk)),
              ShowFiles::SaveResult::WriteFailed);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.texts()[0].endsWith(": No space left on device)"))
        << messages.texts()[0].toStdString();
    EXPECT_EQ(TempFolder::read(target), good);
    EXPECT_EQ(entriesOf(small.path()), before);
    // Asked honestly, the disk says it is full before anything is written.
    messages.shown.clear();
    EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), work, target, services(systemDisk)),
              ShowFiles::SaveResult::NoSpace);
    EXPECT_EQ(messages.texts(), QStringList({"Insufficient space on drive: " + small.path()}));
    EXPECT_EQ(TempFolder::read(target), good);
}

// Four entries of 6000 bytes: the file is small enough for the free-space check, but its files
// take more pages than are free.
QByteArray fourEntries() {
    return cjfFile(1.0f, {{"a.jpg", QByteArray(6000, 'a')},
                          {"b.jpg", QByteArray(6000, 'b')},
                          {"c.jpg", QByteArray(6000, 'c')},
                          {"d.jpg", QByteArray(6000, 'd')}});
}

TEST_F(DiskFailure, UnpackingSaysWhatFailedAndRemovesWhatItWrote) {
    const QString show = tmp.write("show.cjf", fourEntries());
    const QString folder = tmp.file("into");
    const QString kept = tmp.write("into/b.jpg", "the b that was there");
    tmp.write("into/mine.txt", "mine");
    const struct {
        int error;
        QString says;
    } cases[] = {{ENOSPC, ShowTexts::noRoomToUnpack(show, folder)},
                 {EDQUOT, ShowTexts::noRoomToUnpack(show, folder)},
                 {EACCES, ShowTexts::folderNotWritable(show, folder)},
                 {EROFS, ShowTexts::folderNotWritable(show, folder)},
                 {EIO, ShowTexts::unpackingFailed(show, folder, "Input/output error")}};
    for (const auto& c : cases) {
        // a.jpg goes through, b.jpg fails half-way.
        FailingWrites writes(9000, c.error);
        CombinedFileReader reader(messages, progress, writes);
        EXPECT_FALSE(reader.read(show, folder, doc));
        EXPECT_EQ(messages.texts(), QStringList({c.says}));
        EXPECT_EQ(entriesOf(folder), QStringList({"b.jpg", "mine.txt"})) << "a.jpg, new, is removed again";
        EXPECT_EQ(TempFolder::read(kept), QByteArray("the b that was there"));
        messages.shown.clear();
    }
    // Damage is still damage.
    const QString cut = tmp.write("cut.cjf", fourEntries().left(10000));
    CombinedFileReader reader(messages, progress);
    EXPECT_FALSE(reader.read(cut, folder, doc));
    EXPECT_EQ(messages.texts(), QStringList({ShowTexts::damagedShow(cut)}));
}

TEST_F(DiskFailure, OpeningOntoAFullOrReadOnlyDiskSaysSoAndLeavesTheFolderEmpty) {
    SmallFileSystem small(16 * 1024);
    if (!small.mounted())
        GTEST_SKIP() << small.whyNot().toStdString();
    const QString show = tmp.write("show.cjf", fourEntries());
    const OwnedWorkFolder smallWorkFolder = WorkFolder::createNumbered(small.path());
    const QString& smallWork = smallWorkFolder.path();
    // The free space looked enough when asked.
    EXPECT_EQ(ShowFiles::open(show, doc, smallWork, services(fakeDisk)), ShowFiles::OpenResult::ReadFailed);
    EXPECT_EQ(messages.texts(), QStringList({ShowTexts::noRoomToUnpack(show, smallWork)}));
    EXPECT_TRUE(entriesOf(smallWork).isEmpty());

    messages.shown.clear();
    ASSERT_TRUE(small.makeReadOnly());
    EXPECT_EQ(ShowFiles::open(show, doc, smallWork, services(fakeDisk)), ShowFiles::OpenResult::ReadFailed);
    EXPECT_EQ(messages.texts(), QStringList({ShowTexts::folderNotWritable(show, smallWork)}));
}

} // namespace
