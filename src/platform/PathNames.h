#pragma once

#include <QString>

// The file-name part of a path: what follows its last '/' or '\\', or a drive prefix such as
// "C:". An entry without any of them stays whole (so " " stays " ").
QString ExtractFileName(const QString& path);

// The folder part of a path, without a trailing separator ("" when there is none).
QString ExtractFilePath(const QString& path);

// Joins a folder and a name: appends the platform's separator to the folder unless it ends
// with one already.
QString AddBackslash(const QString& folder);
