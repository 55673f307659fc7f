#pragma once

// A show described in a text file, one slide per line, for people who build shows by script:
//   image<TAB>seconds<TAB>caption<TAB>sound
// UTF-8; empty fields and blank lines allowed; relative paths are taken from the manifest's folder.

#include <QString>

class ShowDocument;

namespace ShowManifest {

// Appends the manifest's slides to doc. On failure nothing is added and error says where and
// why ("show.txt:3: no image"; "cannot read /path" for a file that cannot be read).
bool read(const QString& path, ShowDocument& doc, QString* error);

} // namespace ShowManifest
