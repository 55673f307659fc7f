#include "SystemFileOperations.h"

#include "FileCopy.h"
#include "UserMessages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kDefaultPiece = 8LL * 1024 * 1024;
constexpr int kShowAfterMs = 500;
// Every file weighs this much on the progress bar besides its bytes, so that a batch of empty
// files or renames still moves it.
constexpr qint64 kFileWeight = 1024;

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString withoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// The last segment of a full path. A backslash is an ordinary character in a file name here
// ("AC\DC.mp3"), so only '/' separates.
QString nameOf(const QString& path) {
    const QString p = withoutTrailingSlash(path);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

QString folderOf(const QString& path) {
    const QString p = withoutTrailingSlash(path);
    const qsizetype cut = p.lastIndexOf(QLatin1Char('/'));
    if (cut < 0)
        return QStringLiteral(".");
    return cut == 0 ? QStringLiteral("/") : p.left(cut);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Renames without ever replacing what is at `to`. renameat2 does that in one step where the file
// system supports it; elsewhere a hard link fails the same way when `to` exists; a file system
// without either gets a check before a plain rename, the best it allows. 0 or an errno value.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    struct stat st {};
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

QByteArray hiddenNameIn(const QByteArray& folder) {
    return folder + "/.orvanne-copy-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
}

// The file a copy is written into before it takes the target's name: an unnamed file in the
// target folder where the file system can make one (nothing is ever visible until the copy is
// complete, not even after a crash), otherwise a hidden name. Whatever has not been given its
// final name is removed when this goes out of scope.
class PartialFile {
public:
    PartialFile() = default;
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    ~PartialFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!hiddenName_.isEmpty())
            ::unlink(hiddenName_.constData());
    }

    int fd() const { return fd_; }

    bool open(const QString& folder, QString* error) {
        folder_ = native(folder);
        fd_ = ::open(folder_.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd_ >= 0)
            return true;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            *error = systemError(errno);
            return false;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = hiddenNameIn(folder_);
            fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd_ >= 0) {
                hiddenName_ = name;
                return true;
            }
            if (errno != EEXIST)
                break;
        }
        *error = systemError(errno);
        return false;
    }

    // Closes the complete file and gives it the target's name. Without replace an entry that
    // appeared at the target meanwhile is kept and this fails with "File exists".
    bool finish(const QString& target, bool replace, QString* error) {
        if (hiddenName_.isEmpty() && !nameUnnamedFile(error))
            return false;
        const int fd = fd_;
        fd_ = -1;
        // Some file systems (network, quota) report a failed write only here.
        if (::close(fd) != 0) {
            *error = systemError(errno);
            return false;
        }
        const QByteArray to = native(target);
        const int rc = replace ? (::rename(hiddenName_.constData(), to.constData()) == 0 ? 0 : errno)
                               : renameNoReplace(hiddenName_, to);
        if (rc != 0) {
            *error = systemError(rc);
            return false;
        }
        hiddenName_.clear();
        return true;
    }

private:
    // An unnamed file gets a hidden name first: linkat cannot replace an existing target, and
    // the final rename then works alike for both kinds.
    bool nameUnnamedFile(QString* error) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = hiddenNameIn(folder_);
            int rc = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
            if (rc != 0 && errno == ENOENT) // no /proc: the descriptor itself, where allowed
                rc = ::linkat(fd_, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH);
            if (rc == 0) {
                hiddenName_ = name;
                return true;
            }
            if (errno != EEXIST)
                break;
        }
        *error = systemError(errno);
        return false;
    }

    int fd_ = -1;
    QByteArray folder_;
    QByteArray hiddenName_;
};

} // namespace

// The progress of one batch, in bytes plus a weight per file. The dialog is made only once the
// batch has worked for half a second, so a short batch never flashes one; time the user spends
// answering a question is not work, and the dialog steps aside while a question or a message is
// open. Cancel can be pressed only while it is on screen, since the dialog handles its events
// when it is given a new value.
class SystemFileOperations::Progress {
public:
    Progress(QWidget* parent, const QString& title, qint64 total, int delayMs)
        : parent_(parent), title_(title), total_(total), delayMs_(delayMs) {
        while ((total_ >> shift_) > INT_MAX / 2)
            ++shift_;
        clock_.start();
    }

