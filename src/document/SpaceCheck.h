#pragma once

#include <QString>
#include <QStringList>

class DiskSpace;
class UserMessages;

namespace SpaceCheck {
// Bytes a combined file of these packed files takes: the files that exist, a record each, the header.
qint64 combinedSize(const QStringList& packList);

// Before a combined file is written to target: is there room for it on target's file system?
// An existing target does not count as freed: it stays until the new file is complete. Shows its
// own message when not.
bool forSaving(const QStringList& packList, const QString& target, const DiskSpace& disk,
               UserMessages& messages);

// Before combinedFile is unpacked into a working folder under workParent: is there room, counting
// the bytes that emptying the folder first will free? Shows its own message when not; a missing
// combined file answers no without one.
bool forOpening(const QString& combinedFile, const QString& workParent, const DiskSpace& disk,
                UserMessages& messages, qint64 freedFirst = 0);
} // namespace SpaceCheck
