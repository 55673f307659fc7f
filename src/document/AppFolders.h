#pragma once

// Where the program finds its own files and keeps its working files.

#include <QString>

namespace AppFolders {

// The folder of the running program.
QString programFolder();
// The program's data: the guide and the artwork, in share/orvanne beside the program's bin folder
// (an installed program and the build tree are laid out alike).
QString dataFolder();
// The HTML user's guide.
QString guideFile();
// The music library: "Audio Tracks" in the user's Music folder; the Music folder itself, or the
// home folder, when that does not exist. Never the program's folder, which the user cannot write.
QString musicFolder();

} // namespace AppFolders
