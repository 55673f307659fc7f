#include "PlayOnly.h"

#include "DiskSpace.h"
#include "ImageCache.h"
#include "PlayOnlyHost.h"
#include "ProgressWindow.h"
#include "ShowFiles.h"
#include "ShowTexts.h"
#include "ShowUnpack.h"
#include "ShowWindow.h"
#include "UserMessages.h"
#include "WorkFolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int playShowFile(const QString& path, UserMessages& messages, AudioEngine& engine) {
    const OwnedWorkFolder workFolder = WorkFolder::createForThisInstance(messages);
    if (!workFolder.isValid())
        return 1;
    const QString& work = workFolder.path();

    PlayOnlyHost host(messages);
    ProgressWindow progress;
    SystemDiskSpace disk;
    CombinedContents contents;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    CountingMessages counted(messages);
    // Only the list files are unpacked before the show starts; the pictures and sounds follow on
    // a worker thread in the order the show needs them, and the show waits for one not yet there.
    std::unique_ptr<ShowUnpack> media;
    const auto opened = ShowFiles::open(absolute, host.document(), work,
                                        ShowFileServices{counted, progress, disk}, &contents, &media);
    if (opened != ShowFiles::OpenResult::Opened) {
        // A show missing its list files is refused without a word (the editor then starts a new
        // show, which says enough there); played on its own, the user must be told.
        if (counted.count == 0)
            messages.error(ShowTexts::damagedShow(absolute));
        return 1;
    }
    if (host.document().slideCount() == 0) {
        // A file cut short is damaged whatever its lists say.
        if (!media->sourceComplete())
            messages.error(ShowTexts::damagedShow(absolute));
        else
            messages.plain(QStringLiteral("No Images Selected!"));
        return 1;
    }
    host.setSettings(contents.header.settings());
    const QFileInfo info(absolute);
    host.setTitle(info.suffix().compare(QLatin1String("cjf"), Qt::CaseInsensitive) == 0
                      ? info.completeBaseName()
                      : info.fileName());

    host.setUnpacking(media.get());
    // Until the first slide is on screen only the files it needs, and any the show asks for, are
    // unpacked; they are on their way while the show window is made.
    media->start(0);
    const Slide first = host.document().slide(0);
    media->hurry(first.imagePath);
    if (first.hasSound())
        media->hurry(first.soundPath);
    if (host.settings().musicEnabled && !host.document().musicTracks().isEmpty())
        media->hurry(host.document().musicTracks().first());

    // The first picture is decoded while the show window is made, for the room the window has
    // at first; the window shrinks it to its picture area.
    auto cache = std::make_unique<ImageCache>(4);
    cache->setArrivals(media.get());
    cache->prefetch(first.imagePath, host.fitToWindow() ? ShowWindow::initialSize() : QSize());
    ShowWindow show(host, engine, std::move(cache));
    bool finished = false;
    QObject::connect(&show, &ShowWindow::finished, qApp, [&finished] {
        finished = true;
        QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
    });
    show.startShow();
    // 0 when the show ended; 128 + the signal's number when it was stopped from outside.
    const int code = finished ? 0 : QApplication::exec();
    show.hide();
    // A damaged part of the file the show never reached is still the user's to know of.
    media->stop();
    if (media->hasFailed()) {
        if (!show.stoppedForLostFile())
            messages.error(media->failureText());
        return code == 0 ? 1 : code;
    }
    return code;
}
