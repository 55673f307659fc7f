#pragma once

// Where the program finds its own files, and the music library the user picks sounds from.

#include <QString>

class AppFolders {
public:
    // The folder of the running program.
    static QString programFolder();
    // The program's data: the guide and the artwork, in share/orvanne beside the program's bin
    // folder (an installed program and the build tree are laid out alike).
    static QString dataFolder();
    // The HTML user's guide.
    static QString guideFile();
    // The music library as found at start-up: "Audio Tracks" in the user's Music folder, else
    // fallbackMusicFolder(). Never the program's folder, which the user cannot write.
    static QString standardMusicFolder();
    // The user's Music folder when it exists, else the home folder.
    static QString fallbackMusicFolder();

    explicit AppFolders(const QString& musicFolder = standardMusicFolder()) : musicFolder_(musicFolder) {}

    QString musicFolder() const { return musicFolder_; }
    void setMusicFolder(const QString& folder) { musicFolder_ = folder; }
    // Where a sound for a slide is looked for first: the music library.
    QString audioImportFolder() const { return musicFolder_; }
    // The music library, which falls back to fallbackMusicFolder() for the rest of the run when
    // it is no longer there.
    QString existingMusicFolder();

private:
    QString musicFolder_;
};
