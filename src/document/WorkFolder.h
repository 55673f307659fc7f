#pragma once

#include "DiskWrites.h"
#include "OwnedWorkFolder.h"

#include <QHash>
#include <QString>
#include <QStringList>

class ShowDocument;
class UserMessages;

// The per-instance working folder: every file of the last opened show is unpacked here, and the
// six list files are written here before a save packs them.
class WorkFolder {
public:
    // Creates "~OrvanneSlides<N>" under base (the user's cache folder when empty) with mode 0700,
    // taking the first N >= 1 whose mkdir succeeds, so two instances never share one, and locks it
    // for as long as the returned object lives. Not valid when no folder could be made.
    static OwnedWorkFolder createNumbered(const QString& base = QString());
    // Removes the working folders under base (the user's cache folder when empty) that no running
    // instance holds: those of programs that were killed or crashed. Each is emptied and removed
    // as at exit, so one that still holds a show file or a subfolder stays. A folder in use is
    // never touched, nor is anything that is not a folder of ours. Returns how many went.
    static int removeAbandoned(const QString& base = QString());
    // What the program does at start: removes the folders of instances that were killed, then
    // creates and locks this instance's own under the user's cache folder. When none can be made
    // the user is told, and the result is not valid.
    static OwnedWorkFolder createForThisInstance(UserMessages& messages);
    // The user's cache folder ($XDG_CACHE_HOME, else ~/.cache).
    static QString defaultBase();

    // Creates the folder when missing; otherwise deletes every file in it except those whose
    // upper-cased name contains ".CJF". Subfolders stay. Failures to delete are passed over.
    static void empty(const QString& folder);
    // The bytes empty() would free: the files it would delete.
    static qint64 bytesFreedByEmptying(const QString& folder);
    // Empties the folder, then removes it when nothing is left in it.
    static bool remove(const QString& folder);

    // Writes the six list files of doc into folder, stopping at the first failure. Paths are
    // written as the names they are stored under: storedNames maps a path to its name in the
    // show file; any other path is written as its file-name part.
    static bool writeListFiles(const QString& folder, const ShowDocument& doc,
                               const QHash<QString, QString>& storedNames = {},
                               const DiskWrites& writes = DiskWrites::system());
};
