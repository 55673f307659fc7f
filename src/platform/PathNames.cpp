#include "PathNames.h"

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
