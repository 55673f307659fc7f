#include "ImageDecoder.h"

#include "PcxImagePlugin.h"
#include "WmfDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <mutex>

namespace {

// Metafiles are read whole; anything larger than this is not a drawing we will hold in memory.
constexpr qint64 MaxMetafileBytes = 64LL * 1024 * 1024;

enum class Kind { Bmp, Jpeg, Png, Pcx, Tiff, Gif, WebP, Metafile, Icon, Unknown };

Kind kindOf(const QString& upperExtension) {
    if (upperExtension == u"BMP")
        return Kind::Bmp;
    if (upperExtension == u"JPG" || upperExtension == u"JPEG" || upperExtension == u"JPE")
        return Kind::Jpeg;
    if (upperExtension == u"PNG")
        return Kind::Png;
    if (upperExtension == u"PCX")
        return Kind::Pcx;
    if (upperExtension == u"TIF" || upperExtension == u"TIFF")
        return Kind::Tiff;
    if (upperExtension == u"GIF")
        return Kind::Gif;
    if (upperExtension == u"WEBP")
        return Kind::WebP;
    if (upperExtension == u"WMF")
        return Kind::Metafile;
    if (upperExtension == u"ICO")
        return Kind::Icon;
    return Kind::Unknown;
}

QString failedMessage(Kind kind, const QString& upperExtension) {
    switch (kind) {
    case Kind::Bmp:
        return QStringLiteral("Reading bmp file failed");
    case Kind::Jpeg:
        return QStringLiteral("Reading jpg file failed");
    case Kind::Png:
        return QStringLiteral("Reading png file failed");
    case Kind::Pcx:
        return QStringLiteral("Reading pcx file failed");
    case Kind::Tiff:
        return QStringLiteral("Reading tif file failed");
    default:
        if (upperExtension.isEmpty())
            return QStringLiteral("Reading image file failed");
        return QStringLiteral("Reading %1 file failed").arg(upperExtension.toLower());
    }
}

void setUpReaders() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Twice Qt's default of 128 MB, so that a 50-megapixel camera picture still decodes; a
        // header claiming more is refused before anything is allocated.
        QImageReader::setAllocationLimit(256);
    });
}

QString readerError(const QImageReader& reader) {
    QString text = reader.errorString();
    if (text.isEmpty())
        text = QStringLiteral("Unable to read image data");
    if (reader.format() == "pcx" || reader.format().isEmpty()) {
        const QString pcx = PcxImageHandler::lastError();
        if (!pcx.isEmpty())
            return pcx;
    }
    return text;
}

// The image of an icon file to show: the largest one it holds.
bool pickLargestIcon(QImageReader& reader) {
    const int count = reader.imageCount();
    int best = 0;
    qint64 bestArea = -1;
    for (int i = 0; i < count && i < 64; ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QSize s = reader.size();
        if (qint64(s.width()) * s.height() > bestArea) {
            bestArea = qint64(s.width()) * s.height();
            best = i;
        }
    }
    return reader.jumpToImage(best) || best == 0;
}

// Qt's BMP reader shows whatever part of an uncompressed bitmap the file holds and calls the rest
// black. A bitmap whose file ends before its pixels do is a damaged file, and is reported as one.
bool bitmapIsComplete(QIODevice& device, QString* error) {
    const QByteArray h = device.peek(54);
    if (h.size() < 30 || !h.startsWith("BM"))
        return true; // not a BMP file header: the reader decides
    const auto* b = reinterpret_cast<const uchar*>(h.constData());
    const quint32 offBits = qFromLittleEndian<quint32>(b + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(b + 14);
    if (infoSize < 40 || h.size() < 34)
        return true;
    const qint64 width = qFromLittleEndian<qint32>(b + 18);
    const qint64 height = std::abs(qint64(qFromLittleEndian<qint32>(b + 22)));
    const quint16 bits = qFromLittleEndian<quint16>(b + 28);
    const quint32 compression = qFromLittleEndian<quint32>(b + 30);
    if ((compression != 0 && compression != 3) || width <= 0 || bits == 0)
        return true;
    const qint64 rowBytes = ((width * bits + 31) / 32) * 4;
    if (device.size() < qint64(offBits) + rowBytes * height) {
        *error = QStringLiteral("The bitmap's pixel data ends before the end of the picture");
        return false;
    }
    return true;
}

// Decodes a raster through Qt's readers (and our PCX plugin). On failure sets error.
Picture decodeRaster(const QString& path, const QSize& decodeSize, Kind kind, QString* error) {
    setUpReaders();
    PcxImageHandler::clearLastError();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return Picture();
    }
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (kind == Kind::Icon)
        pickLargestIcon(reader);
    if (!bitmapIsComplete(file, error))
        return Picture();

    const QSize stored = reader.size();
    if (stored.isValid() && qint64(stored.width()) * stored.height() > MaxRasterPixels) {
        *error = QStringLiteral("The picture is too large (%1 x %2 pixels)")
                     .arg(stored.width())
                     .arg(stored.height());
        return Picture();
    }
    // Qt applies the EXIF orientation after scaling, so the scaled size is asked for in the file's
    // stored orientation and the natural size reported upright.
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    QSize natural = stored.isValid() ? (turned ? stored.transposed() : stored) : QSize();
    if (decodeSize.isValid() && !decodeSize.isEmpty() && stored.isValid() && !stored.isEmpty()) {
        const QSize want = turned ? decodeSize.transposed() : decodeSize;
        const QSize scaled = stored.scaled(want, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        if (scaled.width() < stored.width() && scaled.height() <= stored.height())
            reader.setScaledSize(scaled);
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        *error = readerError(reader);
        return Picture();
    }
    if (!natural.isValid() || natural.isEmpty())
        natural = image.size();
    return Picture::fromRaster(image, natural);
}

DecodeResult decodeMetafile(const QString& path) {
    DecodeResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.errorText = file.errorString();
        result.raises = true;
        return result;
    }
    if (file.size() > MaxMetafileBytes) {
        result.errorText = QStringLiteral("The metafile is too large");
        result.raises = true;
        return result;
    }
    const Wmf::Result wmf = Wmf::decode(file.readAll());
    if (!wmf.drawing) {
        result.errorText = wmf.error;
        result.raises = true;
        return result;
    }
    result.picture = Picture::fromDrawing(wmf.drawing, wmf.naturalSize);
    return result;
}

} // namespace

DecodeResult decodeImageFile(const QString& path, const QSize& decodeSize) {
    DecodeResult result;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        return result;

    const QString extension = info.suffix().toUpper();
    Kind kind = kindOf(extension);
    if (kind == Kind::Unknown) {
        // No extension we know: look at the content, as a user who renamed a file would expect.
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly) && Wmf::looksLikeMetafile(probe.read(32)))
            kind = Kind::Metafile;
    }
    if (kind == Kind::Metafile)
        return decodeMetafile(path);

    QString error;
    result.picture = decodeRaster(path, decodeSize, kind, &error);
    if (result.picture.isEmpty()) {
        result.picture = Picture();
        result.errorText = error.isEmpty() ? QStringLiteral("Unable to read image data") : error;
        if (kind == Kind::Icon)
            result.raises = true;
        else
            result.failedMessage = failedMessage(kind, extension);
    }
    return result;
}
