#include "DiskWrites.h"

#include <unistd.h>

ssize_t DiskWrites::write(int fd, const void* data, size_t size) const {
    return ::write(fd, data, size);
}

ssize_t DiskWrites::copyRange(int in, int out, size_t size) const {
    return ::copy_file_range(in, nullptr, out, nullptr, size, 0);
}

int DiskWrites::sync(int fd) const {
    return ::fdatasync(fd);
}

const DiskWrites& DiskWrites::system() {
    static const DiskWrites writes;
    return writes;
}
