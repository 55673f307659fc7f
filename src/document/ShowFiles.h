#pragma once

// Opening and saving a whole show: what the program's open and save commands do between the
// user's choice of a file and the refresh of the editor, shared with the command-line tool.

#include "CombinedFileReader.h"
#include "ShowDocument.h"

#include <QHash>
#include <QString>
#include <QStringList>

class DiskSpace;
class DiskWrites;
class ProgressReport;
class UserMessages;

struct ShowFileServices {
    UserMessages& messages;
    ProgressReport& progress;
    const DiskSpace& disk;
    // How bytes reach the disk; the system's when none is given.
    const DiskWrites* writes = nullptr;
};

namespace ShowFiles {

inline const QString kNoSlidesMessage =
    QStringLiteral("No slides have been added to the slide show.  Please add one or more slides before "
                   "saving the slide show.");

// The files a save packs, in order: slides, tracks, slide sounds, then the working folder's list
// files; files that do not exist are dropped, and so is every repeat of a path.
QStringList buildPackList(const ShowDocument& doc, const QString& workFolder);
// The same from slides, tracks and sounds already gathered: media, then the list files that exist.
QStringList packList(const QStringList& media, const QString& workFolder);

// The name each packed file is stored under: its file-name part, except that a second file of the
// same name (two cameras' IMG_0001.JPG, compared without regard to case) becomes
// "IMG_0001 (2).JPG", and so on, so that every slide shows its own picture when the show is
// opened again. The six list files' names are kept for the list files themselves.
QHash<QString, QString> storedNames(const QStringList& mediaFiles);

enum class SaveResult { Saved, ListFilesFailed, NoSpace, WriteFailed };

// Writes the list files into workFolder, packs the show into target and reports the outcome;
// every failure has been shown to the user. packed, when given, receives the files packed.
SaveResult save(const ShowDocument& doc, const ShowSettings& settings, const QString& workFolder,
                const QString& target, const ShowFileServices& services, QStringList* packed = nullptr);

enum class OpenResult { Opened, NotFound, NoSpace, ReadFailed };

// Empties workFolder and unpacks path into it, filling doc. Every failure except a version 1.5
// file without its list files has been shown to the user; on ReadFailed the caller starts a new
// show.
//
// With media given, only the list files are unpacked before it returns; the pictures and sounds
// are left to *media, not yet started (see CombinedFileReader::open).
OpenResult open(const QString& path, ShowDocument& doc, const QString& workFolder,
                const ShowFileServices& services, CombinedContents* contents = nullptr,
                std::unique_ptr<ShowUnpack>* media = nullptr);

} // namespace ShowFiles
