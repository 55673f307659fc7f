// The picture widget: messages on failure, paint modes, BMP output and the prefetch cache.

#include "PictureWidget.h"
#include "ImageCache.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"

#include <QFile>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {

QString writeImage(const TempFolder& dir, const QString& name, const QSize& size, QRgb colour,
                   const char* format = nullptr) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.file(name);
    EXPECT_TRUE(image.save(path, format));
    return path;
}

} // namespace

TEST(PictureWidgetTest, FailedDecodeShowsTheReasonThenTheNoticeAndLeavesItEmpty) {
    TempFolder dir;
    ScriptedMessages messages;
    PictureWidget image(messages);
    image.loadFile(writeImage(dir, "ok.png", QSize(30, 20), qRgb(1, 2, 3)));
    ASSERT_EQ(image.picture().width(), 30);

    image.loadFile(dir.write("broken.jpg", "not a jpeg at all"));
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_FALSE(messages.shown[0].text.isEmpty());
    EXPECT_EQ(messages.shown[1].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[1].text, "Reading jpg file failed");
    EXPECT_EQ(image.picture().width(), 0);
    EXPECT_EQ(image.picture().height(), 0);
    EXPECT_EQ(image.fileName(), dir.file("broken.jpg"));

    messages.shown.clear();
    image.loadFile(dir.file("missing.bmp"));
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(image.picture().isEmpty());
}

TEST(PictureWidgetTest, ADamagedMetafileIsTheCallersToReport) {
    TempFolder dir;
    ScriptedMessages messages;
    PictureWidget image(messages);
    image.setImage(QImage(5, 5, QImage::Format_RGB32));
    QString error;
    EXPECT_FALSE(image.loadFile(dir.write("bad.wmf", QByteArray(40, '\x01')), &error));
    EXPECT_FALSE(error.isEmpty()) << "the reason comes back to the caller";
    EXPECT_TRUE(messages.shown.isEmpty()) << "and nothing is shown";
    EXPECT_TRUE(image.picture().isEmpty());
}

TEST(PictureWidgetTest, PaintModesPlaceThePicture) {
    ScriptedMessages messages;
    PictureWidget image(messages);
    image.resize(200, 100);
    QImage bitmap(50, 50, QImage::Format_RGB32);
    bitmap.fill(qRgb(255, 0, 0));
    image.setImage(bitmap);
    EXPECT_EQ(image.pictureRect(), QRectF(0, 0, 50, 50));

    image.setCenter(true);
    EXPECT_EQ(image.pictureRect(), QRectF(75, 25, 50, 50));
    image.setStretchRatio(true);
    EXPECT_EQ(image.pictureRect(), QRectF(50, 0, 100, 100));
    image.setStretch(true);
    EXPECT_FALSE(image.stretchRatio());
    EXPECT_EQ(image.pictureRect(), QRectF(0, 0, 200, 100));
    image.setStretchRatio(true);
    EXPECT_FALSE(image.stretch());

    image.setStretchRatio(false);
    image.setCenter(false);
    image.setColor(qRgb(0, 0, 255));
    const QImage shot = image.grab().toImage();
    EXPECT_EQ(shot.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(100, 80), qRgb(0, 0, 255)) << "the area beside the picture is the widget's colour";

    image.setAutoSize(true);
    EXPECT_EQ(image.size(), QSize(50, 50));
    image.clearPicture();
    EXPECT_TRUE(image.picture().isEmpty());
}

TEST(PictureWidgetTest, SaveBmpWritesTwentyFourBitsOrSaysItFailed) {
    TempFolder dir;
    ScriptedMessages messages;
    PictureWidget image(messages);
    image.loadFile(writeImage(dir, "in.png", QSize(13, 7), qRgb(10, 200, 30)));
    const QString out = dir.file("tmpbmp.bmp");
    ASSERT_TRUE(image.saveBmp(out));
    QImageReader reader(out);
    EXPECT_EQ(reader.format(), "bmp");
    const QImage back = reader.read();
    EXPECT_EQ(back.size(), QSize(13, 7));
    EXPECT_EQ(back.pixel(6, 3), qRgb(10, 200, 30));
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(30);
    EXPECT_EQ(int(uchar(head[28])), 24) << "bits per pixel in the BMP header";
    EXPECT_TRUE(messages.shown.isEmpty());

    EXPECT_FALSE(image.saveBmp(dir.file("no/such/folder/x.bmp")));
    ASSERT_EQ(messages.texts(), QStringList{"Writing bmp file failed"});
}

TEST(PictureWidgetTest, TakesPrefetchedResultsFromTheCacheWithTheSameMessages) {
    TempFolder dir;
    ImageCache cache(3);
    ScriptedMessages messages;
    PictureWidget image(messages);
    image.setCache(&cache);
    image.setDecodeSize(QSize(40, 40));

    const QString a = writeImage(dir, "a.png", QSize(400, 200), qRgb(200, 0, 0));
    const QString broken = dir.write("b.bmp", "BMnonsense");
    cache.prefetch(a, QSize(40, 40));
    cache.prefetch(broken, QSize(40, 40));
    image.loadFile(a);
    EXPECT_EQ(image.picture().size(), QSize(400, 200));
    EXPECT_EQ(image.picture().raster().width(), 40);
    EXPECT_EQ(image.picture().raster().cacheKey(), cache.take(a, QSize(40, 40)).picture.raster().cacheKey())
        << "the widget shows the very raster the worker decoded";

    image.loadFile(broken);
    EXPECT_EQ(messages.texts().size(), 2);
    EXPECT_EQ(messages.texts().value(1), "Reading bmp file failed");
    EXPECT_TRUE(image.picture().isEmpty());
}
