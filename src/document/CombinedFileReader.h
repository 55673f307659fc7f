#pragma once

#include "CombinedFormat.h"
#include "DiskWrites.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>

class ProgressReport;
class ShowUnpack;
class ShowDocument;
class UserMessages;

// What a read found in the file besides the show itself.
struct CombinedContents {
    CombinedHeader header;
    QList<EntryRecord> entries;
};

// Unpacks a combined show file into the working folder and fills the document's lists from it.
class CombinedFileReader {
public:
    // Larger counts are not shows but damage; it also bounds what a record table may cost.
    static constexpr qint32 kMaxEntries = 100000;

    CombinedFileReader(UserMessages& messages, ProgressReport& progress,
                       const DiskWrites& writes = DiskWrites::system())
        : messages_(messages), progress_(progress), writes_(writes) {}

    // On success doc holds the show with full paths into workFolder, and contents (when given)
    // the header and records. On failure the user has been told, except for a version 1.5 file
    // that lacks one of its list files, which fails silently. A file that cannot be unpacked
    // because the folder's disk is full or the folder cannot be written is reported as such, and
    // every file this read put in the folder is removed again.
    bool read(const QString& source, const QString& workFolder, ShowDocument& doc,
              CombinedContents* contents = nullptr);

    // The same checks, but only the list files are unpacked here: doc is filled and the
    // pictures and sounds are left to the returned unpack, not yet started, in the order the show
    // needs them. An entry the file does not hold in full is found when the unpack reaches it.
    // Null on failure, which has been reported as read() reports it.
    std::unique_ptr<ShowUnpack> open(const QString& source, const QString& workFolder, ShowDocument& doc,
                                     CombinedContents* contents = nullptr);

    // The names entries are unpacked under: their own, except that a name longer than a file name
    // may be (a 134-character Windows-1252 name is 264 bytes in UTF-8) is cut on whole characters,
    // keeps its extension and gets "~N" so that it differs from every other entry's name.
    static QHash<QString, QString> unpackedNames(const QList<EntryRecord>& entries);

private:
    bool damaged(const QString& source);
    // whole: the file must hold every byte of every entry. listsMade receives the list files
    // that are new in the folder.
    std::unique_ptr<ShowUnpack> open(const QString& source, const QString& workFolder, ShowDocument& doc,
                                     CombinedContents* contents, bool whole, QStringList* listsMade);
    bool loadListFiles(const QString& workFolder, const QList<EntryRecord>& entries,
                       const QHash<QString, QString>& unpacked, ShowDocument& doc, bool& damagedLists);

    UserMessages& messages_;
    ProgressReport& progress_;
    const DiskWrites& writes_;
};
