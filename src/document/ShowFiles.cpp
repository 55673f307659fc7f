#include "ShowFiles.h"

#include "CombinedFileWriter.h"
#include "DiskSpace.h"
#include "PathNames.h"
#include "SpaceCheck.h"
#include "UserMessages.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace ShowFiles {

QStringList buildPackList(const ShowDocument& doc, const QString& workFolder) {
    QStringList candidates;
    candidates << doc.DisplayList << doc.SongList;
    for (const QString& audio : doc.SlideAudio)
        if (!audio.trimmed().isEmpty())
            candidates << audio;
    const QString folder = AddBackslash(workFolder);
    for (const char* name : {"DisplayList.lst", "SlideTiming.lst", "SlideAudio.lst", "SongList.lst",
                             "Captions.lst", "CfgSet.lst"})
        candidates << folder + QLatin1String(name);

    // Paths are compared exactly: on this platform Pic.jpg and pic.jpg are two different files,
    // and folding case would leave one of them out of the show.
    QStringList pack;
    QSet<QString> seen;
    for (const QString& path : candidates) {
        if (seen.contains(path) || !QFileInfo(path).isFile())
            continue;
        seen.insert(path);
        pack.append(path);
    }
    return pack;
}

SaveResult save(ShowDocument& doc, const ShowSettings& settings, const QString& workFolder,
                const QString& target, const ShowFileServices& services) {
    if (!WorkFolder::writeListFiles(workFolder, doc)) {
        services.messages.error(
            QStringLiteral(
                "Unable to write file lists to disk. Please be sure there is sufficient working space on "
                "drive ") +
            services.disk.driveName(workFolder) + QStringLiteral(":."));
        return SaveResult::ListFilesFailed;
    }
    doc.PackList = buildPackList(doc, workFolder);
    if (!SpaceCheck::forSaving(doc.PackList, target, services.disk, services.messages))
        return SaveResult::NoSpace;

    CombinedHeader header;
    header.count = static_cast<qint32>(doc.PackList.size());
    header.setSettings(settings);
    CombinedFileWriter writer(services.progress);
    if (!writer.write(doc.PackList, target, header, doc.Captions)) {
        services.messages.error(QStringLiteral("Unable to save the show to ") + target +
                                QStringLiteral(". The file was not changed. (") + writer.error() +
                                QStringLiteral(")"));
        return SaveResult::WriteFailed;
    }
    return SaveResult::Saved;
}

OpenResult open(const QString& path, ShowDocument& doc, const QString& workFolder,
                const ShowFileServices& services, CombinedContents* contents) {
    WorkFolder::empty(workFolder);
    if (!QFileInfo::exists(path)) {
        services.messages.error(QStringLiteral("Unable to locate file ") + path);
        return OpenResult::NotFound;
    }
    const QString parent = QFileInfo(workFolder).absolutePath();
    if (!SpaceCheck::forOpening(path, parent, services.disk, services.messages))
        return OpenResult::NoSpace;
    CombinedFileReader reader(services.messages, services.progress);
    if (!reader.read(path, workFolder, doc, contents))
        return OpenResult::ReadFailed;
    return OpenResult::Opened;
}

} // namespace ShowFiles
