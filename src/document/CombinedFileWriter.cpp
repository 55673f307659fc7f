#include "CombinedFileWriter.h"

#include "FileCopy.h"
#include "PathNames.h"
#include "ProgressReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qint64 kWritebackChunk = 8 * 1024 * 1024;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}
} // namespace

bool CombinedFileWriter::fail(const QString& text) {
    error_ = text;
    progress_.finish();
    return false;
}

bool CombinedFileWriter::write(const QStringList& paths, const QString& target, const CombinedHeader& header,
                               const QStringList& captions, const QStringList& names) {
    error_.clear();
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    const QString title = QStringLiteral("Saving:  ") + fileNamePart(target);

    // Sizes first: a file that is gone or too large for the format stops the write before
    // anything is created.
    QList<EntryRecord> records;
    records.reserve(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QByteArray encoded = QFile::encodeName(paths[i]);
        struct stat st {};
        if (::stat(encoded.constData(), &st) != 0)
            return fail(paths[i] + QStringLiteral(": ") + systemError());
        if (!S_ISREG(st.st_mode))
            return fail(paths[i] + QStringLiteral(": not a file"));
        if (st.st_size > INT_MAX)
            return fail(paths[i] + QStringLiteral(": larger than a show file can hold (2 GB)"));
        EntryRecord record;
        record.name = i < names.size() ? names[i] : fileNamePart(paths[i]);
        record.caption = i < captions.size() ? captions[i] : QStringLiteral(" ");
        record.size = st.st_size;
        records.append(record);
    }

    QByteArray tempName = QFile::encodeName(
        joinPath(folder, QLatin1Char('.') + targetInfo.fileName() + QStringLiteral(".XXXXXX")));
    UniqueFd out(::mkstemp(tempName.data()));
    if (out.fd < 0)
        return fail(target + QStringLiteral(": ") + systemError());
    auto abandon = [&](const QString& text) {
        ::unlink(tempName.constData());
        return fail(text);
    };

    // Reserving the whole file up front lets the file system lay it out in one go, and a full disk
    // shows itself here rather than half-way through the copy.
    qint64 total = CombinedHeader::kSize + EntryRecord::kSize * records.size();
    for (const EntryRecord& record : records)
        total += record.size;
    if (const int rc = ::posix_fallocate(out.fd, 0, total); rc != 0 && rc != EOPNOTSUPP && rc != EINVAL) {
        errno = rc;
        return abandon(target + QStringLiteral(": ") + systemError());
    }

    CombinedHeader stored = header;
    stored.count = static_cast<qint32>(paths.size());
    const auto headerBytes = stored.toBytes();
    if (!FileCopy::writeAll(out.fd, headerBytes.data(), headerBytes.size(), &error_))
        return abandon(target + QStringLiteral(": ") + error_);
    for (const EntryRecord& record : records) {
        const auto bytes = record.toBytes();
        if (!FileCopy::writeAll(out.fd, bytes.data(), bytes.size(), &error_))
            return abandon(target + QStringLiteral(": ") + error_);
    }

    qint64 written = CombinedHeader::kSize + EntryRecord::kSize * records.size();
    qint64 flushedTo = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        UniqueFd in(::open(QFile::encodeName(paths[i]).constData(), O_RDONLY | O_CLOEXEC));
        if (in.fd < 0)
            return abandon(paths[i] + QStringLiteral(": ") + systemError());
        QString why;
        if (!FileCopy::copy(in.fd, out.fd, records[i].size, &why))
            return abandon(paths[i] + QStringLiteral(": ") + why);
        // Start writing what is packed so far to disk while the next files are copied, so the
        // flush before the rename has little left to wait for.
        written += records[i].size;
        if (written - flushedTo >= kWritebackChunk) {
            ::sync_file_range(out.fd, flushedTo, written - flushedTo, SYNC_FILE_RANGE_WRITE);
            flushedTo = written;
        }
        progress_.report(title, progressPercent(i, paths.size()));
    }

    // Keep the permissions of the file being replaced, or the usual ones for a new file.
    struct stat old {};
    const mode_t mode = ::stat(QFile::encodeName(target).constData(), &old) == 0 ? (old.st_mode & 07777)
                                                                                 : (0666 & ~currentUmask());
    ::fchmod(out.fd, mode);
    if (::fdatasync(out.fd) != 0)
        return abandon(target + QStringLiteral(": ") + systemError());
    if (::close(out.fd) != 0) {
        out.fd = -1;
        return abandon(target + QStringLiteral(": ") + systemError());
    }
    out.fd = -1;
    if (::rename(tempName.constData(), QFile::encodeName(target).constData()) != 0)
        return abandon(target + QStringLiteral(": ") + systemError());
    progress_.finish();
    return true;
}
