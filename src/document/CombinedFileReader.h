#pragma once

#include "CombinedFormat.h"

#include <QList>
#include <QString>

class ProgressReport;
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

    CombinedFileReader(UserMessages& messages, ProgressReport& progress)
        : messages_(messages), progress_(progress) {}

    // On success doc holds the show with full paths into workFolder, and contents (when given)
    // the header and records. On failure the user has been told, except for a version 1.5 file
    // that lacks one of its list files, which fails silently.
    bool read(const QString& source, const QString& workFolder, ShowDocument& doc,
              CombinedContents* contents = nullptr);

private:
    bool damaged(const QString& source);
    bool loadListFiles(const QString& workFolder, const QList<EntryRecord>& entries, ShowDocument& doc,
                       bool& damagedLists);

    UserMessages& messages_;
    ProgressReport& progress_;
};
