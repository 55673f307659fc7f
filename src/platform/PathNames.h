#pragma once

#include <QString>
#include <QStringList>

// The file-name part of a path: what follows its last '/' or '\\', or a drive prefix such as
// "C:" (shows written on Windows name their files that way). An entry without any of them stays
// whole, so " " stays " ".
QString fileNamePart(const QString& path);

// A file name inside a folder: one '/' between them, whether or not the folder ends with one.
QString joinPath(const QString& folder, const QString& name);

// Sorts file names as a person reads them: "IMG_9" before "IMG_10", case ignored.
void sortFileNames(QStringList& names);
// The names of the files in folder that match one of the wildcard patterns, sorted so; none for
// an empty folder path.
QStringList sortedFileNames(const QString& folder, const QStringList& patterns);
