#include "RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const QString kKey = QStringLiteral("recentFiles");
} // namespace

RecentFiles::RecentFiles(QSettings& settings) : settings_(settings) {}

void RecentFiles::load() {
    entries_.clear();
    const QVariant stored = settings_.value(kKey);
    if (settings_.status() != QSettings::NoError || !stored.canConvert<QStringList>())
        return;
    for (const QString& path : stored.toStringList()) {
        if (entries_.size() >= kMaxEntries)
            break;
        if (!path.isEmpty() && QFileInfo(path).isFile() && !entries_.contains(path))
            entries_.append(path);
    }
    save();
}

void RecentFiles::add(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    entries_.removeAll(path);
    entries_.prepend(path);
    while (entries_.size() > kMaxEntries)
        entries_.removeLast();
    save();
}

void RecentFiles::remove(const QString& path) {
    if (entries_.removeAll(path) > 0)
        save();
}

void RecentFiles::save() {
    settings_.setValue(kKey, entries_);
    settings_.sync();
    // Settings that cannot be written leave the program without a list, as if it had none.
    if (settings_.status() != QSettings::NoError)
        entries_.clear();
}
