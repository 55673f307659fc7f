#include "PlayOnly.h"

#include "DiskSpace.h"
#include "PlayOnlyHost.h"
#include "ProgressWindow.h"
#include "ShowFiles.h"
#include "ShowTexts.h"
#include "ShowWindow.h"
#include "UserMessages.h"
#include "WorkFolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int playShowFile(const QString& path, UserMessages& messages, AudioEngine& engine) {
    // Folders of instances that were killed are cleared first; those of running ones are held.
    WorkFolder::removeAbandoned();
    const OwnedWorkFolder workFolder = WorkFolder::createNumbered();
    if (!workFolder.isValid()) {
        messages.error(QStringLiteral("Unable to create a working folder in ") + WorkFolder::defaultBase());
        return 1;
    }
    const QString& work = workFolder.path();

    PlayOnlyHost host(messages);
    ProgressWindow progress;
    SystemDiskSpace disk;
    CombinedContents contents;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    CountingMessages counted(messages);
    const auto opened = ShowFiles::open(absolute, host.document(), work,
                                        ShowFileServices{counted, progress, disk}, &contents);
    if (opened != ShowFiles::OpenResult::Opened) {
        // A show missing its list files is refused without a word (the editor then starts a new
        // show, which says enough there); played on its own, the user must be told.
        if (counted.count == 0)
            messages.error(ShowTexts::damagedShow(absolute));
        return 1;
    }
    if (host.document().slideCount() == 0) {
        messages.plain(QStringLiteral("No Images Selected!"));
        return 1;
    }
    host.setSettings(contents.header.settings());
    const QFileInfo info(absolute);
    host.setTitle(info.suffix().compare(QLatin1String("cjf"), Qt::CaseInsensitive) == 0
                      ? info.completeBaseName()
                      : info.fileName());

    ShowWindow show(host, engine);
    bool finished = false;
    QObject::connect(&show, &ShowWindow::finished, qApp, [&finished] {
        finished = true;
        QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
    });
    show.startShow();
    // 0 when the show ended; 128 + the signal's number when it was stopped from outside.
    const int code = finished ? 0 : QApplication::exec();
    show.hide();
    return code;
}
