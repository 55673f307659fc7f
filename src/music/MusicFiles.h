#pragma once

#include <QString>
#include <QStringList>

namespace MusicFiles {

// How sound files of the library travel in a drag inside the program: their full paths, one per
// line. Only the library's own file list offers it, so a drop can tell where it came from.
inline const QString kMimeType = QStringLiteral("application/x-orvanne-sound-files");

// The sound files the library offers in folder, by name: plain, non-hidden files named *.wav or
// *.mid in any case, sorted as a person reads them. A name with a line break is left out: a list
// file could not hold it. Empty when the folder cannot be read.
QStringList list(const QString& folder);

// Whether a file name is one the library offers.
bool isSoundName(const QString& name);

} // namespace MusicFiles
