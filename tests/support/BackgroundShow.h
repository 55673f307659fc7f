#pragma once

// Show files opened as the program opens them: the list files unpacked at once, the pictures and
// sounds left to a ShowUnpack that the test starts when it likes.

#include "CjfBytes.h"
#include "CombinedFileReader.h"
#include "ProgressReport.h"
#include "ShowUnpack.h"
#include "TempFolder.h"

#include <QDir>
#include <memory>

// The six list files of a show of these pictures (slide i with sounds[i], none when missing or
// blank) and tracks. They come first, as in a show written elsewhere, so that a file cut short
// ends inside a picture or a sound.
inline QList<CjfEntry> listFilesFor(const QList<QByteArray>& pictures, const QList<QByteArray>& sounds = {},
                                    const QList<QByteArray>& tracks = {}) {
    QByteArray display, timing, captions, audio, songs;
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        display += pictures[i] + "\r\n";
        timing += "0\r\n";
        captions += "\r\n";
        const QByteArray sound = sounds.value(i);
        audio += (sound.isEmpty() ? QByteArray(" ") : sound) + "\r\n";
    }
    for (const QByteArray& track : tracks)
        songs += track + "\r\n";
    return {{"DisplayList.lst", display}, {"SlideTiming.lst", timing}, {"Captions.lst", captions},
            {"SlideAudio.lst", audio},    {"SongList.lst", songs},     {"CfgSet.lst", "255\r\nFALSE\r\n"}};
}

struct BackgroundShow {
    QString source; // the show file
    QString work;   // the working folder it was opened into
    std::unique_ptr<ShowUnpack> media;
};

// Writes bytes to dir's "show.cjf" and opens it into dir's "work", filling doc. media is null
// when the show could not be opened (messages says why).
inline BackgroundShow openInBackground(const TempFolder& dir, const QByteArray& bytes, ShowDocument& doc,
                                       UserMessages& messages,
                                       const DiskWrites& writes = DiskWrites::system()) {
    BackgroundShow show{dir.write(QStringLiteral("show.cjf"), bytes), dir.file(QStringLiteral("work")),
                        nullptr};
    QDir().mkpath(show.work);
    NoProgress progress;
    show.media = CombinedFileReader(messages, progress, writes).open(show.source, show.work, doc);
    return show;
}
