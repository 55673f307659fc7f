#include "ShowUnpack.h"

#include "FileCopy.h"
#include "ProgressReport.h"
#include "ReplacingFile.h"
#include "ShowTexts.h"

#include <QFile>

#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A file is copied this much at a time, so that a stop does not wait for a whole large sound.
constexpr qint64 kPiece = 8 * 1024 * 1024;
constexpr int kWorkerNice = 10;
} // namespace

QString ShowUnpack::describeFailure(const QString& source, const QString& folder,
                                    const FileCopy::Failure& failure) {
    if (!failure.writing)
        return ShowTexts::damagedShow(source);
    switch (failure.code) {
    case ENOSPC:
    case EDQUOT:
        return ShowTexts::noRoomToUnpack(source, folder);
    case EACCES:
    case EPERM:
    case EROFS:
        return ShowTexts::folderNotWritable(source, folder);
    default:
        return ShowTexts::unpackingFailed(source, folder, failure.text());
    }
}

ShowUnpack::ShowUnpack(const QString& source, int sourceFd, const QString& workFolder, QList<File> files,
                       const DiskWrites& writes)
    : source_(source), fd_(sourceFd), workFolder_(workFolder), files_(std::move(files)), writes_(writes) {
    states_.fill(State::Coming, files_.size());
    for (qsizetype i = 0; i < files_.size(); ++i)
        indexOf_.insert(files_[i].path, int(i));
}

ShowUnpack::~ShowUnpack() {
    stop();
    // A thread still in waitFor() has been woken by the stop; it leaves before the state it
    // reads goes.
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return waiters_ == 0; });
    }
    if (fd_ >= 0)
        ::close(fd_);
}

bool ShowUnpack::unpackOne(const File& file, bool& diskFailed) {
    diskFailed = false;
    struct stat st {};
    // The record table was judged as a whole; bytes the source no longer holds are damage found
    // only now, before anything is written for them.
    if (::fstat(fd_, &st) != 0 || file.offset + file.size > st.st_size ||
        ::lseek(fd_, file.offset, SEEK_SET) != file.offset) {
        const std::lock_guard lock(mutex_);
        if (failureText_.isEmpty())
            failureText_ = ShowTexts::damagedShow(source_);
        return false;
    }
    // Each file is written whole before it takes its name, so one that cannot be finished leaves
    // nothing behind and one that was there before stays as it was. A link planted in the folder
    // is replaced, never followed.
    ReplacingFile out(file.path, writes_);
    bool ok = out.open() && out.reserve(file.size);
    for (qint64 left = file.size; ok && left > 0;) {
        if (stopping_)
            return false;
        const qint64 piece = std::min(left, kPiece);
        ok = out.copyFrom(fd_, piece);
        left -= piece;
    }
    ok = ok && out.commit(ReplacingFile::Durability::Cached);
    if (ok)
        return true;
    diskFailed = out.failure().writing;
    const std::lock_guard lock(mutex_);
    if (failureText_.isEmpty())
        failureText_ = describeFailure(source_, workFolder_, out.failure());
    return false;
}

bool ShowUnpack::unpackAll(ProgressReport& progress, const QString& title) {
    QList<QByteArray> created;
    for (qsizetype i = 0; i < files_.size(); ++i) {
        const QByteArray encoded = QFile::encodeName(files_[i].path);
        struct stat existing {};
        const bool existed = ::lstat(encoded.constData(), &existing) == 0;
        bool diskFailed = false;
        if (!unpackOne(files_[i], diskFailed)) {
            for (const QByteArray& file : created)
                ::unlink(file.constData());
            const std::lock_guard lock(mutex_);
            markLost(int(i), failureText_);
            return false;
        }
        if (!existed)
            created.append(encoded);
        {
            const std::lock_guard lock(mutex_);
            states_[i] = State::Present;
            ++handled_;
        }
        progress.report(title, progressPercent(i, files_.size()));
    }
    return true;
}

void ShowUnpack::start(int headStart) {
    if (worker_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        holdAt_ = headStart;
        started_ = true;
        stopping_ = false; // a stopped unpack goes on with what it had not finished
        nextInOrder_ = 0;
    }
    if (files_.isEmpty()) {
        emit finished();
        return;
    }
    worker_ = std::thread([this] { run(); });
}

