// The decoded-picture cache: a few entries, changed files decoded afresh, workers waited for.

#include "ImageCache.h"
#include "FileArrivals.h"
#include "PcxWriter.h"
#include "TempFolder.h"

#include <QTest>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace {

QString writeImage(const TempFolder& dir, const QString& name, const QSize& size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.file(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

} // namespace

TEST(ImageCache, KeepsAFewEntriesAndNoticesChangedFiles) {
    TempFolder dir;
    ImageCache cache(3);
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths << writeImage(dir, QStringLiteral("%1.png").arg(i), QSize(10 + i, 10), qRgb(i * 40, 0, 0));
    for (const QString& p : paths)
        cache.prefetch(p);
    EXPECT_EQ(cache.count(), 3);
    EXPECT_FALSE(cache.holds(paths[0]));
    EXPECT_TRUE(cache.holds(paths[4]));
    EXPECT_FALSE(cache.holds(paths[4], QSize(5, 5))) << "another decode size is another entry";

    // Rewriting the file (another size on disk) makes the cached decode stale.
    const DecodeResult before = cache.take(paths[4]);
    EXPECT_EQ(before.picture.width(), 14);
    writeImage(dir, "4.png", QSize(60, 30), qRgb(0, 0, 0));
    EXPECT_FALSE(cache.holds(paths[4]));
    EXPECT_EQ(cache.take(paths[4]).picture.width(), 60);

    // Something never prefetched is decoded on the spot; a missing file is simply empty.
    EXPECT_EQ(cache.take(paths[0]).picture.width(), 10);
    EXPECT_FALSE(cache.take(dir.file("gone.png")).failed());
}

TEST(ImageCache, ManyPrefetchesInFlightAtDestructionAreWaitedFor) {
    TempFolder dir;
    PcxPicture p;
    p.width = 300;
    p.height = 200;
    p.pixels.assign(size_t(p.width * p.height), 3);
    p.palette = QList<QRgb>(256, qRgb(1, 2, 3));
    const QString path = dir.write("x.pcx", writePcx(p));
    // Destroying the cache with work queued and running must wait for it (the sanitizer build
    // catches a worker that outlives it); before that, the newest entry is served correctly.
    ImageCache cache(4);
    for (int i = 0; i < 20; ++i)
        cache.prefetch(path, QSize(10 + i, 10 + i));
    EXPECT_LE(cache.count(), 4);
    // 300 x 200 fitted into 29 x 29 is drawn 28 wide: 29/300 in single precision is a hair small.
    EXPECT_EQ(cache.take(path, QSize(29, 29)).picture.raster().width(), 28);
}

namespace {

// A file on its way: pending until arrive(), and a waiter blocks until then.
class ArrivingFile : public FileArrivals {
public:
    explicit ArrivingFile(QString path) : path_(std::move(path)) {}
    bool pending(const QString& path) const override {
        std::lock_guard lock(mutex_);
        return path == path_ && !here_;
    }
    bool waitFor(const QString& path) override {
        std::unique_lock lock(mutex_);
        ++waits;
        arrived_.wait(lock, [&] { return path != path_ || here_; });
        return true;
    }
    void arrive() {
        {
            std::lock_guard lock(mutex_);
            here_ = true;
        }
        arrived_.notify_all();
    }
    int waits = 0;

private:
    const QString path_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    bool here_ = false;
};

} // namespace

TEST(ImageCache, AFileOnItsWayIsDecodedOnceItIsThereNotBefore) {
    TempFolder dir;
    const QString path = dir.file("late.png");
    ArrivingFile arrivals(path);
    ImageCache cache;
    cache.setArrivals(&arrivals);
    cache.prefetch(path, QSize(100, 100));
    EXPECT_TRUE(cache.holds(path, QSize(100, 100)));
    QTest::qWait(50); // a decode that did not wait would have found no file by now
    writeImage(dir, "late.png", QSize(40, 20), qRgb(0, 200, 0));
    arrivals.arrive();
    const DecodeResult result = cache.take(path, QSize(100, 100));
    ASSERT_FALSE(result.failed());
    EXPECT_EQ(result.picture.size(), QSize(40, 20));
    EXPECT_EQ(result.picture.raster().pixel(5, 5), qRgb(0, 200, 0));
    EXPECT_EQ(arrivals.waits, 1);
    EXPECT_EQ(cache.count(), 1) << "the decode asked for early is the one taken";
}

TEST(ImageCache, ADecodeForALargerAreaIsShrunkForASmallerOne) {
    TempFolder dir;
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 255));
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 400; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0)); // red over blue
    const QString path = dir.file("wide.png");
    ASSERT_TRUE(image.save(path));
    ImageCache cache;
    cache.prefetch(path, QSize(620, 470));
    cache.prefetch(path, QSize(200, 200));
    EXPECT_EQ(cache.count(), 1) << "no second decode of the same file is started";
    const DecodeResult small = cache.take(path, QSize(200, 200));
    ASSERT_FALSE(small.failed());
    EXPECT_EQ(small.picture.size(), QSize(400, 300)) << "the natural size stays";
    EXPECT_EQ(small.picture.raster().size(), QSize(200, 150));
    EXPECT_EQ(small.picture.raster().pixel(100, 20), qRgb(255, 0, 0));
    EXPECT_EQ(small.picture.raster().pixel(100, 130), qRgb(0, 0, 255));
    // A larger area than any decode held is decoded afresh, not blown up.
    const DecodeResult large = cache.take(path, QSize(1000, 1000));
    EXPECT_EQ(large.picture.raster().size(), QSize(400, 300));
}
