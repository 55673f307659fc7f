#include "CombinedFileReader.h"

#include "FileCopy.h"
#include "ListFile.h"
#include "PathNames.h"
#include "ProgressReport.h"
#include "ShowDocument.h"
#include "ShowTexts.h"
#include "ShowUnpack.h"
#include "UserMessages.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <memory>

#include <cerrno>
#include <climits>
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

// The longest a file name may be, in the bytes the file system stores it in.
constexpr qsizetype kMaxFileNameBytes = NAME_MAX;
// Beyond this an extension is not one; it goes with the rest of the name.
constexpr qsizetype kMaxExtensionBytes = 32;

qsizetype fileNameBytes(const QString& text) {
    return QFile::encodeName(text).size();
}

// The longest start of text, on whole characters, that takes at most bytes as a file name.
QString fittedFileName(const QString& text, qsizetype bytes) {
    qsizetype used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const bool pair =
            text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const qsizetype need = fileNameBytes(text.mid(end, units));
        if (used + need > bytes)
            break;
        used += need;
        end += units;
    }
    return text.left(end);
}

} // namespace

QHash<QString, QString> CombinedFileReader::unpackedNames(const QList<EntryRecord>& entries) {
    QSet<QString> taken;
    for (const EntryRecord& entry : entries)
        taken.insert(entry.name.toCaseFolded());
    QHash<QString, QString> names;
    QHash<QString, int> nextNumber; // per shortened stem, so that hostile names cost no search
    for (const EntryRecord& entry : entries) {
        if (names.contains(entry.name) || fileNameBytes(entry.name) <= kMaxFileNameBytes)
            continue;
        const qsizetype dot = entry.name.lastIndexOf(QLatin1Char('.'));
        QString extension = dot > 0 ? entry.name.mid(dot) : QString();
        if (fileNameBytes(extension) > kMaxExtensionBytes)
            extension.clear();
        const QString stem = entry.name.left(entry.name.size() - extension.size());
        QString candidate;
        int& n = nextNumber[stem];
        do {
            const QString tail = QStringLiteral("~%1").arg(++n) + extension;
            candidate = fittedFileName(stem, kMaxFileNameBytes - fileNameBytes(tail)) + tail;
        } while (taken.contains(candidate.toCaseFolded()));
        taken.insert(candidate.toCaseFolded());
        names.insert(entry.name, candidate);
    }
    return names;
}

bool CombinedFileReader::damaged(const QString& source) {
    progress_.finish();
    messages_.error(ShowTexts::damagedShow(source));
    return false;
}

bool CombinedFileReader::read(const QString& source, const QString& workFolder, ShowDocument& doc,
                              CombinedContents* contents) {
    QStringList listsMade;
    const std::unique_ptr<ShowUnpack> media = open(source, workFolder, doc, contents, true, &listsMade);
    if (!media)
        return false;
    if (!media->unpackAll(progress_, QStringLiteral("Loading:  ") + fileNamePart(source))) {
        // Nothing this read made stays behind, the list files included.
        for (const QString& list : listsMade)
            QFile::remove(list);
        doc.clear();
        progress_.finish();
        messages_.error(media->failureText());
        return false;
    }
    progress_.finish();
    return true;
}

std::unique_ptr<ShowUnpack> CombinedFileReader::open(const QString& source, const QString& workFolder,
                                                     ShowDocument& doc, CombinedContents* contents) {
    return open(source, workFolder, doc, contents, false, nullptr);
}

