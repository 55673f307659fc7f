#include "FileCopy.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {
constexpr qint64 kKernelChunk = 64LL * 1024 * 1024;
constexpr qint64 kBufferSize = 1024 * 1024;

void fail(FileCopy::Failure* failure, int code, bool writing) {
    if (failure)
        *failure = FileCopy::Failure{code, writing};
}

// Errors of copy_file_range that can only come from the file being written.
bool isWriteError(int code) {
    return code == ENOSPC || code == EDQUOT || code == EFBIG || code == EROFS;
}
} // namespace

void UniqueFd::reset() {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

namespace FileCopy {

QString Failure::text() const {
    return code ? QString::fromLocal8Bit(std::strerror(code)) : QStringLiteral("unexpected end of file");
}

bool writeAll(int fd, const char* data, qint64 size, Failure* failure, const DiskWrites& writes) {
    while (size > 0) {
        const ssize_t n = writes.write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(failure, errno, true);
            return false;
        }
        if (n == 0) {
            // A write that takes nothing and reports no error would repeat for ever.
            fail(failure, ENOSPC, true);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool readExactly(int fd, char* data, qint64 size, Failure* failure) {
    while (size > 0) {
        const ssize_t n = ::read(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(failure, errno, false);
            return false;
        }
        if (n == 0) {
            fail(failure, 0, false);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool copy(int in, int out, qint64 count, Failure* failure, const DiskWrites& writes) {
    bool kernel = true;
    while (count > 0 && kernel) {
        const ssize_t n = writes.copyRange(in, out, static_cast<size_t>(std::min(count, kKernelChunk)));
        if (n > 0) {
            count -= n;
            continue;
        }
        if (n == 0) {
            fail(failure, 0, false);
            return false;
        }
        if (errno == EINTR)
            continue;
        if (isWriteError(errno)) {
            fail(failure, errno, true);
            return false;
        }
        // Not possible between these two files (another file system, a kernel without it), or a
        // failure that could be either file's: the buffer goes on from where the kernel stopped,
        // and a real fault then shows itself on the side it belongs to.
        kernel = false;
    }
    if (count == 0)
        return true;
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    while (count > 0) {
        const qint64 want = std::min(count, kBufferSize);
        if (!readExactly(in, buffer.get(), want, failure) ||
            !writeAll(out, buffer.get(), want, failure, writes))
            return false;
        count -= want;
    }
    return true;
}

} // namespace FileCopy