    void setFile(const QString& name) {
        name_ = name;
        if (dialog_)
            dialog_->setLabelText(name);
    }
    void step(qint64 bytes) { reach(done_ + bytes); }
    void reach(qint64 done) {
        done_ = std::min(done, total_);
        if (!dialog_ && clock_.elapsed() >= delayMs_)
            open();
        if (dialog_)
            dialog_->setValue(static_cast<int>(done_ >> shift_));
    }
    bool cancelled() const { return dialog_ && dialog_->wasCanceled(); }

    // Puts a question or a message to the user with the dialog out of the way.
    template <class Ask> auto aside(Ask ask) {
        const bool shown = dialog_ && dialog_->isVisible();
        if (shown)
            dialog_->hide();
        const auto answer = ask();
        if (shown && !dialog_->wasCanceled())
            dialog_->show();
        clock_.restart();
        return answer;
    }

private:
    void open() {
        dialog_ = std::make_unique<QProgressDialog>(parent_);
        dialog_->setObjectName(QStringLiteral("progress"));
        dialog_->setWindowTitle(title_);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
        dialog_->setRange(0, static_cast<int>(total_ >> shift_));
        dialog_->setLabelText(name_);
        dialog_->show();
    }

    QWidget* parent_;
    QString title_;
    QString name_;
    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer clock_;
    qint64 total_;
    qint64 done_ = 0;
    int delayMs_;
    int shift_ = 0;
};

struct SystemFileOperations::Result {
    Outcome outcome;
    QString error;
};

SystemFileOperations::SystemFileOperations(UserMessages& messages, QWidget* dialogParent)
    : messages_(messages), dialogParent_(dialogParent), copyPiece_(&SystemFileOperations::copySystemPiece),
      pieceSize_(kDefaultPiece), progressDelayMs_(kShowAfterMs) {}

bool SystemFileOperations::copySystemPiece(int in, int out, qint64 count, QString* error) {
    FileCopy::Failure failure;
    if (FileCopy::copy(in, out, count, &failure))
        return true;
    if (error)
        *error = failure.text();
    return false;
}

void SystemFileOperations::setCopyPiece(CopyPiece copyPiece, qint64 pieceSize) {
    copyPiece_ = std::move(copyPiece);
    pieceSize_ = std::max<qint64>(pieceSize, 1);
}

int SystemFileOperations::makeFolder(const QString& path) {
    return ::mkdir(native(path).constData(), 0777) == 0 ? 0 : errno;
}

bool SystemFileOperations::renameFolder(const QString& path, const QString& newName) {
    const QString from = withoutTrailingSlash(path);
    const QString oldName = nameOf(from);
    if (newName.isEmpty() || newName == oldName)
        return false;
    const auto fail = [&](const QString& reason) {
        messages_.error(
            QStringLiteral("Unable to rename the folder '%1' to '%2': %3").arg(oldName, newName, reason));
        return false;
    };
    const QString exists = QStringLiteral("A file or folder with that name already exists.");
    if (newName == QLatin1String(".") || newName == QLatin1String(".."))
        return fail(QStringLiteral("The names '.' and '..' are reserved."));
    if (newName.contains(QLatin1Char('/')))
        return fail(QStringLiteral("A name cannot contain '/'."));

    const QByteArray source = native(from);
    const QByteArray target = native(folderOf(from) + QLatin1Char('/') + newName);
    struct stat sourceStat {};
    struct stat targetStat {};
    const bool sourceThere = ::lstat(source.constData(), &sourceStat) == 0;
    int rc = 0;
    if (::lstat(target.constData(), &targetStat) == 0) {
        // On a file system that ignores case, "Rock" -> "rock" finds the folder itself.
        if (!sourceThere || !sameFile(sourceStat, targetStat))
            return fail(exists);
        rc = ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
    } else {
        // rename(2) alone would silently replace an empty folder of that name.
        rc = renameNoReplace(source, target);
    }
    if (rc != 0)
        return fail(rc == EEXIST ? exists : systemError(rc));
    return true;
}

