#include "TrackListEdits.h"

namespace TrackListEdits {

namespace {

// Blanks and control characters (everything up to U+0020) cut from both ends.
QString trimmedLow(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

void insert(QStringList& list, int at, const QStringList& paths) {
    if (at < 0 || at >= list.size()) {
        list += paths;
        return;
    }
    for (qsizetype i = paths.size() - 1; i >= 0; --i)
        list.insert(at, paths[i]);
}

bool move(QStringList& list, int from, int to) {
    const int count = int(list.size());
    if (from < 0 || from >= count || to < 0 || to > count || to == from || to == from + 1)
        return false;
    // Copy in front of the target, then take the original away: the moved entry lands in front
    // of the entry it was dropped on.
    list.insert(to, list[from]);
    if (to < from)
        ++from;
    list.removeAt(from);
    return true;
}

int repointFolder(QStringList& list, const QString& oldFolder, const QString& newFolder) {
    QString oldPrefix = oldFolder;
    while (oldPrefix.endsWith(QLatin1Char('/')) && oldPrefix.size() > 1)
        oldPrefix.chop(1);
    QString newPrefix = newFolder;
    while (newPrefix.endsWith(QLatin1Char('/')) && newPrefix.size() > 1)
        newPrefix.chop(1);
    if (oldPrefix.isEmpty() || oldPrefix == QLatin1String("/"))
        return 0;
    oldPrefix += QLatin1Char('/');
    newPrefix += QLatin1Char('/');
    int changed = 0;
    for (QString& entry : list) {
        if (entry.startsWith(oldPrefix)) {
            entry = newPrefix + entry.mid(oldPrefix.size());
            ++changed;
        }
    }
    return changed;
}

int repointFile(QStringList& list, const QString& oldPath, const QString& newPath) {
    const QString old = trimmedLow(oldPath);
    if (old.isEmpty())
        return 0;
    int changed = 0;
    for (QString& entry : list) {
        if (trimmedLow(entry) == old) {
            entry = newPath;
            ++changed;
        }
    }
    return changed;
}

QStringList newFolderNames() {
    QStringList names{QStringLiteral("New Folder")};
    for (int n = 2; n <= 50; ++n)
        names << QStringLiteral("New Folder (%1)").arg(n);
    return names;
}

} // namespace TrackListEdits
