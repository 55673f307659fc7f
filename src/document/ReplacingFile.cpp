#include "ReplacingFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The process's file-creation mask, read once: asking for it means setting it, and a file another
// thread created in between would get the wrong permissions.
mode_t currentUmask() {
    static const mode_t mask = [] {
        const mode_t current = ::umask(0);
        ::umask(current);
        return current;
    }();
    return mask;
}

// A hidden name in the folder that nothing else uses, for a file on its way to its own name.
QByteArray hiddenName(const QByteArray& folder) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = folder + "/.orvanne-";
    for (int i = 0; i < 12; ++i)
        name.append(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return name + ".tmp";
}

} // namespace

ReplacingFile::ReplacingFile(const QString& target, const DiskWrites& writes)
    : target_(target), folder_(QFile::encodeName(QFileInfo(target).absolutePath())),
      name_(QFile::encodeName(QFileInfo(target).absoluteFilePath())), writes_(writes) {}

ReplacingFile::~ReplacingFile() {
    abandon();
}

bool ReplacingFile::failWith(int code, bool writing) {
    failure_ = FileCopy::Failure{code, writing};
    return false;
}

bool ReplacingFile::open() {
    abandon();
    failure_ = FileCopy::Failure();
    // An unnamed file is linked in through /proc, which must be there to be of use.
    if (::access("/proc/self/fd", X_OK) == 0) {
        fd_ = ::open(folder_.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            unnamed_ = true;
            return true;
        }
        // Only a file system without unnamed files is worked around; any other failure is the
        // folder's, and a named file would meet it too.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return failWith(errno, true);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = hiddenName(folder_);
        fd_ = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ >= 0) {
            unnamed_ = false;
            tempPath_ = candidate;
            return true;
        }
        if (errno != EEXIST)
            return failWith(errno, true);
    }
    return failWith(EEXIST, true);
}

bool ReplacingFile::write(const char* data, qint64 size) {
    if (fd_ < 0)
        return failWith(EBADF, true);
    return FileCopy::writeAll(fd_, data, size, &failure_, writes_);
}

bool ReplacingFile::copyFrom(int in, qint64 count) {
    if (fd_ < 0)
        return failWith(EBADF, true);
    return FileCopy::copy(in, fd_, count, &failure_, writes_);
}

bool ReplacingFile::reserve(qint64 size) {
    if (fd_ < 0)
        return failWith(EBADF, true);
    if (size <= 0)
        return true;
    const int rc = ::posix_fallocate(fd_, 0, size);
    if (rc == 0 || rc == EOPNOTSUPP || rc == EINVAL)
        return true;
    return failWith(rc, true);
}

bool ReplacingFile::linkInto(const QByteArray& name) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0;
}

bool ReplacingFile::commit(Durability durability) {
    if (fd_ < 0)
        return failWith(EBADF, true);
    auto failNow = [this](int code) {
        abandon();
        return failWith(code, true);
    };
    if (durability == Durability::Synced && writes_.sync(fd_) != 0)
        return failNow(errno);
    struct stat old {};
    const bool existed = ::lstat(name_.constData(), &old) == 0;
    const mode_t mode = existed && S_ISREG(old.st_mode) ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    ::fchmod(fd_, mode);

    // An unnamed file that replaces nothing takes the target's name at once; one that replaces a
    // file gets a hidden name first and is renamed over it, which swaps the two in one step.
    bool linkedAsTarget = false;
    if (unnamed_) {
        if (!existed) {
            linkedAsTarget = linkInto(name_);
            if (!linkedAsTarget && errno != EEXIST)
                return failNow(errno);
        }
        for (int attempt = 0; !linkedAsTarget && tempPath_.isEmpty(); ++attempt) {
            const QByteArray candidate = hiddenName(folder_);
            if (linkInto(candidate))
                tempPath_ = candidate;
            else if (errno != EEXIST || attempt == 100)
                return failNow(errno);
        }
    }
    // Some file systems report a failed write only when the file is closed.
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) {
        const int code = errno;
        if (linkedAsTarget)
            ::unlink(name_.constData());
        return failNow(code);
    }
    if (!tempPath_.isEmpty()) {
        if (::rename(tempPath_.constData(), name_.constData()) != 0)
            return failNow(errno);
        tempPath_.clear();
    }
    return true;
}

void ReplacingFile::abandon() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempPath_.isEmpty())
        ::unlink(tempPath_.constData());
    tempPath_.clear();
}
