#include "DiskSpace.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <sys/statvfs.h>

std::optional<qint64> SystemDiskSpace::freeBytes(const QString& folder) const {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return std::nullopt;
    return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

QString SystemDiskSpace::driveName(const QString& folder) const {
    // Walk up while the parent lies on the same device: the last folder reached is the mount point.
    QString current = QDir::cleanPath(QDir(folder).absolutePath());
    struct stat st {};
    if (::stat(QFile::encodeName(current).constData(), &st) != 0)
        return current;
    const dev_t device = st.st_dev;
    while (current != QLatin1String("/")) {
        QString parent = QDir::cleanPath(current + QLatin1String("/.."));
        struct stat up {};
        if (::stat(QFile::encodeName(parent).constData(), &up) != 0 || up.st_dev != device)
            break;
        current = parent;
    }
    return current;
}