QList<ShellFileOperations::Outcome> SystemFileOperations::trash(const QStringList& paths) {
    Progress progress(dialogParent_, QStringLiteral("Deleting Files"), paths.size() * kFileWeight,
                      progressDelayMs_);
    QList<Outcome> outcomes;
    for (const QString& path : paths) {
        if (progress.cancelled())
            break;
        const QString name = nameOf(path);
        progress.setFile(name);
        const MessageAnswer answer = progress.aside([&] {
            return messages_.ask(MessageKind::Confirmation, MessageButtons::YesNo,
                                 QStringLiteral("Move '%1' to the trash?").arg(name));
        });
        if (answer != MessageAnswer::Yes) {
            outcomes << Outcome::Skipped;
        } else {
            QString reason;
            if (moveToTrash(path, &reason)) {
                outcomes << Outcome::Done;
            } else {
                progress.aside([&] {
                    return messages_.ask(
                        MessageKind::Error, MessageButtons::Ok,
                        QStringLiteral("Unable to move '%1' to the trash: %2").arg(name, reason));
                });
                outcomes << Outcome::Failed;
            }
        }
        progress.reach(outcomes.size() * kFileWeight);
    }
    while (outcomes.size() < paths.size())
        outcomes << Outcome::Cancelled;
    return outcomes;
}

bool SystemFileOperations::moveToTrash(const QString& path, QString* reason) {
    // For a file on the home partition Qt uses the trash under the user's data folder; when that
    // folder is missing it takes the working directory for the trash instead and reports
    // success. So the folder is made first, and where the file went is checked afterwards.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome)) {
        *reason = QStringLiteral("The folder for the trash cannot be created.");
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList trashes{QDir::cleanPath(QFileInfo(dataHome).absoluteFilePath() + QStringLiteral("/Trash"))};
    const QStorageInfo storage(absolute);
    if (storage.isValid() && storage != QStorageInfo(QDir::home())) {
        // A file on another partition goes to that partition's own trash.
        const QString uid = QString::number(::getuid());
        trashes << QDir::cleanPath(storage.rootPath() + QStringLiteral("/.Trash/") + uid)
                << QDir::cleanPath(storage.rootPath() + QStringLiteral("/.Trash-") + uid);
    }

    QFile file(path);
    if (!file.moveToTrash()) {
        *reason = file.errorString();
        return false;
    }
    const QString trashed = file.fileName();
    const QString trashFolder = QDir::cleanPath(QFileInfo(trashed).absolutePath() + QStringLiteral("/.."));
    if (trashes.contains(trashFolder))
        return true;
    // Not a trash folder: put the file back and remove the note written beside it.
    ::rename(native(trashed).constData(), native(absolute).constData());
    QFile::remove(trashFolder + QStringLiteral("/info/") + QFileInfo(trashed).fileName() +
                  QStringLiteral(".trashinfo"));
    *reason = QStringLiteral("The trash folder cannot be found.");
    return false;
}

QList<ShellFileOperations::Outcome> SystemFileOperations::move(const QStringList& sources,
                                                               const QStringList& targets) {
    return transfer(Transfer::Move, sources, targets);
}

QList<ShellFileOperations::Outcome> SystemFileOperations::copy(const QStringList& sources,
                                                               const QStringList& targets) {
    return transfer(Transfer::Copy, sources, targets);
}

QList<ShellFileOperations::Outcome> SystemFileOperations::transfer(Transfer kind, const QStringList& sources,
                                                                   const QStringList& targets) {
    Q_ASSERT(sources.size() == targets.size());
    const qsizetype count = std::min(sources.size(), targets.size());
    QList<qint64> weights;
    qint64 total = 0;
    for (qsizetype i = 0; i < count; ++i) {
        struct stat st {};
        const bool file = ::lstat(native(sources[i]).constData(), &st) == 0 && S_ISREG(st.st_mode);
        weights << (file ? st.st_size : 0) + kFileWeight;
        total += weights.last();
    }

    Progress progress(dialogParent_,
                      kind == Transfer::Move ? QStringLiteral("Moving Files")
                                             : QStringLiteral("Copying Files"),
                      total, progressDelayMs_);
    QList<Outcome> outcomes;
    qint64 done = 0;
    for (qsizetype i = 0; i < count && !progress.cancelled(); ++i) {
        progress.setFile(nameOf(sources[i]));
        const Outcome outcome = transferOne(kind, sources[i], targets[i], progress);
        outcomes << outcome;
        if (outcome == Outcome::Cancelled)
            break;
        done += weights[i];
        progress.reach(done);
    }
    while (outcomes.size() < count)
        outcomes << Outcome::Cancelled;
    while (outcomes.size() < sources.size())
        outcomes << Outcome::Failed; // no target given for these
    return outcomes;
}

