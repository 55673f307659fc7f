// The combined show file opened as the program opens one: the working folder emptied, the free
// space checked, every packed file extracted and the list files read; once unpacked whole, once
// list files first and the rest after. Whatever the input, nothing
// may be written anywhere but the working folder, nothing but plain files may appear in it, and
// every path of the opened show must name a file in it.

#include "DiskSpace.h"
#include "FuzzSupport.h"
#include "ProgressReport.h"
#include "ShowFiles.h"
#include "ShowUnpack.h"
#include "UserMessages.h"
#include "WorkFolder.h"

#include <QDirIterator>

#include <sys/stat.h>

namespace {

bool insideWorkFolder(const QString& path, const QString& work) {
    const QString prefix = work + QLatin1Char('/');
    return path.startsWith(prefix) && !path.mid(prefix.size()).contains(QLatin1Char('/'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString root = Fuzz::scratch();
    const QString show = Fuzz::writeFile(QStringLiteral("show.cjf"), Fuzz::bytes(data, size));
    const QString parent = root + QStringLiteral("/work");
    QDir(parent).removeRecursively();
    QDir().mkpath(parent);
    OwnedWorkFolder workFolder = WorkFolder::createNumbered(parent);
    FUZZ_CHECK(workFolder.isValid());
    const QString work = workFolder.path();

    SilentMessages silent;
    CountingMessages messages(silent);
    NoProgress progress;
    SystemDiskSpace disk;

    // The scratch folder holds the show, the working folder's parent and the working folder; the
    // working folder holds plain files only.
    const auto checkFolders = [&] {
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path == show || path == parent || path == work)
                continue;
            FUZZ_CHECK(insideWorkFolder(path, work));
            struct stat st {};
            FUZZ_CHECK(::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode));
        }
    };
    const auto checkShow = [&](const ShowDocument& doc, const CombinedContents& contents) {
        for (const Slide& slide : doc.slides()) {
            FUZZ_CHECK(insideWorkFolder(slide.imagePath, work));
            FUZZ_CHECK(!slide.hasSound() || insideWorkFolder(slide.soundPath, work));
        }
        for (const QString& track : doc.musicTracks())
            FUZZ_CHECK(insideWorkFolder(track, work));
        FUZZ_CHECK(contents.entries.size() == contents.header.count);
    };

    // Unpacked whole, as the tool does.
    {
        ShowDocument doc;
        CombinedContents contents;
        const ShowFiles::OpenResult result =
            ShowFiles::open(show, doc, work, ShowFileServices{messages, progress, disk}, &contents);
        checkFolders();
        if (result == ShowFiles::OpenResult::Opened)
            checkShow(doc, contents);
    }
    // The list files first and the rest after, as the program plays and edits shows (here on
    // this thread, so that every input runs the same way).
    {
        ShowDocument doc;
        CombinedContents contents;
        std::unique_ptr<ShowUnpack> media;
        const ShowFiles::OpenResult result =
            ShowFiles::open(show, doc, work, ShowFileServices{messages, progress, disk}, &contents, &media);
        if (result == ShowFiles::OpenResult::Opened) {
            FUZZ_CHECK(media != nullptr);
            checkShow(doc, contents);
            const bool whole = media->unpackAll(progress, QStringLiteral("fuzz"));
            FUZZ_CHECK(whole != media->hasFailed());
            // Unpacked whole, every slide's picture is there; a failure stops at the first file.
            if (whole)
                for (const Slide& slide : doc.slides())
                    FUZZ_CHECK(media->state(slide.imagePath) == ShowUnpack::State::Present);
        }
        checkFolders();
    }
    workFolder = OwnedWorkFolder();
    QDir(parent).removeRecursively();
    return 0;
}
