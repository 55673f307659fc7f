#pragma once

#include "ImageDecoder.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <memory>
#include <mutex>
#include <vector>

// Decodes the slides that will be shown next on a worker thread while the current one is on
// screen, and keeps the last few results (current, next, previous) so that stepping back and forth
// decodes nothing twice. An entry is keyed by the path, the file's size and modification time and
// the decode size, so a file changed on disk is decoded afresh.
//
// The cache only decodes; whatever the user is to be told about a failed decode travels in the
// result and is shown by the picture widget when it takes the result, on the UI thread.
class FileArrivals;

class ImageCache {
public:
    explicit ImageCache(int capacity = 4);
    ~ImageCache(); // waits for running decodes
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // Files that may still be on their way (a show being unpacked): a prefetch of one of them
    // waits on the worker for that file and then decodes it. Null: every file is in place.
    void setArrivals(FileArrivals* arrivals);

    // Starts decoding path in the background unless it is already held or under way, also for
    // a larger area (take() shrinks that one).
    void prefetch(const QString& path, const QSize& decodeSize = QSize());

    // The decode of path at decodeSize: a finished prefetch at once; one under way is waited for;
    // one still queued, or none at all, is decoded here and now. A raster of the same file
    // decoded (or being decoded) for a larger area is shrunk instead of decoding the file again.
    // The result stays cached. The file must be in place (see setArrivals).
    DecodeResult take(const QString& path, const QSize& decodeSize = QSize());

    // True when a result for path at decodeSize is cached or under way (the file unchanged).
    bool holds(const QString& path, const QSize& decodeSize = QSize()) const;
    int count() const;
    int capacity() const { return capacity_; }
    void clear();

private:
    // The size of a file that is still on its way: its key is settled when it is taken.
    static constexpr qint64 kPendingFile = -2;

    struct Key {
        QString path;
        qint64 bytes = -1;
        qint64 modified = 0;
        QSize decodeSize;
        bool operator==(const Key& other) const = default;
    };
    struct Job;
    struct Entry {
        Key key;
        std::shared_ptr<Job> job;
        quint64 lastUse = 0;
    };

    Key keyFor(const QString& path, const QSize& decodeSize) const;
    std::shared_ptr<Job> find(const Key& key); // with mutex_ held
    // A job for the same file as key, pending or decoded for an area that holds key's: the
    // candidate for shrinking. With mutex_ held.
    std::shared_ptr<Job> findLarger(const Key& key, QSize* itsSize);
    void insert(const Key& key, std::shared_ptr<Job> job); // with mutex_ held

    const int capacity_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    quint64 clock_ = 0;
    FileArrivals* arrivals_ = nullptr;
    QThreadPool pool_;
};
