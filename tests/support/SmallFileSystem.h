#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// A file system of a few pages (tmpfs) mounted on a scratch folder, for tests that need a disk that
// really fills up or really refuses writes. Mounting needs root, as CI has; elsewhere mounted() is
// false and whyNot() says why, for the test to skip.
class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes) {
        if (!dir_.isValid()) {
            whyNot_ = QStringLiteral("no scratch folder");
            return;
        }
        if (::geteuid() != 0) {
            whyNot_ = QStringLiteral("mounting a file system needs root");
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    options.constData()) != 0) {
            whyNot_ = QStringLiteral("cannot mount a tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        mounted_ = true;
    }
    ~SmallFileSystem() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    QString whyNot() const { return whyNot_; }
    QString path() const { return dir_.path(); }

    // Takes all the room that is left, as another program filling the disk would, except for
    // spare bytes (rounded up to whole pages).
    void fill(qint64 spare = 0) {
        const QByteArray sparePath = QFile::encodeName(path() + QStringLiteral("/.spare"));
        if (spare > 0) {
            const int fd = ::open(sparePath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::posix_fallocate(fd, 0, spare);
            ::close(fd);
        }
        const int fd = ::open(QFile::encodeName(path() + QStringLiteral("/filler")).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        ::close(fd);
        ::unlink(sparePath.constData());
    }

    // From now on nothing on it can be written.
    bool makeReadOnly() {
        return ::mount(nullptr, QFile::encodeName(path()).constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                       nullptr) == 0;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString whyNot_;
};
