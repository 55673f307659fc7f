#pragma once

#include "DiskWrites.h"

#include <QString>

// Closes a file descriptor when it goes out of scope.
struct UniqueFd {
    int fd = -1;
    explicit UniqueFd(int f) : fd(f) {}
    ~UniqueFd() { reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    void reset();
};

// Streams bytes between open file descriptors without holding a file in memory: the kernel's
// copy_file_range where the file systems allow it, a fixed buffer otherwise. Every write goes
// through a DiskWrites, the system's unless a test passes its own.
namespace FileCopy {

// Why a copy, write or read stopped: the system's error number, or 0 when the source ended early,
// and whether it was the writing side that failed (a full or read-only disk) rather than the
// reading one (a source that is short or cannot be read).
struct Failure {
    int code = 0;
    bool writing = false;
    QString text() const;
};

// Copies exactly count bytes from in's current offset to out's current offset. False when in
// ends early or a read or write fails; failure then says why.
bool copy(int in, int out, qint64 count, Failure* failure = nullptr,
          const DiskWrites& writes = DiskWrites::system());

// Writes all of size bytes; false (with failure) when they could not all be written.
bool writeAll(int fd, const char* data, qint64 size, Failure* failure = nullptr,
              const DiskWrites& writes = DiskWrites::system());
// Reads exactly size bytes; false when the file ends early or reading fails.
bool readExactly(int fd, char* data, qint64 size, Failure* failure = nullptr);
} // namespace FileCopy
