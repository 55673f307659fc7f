#include "PathNames.h"

namespace {
qsizetype nameStart(const QString& path) {
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
    if (cut < 0 && path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter())
        cut = 1; // "C:name" as written by the old Windows program
    return cut + 1;
}
} // namespace

QString ExtractFileName(const QString& path) {
    return path.mid(nameStart(path));
}

QString ExtractFilePath(const QString& path) {
    qsizetype start = nameStart(path);
    if (start == 0)
        return QString();
    QString folder = path.left(start);
    if (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

QString AddBackslash(const QString& folder) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}
