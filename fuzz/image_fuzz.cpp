// The image decode entry the program uses for every slide and preview: the first byte of an input
// picks the file's extension (and so its decoder) and whether it is decoded to fit a window; the
// rest is the file.

#include "FuzzSupport.h"
#include "ImageDecoder.h"

#include <QImage>
#include <QPainter>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static const char* const extensions[] = {"bmp", "jpg", "png", "pcx", "gif", "tif", "ico", "wmf", "dat"};
    const int kinds = int(sizeof extensions / sizeof *extensions);
    const QString name = QStringLiteral("picture.") + QLatin1String(extensions[data[0] % kinds]);
    const bool fit = (data[0] / kinds) % 2 == 1;
    const QString path = Fuzz::writeFile(name, Fuzz::bytes(data + 1, size - 1));

    const DecodeResult result = decodeImageFile(path, fit ? QSize(320, 240) : QSize());
    if (result.failed()) {
        FUZZ_CHECK(result.picture.isEmpty());
        FUZZ_CHECK(!result.errorText.isEmpty() || !result.failedMessage.isEmpty());
        return 0;
    }
    if (result.picture.isEmpty())
        return 0;
    const QImage raster = result.picture.raster();
    if (!result.picture.isVector()) {
        FUZZ_CHECK(!raster.isNull());
        FUZZ_CHECK(qint64(raster.width()) * raster.height() <= MaxRasterPixels);
        if (fit)
            FUZZ_CHECK(raster.width() <= 320 && raster.height() <= 240);
    }
    QImage canvas(QSize(64, 48), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    result.picture.draw(painter, QRectF(0, 0, 64, 48));
    return 0;
}
