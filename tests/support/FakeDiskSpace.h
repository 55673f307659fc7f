#pragma once

#include "DiskSpace.h"

#include <QHash>

// Free space as a test sets it: a folder listed in unreachable cannot be asked; any other folder
// has free bytes.
class FakeDiskSpace : public DiskSpace {
public:
    std::optional<qint64> freeBytes(const QString& folder) const override {
        asked.append(folder);
        if (unreachable.contains(folder))
            return std::nullopt;
        return free;
    }
    QString driveName(const QString&) const override { return drive; }

    qint64 free = 1LL << 40;
    QString drive = QStringLiteral("/media/show");
    QStringList unreachable;
    mutable QStringList asked;
};
