#include "OwnedWorkFolder.h"

#include "WorkFolder.h"

#include <unistd.h>

OwnedWorkFolder::~OwnedWorkFolder() {
    release();
}

OwnedWorkFolder::OwnedWorkFolder(OwnedWorkFolder&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_) {
    other.path_.clear();
    other.fd_ = -1;
}

OwnedWorkFolder& OwnedWorkFolder::operator=(OwnedWorkFolder&& other) noexcept {
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        fd_ = other.fd_;
        other.path_.clear();
        other.fd_ = -1;
    }
    return *this;
}

void OwnedWorkFolder::release() {
    if (fd_ < 0)
        return;
    // Removed while still locked, so that no other instance takes it for abandoned half-way.
    WorkFolder::remove(path_);
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}
