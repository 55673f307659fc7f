#include "WorkFolder.h"

#include "ListFile.h"
#include "PathNames.h"
#include "ShowDocument.h"
#include "UserMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QStringList fileNameParts(const QStringList& entries, const QHash<QString, QString>& storedNames) {
    QStringList names;
    names.reserve(entries.size());
    for (const QString& entry : entries)
        names.append(storedNames.value(entry, fileNamePart(entry)));
    return names;
}
} // namespace

QString WorkFolder::defaultBase() {
    const QByteArray xdg = qgetenv("XDG_CACHE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(QFile::decodeName(xdg)))
        return QFile::decodeName(xdg);
    return QDir::homePath() + QStringLiteral("/.cache");
}

namespace {

const QString kFolderPrefix = QStringLiteral("~OrvanneSlides");

// Deletes every file in the open folder except those whose upper-cased name contains ".CJF";
// subfolders stay, links go without their targets being touched.
void emptyAt(int dirFd) {
    const int listFd = ::dup(dirFd);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    while (dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String("..") ||
            name.toUpper().contains(QLatin1String(".CJF")))
            continue;
        // unlinkat without AT_REMOVEDIR leaves subfolders alone and removes links, never their targets.
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// Whether name is one of our numbered working folders.
bool isWorkFolderName(const QString& name) {
    if (!name.startsWith(kFolderPrefix) || name.size() == kFolderPrefix.size())
        return false;
    for (qsizetype i = kFolderPrefix.size(); i < name.size(); ++i)
        if (!name.at(i).isDigit() || name.at(i).unicode() > 0x7F)
            return false;
    return true;
}

} // namespace

OwnedWorkFolder WorkFolder::createNumbered(const QString& base) {
    const QString parent = base.isEmpty() ? defaultBase() : base;
    QDir().mkpath(parent);
    for (int n = 1; n < 100000; ++n) {
        const QString path = joinPath(parent, kFolderPrefix + QString::number(n));
        const QByteArray encoded = QFile::encodeName(path);
        if (::mkdir(encoded.constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return OwnedWorkFolder();
        }
        // Another instance clearing abandoned folders may take this one in the moment before it
        // is locked: then it is gone, or locked by that instance, or locked but no longer the
        // folder of this name, and the next number is tried.
        const int fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 || held.st_nlink == 0 ||
            ::lstat(encoded.constData(), &named) != 0 || named.st_ino != held.st_ino ||
            named.st_dev != held.st_dev) {
            ::close(fd);
            continue;
        }
        return OwnedWorkFolder(path, fd);
    }
    return OwnedWorkFolder();
}

OwnedWorkFolder WorkFolder::createForThisInstance(UserMessages& messages) {
    // Folders of instances that were killed are cleared first; those of running ones are held.
    removeAbandoned();
    OwnedWorkFolder folder = createNumbered();
    if (!folder.isValid())
        messages.error(QStringLiteral("Unable to create a working folder in ") + defaultBase());
    return folder;
}

int WorkFolder::removeAbandoned(const QString& base) {
    const QString parent = base.isEmpty() ? defaultBase() : base;
    const int parentFd = ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return 0;
    QList<QByteArray> candidates;
    if (DIR* dir = ::fdopendir(::dup(parentFd))) {
        while (dirent* entry = ::readdir(dir))
            if (isWorkFolderName(QFile::decodeName(entry->d_name)))
                candidates.append(QByteArray(entry->d_name));
        ::closedir(dir);
    }
    int removed = 0;
    for (const QByteArray& name : candidates) {
        // O_NOFOLLOW and O_DIRECTORY: a link or a file of that name is not a folder of ours.
        const int fd = ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // A running instance holds its folder's lock; only an unheld folder of this user goes.
        if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            emptyAt(fd);
            if (::unlinkat(parentFd, name.constData(), AT_REMOVEDIR) == 0)
                ++removed;
        }
        ::close(fd);
    }
    ::close(parentFd);
    return removed;
}

void WorkFolder::empty(const QString& folder) {
    const QByteArray encoded = QFile::encodeName(folder);
    const int fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            ::mkdir(encoded.constData(), 0700);
        return;
    }
    emptyAt(fd);
    ::close(fd);
}

qint64 WorkFolder::bytesFreedByEmptying(const QString& folder) {
    qint64 bytes = 0;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& file : files)
        if (!file.fileName().toUpper().contains(QLatin1String(".CJF")) && !file.isSymLink())
            bytes += file.size();
    return bytes;
}

bool WorkFolder::remove(const QString& folder) {
    empty(folder);
    return ::rmdir(QFile::encodeName(folder).constData()) == 0;
}

bool WorkFolder::writeListFiles(const QString& folder, const ShowDocument& doc,
                                const QHash<QString, QString>& storedNames, const DiskWrites& writes) {
    if (!QFileInfo(folder).isDir())
        return false;
    // The three lists of paths are written as the names the files are stored under.
    const QHash<QString, QStringList> contents = {
        {ListFile::kDisplayList, fileNameParts(doc.imagePaths(), storedNames)},
        {ListFile::kSlideAudio, fileNameParts(doc.soundPaths(), storedNames)},
        {ListFile::kSongList, fileNameParts(doc.musicTracks(), storedNames)},
        {ListFile::kCaptions, doc.captions()},
        {ListFile::kCfgSet, doc.settingsLines()},
        {ListFile::kSlideTiming, doc.timings()}};
    for (const QString& name : ListFile::kWriteOrder)
        if (!ListFile::write(joinPath(folder, name), contents.value(name), writes))
            return false;
    return true;
}
