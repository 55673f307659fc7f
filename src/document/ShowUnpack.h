#pragma once

#include "DiskWrites.h"
#include "FileArrivals.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class ProgressReport;
namespace FileCopy {
struct Failure;
}

// The pictures and sounds of a combined show file still to be unpacked into the working folder
// once its list files are read, in the order the show needs them: the first slide, its sound, the
// first track, then the other slides with their sounds, the other tracks and whatever else the
// file holds. The record table has been judged already; the source stays open for the unpacking,
// so the bytes unpacked are those of the file that was judged.
//
// The files can be unpacked here and now (unpackAll), or on a worker thread (start) while the
// show is already in use: whoever needs a file asks for its state, asks for it to come first
// (hurry) and hears of it (arrived) when it is there. A file whose bytes are missing from the
// source is lost and the others still come; a disk that is full or a folder that cannot be
// written loses every file still to come. Either way the first failure is what the user is told.
class ShowUnpack : public QObject, public FileArrivals {
    Q_OBJECT
public:
    struct File {
        QString path; // in the working folder
        qint64 offset = 0;
        qint64 size = 0;
    };
    enum class State { Present, Coming, Lost };

    // What a failure to unpack says: a full disk and a folder that may not be written are named
    // as such; a source that ends early or cannot be read is a damaged show.
    static QString describeFailure(const QString& source, const QString& folder,
                                   const FileCopy::Failure& failure);

    // Takes over sourceFd. files is in unpacking order.
    ShowUnpack(const QString& source, int sourceFd, const QString& workFolder, QList<File> files,
               const DiskWrites& writes = DiskWrites::system());
    // Stops the worker (within one piece of a file) and waits for it.
    ~ShowUnpack() override;
    ShowUnpack(const ShowUnpack&) = delete;
    ShowUnpack& operator=(const ShowUnpack&) = delete;

    // Unpacks every file on the calling thread, reporting progress under title; stops at the
    // first failure and then removes every file it made. Not together with start().
    bool unpackAll(ProgressReport& progress, const QString& title);

    // Starts the worker thread; its signals reach receivers on their own threads. With a head
    // start of n, the worker unpacks the first n files (and any it is asked for) and then waits
    // for release(): what the show needs first does not share the processor with the rest.
    void start(int headStart = -1);
    void release();
    // Stops the worker promptly and wakes every waitFor(); files not yet unpacked stay Coming
    // until start() goes on with them.
    void stop();

    // A path that is none of the files to unpack is Present: it was unpacked before, or is not
    // the show's to unpack.
    State state(const QString& path) const;
    // Puts path before every file not asked for, behind those asked for earlier.
    void hurry(const QString& path);
    bool pending(const QString& path) const override { return state(path) == State::Coming; }
    bool waitFor(const QString& path) override;
    // Whether the source holds every byte of every file still to unpack (a show file cut short
    // does not). Cheap: it reads no file.
    bool sourceComplete() const;
    // True when every file is present or lost.
    bool isFinished() const;
    bool hasFailed() const;
    // What the user is told about the first failure.
    QString failureText() const;
    int fileCount() const { return int(files_.size()); }
    int handledCount() const;
    const QString& source() const { return source_; }

signals:
    void arrived(const QString& path);
    void lost(const QString& path);
    // Every file is present or lost.
    void finished();

private:
    // Unpacks one file; on failure sets failureText_ (the first time) and says whether the
    // failure was the disk's (every later write would fail too).
    bool unpackOne(const File& file, bool& diskFailed);
    void run();
    void markLost(int index, const QString& text); // with mutex_ held

    const QString source_;
    const int fd_;
    const QString workFolder_;
    const QList<File> files_;
    const DiskWrites& writes_;
    QHash<QString, int> indexOf_;

    mutable std::mutex mutex_;
    QList<State> states_;
    QList<int> hurried_;
    int handled_ = 0;
    int nextInOrder_ = 0;
    int holdAt_ = -1; // the worker waits before this file in order until release(); -1: no hold
    std::condition_variable wake_;
    bool started_ = false;
    int waiters_ = 0; // threads in waitFor()
    QString failureText_;
    std::atomic<bool> stopping_{false};
    std::thread worker_;
};
