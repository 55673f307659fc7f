#include "AppFolders.h"

#include "PathNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString AppFolders::programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString AppFolders::dataFolder() {
    return QDir::cleanPath(joinPath(programFolder(), QStringLiteral("../share/orvanne")));
}

QString AppFolders::guideFile() {
    return joinPath(dataFolder(), QStringLiteral("help/index.html"));
}

QString AppFolders::standardMusicFolder() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString tracks = joinPath(music, QStringLiteral("Audio Tracks"));
    if (!music.isEmpty() && QFileInfo(tracks).isDir())
        return tracks;
    return fallbackMusicFolder();
}

QString AppFolders::fallbackMusicFolder() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return music;
    return QDir::homePath();
}

QString AppFolders::existingMusicFolder() {
    if (!QFileInfo(musicFolder_).isDir())
        musicFolder_ = fallbackMusicFolder();
    return musicFolder_;
}
