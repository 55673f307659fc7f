#pragma once

#include <QString>

// A working folder this instance owns, made by WorkFolder::createNumbered. For as long as this
// object lives it holds a lock on the folder itself (flock on the folder's own descriptor, since
// emptying the folder would delete a lock file inside it), so that an instance starting later can
// tell a folder in use from one left behind by a program that was killed. When it goes, the folder
// is emptied and removed, as at exit; the lock goes with the process in any case.
class OwnedWorkFolder {
public:
    OwnedWorkFolder() = default;
    // Takes over folder and its descriptor, already locked.
    OwnedWorkFolder(QString folder, int lockedFd) : path_(std::move(folder)), fd_(lockedFd) {}
    ~OwnedWorkFolder();
    OwnedWorkFolder(OwnedWorkFolder&& other) noexcept;
    OwnedWorkFolder& operator=(OwnedWorkFolder&& other) noexcept;
    OwnedWorkFolder(const OwnedWorkFolder&) = delete;
    OwnedWorkFolder& operator=(const OwnedWorkFolder&) = delete;

    bool isValid() const { return fd_ >= 0; }
    // Empty when no folder could be made.
    const QString& path() const { return path_; }

private:
    void release();

    QString path_;
    int fd_ = -1;
};
