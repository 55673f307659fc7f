#pragma once

// Edits of the show's track list (and of any list of paths kept beside it, such as the slides'
// sounds), as pure functions so that the dialog's list and the document change in step.

#include <QString>
#include <QStringList>

namespace TrackListEdits {

// Inserts paths, in their order, in front of entry at; at -1 or at the end appends them.
void insert(QStringList& list, int at, const QStringList& paths);

// Moves entry from so that it lands in front of entry to; to == list.size() moves it to the end.
// Nothing happens (false) when either index is out of range, or when the entry would stay where
// it is.
bool move(QStringList& list, int from, int to);

// Every entry inside folder oldFolder (its path followed by '/') now lies inside newFolder; a
// sibling whose name merely begins with the old name stays. The number of entries changed.
int repointFolder(QStringList& list, const QString& oldFolder, const QString& newFolder);

// Every entry that names the file oldPath, blanks and control characters around it ignored on both
// sides, now names newPath. The number of entries changed.
int repointFile(QStringList& list, const QString& oldPath, const QString& newPath);

// The names a new folder is given, in the order they are tried: "New Folder", then
// "New Folder (2)" up to "New Folder (50)".
QStringList newFolderNames();

} // namespace TrackListEdits
