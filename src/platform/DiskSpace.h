#pragma once

#include <QString>
#include <optional>

// What the program asks of the file system before it writes or unpacks a show: how many bytes
// are free on the file system that holds a folder. On this platform the file system stands in
// for the "drive" of a path.
class DiskSpace {
public:
    virtual ~DiskSpace() = default;
    // Free bytes available to this user on the file system of folder; nothing when it cannot
    // be asked (the folder is missing or not reachable).
    virtual std::optional<qint64> freeBytes(const QString& folder) const = 0;
    // The folder where that file system is mounted, as the name of its "drive".
    virtual QString driveName(const QString& folder) const = 0;
};

class SystemDiskSpace : public DiskSpace {
public:
    std::optional<qint64> freeBytes(const QString& folder) const override;
    QString driveName(const QString& folder) const override;
};
