#include "PlayOnly.h"

#include "DiskSpace.h"
#include "PathNames.h"
#include "PlayOnlyHost.h"
#include "ShowFiles.h"
#include "UProgress.h"
#include "UserMessages.h"
#include "WorkFolder.h"
#include "uShow.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int playShowFile(const QString& path, UserMessages& messages, AudioEngine& engine) {
    const QString work = WorkFolder::createNumbered();
    if (work.isEmpty()) {
        messages.error(QStringLiteral("Unable to create a working folder in ") + WorkFolder::defaultBase());
        return 1;
    }
    struct RemoveWorkFolder {
        QString folder;
        ~RemoveWorkFolder() { WorkFolder::remove(folder); }
    } cleanup{work};

    bool finished = false;
    PlayOnlyHost host(messages, [&finished] {
        finished = true;
        QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
    });
    TfmProgress progress;
    SystemDiskSpace disk;
    CombinedContents contents;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (ShowFiles::open(absolute, host.document(), work, ShowFileServices{messages, progress, disk},
                        &contents) != ShowFiles::OpenResult::Opened)
        return 1;
    if (host.document().slideCount() == 0) {
        messages.plain(QStringLiteral("No Images Selected!"));
        return 1;
    }
    host.setSettings(contents.header.settings());
    QString name = ExtractFileName(absolute);
    name.chop(4); // the ".cjf"
    host.setTitle(name);

    TfmShow show(host, engine);
    host.setShow(&show);
    show.MusicEnabled = host.musicEnabled();
    show.startShow();
    if (!finished)
        QApplication::exec();
    show.hide();
    return 0;
}
