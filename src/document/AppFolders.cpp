#include "AppFolders.h"

#include "PathNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppFolders {

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString dataFolder() {
    return QDir::cleanPath(joinPath(programFolder(), QStringLiteral("../share/orvanne")));
}

QString guideFile() {
    return joinPath(dataFolder(), QStringLiteral("help/index.html"));
}

QString musicFolder() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString tracks = joinPath(music, QStringLiteral("Audio Tracks"));
    if (QFileInfo(tracks).isDir())
        return tracks;
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return music;
    return QDir::homePath();
}

} // namespace AppFolders
