#include "CombinedFileWriter.h"

#include "FileCopy.h"
#include "PathNames.h"
#include "ProgressReport.h"
#include "ReplacingFile.h"

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
} // namespace

bool CombinedFileWriter::fail(const QString& text) {
    error_ = text;
    progress_.finish();
    return false;
}

bool CombinedFileWriter::write(const QStringList& paths, const QString& target, const CombinedHeader& header,
                               const QStringList& captions, const QStringList& names) {
    error_.clear();
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

    ReplacingFile out(target, writes_);
    if (!out.open())
        return fail(target + QStringLiteral(": ") + out.failure().text());
    auto abandon = [&](const QString& what) {
        out.abandon();
        return fail(what + QStringLiteral(": ") + out.failure().text());
    };

    // Reserving the whole file up front lets the file system lay it out in one go, and a full disk
    // shows itself here rather than half-way through the copy.
    qint64 total = CombinedHeader::kSize + EntryRecord::kSize * records.size();
    for (const EntryRecord& record : records)
        total += record.size;
    if (!out.reserve(total))
        return abandon(target);

    CombinedHeader stored = header;
    stored.count = static_cast<qint32>(paths.size());
    const auto headerBytes = stored.toBytes();
    if (!out.write(headerBytes.data(), headerBytes.size()))
        return abandon(target);
    for (const EntryRecord& record : records) {
        const auto bytes = record.toBytes();
        if (!out.write(bytes.data(), bytes.size()))
            return abandon(target);
    }

    qint64 written = CombinedHeader::kSize + EntryRecord::kSize * records.size();
    qint64 flushedTo = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        UniqueFd in(::open(QFile::encodeName(paths[i]).constData(), O_RDONLY | O_CLOEXEC));
        if (in.fd < 0) {
            const QString why = systemError();
            out.abandon();
            return fail(paths[i] + QStringLiteral(": ") + why);
        }
        if (!out.copyFrom(in.fd, records[i].size))
            return abandon(out.failure().writing ? target : paths[i]);
        // Start writing what is packed so far to disk while the next files are copied, so the
        // flush before the rename has little left to wait for.
        written += records[i].size;
        if (written - flushedTo >= kWritebackChunk) {
            ::sync_file_range(out.fd(), flushedTo, written - flushedTo, SYNC_FILE_RANGE_WRITE);
            flushedTo = written;
        }
        progress_.report(title, progressPercent(i, paths.size()));
    }

    // On disk before it takes the old show's place, keeping that show's permissions.
    if (!out.commit(ReplacingFile::Durability::Synced))
        return abandon(target);
    progress_.finish();
    return true;
}
