#include "ImageCache.h"

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

ImageCache::Key ImageCache::keyFor(const QString& path, const QSize& decodeSize) {
    Key key;
    key.path = path;
    key.decodeSize = decodeSize.isValid() && !decodeSize.isEmpty() ? decodeSize : QSize();
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
    const Key key = keyFor(path, decodeSize);
    std::shared_ptr<Job> job;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (find(key))
            return;
        job = std::make_shared<Job>();
        insert(key, job);
    }
    const QSize size = key.decodeSize;
    pool_.start([job, path, size] { job->run(path, size); });
}

DecodeResult ImageCache::take(const QString& path, const QSize& decodeSize) {
    const Key key = keyFor(path, decodeSize);
    std::shared_ptr<Job> job;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job = find(key);
        if (!job) {
            job = std::make_shared<Job>();
            insert(key, job);
        }
    }
    job->run(path, key.decodeSize); // does nothing when a worker has it already
    return job->result.get();
}

bool ImageCache::holds(const QString& path, const QSize& decodeSize) const {
    const Key key = keyFor(path, decodeSize);
    std::lock_guard<std::mutex> lock(mutex_);
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
