#include "ImageCache.h"

#include "FileArrivals.h"

#include <QFileInfo>

#include <atomic>
#include <future>

// One decode, run by whichever thread claims it first: the worker, or the UI thread when it needs
// the picture before the worker has begun. Nobody waits behind a queue for work nobody has started.
struct ImageCache::Job {
    Job() : result(promise.get_future().share()) {}

    void run(const QString& path, const QSize& decodeSize) {
        if (claimed.exchange(true))
            return;
        promise.set_value(decodeImageFile(path, decodeSize));
    }
    // Gives the job a result found another way, unless it has one or is being decoded.
    void settle(DecodeResult found) {
        if (!claimed.exchange(true))
            promise.set_value(std::move(found));
    }

    std::atomic<bool> claimed{false};
    std::promise<DecodeResult> promise;
    std::shared_future<DecodeResult> result;
};

ImageCache::ImageCache(int capacity) : capacity_(std::max(1, capacity)) {
    // One background decoder: the UI thread keeps the other core, and slides are wanted in order.
    pool_.setMaxThreadCount(1);
}

ImageCache::~ImageCache() {
    pool_.waitForDone();
}

void ImageCache::setArrivals(FileArrivals* arrivals) {
    std::lock_guard<std::mutex> lock(mutex_);
    arrivals_ = arrivals;
}

ImageCache::Key ImageCache::keyFor(const QString& path, const QSize& decodeSize) const {
    Key key;
    key.path = path;
    key.decodeSize = decodeSize.isValid() && !decodeSize.isEmpty() ? decodeSize : QSize();
    if (arrivals_ && arrivals_->pending(path)) {
        key.bytes = kPendingFile;
        return key;
    }
    const QFileInfo info(path);
    if (info.exists()) {
        key.bytes = info.size();
        key.modified = info.lastModified().toMSecsSinceEpoch();
    }
    return key;
}

std::shared_ptr<ImageCache::Job> ImageCache::find(const Key& key) {
    for (Entry& e : entries_) {
        if (e.key == key) {
            e.lastUse = ++clock_;
            return e.job;
        }
    }
    // A decode asked for while the file was on its way is the decode of the file now in place.
    if (key.bytes != kPendingFile) {
        for (Entry& e : entries_) {
            if (e.key.bytes == kPendingFile && e.key.path == key.path && e.key.decodeSize == key.decodeSize) {
                e.key = key;
                e.lastUse = ++clock_;
                return e.job;
            }
        }
    }
    return nullptr;
}

std::shared_ptr<ImageCache::Job> ImageCache::findLarger(const Key& key, QSize* itsSize) {
    for (Entry& e : entries_) {
        if (e.key.path != key.path || e.key == key)
            continue;
        const bool sameFile =
            e.key.bytes == kPendingFile || (e.key.bytes == key.bytes && e.key.modified == key.modified);
        // An entry for the natural size (no decode size) holds every smaller one.
        const bool holdsArea =
            !e.key.decodeSize.isValid() ||
            (key.decodeSize.isValid() && e.key.decodeSize.width() >= key.decodeSize.width() &&
             e.key.decodeSize.height() >= key.decodeSize.height());
        if (sameFile && holdsArea) {
            e.lastUse = ++clock_;
            *itsSize = e.key.decodeSize;
            return e.job;
        }
    }
    return nullptr;
}

void ImageCache::insert(const Key& key, std::shared_ptr<Job> job) {
    // A stale entry for the same path (the file changed, or another size) is replaced.
    std::erase_if(entries_, [&](const Entry& e) {
        return e.key.path == key.path && e.key.decodeSize == key.decodeSize;
    });
    entries_.push_back({key, std::move(job), ++clock_});
    while (int(entries_.size()) > capacity_) {
        auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                       [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        entries_.erase(oldest);
    }
}

void ImageCache::prefetch(const QString& path, const QSize& decodeSize) {
    Key key;
    std::shared_ptr<Job> job;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        key = keyFor(path, decodeSize);
        // A decode for a larger area is shrunk when this one is taken.
        QSize larger;
        if (find(key) || findLarger(key, &larger))
            return;
        job = std::make_shared<Job>();
        insert(key, job);
    }
    const QSize size = key.decodeSize;
    FileArrivals* arrivals = key.bytes == kPendingFile ? arrivals_ : nullptr;
    pool_.start([job, path, size, arrivals] {
        // A file that will never come is decoded all the same: its failure is the result.
        if (arrivals)
            arrivals->waitFor(path);
        job->run(path, size);
    });
}

DecodeResult ImageCache::take(const QString& path, const QSize& decodeSize) {
    std::shared_ptr<Job> job;
    std::shared_ptr<Job> larger;
    QSize largerSize;
    Key key;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        key = keyFor(path, decodeSize);
        job = find(key);
        if (!job) {
            larger = findLarger(key, &largerSize);
            job = std::make_shared<Job>();
            insert(key, job);
        }
    }
    if (larger) {
        // Shrinking a raster costs a fraction of decoding the file again; the larger decode, when
        // it is still queued, is done here and now.
        larger->run(path, largerSize);
        const DecodeResult& big = larger->result.get();
        const Picture& picture = big.picture;
        const QSize wanted = fittedSize(picture.size(), key.decodeSize);
        const QImage raster = picture.raster();
        if (big.failed() || raster.isNull() || raster.size() == wanted) {
            job->settle(big);
        } else if (raster.width() >= wanted.width() && raster.height() >= wanted.height()) {
            DecodeResult shrunk = big;
            shrunk.picture = Picture::fromRaster(
                raster.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), picture.size());
            job->settle(std::move(shrunk));
        }
    }
    job->run(path, key.decodeSize); // does nothing when a worker has it already
    return job->result.get();
}

bool ImageCache::holds(const QString& path, const QSize& decodeSize) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Key key = keyFor(path, decodeSize);
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == key; });
}

int ImageCache::count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return int(entries_.size());
}

void ImageCache::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}
