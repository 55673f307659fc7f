#pragma once

// Texts the user reads that more than one part of the program shows, kept in one place so that
// they stay the same everywhere.

#include <QString>

namespace ShowTexts {

// A show file that could not be read or unpacked.
inline QString damagedShow(const QString& path) {
    return QStringLiteral("Unable to open ") + path +
           QStringLiteral(".  File may be damaged or format is not recognized.");
}

// A show file that could not be unpacked because the folder it goes into ran out of room.
inline QString noRoomToUnpack(const QString& path, const QString& folder) {
    return QStringLiteral("Unable to open ") + path +
           QStringLiteral(": there is not enough free space on the drive of ") + folder + QStringLiteral(".");
}

// ... because nothing may be written in that folder.
inline QString folderNotWritable(const QString& path, const QString& folder) {
    return QStringLiteral("Unable to open ") + path + QStringLiteral(": the folder ") + folder +
           QStringLiteral(" cannot be written to.");
}

// ... because writing in that folder failed for another reason the system gives.
inline QString unpackingFailed(const QString& path, const QString& folder, const QString& reason) {
    return QStringLiteral("Unable to open ") + path + QStringLiteral(": writing to ") + folder +
           QStringLiteral(" failed (") + reason + QStringLiteral(").");
}

// A show file that lacks its list files (the program itself then starts a new show silently).
inline QString listFilesMissing(const QString& path) {
    return QStringLiteral("Unable to open ") + path + QStringLiteral(": the show's list files are missing.");
}

inline QString fileNotFound(const QString& path) {
    return QStringLiteral("Unable to locate file ") + path;
}

// "Slide: 3 of 12"
inline QString slideOf(int number, int count) {
    return QStringLiteral("Slide: %1 of %2").arg(number).arg(count);
}

} // namespace ShowTexts
