#include "CombinedFileReader.h"

#include "FileCopy.h"
#include "ListFile.h"
#include "PathNames.h"
#include "ProgressReport.h"
#include "ShowDocument.h"
#include "ShowTexts.h"
#include "UserMessages.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool allSafe(const QStringList& names) {
    for (const QString& name : names)
        if (!CombinedFormat::isSafeEntryName(name))
            return false;
    return true;
}
} // namespace

bool CombinedFileReader::damaged(const QString& source) {
    progress_.finish();
    messages_.error(ShowTexts::damagedShow(source));
    return false;
}

bool CombinedFileReader::read(const QString& source, const QString& workFolder, ShowDocument& doc,
                              CombinedContents* contents) {
    UniqueFd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        return damaged(source);
    struct stat st {};
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return damaged(source);
    const qint64 fileSize = st.st_size;

    // A file that ends inside the header is damaged, like one that ends inside its records.
    std::array<char, CombinedHeader::kSize> headerBytes{};
    if (!FileCopy::readExactly(in.fd, headerBytes.data(), CombinedHeader::kSize))
        return damaged(source);
    const CombinedHeader header = CombinedHeader::fromBytes(headerBytes.data());
    if (!header.magicValid()) {
        messages_.error(QStringLiteral("Not a valid *.CJF file."));
        return false;
    }
    if (!header.versionSupported()) {
        messages_.error(QStringLiteral("This program only supports versions 1.0 and 1.5 of CJF files"));
        return false;
    }

    const QString title = QStringLiteral("Loading:  ") + fileNamePart(source);
    progress_.report(title, 0);
    doc.clear();

    // Judge the whole record table before anything is written: every name must stay inside the
    // working folder and the file must hold every byte its records claim.
    const qint64 count = header.count;
    if (fileSize < CombinedHeader::kSize || count < 0 || count > kMaxEntries ||
        CombinedHeader::kSize + count * EntryRecord::kSize > fileSize)
        return damaged(source);
    QList<EntryRecord> entries;
    entries.reserve(count);
    {
        std::unique_ptr<char[]> table(new char[static_cast<size_t>(count) * EntryRecord::kSize + 1]);
        if (!FileCopy::readExactly(in.fd, table.get(), count * EntryRecord::kSize))
            return damaged(source);
        qint64 payload = 0;
        for (qint64 i = 0; i < count; ++i) {
            EntryRecord record = EntryRecord::fromBytes(table.get() + i * EntryRecord::kSize);
            if (record.size < 0 || !CombinedFormat::isSafeEntryName(record.name))
                return damaged(source);
            payload += record.size;
            entries.append(record);
        }
        if (CombinedHeader::kSize + count * EntryRecord::kSize + payload > fileSize)
            return damaged(source);
    }

    for (qsizetype i = 0; i < entries.size(); ++i) {
        // O_NOFOLLOW: a link planted in the working folder must not redirect the write.
        UniqueFd out(::open(QFile::encodeName(joinPath(workFolder, entries[i].name)).constData(),
                            O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (out.fd < 0)
            return damaged(source);
        if (entries[i].size > 0)
            ::posix_fallocate(out.fd, 0,
                              entries[i].size); // a layout hint only; the copy reports real failures
        if (!FileCopy::copy(in.fd, out.fd, entries[i].size))
            return damaged(source);
        progress_.report(title, progressPercent(i, entries.size()));
    }
    in.reset();

    if (header.isVersion10()) {
        QList<Slide> slides;
        QStringList tracks;
        for (const EntryRecord& entry : entries) {
            if (entry.name.toUpper().contains(QLatin1String(".JPG")))
                slides.append(Slide{joinPath(workFolder, entry.name), QStringLiteral("0"), entry.caption,
                                    QStringLiteral(" ")});
            // The entry's own name decides, not its extracted path: a working folder whose path
            // happens to contain ".mid" must not turn every entry into a track.
            if (entry.name.toUpper().contains(QLatin1String(".MID")))
                tracks.append(joinPath(workFolder, entry.name));
        }
        doc.setSlides(slides);
        doc.setMusicTracks(tracks);
    }

    if (header.isVersion15()) {
        bool damagedLists = false;
        if (!loadListFiles(workFolder, entries, doc, damagedLists)) {
            if (damagedLists)
                return damaged(source);
            progress_.finish();
            return false;
        }
    }

    if (contents) {
        contents->header = header;
        contents->entries = entries;
    }
    progress_.finish();
    return true;
}

bool CombinedFileReader::loadListFiles(const QString& workFolder, const QList<EntryRecord>& entries,
                                       ShowDocument& doc, bool& damagedLists) {
    QStringList lists[6];
    for (int i = 0; i < 6; ++i) {
        const QString path = joinPath(workFolder, ListFile::kReadOrder[i]);
        if (!QFile::exists(path))
            return false;
        if (!ListFile::read(path, lists[i])) {
            damagedLists = true;
            return false;
        }
    }
    QStringList& display = lists[0];
    QStringList& audio = lists[3];
    QStringList& songs = lists[4];

    // The lists name files in the working folder; anything else is not a show of ours, and the
    // four per-slide lists must be in step or the player would run past one of them.
    const qsizetype n = display.size();
    bool ok = allSafe(display) && allSafe(songs) && lists[1].size() == n && lists[2].size() == n &&
              audio.size() == n;
    for (const QString& entry : audio)
        ok = ok && (entry.trimmed().isEmpty() || CombinedFormat::isSafeEntryName(entry));
    if (!ok) {
        damagedLists = true;
        return false;
    }

    // Shows written where file names ignore case may list "PHOTO.JPG" for the packed "Photo.jpg":
    // an entry that names no extracted file exactly takes the extracted name that differs from it
    // only in case.
    QSet<QString> extracted;
    QHash<QString, QString> byFoldedName;
    for (const EntryRecord& record : entries) {
        extracted.insert(record.name);
        byFoldedName.insert(record.name.toCaseFolded(), record.name);
    }
    auto resolve = [&](const QString& entry) {
        if (extracted.contains(entry))
            return joinPath(workFolder, entry);
        return joinPath(workFolder, byFoldedName.value(entry.toCaseFolded(), entry));
    };
    for (QString& entry : display)
        entry = resolve(entry);
    for (QString& entry : audio)
        if (!entry.trimmed().isEmpty())
            entry = resolve(entry);
    for (QString& entry : songs)
        entry = resolve(entry);
    QList<Slide> slides;
    slides.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        slides.append(Slide{display[i], lists[1][i], lists[2][i], audio[i]});
    doc.setSlides(slides);
    doc.setMusicTracks(songs);
    doc.setSettingsLines(lists[5]);
    return true;
}