void ShowUnpack::release() {
    {
        const std::lock_guard lock(mutex_);
        holdAt_ = -1;
    }
    wake_.notify_all();
}

void ShowUnpack::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void ShowUnpack::markLost(int index, const QString& text) {
    if (states_[index] == State::Coming) {
        states_[index] = State::Lost;
        ++handled_;
    }
    if (failureText_.isEmpty())
        failureText_ = text;
}

void ShowUnpack::run() {
    // Unpacking is background work: the thread that decodes and draws the slide it is waiting
    // for comes first. (On Linux a thread's nice value is its own.)
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNice);
    for (;;) {
        int index = -1;
        {
            std::unique_lock lock(mutex_);
            const auto held = [this] { return holdAt_ >= 0 && nextInOrder_ >= holdAt_; };
            for (;;) {
                while (!hurried_.isEmpty() && index < 0) {
                    const int asked = hurried_.takeFirst();
                    if (states_[asked] == State::Coming)
                        index = asked;
                }
                while (index < 0 && !held() && nextInOrder_ < files_.size()) {
                    if (states_[nextInOrder_] == State::Coming)
                        index = nextInOrder_;
                    ++nextInOrder_;
                }
                if (index >= 0 || stopping_ || !held())
                    break;
                wake_.wait(lock);
            }
        }
        if (index < 0 || stopping_)
            break;
        bool diskFailed = false;
        const bool ok = unpackOne(files_[index], diskFailed);
        if (stopping_)
            return;
        QStringList lostPaths;
        {
            const std::lock_guard lock(mutex_);
            if (ok) {
                states_[index] = State::Present;
                ++handled_;
            } else {
                markLost(index, failureText_);
                lostPaths << files_[index].path;
                // A full disk or a folder that cannot be written takes every file still to come.
                if (diskFailed)
                    for (qsizetype i = 0; i < files_.size(); ++i)
                        if (states_[i] == State::Coming) {
                            markLost(int(i), failureText_);
                            lostPaths << files_[i].path;
                        }
            }
        }
        wake_.notify_all();
        if (ok)
            emit arrived(files_[index].path);
        for (const QString& path : lostPaths)
            emit lost(path);
    }
    if (!stopping_)
        emit finished();
}

ShowUnpack::State ShowUnpack::state(const QString& path) const {
    const auto found = indexOf_.constFind(path);
    if (found == indexOf_.constEnd())
        return State::Present;
    const std::lock_guard lock(mutex_);
    return states_[*found];
}

void ShowUnpack::hurry(const QString& path) {
    const auto found = indexOf_.constFind(path);
    if (found == indexOf_.constEnd())
        return;
    const std::lock_guard lock(mutex_);
    if (states_[*found] == State::Coming && !hurried_.contains(*found)) {
        hurried_.append(*found);
        wake_.notify_all();
    }
}

bool ShowUnpack::waitFor(const QString& path) {
    const auto found = indexOf_.constFind(path);
    if (found == indexOf_.constEnd())
        return true;
    hurry(path);
    std::unique_lock lock(mutex_);
    ++waiters_;
    // A worker that was never started or has stopped will not bring it.
    wake_.wait(lock, [&] { return states_[*found] != State::Coming || stopping_ || !started_; });
    const bool present = states_[*found] == State::Present;
    --waiters_;
    wake_.notify_all();
    return present;
}

bool ShowUnpack::sourceComplete() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return false;
    for (const File& file : files_)
        if (file.offset + file.size > st.st_size)
            return false;
    return true;
}

bool ShowUnpack::isFinished() const {
    const std::lock_guard lock(mutex_);
    return handled_ == files_.size();
}

bool ShowUnpack::hasFailed() const {
    const std::lock_guard lock(mutex_);
    return !failureText_.isEmpty();
}

QString ShowUnpack::failureText() const {
    const std::lock_guard lock(mutex_);
    return failureText_;
}

int ShowUnpack::handledCount() const {
    const std::lock_guard lock(mutex_);
    return handled_;
}
