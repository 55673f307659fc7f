#include "SystemFileOperations.h"
#include "ChildWidget.h"
#include "FileCopy.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>

// Readable failures: outcomes as words rather than numbers (texts print through QtPrinters.h).
void PrintTo(ShellFileOperations::Outcome outcome, std::ostream* out) {
    static const char* const names[] = {"Done", "Skipped", "Failed", "Cancelled"};
    *out << names[static_cast<int>(outcome)];
}

namespace {

using Outcome = ShellFileOperations::Outcome;
using Outcomes = QList<Outcome>;

QStringList everythingIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

struct stat statOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// A folder on another file system than the temporary folders, or empty when there is none.
QString otherFileSystem(const TempFolder& temp, QTemporaryDir& holder) {
    if (!holder.isValid() || statOf(holder.path()).st_dev == statOf(temp.path()).st_dev)
        return QString();
    return holder.path();
}

class FileOperations : public ::testing::Test {
protected:
    QString folder(const QString& name) {
        QDir().mkpath(temp.file(name));
        return temp.file(name);
    }

    TempFolder temp;
    ScriptedMessages messages;
    QWidget parent;
    SystemFileOperations ops{messages, &parent};
};

TEST_F(FileOperations, MakeFolderReturnsTheErrnoAndSaysNothing) {
    EXPECT_EQ(ops.makeFolder(temp.file("Jazz")), 0);
    EXPECT_TRUE(QFileInfo(temp.file("Jazz")).isDir());
    EXPECT_EQ(ops.makeFolder(temp.file("Jazz")), EEXIST);
    EXPECT_EQ(ops.makeFolder(temp.file("missing/Jazz")), ENOENT);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FileOperations, RenameFolderRenamesOrSaysWhyNot) {
    const QString old = folder("Rock");
    temp.write("Rock/song.mp3", "x");
    folder("Taken");             // empty: rename(2) alone would replace it silently
    temp.write("Notes.txt", ""); // a file counts as well

    EXPECT_FALSE(ops.renameFolder(old, ""));
    EXPECT_FALSE(ops.renameFolder(old, "Rock"));
    EXPECT_TRUE(messages.shown.isEmpty()) << "an empty or unchanged name changes nothing, silently";

    for (const char* name : {"Taken", "Notes.txt", "..", ".", "a/b"})
        EXPECT_FALSE(ops.renameFolder(old, name)) << name;
    const QString prefix = "Unable to rename the folder 'Rock' to ";
    EXPECT_EQ(messages.texts(),
              QStringList({prefix + "'Taken': A file or folder with that name already exists.",
                           prefix + "'Notes.txt': A file or folder with that name already exists.",
                           prefix + "'..': The names '.' and '..' are reserved.",
                           prefix + "'.': The names '.' and '..' are reserved.",
                           prefix + "'a/b': A name cannot contain '/'."}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(everythingIn(temp.path()), QStringList({"Notes.txt", "Rock", "Taken"}));

    messages.shown.clear();
    EXPECT_TRUE(ops.renameFolder(old + "/", "Blues"));
    EXPECT_EQ(TempFolder::read(temp.file("Blues/song.mp3")), "x");
    EXPECT_TRUE(messages.shown.isEmpty());
}

// The trash lives under XDG_DATA_HOME; the test points it at a folder that does not exist yet
// and runs from another working directory, where a file must not turn up.
TEST_F(FileOperations, TrashAsksAndMovesIntoTheUsersTrashEvenWhenTheDataFolderWasMissing) {
    if (QStorageInfo(temp.path()) != QStorageInfo(QDir::home()))
        GTEST_SKIP() << "temporary folders are not on the home partition; their trash is elsewhere";
    const QString dataHome = temp.file("data");
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    const QString oldCurrent = QDir::currentPath();
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    QDir::setCurrent(folder("work"));

    const QStringList paths = {temp.write("music/a.mp3", "a"), temp.write("music/b.mp3", "b"),
                               temp.file("music/gone.mp3")};
    messages.answers << MessageAnswer::Yes << MessageAnswer::No << MessageAnswer::Yes;
    const Outcomes outcomes = ops.trash(paths);

    QDir::setCurrent(oldCurrent);
    if (oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldDataHome);

    EXPECT_EQ(outcomes, Outcomes({Outcome::Done, Outcome::Skipped, Outcome::Failed}));
    EXPECT_EQ(TempFolder::read(dataHome + "/Trash/files/a.mp3"), "a");
    EXPECT_TRUE(QFileInfo::exists(dataHome + "/Trash/info/a.mp3.trashinfo"));
    EXPECT_TRUE(everythingIn(temp.file("work")).isEmpty());
    EXPECT_EQ(everythingIn(temp.file("music")), QStringList({"b.mp3"}));
    EXPECT_EQ(messages.texts(),
              QStringList({"Move 'a.mp3' to the trash?", "Move 'b.mp3' to the trash?",
                           "Move 'gone.mp3' to the trash?",
                           "Unable to move 'gone.mp3' to the trash: No such file or directory"}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.shown[3].kind, MessageKind::Error);
}

TEST_F(FileOperations, CopyAsksBeforeReplacingAndKeepsTheFilesMode) {
    const QString from = folder("from"), to = folder("to");
    const QStringList sources = {temp.write("from/new.mp3", "new"), temp.write("from/kept.mp3", "mine"),
                                 temp.write("from/replaced.mp3", "fresh")};
    ::chmod(QFile::encodeName(sources[0]).constData(), 0640);
    temp.write("to/kept.mp3", "theirs");
    temp.write("to/replaced.mp3", "stale");
    messages.answers << MessageAnswer::No << MessageAnswer::Yes;

    const QStringList targets = {to + "/new.mp3", to + "/kept.mp3", to + "/replaced.mp3"};
    EXPECT_EQ(ops.copy(sources, targets), Outcomes({Outcome::Done, Outcome::Skipped, Outcome::Done}));
    EXPECT_EQ(TempFolder::read(targets[0]), "new");
    EXPECT_EQ(statOf(targets[0]).st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(targets[0]).st_mtim.tv_sec, statOf(sources[0]).st_mtim.tv_sec);
    EXPECT_EQ(TempFolder::read(targets[1]), "theirs");
    EXPECT_EQ(TempFolder::read(sources[1]), "mine");
    EXPECT_EQ(TempFolder::read(targets[2]), "fresh");
    EXPECT_EQ(everythingIn(to), QStringList({"kept.mp3", "new.mp3", "replaced.mp3"}))
        << "no hidden leftovers";
    EXPECT_EQ(everythingIn(from).size(), 3);
    EXPECT_EQ(messages.texts(), QStringList({"'kept.mp3' already exists in '" + to + "'. Replace it?",
                                             "'replaced.mp3' already exists in '" + to + "'. Replace it?"}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNoCancel);
}

TEST_F(FileOperations, CancelAtAReplaceQuestionStopsThatFileAndTheRest) {
    const QString to = folder("to");
    temp.write("to/b.mp3", "old");
    const QStringList sources = {temp.write("a.mp3", "a"), temp.write("b.mp3", "b"),
                                 temp.write("c.mp3", "c")};
    messages.answers << MessageAnswer::Cancel;
    EXPECT_EQ(ops.move(sources, {to + "/a.mp3", to + "/b.mp3", to + "/c.mp3"}),
              Outcomes({Outcome::Done, Outcome::Cancelled, Outcome::Cancelled}));
    EXPECT_EQ(everythingIn(to), QStringList({"a.mp3", "b.mp3"}));
    EXPECT_EQ(TempFolder::read(to + "/b.mp3"), "old");
    EXPECT_TRUE(QFileInfo::exists(sources[1]) && QFileInfo::exists(sources[2]));
}

// The disk filling up is played by a piece copier that fails on its second piece.
TEST_F(FileOperations, AFailedCopyLeavesNoPartialTargetAndTheBatchGoesOn) {
    const QString to = folder("to");
    temp.write("to/old.bin", "old contents");
    const QStringList sources = {temp.write("big.bin", QByteArray(3 * 4096, 'b')),
                                 temp.write("old.bin", QByteArray(3 * 4096, 'n')),
                                 temp.write("small.bin", "s")};
    int pieces = 0;
    ops.setCopyPiece(
        [&](int in, int out, qint64 count, QString* error) {
            if (++pieces % 2 == 0) {
                *error = "No space left on device";
                return false;
            }
            return SystemFileOperations::copySystemPiece(in, out, count, error);
        },
        4096);
    messages.answers << MessageAnswer::Yes;
    EXPECT_EQ(ops.copy(sources, {to + "/big.bin", to + "/old.bin", to + "/small.bin"}),
              Outcomes({Outcome::Failed, Outcome::Failed, Outcome::Done}));
    EXPECT_EQ(everythingIn(to), QStringList({"old.bin", "small.bin"}));
    EXPECT_EQ(TempFolder::read(to + "/old.bin"), "old contents") << "the file to be replaced survives";
    EXPECT_EQ(TempFolder::read(sources[0]).size(), 3 * 4096);
    EXPECT_EQ(messages.texts().at(0), "Unable to copy 'big.bin' to '" + to + "': No space left on device");
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
}

// A real full disk: a 1 MB file system mounted for the test, where root may mount one.
TEST_F(FileOperations, AFullFileSystemFailsCopyAndMoveKeepingTheSource) {
    const QString tiny = folder("tiny");
    if (::mount("tmpfs", QFile::encodeName(tiny).constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    const QString source = temp.write("album.flac", QByteArray(2 * 1024 * 1024, 'f'));
    const Outcomes copied = ops.copy({source}, {tiny + "/album.flac"});
    const QStringList leftAfterCopy = everythingIn(tiny);
    const Outcomes moved = ops.move({source}, {tiny + "/album.flac"});
    const QStringList leftAfterMove = everythingIn(tiny);
    ::umount2(QFile::encodeName(tiny).constData(), MNT_DETACH);

    EXPECT_EQ(copied, Outcomes({Outcome::Failed}));
    EXPECT_EQ(moved, Outcomes({Outcome::Failed}));
    EXPECT_TRUE(leftAfterCopy.isEmpty()) << leftAfterCopy.join(' ').toStdString();
    EXPECT_TRUE(leftAfterMove.isEmpty()) << leftAfterMove.join(' ').toStdString();
    EXPECT_EQ(QFileInfo(source).size(), 2 * 1024 * 1024);
    EXPECT_EQ(messages.texts(),
              QStringList({"Unable to copy 'album.flac' to '" + tiny + "': No space left on device",
                           "Unable to move 'album.flac' to '" + tiny + "': No space left on device"}));
}

TEST_F(FileOperations, CancelInTheProgressDialogStopsWithinABigFile) {
    const QString to = folder("to");
    const QStringList sources = {temp.write("big.bin", QByteArray(4 * 4096, 'b')),
                                 temp.write("next.bin", "n")};
    int pieces = 0;
    ops.setProgressDelay(0);
    ops.setCopyPiece(
        [&](int in, int out, qint64 count, QString* error) {
            if (++pieces == 2)
                child<QProgressDialog>(&parent, "progress").cancel();
            return SystemFileOperations::copySystemPiece(in, out, count, error);
        },
        4096);
    EXPECT_EQ(ops.copy(sources, {to + "/big.bin", to + "/next.bin"}),
              Outcomes({Outcome::Cancelled, Outcome::Cancelled}));
    EXPECT_EQ(pieces, 2);
    EXPECT_TRUE(everythingIn(to).isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FileOperations, OnlyOrdinaryFilesAreCopied) {
    const QString to = folder("to");
    folder("Album");
    ::mkfifo(QFile::encodeName(temp.file("pipe")).constData(), 0600);
    EXPECT_EQ(ops.copy({temp.file("Album"), temp.file("pipe")}, {to + "/Album", to + "/pipe"}),
              Outcomes({Outcome::Failed, Outcome::Failed}));
    EXPECT_EQ(messages.texts(),
              QStringList({"Unable to copy 'Album' to '" + to + "': Is a directory",
                           "Unable to copy 'pipe' to '" + to + "': It is not an ordinary file."}));
    EXPECT_TRUE(everythingIn(to).isEmpty());
}

TEST_F(FileOperations, MoveWithinAFileSystemRenames) {
    const QString source = temp.write("a.mp3", "a");
    const ino_t inode = statOf(source).st_ino;
    EXPECT_EQ(ops.move({source}, {folder("to") + "/a.mp3"}), Outcomes({Outcome::Done}));
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(statOf(temp.file("to/a.mp3")).st_ino, inode);
}

TEST_F(FileOperations, MoveToAnotherFileSystemCopiesThenRemovesTheSource) {
    QTemporaryDir holder("/dev/shm/orvanne-test-XXXXXX");
    const QString shm = otherFileSystem(temp, holder);
    if (shm.isEmpty())
        GTEST_SKIP() << "/dev/shm is not another file system here";
    const QStringList sources = {temp.write("a.flac", QByteArray(100000, 'a')), temp.write("b.flac", "b")};
    ::chmod(QFile::encodeName(sources[0]).constData(), 0604);
    const struct stat before = statOf(sources[0]);
    int pieces = 0;
    ops.setCopyPiece(
        [&](int in, int out, qint64 count, QString* error) {
            if (++pieces == 3) { // within b.flac
                *error = "Input/output error";
                return false;
            }
            return SystemFileOperations::copySystemPiece(in, out, count, error);
        },
        65536);
    EXPECT_EQ(ops.move(sources, {shm + "/a.flac", shm + "/b.flac"}),
              Outcomes({Outcome::Done, Outcome::Failed}));
    EXPECT_FALSE(QFileInfo::exists(sources[0]));
    EXPECT_EQ(TempFolder::read(shm + "/a.flac"), QByteArray(100000, 'a'));
    EXPECT_EQ(statOf(shm + "/a.flac").st_mode & 07777, 0604u);
    EXPECT_EQ(statOf(shm + "/a.flac").st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(TempFolder::read(sources[1]), "b") << "a failed move keeps its source";
    EXPECT_EQ(everythingIn(shm), QStringList({"a.flac"}));
    EXPECT_EQ(messages.texts(),
              QStringList({"Unable to move 'b.flac' to '" + shm + "': Input/output error"}));
}

// Records the title of the progress dialog when a question comes, and whether it is in the way.
class TitleAtQuestion : public UserMessages {
public:
    explicit TitleAtQuestion(QWidget& parent) : parent_(parent) {}
    MessageAnswer ask(MessageKind, MessageButtons, const QString&) override {
        const auto* progress = parent_.findChild<QProgressDialog*>(QStringLiteral("progress"));
        titles << (progress ? progress->windowTitle() : QStringLiteral("none"));
        if (progress && progress->isVisible())
            ++inTheWay;
        return MessageAnswer::No;
    }
    QStringList titles;
    int inTheWay = 0;

private:
    QWidget& parent_;
};

TEST_F(FileOperations, ProgressDialogIsNamedForItsBatchAndAppearsAfterHalfASecond) {
    TitleAtQuestion titles(parent);
    SystemFileOperations asking(titles, &parent);
    // At once, so that the second question of each batch finds the dialog made by the first file.
    asking.setProgressDelay(0);
    const QString file = temp.write("a.mp3", "a");
    const QString there = temp.write("a.mp3.copy", ""); // so that move and copy ask
    asking.trash({file, file});
    asking.move({file, file}, {there, there});
    asking.copy({file, file}, {there, there});
    EXPECT_EQ(titles.titles,
              QStringList({"none", "Deleting Files", "none", "Moving Files", "none", "Copying Files"}));
    EXPECT_EQ(titles.inTheWay, 0) << "a question is never answered behind the progress dialog";

    // Without being told, a batch of questions alone never shows the dialog: answering is no work.
    TitleAtQuestion slow(parent);
    SystemFileOperations unhurried(slow, &parent);
    unhurried.trash({file, file});
    EXPECT_EQ(slow.titles, QStringList({"none", "none"}));

    // One byte a piece: after 0.1 s Qt alone would already show the dialog, since the rest looks
    // long; it must wait for the half second.
    QList<bool> visible;
    ops.setCopyPiece(
        [&](int in, int out, qint64 count, QString* error) {
            const auto* progress = parent.findChild<QProgressDialog*>(QStringLiteral("progress"));
            visible << (progress && progress->isVisible());
            if (visible.size() <= 2)
                std::this_thread::sleep_for(std::chrono::milliseconds(visible.size() == 1 ? 100 : 450));
            return SystemFileOperations::copySystemPiece(in, out, count, error);
        },
        1);
    EXPECT_EQ(ops.copy({temp.write("b.mp3", "bbbbbbbbbbbbbbbbbbbb")}, {temp.file("c.mp3")}),
              Outcomes({Outcome::Done}));
    EXPECT_EQ(visible.mid(0, 3), QList<bool>({false, false, true}));
}

} // namespace