ShellFileOperations::Outcome SystemFileOperations::transferOne(Transfer kind, const QString& source,
                                                               const QString& target, Progress& progress) {
    const QString folder = folderOf(target);
    const auto fail = [&](const QString& reason) {
        const QString text = kind == Transfer::Move ? QStringLiteral("Unable to move '%1' to '%2': %3")
                                                    : QStringLiteral("Unable to copy '%1' to '%2': %3");
        progress.aside([&] {
            return messages_.ask(MessageKind::Error, MessageButtons::Ok,
                                 text.arg(nameOf(source), folder, reason));
        });
        return Outcome::Failed;
    };

    const QByteArray from = native(source);
    const QByteArray to = native(target);
    struct stat sourceStat {};
    if (::lstat(from.constData(), &sourceStat) != 0)
        return fail(systemError(errno));
    bool replace = false;
    struct stat targetStat {};
    if (::lstat(to.constData(), &targetStat) == 0) {
        if (sameFile(sourceStat, targetStat))
            return fail(QStringLiteral("The source and the target are the same file."));
        const MessageAnswer answer = progress.aside([&] {
            return messages_.ask(
                MessageKind::Confirmation, MessageButtons::YesNoCancel,
                QStringLiteral("'%1' already exists in '%2'. Replace it?").arg(nameOf(target), folder));
        });
        if (answer == MessageAnswer::Cancel)
            return Outcome::Cancelled;
        if (answer != MessageAnswer::Yes)
            return Outcome::Skipped;
        replace = true;
    }

    if (kind == Transfer::Move) {
        const int rc = replace ? (::rename(from.constData(), to.constData()) == 0 ? 0 : errno)
                               : renameNoReplace(from, to);
        if (rc == 0)
            return Outcome::Done;
        if (rc != EXDEV)
            return fail(systemError(rc));
    }
    const Result result = copyContents(source, target, replace, kind == Transfer::Move, progress);
    if (result.outcome == Outcome::Failed)
        return fail(result.error);
    if (result.outcome != Outcome::Done)
        return result.outcome;
    // Only now that the copy is complete and closed under its own name does the source go.
    if (kind == Transfer::Move && ::unlink(from.constData()) != 0)
        return fail(systemError(errno));
    return Outcome::Done;
}

SystemFileOperations::Result SystemFileOperations::copyContents(const QString& source, const QString& target,
                                                                bool replace, bool asMove,
                                                                Progress& progress) {
    const auto failed = [](const QString& reason) { return Result{Outcome::Failed, reason}; };
    // Not blocking: a named pipe would otherwise wait here for a writer. Reads of ordinary files
    // ignore the flag.
    UniqueFd in(::open(native(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.fd < 0)
        return failed(systemError(errno));
    struct stat st {};
    if (::fstat(in.fd, &st) != 0)
        return failed(systemError(errno));
    if (S_ISDIR(st.st_mode))
        return failed(systemError(EISDIR));
    if (!S_ISREG(st.st_mode))
        return failed(QStringLiteral("It is not an ordinary file."));

    QString error;
    PartialFile out;
    if (!out.open(folderOf(target), &error))
        return failed(error);
    for (qint64 left = st.st_size; left > 0;) {
        if (progress.cancelled())
            return {Outcome::Cancelled, QString()};
        const qint64 piece = std::min(left, pieceSize_);
        if (!copyPiece_(in.fd, out.fd(), piece, &error))
            return failed(error);
        left -= piece;
        progress.step(piece);
    }

    // The file's own permissions and times, as far as the target's file system keeps them (a
    // memory card may keep none; that is no reason to fail the copy). A move keeps the owner
    // too where it may, and with it any set-user bits.
    mode_t mode = st.st_mode & 0777;
    if (asMove && ::fchown(out.fd(), st.st_uid, st.st_gid) == 0)
        mode = st.st_mode & 07777;
    ::fchmod(out.fd(), mode);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.fd(), times);

    if (!out.finish(target, replace, &error))
        return failed(error);
    return {Outcome::Done, QString()};
}
