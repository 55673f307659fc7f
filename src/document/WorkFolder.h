#pragma once

#include "DiskWrites.h"

#include <QHash>
#include <QString>
#include <QStringList>

class ShowDocument;

// The per-instance working folder: every file of the last opened show is unpacked here, and the
// six list files are written here before a save packs them.
class WorkFolder {
public:
    // Creates "~OrvanneSlides<N>" under base (the user's cache folder when empty) with mode 0700,
    // taking the first N >= 1 whose mkdir succeeds, so two instances never share one.
    // Returns an empty path when no folder could be made.
    static QString createNumbered(const QString& base = QString());
    // The user's cache folder ($XDG_CACHE_HOME, else ~/.cache).
    static QString defaultBase();

    // Creates the folder when missing; otherwise deletes every file in it except those whose
    // upper-cased name contains ".CJF". Subfolders stay. Failures to delete are passed over.
    static void empty(const QString& folder);
    // Empties the folder, then removes it when nothing is left in it.
    static bool remove(const QString& folder);

    // Writes the six list files of doc into folder, stopping at the first failure. Paths are
    // written as the names they are stored under: storedNames maps a path to its name in the
    // show file; any other path is written as its file-name part.
    static bool writeListFiles(const QString& folder, const ShowDocument& doc,
                               const QHash<QString, QString>& storedNames = {},
                               const DiskWrites& writes = DiskWrites::system());
};
