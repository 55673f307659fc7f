#include "SpaceCheck.h"

#include "CombinedFormat.h"
#include "DiskSpace.h"
#include "UserMessages.h"

#include <QDir>
#include <QFileInfo>

namespace SpaceCheck {

qint64 combinedSize(const QStringList& packList) {
    qint64 required = CombinedHeader::kSize;
    for (const QString& path : packList) {
        const QFileInfo info(path);
        if (info.exists())
            required += info.size();
        required += EntryRecord::kSize;
    }
    return required;
}

bool forSaving(const QStringList& packList, const QString& target, const DiskSpace& disk,
               UserMessages& messages) {
    if (target.isEmpty() || !QDir::isAbsolutePath(target))
        return false;
    // The new show is written beside the old one and renamed over it only when complete, so the
    // old file's room is not free until then: the whole new size is needed.
    const qint64 required = combinedSize(packList);
    const QString folder = QFileInfo(target).absolutePath();
    const std::optional<qint64> free = disk.freeBytes(folder);
    if (!free) {
        messages.warning(QStringLiteral("Unable to access drive: ") + folder);
        return false;
    }
    if (*free < required) {
        messages.warning(QStringLiteral("Insufficient space on drive: ") + disk.driveName(folder));
        return false;
    }
    return true;
}

bool forOpening(const QString& combinedFile, const QString& workParent, const DiskSpace& disk,
                UserMessages& messages, qint64 freedFirst) {
    const QFileInfo info(combinedFile);
    if (!info.exists())
        return false;
    const qint64 free = disk.freeBytes(workParent).value_or(0) + freedFirst;
    if (free < info.size()) {
        messages.warning(QStringLiteral("Cannot open file due to insufficient working space on drive: ") +
                         workParent);
        return false;
    }
    return true;
}

} // namespace SpaceCheck
