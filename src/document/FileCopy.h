#pragma once

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
// copy_file_range where the file systems allow it, a fixed buffer otherwise.
namespace FileCopy {
// Copies exactly count bytes from in's current offset to out's current offset. False when in
// ends early or a read or write fails; error then says why.
bool copy(int in, int out, qint64 count, QString* error = nullptr);

// Writes all of size bytes; false (with error) on failure.
bool writeAll(int fd, const char* data, qint64 size, QString* error = nullptr);
// Reads exactly size bytes; false when the file ends early or reading fails.
bool readExactly(int fd, char* data, qint64 size, QString* error = nullptr);
} // namespace FileCopy
