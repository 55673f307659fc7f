#pragma once

#include <QString>

// Files that may still be on their way into a folder, as a show's pictures and sounds are while
// its file is being unpacked. Whoever needs one of them before it is there waits for that file
// alone.
class FileArrivals {
public:
    virtual ~FileArrivals() = default;
    // True while path is still to come; a path that is not one of the files is never pending.
    virtual bool pending(const QString& path) const = 0;
    // Asks for path before the others and blocks until it is there (true) or will never be
    // (false). For worker threads only: the user-interface thread asks and is told (see the
    // implementation's notices) instead of waiting.
    virtual bool waitFor(const QString& path) = 0;
};
