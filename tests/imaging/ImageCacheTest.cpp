// The decoded-picture cache: a few entries, changed files decoded afresh, workers waited for.

#include "ImageCache.h"
#include "PcxWriter.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

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
