#pragma once

#include "DiskWrites.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

// Disk writes that fail the way a disk does once it is full (or gone): a number of bytes go
// through, the write that reaches the limit writes what still fits, and every one after it fails
// with the given error. The flush fails too when asked.
class FailingWrites : public DiskWrites {
public:
    FailingWrites(qint64 allowed, int error) : allowed_(allowed), error_(error) {}

    ssize_t write(int fd, const void* data, size_t size) const override {
        const size_t room = limit(size);
        if (room == 0)
            return fail();
        const ssize_t n = ::write(fd, data, room);
        if (n > 0)
            written += n;
        return n;
    }
    ssize_t copyRange(int in, int out, size_t size) const override {
        const size_t room = limit(size);
        if (room == 0)
            return fail();
        const ssize_t n = DiskWrites::copyRange(in, out, room);
        if (n > 0)
            written += n;
        return n;
    }
    int sync(int fd) const override {
        if (failSync) {
            errno = error_;
            return -1;
        }
        return DiskWrites::sync(fd);
    }

    bool failSync = false;
    mutable qint64 written = 0;

private:
    size_t limit(size_t size) const {
        return size_t(std::max<qint64>(0, std::min<qint64>(qint64(size), allowed_ - written)));
    }
    ssize_t fail() const {
        errno = error_;
        return -1;
    }

    qint64 allowed_;
    int error_;
};
