#include "WorkFolder.h"

#include "ListFile.h"
#include "PathNames.h"
#include "ShowDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <dirent.h>
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

QString WorkFolder::createNumbered(const QString& base) {
    const QString parent = base.isEmpty() ? defaultBase() : base;
    QDir().mkpath(parent);
    for (int n = 1; n < 100000; ++n) {
        const QString path = joinPath(parent, QStringLiteral("~OrvanneSlides") + QString::number(n));
        if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
            return path;
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

void WorkFolder::empty(const QString& folder) {
    const QByteArray encoded = QFile::encodeName(folder);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir) {
        if (errno == ENOENT)
            ::mkdir(encoded.constData(), 0700);
        return;
    }
    const int dirFd = ::dirfd(dir);
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
