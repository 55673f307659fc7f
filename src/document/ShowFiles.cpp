#include "ShowFiles.h"

#include "CombinedFileWriter.h"
#include "DiskSpace.h"
#include "ListFile.h"
#include "PathNames.h"
#include "ShowTexts.h"
#include "ShowUnpack.h"
#include "SpaceCheck.h"
#include "TextCodec.h"
#include "UserMessages.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace ShowFiles {

namespace {

// Slides, tracks and slide sounds that exist, each path once. Paths are compared exactly: on this
// platform Pic.jpg and pic.jpg are two different files, and folding case would leave one out.
QStringList mediaFiles(const ShowDocument& doc) {
    QStringList candidates;
    candidates << doc.imagePaths() << doc.musicTracks();
    for (const Slide& slide : doc.slides())
        if (slide.hasSound())
            candidates << slide.soundPath;
    QStringList media;
    QSet<QString> seen;
    for (const QString& path : candidates) {
        if (seen.contains(path) || !QFileInfo(path).isFile())
            continue;
        seen.insert(path);
        media.append(path);
    }
    return media;
}

QStringList listFilePaths(const QString& workFolder) {
    QStringList paths;
    for (const QString& name : ListFile::kPackOrder)
        paths << joinPath(workFolder, name);
    return paths;
}

} // namespace

QStringList buildPackList(const ShowDocument& doc, const QString& workFolder) {
    return packList(mediaFiles(doc), workFolder);
}

QStringList packList(const QStringList& media, const QString& workFolder) {
    QStringList pack = media;
    for (const QString& path : listFilePaths(workFolder))
        if (!pack.contains(path) && QFileInfo(path).isFile())
            pack << path;
    return pack;
}

QHash<QString, QString> storedNames(const QStringList& packList) {
    QSet<QString> taken;
    for (const QString& name : ListFile::kPackOrder)
        taken.insert(name.toLower());
    QHash<QString, QString> names;
    for (const QString& path : packList) {
        const QString name = fileNamePart(path);
        QString candidate = name;
        if (taken.contains(candidate.toLower())) {
            const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
            const QString stem = dot > 0 ? name.left(dot) : name;
            const QString ext = dot > 0 ? name.mid(dot) : QString();
            for (int n = 2; taken.contains(candidate.toLower()); ++n) {
                // The record holds 255 bytes of the encoded name: shorten the stem until the
                // whole name fits, or the record and the list file would disagree on it.
                candidate =
                    TextCodec::fitted(stem, EntryRecord::kNameCapacity, QStringLiteral(" (%1)").arg(n) + ext);
            }
        }
        taken.insert(candidate.toLower());
        names.insert(path, candidate);
    }
    return names;
}

SaveResult save(const ShowDocument& doc, const ShowSettings& settings, const QString& workFolder,
                const QString& target, const ShowFileServices& services, QStringList* packed) {
    // The names are settled before the list files are written, so that the lists and the
    // records agree on them.
    const QStringList media = mediaFiles(doc);
    const QHash<QString, QString> names = storedNames(media);
    const DiskWrites& writes = services.writes ? *services.writes : DiskWrites::system();
    if (!WorkFolder::writeListFiles(workFolder, doc, names, writes)) {
        services.messages.error(
            QStringLiteral(
                "Unable to write file lists to disk. Please be sure there is sufficient working space on "
                "drive ") +
            services.disk.driveName(workFolder) + QStringLiteral(":."));
        return SaveResult::ListFilesFailed;
    }
    const QStringList pack = packList(media, workFolder);
    if (packed)
        *packed = pack;
    if (!SpaceCheck::forSaving(pack, target, services.disk, services.messages))
        return SaveResult::NoSpace;

    QStringList recordNames;
    for (const QString& path : pack)
        recordNames << names.value(path, fileNamePart(path));
    CombinedHeader header;
    header.count = static_cast<qint32>(pack.size());
    header.setSettings(settings);
    CombinedFileWriter writer(services.progress, writes);
    if (!writer.write(pack, target, header, doc.captions(), recordNames)) {
        services.messages.error(QStringLiteral("Unable to save the show to ") + target +
                                QStringLiteral(". The file was not changed. (") + writer.error() +
                                QStringLiteral(")"));
        return SaveResult::WriteFailed;
    }
    return SaveResult::Saved;
}

OpenResult open(const QString& path, ShowDocument& doc, const QString& workFolder,
                const ShowFileServices& services, CombinedContents* contents,
                std::unique_ptr<ShowUnpack>* media) {
    // The show that is open lives in the working folder: nothing is emptied until the new show is
    // known to be there and to have room.
    if (!QFileInfo(path).isFile()) {
        services.messages.error(ShowTexts::fileNotFound(path));
        return OpenResult::NotFound;
    }
    const QString parent = QFileInfo(workFolder).absolutePath();
    if (!SpaceCheck::forOpening(path, parent, services.disk, services.messages,
                                WorkFolder::bytesFreedByEmptying(workFolder)))
        return OpenResult::NoSpace;
    WorkFolder::empty(workFolder);
    CombinedFileReader reader(services.messages, services.progress,
                              services.writes ? *services.writes : DiskWrites::system());
    if (media) {
        *media = reader.open(path, workFolder, doc, contents);
        if (!*media)
            return OpenResult::ReadFailed;
    } else if (!reader.read(path, workFolder, doc, contents)) {
        return OpenResult::ReadFailed;
    }
    return OpenResult::Opened;
}

} // namespace ShowFiles
