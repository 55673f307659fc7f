#pragma once

#include "DiskWrites.h"
#include "FileCopy.h"

#include <QByteArray>
#include <QString>

// A file written whole or not at all, in place of whatever had its name before. The bytes go to an
// unnamed file in the target's folder (O_TMPFILE), which is given the target's name only when
// everything has been written: a failed write, a full disk or a killed program leaves the old file
// as it was and nothing half-written beside it. Where the file system has no unnamed files, a
// hidden temporary name in the same folder stands in for one and is removed on failure.
class ReplacingFile {
public:
    enum class Durability { Cached, Synced };

    explicit ReplacingFile(const QString& target, const DiskWrites& writes = DiskWrites::system());
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the file that will take the target's place. False (with failure()) when the folder
    // cannot be written.
    bool open();
    int fd() const { return fd_; }

    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // Copies count bytes from in's current offset.
    bool copyFrom(int in, qint64 count);
    // Sets aside room for size bytes, so that a disk without it fails here rather than half-way.
    // File systems that cannot set room aside are passed over.
    bool reserve(qint64 size);

    // With Synced the bytes are on disk first. The file keeps the permissions of the one it
    // replaces, or gets the usual ones for a new file; then it takes the target's name. False
    // (with failure()) when anything of that fails, and then the target is as it was.
    bool commit(Durability durability);
    // Drops what was written; the target stays as it was. Also what the destructor does.
    void abandon();

    const FileCopy::Failure& failure() const { return failure_; }
    // Whether the last open() used an unnamed file.
    bool unnamed() const { return unnamed_; }

private:
    bool failWith(int code, bool writing);
    bool linkInto(const QByteArray& name);

    QString target_;
    QByteArray folder_;
    QByteArray name_;
    const DiskWrites& writes_;
    int fd_ = -1;
    bool unnamed_ = false;
    QByteArray tempPath_; // the hidden name while it exists
    FileCopy::Failure failure_;
};
