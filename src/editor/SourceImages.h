#pragma once

#include <QString>
#include <QStringList>

namespace SourceImages {

// The name patterns of the pictures the editor offers: the five a show was always made of, and
// the other kinds the decoder reads that people keep their pictures in.
const QStringList& namePatterns();

// Whether a file name matches one of the patterns (in any case).
bool isImageName(const QString& name);

// The picture files of folder, by name only: plain, non-hidden files matching the patterns,
// sorted as a person reads them ("IMG_9" before "IMG_10", case ignored). Empty when the folder
// cannot be listed.
QStringList list(const QString& folder);

} // namespace SourceImages