std::unique_ptr<ShowUnpack> CombinedFileReader::open(const QString& source, const QString& workFolder,
                                                     ShowDocument& doc, CombinedContents* contents,
                                                     bool whole, QStringList* listsMade) {
    const auto refuse = [&] {
        damaged(source);
        return nullptr;
    };
    UniqueFd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        return refuse();
    struct stat st {};
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return refuse();
    const qint64 fileSize = st.st_size;

    // A file that ends inside the header is damaged, like one that ends inside its records.
    std::array<char, CombinedHeader::kSize> headerBytes{};
    if (!FileCopy::readExactly(in.fd, headerBytes.data(), CombinedHeader::kSize))
        return refuse();
    const CombinedHeader header = CombinedHeader::fromBytes(headerBytes.data());
    if (!header.magicValid()) {
        messages_.error(QStringLiteral("Not a valid *.CJF file."));
        return nullptr;
    }
    if (!header.versionSupported()) {
        messages_.error(QStringLiteral("This program only supports versions 1.0 and 1.5 of CJF files"));
        return nullptr;
    }

    const QString title = QStringLiteral("Loading:  ") + fileNamePart(source);
    // Unpacked whole, the show keeps the user waiting and the progress shows; only its list files
    // take no time worth showing.
    if (whole)
        progress_.report(title, 0);
    doc.clear();

    // Judge the whole record table before anything is written: every name must stay inside the
    // working folder and the file must hold the table. Whether it holds every byte the records
    // claim is judged up front when the show is unpacked whole; unpacked in the background, the
    // entries it does hold are usable and a missing one is damage found when it is reached.
    const qint64 count = header.count;
    const qint64 tableEnd = CombinedHeader::kSize + count * EntryRecord::kSize;
    if (fileSize < CombinedHeader::kSize || count < 0 || count > kMaxEntries || tableEnd > fileSize)
        return refuse();
    QList<EntryRecord> entries;
    QList<qint64> offsets;
    entries.reserve(count);
    offsets.reserve(count);
    {
        std::unique_ptr<char[]> table(new char[static_cast<size_t>(count) * EntryRecord::kSize + 1]);
        if (!FileCopy::readExactly(in.fd, table.get(), count * EntryRecord::kSize))
            return refuse();
        qint64 payload = 0;
        for (qint64 i = 0; i < count; ++i) {
            EntryRecord record = EntryRecord::fromBytes(table.get() + i * EntryRecord::kSize);
            if (record.size < 0 || !CombinedFormat::isSafeEntryName(record.name))
                return refuse();
            offsets.append(tableEnd + payload);
            payload += record.size;
            entries.append(record);
        }
        if (whole && tableEnd + payload > fileSize)
            return refuse();
    }

    // Where each entry goes; a name that comes twice is unpacked from its last entry, which would
    // have replaced the earlier one.
    const QHash<QString, QString> unpacked = unpackedNames(entries);
    const auto pathOf = [&](const EntryRecord& entry) {
        return joinPath(workFolder, unpacked.value(entry.name, entry.name));
    };
    QHash<QString, ShowUnpack::File> byPath;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString path = pathOf(entries[i]);
        byPath.insert(path, ShowUnpack::File{path, offsets[i], entries[i].size});
    }
    QList<ShowUnpack::File> plan;
    const auto take = [&](const QString& path) {
        const auto found = byPath.find(path);
        if (found == byPath.end())
            return;
        plan.append(*found);
        byPath.erase(found);
    };
    const auto sourceCopy = [&] { return ::fcntl(in.fd, F_DUPFD_CLOEXEC, 0); };

    if (header.isVersion15()) {
        // The list files come first: they say what the show is and in which order it needs the rest.
        for (const QString& name : ListFile::kReadOrder) {
            const QString path = joinPath(workFolder, name);
            if (listsMade && byPath.contains(path) && !QFileInfo::exists(path))
                listsMade->append(path);
            take(path);
        }
        ShowUnpack lists(source, sourceCopy(), workFolder, plan, writes_);
        plan.clear();
        NoProgress quick; // a few small files
        if (!lists.unpackAll(quick, title)) {
            progress_.finish();
            messages_.error(lists.failureText());
            return nullptr;
        }
        bool damagedLists = false;
        if (!loadListFiles(workFolder, entries, unpacked, doc, damagedLists)) {
            if (damagedLists)
                return refuse();
            progress_.finish();
            return nullptr;
        }
    } else if (header.isVersion10()) {
        QList<Slide> slides;
        QStringList tracks;
        for (const EntryRecord& entry : entries) {
            const QString path = pathOf(entry);
            if (entry.name.toUpper().contains(QLatin1String(".JPG")))
                slides.append(Slide{path, QStringLiteral("0"), entry.caption, QStringLiteral(" ")});
            // The entry's own name decides, not its extracted path: a working folder whose path
            // happens to contain ".mid" must not turn every entry into a track.
            if (entry.name.toUpper().contains(QLatin1String(".MID")))
                tracks.append(path);
        }
        doc.setSlides(slides);
        doc.setMusicTracks(tracks);
    }

    // The rest in the order the show needs it: the first slide, its sound, the first track, then
    // the other slides with their sounds, the other tracks, and whatever else the file holds.
    for (int i = 0; i < doc.slideCount(); ++i) {
        take(doc.slide(i).imagePath);
        take(doc.slide(i).soundPath);
        if (i == 0 && !doc.musicTracks().isEmpty())
            take(doc.musicTracks().first());
    }
    for (const QString& track : doc.musicTracks())
        take(track);
    for (const EntryRecord& entry : entries)
        take(pathOf(entry));

    if (contents) {
        contents->header = header;
        contents->entries = entries;
    }
    return std::make_unique<ShowUnpack>(source, sourceCopy(), workFolder, plan, writes_);
}

bool CombinedFileReader::loadListFiles(const QString& workFolder, const QList<EntryRecord>& entries,
                                       const QHash<QString, QString>& unpacked, ShowDocument& doc,
                                       bool& damagedLists) {
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
        const QString name =
            extracted.contains(entry) ? entry : byFoldedName.value(entry.toCaseFolded(), entry);
        return joinPath(workFolder, unpacked.value(name, name));
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
