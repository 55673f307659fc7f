#include "ListFile.h"

#include "ReplacingFile.h"
#include "TextCodec.h"

#include <QFile>

namespace {
// A list file holds a line per slide or track; anything beyond this is not one of ours.
constexpr qint64 kMaxListFileBytes = 64 * 1024 * 1024;
const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");
} // namespace

namespace ListFile {

QStringList parse(const QByteArray& bytes) {
    QStringList entries;
    const char* data = bytes.constData();
    const qsizetype n = bytes.size();
    // A list saved by a text editor as UTF-8 may start with a byte-order mark: it marks the file,
    // not the first entry.
    qsizetype start = bytes.startsWith(kByteOrderMark) ? kByteOrderMark.size() : 0;
    qsizetype i = start;
    while (i < n) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            entries.append(TextCodec::decode(data + start, i - start));
            if (c == '\r' && i + 1 < n && data[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n)
        entries.append(TextCodec::decode(data + start, n - start));
    return entries;
}

QByteArray format(const QStringList& entries) {
    QByteArray out;
    for (const QString& entry : entries) {
        out.append(TextCodec::encode(entry));
        out.append("\r\n", 2);
    }
    // A first entry whose bytes start like that mark (the character itself, or the three
    // Windows-1252 characters its bytes spell) keeps them behind a mark of the file's own.
    if (out.startsWith(kByteOrderMark))
        out.prepend(kByteOrderMark);
    return out;
}

bool read(const QString& path, QStringList& entries) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > kMaxListFileBytes)
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    entries = parse(bytes);
    return true;
}

bool write(const QString& path, const QStringList& entries, const DiskWrites& writes) {
    // Every write and the close are checked here: a save file class that reports success after
    // its buffered bytes failed to reach a full disk once turned a saved show into an empty one.
    // The list is packed straight after it is written, so it need not reach the disk itself.
    ReplacingFile file(path, writes);
    return file.open() && file.write(format(entries)) && file.commit(ReplacingFile::Durability::Cached);
}

} // namespace ListFile
