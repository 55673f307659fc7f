#include "PathNames.h"

#include <QCollator>
#include <QDir>

#include <algorithm>
#include <vector>

QString fileNamePart(const QString& path) {
    qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (cut < 0 && path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter())
        cut = 1; // "C:name"
    return path.mid(cut + 1);
}

QString joinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

void sortFileNames(QStringList& names) {
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // One key per name, made once: a folder of ten thousand files sorts in a blink.
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        keys.emplace_back(collator.sortKey(names[i]), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto& key : keys)
        sorted << names[key.second];
    names = sorted;
}

QStringList sortedFileNames(const QString& folder, const QStringList& patterns) {
    if (folder.isEmpty())
        return {};
    QDir dir(folder);
    dir.setNameFilters(patterns);
    QStringList names = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    sortFileNames(names);
    return names;
}
