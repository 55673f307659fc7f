#pragma once

#include <sys/types.h>

// The calls that put a file's bytes on disk. The program uses the system's own; tests pass ones
// that fail the way a full, read-only or failing disk does, at any point of a save or an unpacking.
// Each behaves as the system call of its name: on failure -1, with errno saying why.
class DiskWrites {
public:
    virtual ~DiskWrites() = default;
    virtual ssize_t write(int fd, const void* data, size_t size) const;
    // copy_file_range(2) from in's offset to out's offset.
    virtual ssize_t copyRange(int in, int out, size_t size) const;
    // fdatasync(2).
    virtual int sync(int fd) const;

    static const DiskWrites& system();
};
