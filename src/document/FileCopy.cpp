#include "FileCopy.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {
constexpr qint64 kKernelChunk = 64LL * 1024 * 1024;
constexpr qint64 kBufferSize = 1024 * 1024;

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}
} // namespace

void UniqueFd::reset() {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

namespace FileCopy {

bool writeAll(int fd, const char* data, qint64 size, QString* error) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setError(error, systemError(errno));
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool readExactly(int fd, char* data, qint64 size, QString* error) {
    while (size > 0) {
        const ssize_t n = ::read(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setError(error, systemError(errno));
            return false;
        }
        if (n == 0) {
            setError(error, QStringLiteral("unexpected end of file"));
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool copy(int in, int out, qint64 count, QString* error) {
    bool kernel = true;
    while (count > 0 && kernel) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr,
                                            static_cast<size_t>(std::min(count, kKernelChunk)), 0);
        if (n > 0) {
            count -= n;
            continue;
        }
        if (n == 0) {
            setError(error, QStringLiteral("unexpected end of file"));
            return false;
        }
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF ||
            errno == ETXTBSY || errno == EPERM) {
            kernel = false; // not possible between these two files: fall back to the buffer
            break;
        }
        setError(error, systemError(errno));
        return false;
    }
    if (count == 0)
        return true;
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    while (count > 0) {
        const qint64 want = std::min(count, kBufferSize);
        if (!readExactly(in, buffer.get(), want, error) || !writeAll(out, buffer.get(), want, error))
            return false;
        count -= want;
    }
    return true;
}

} // namespace FileCopy
