#include "ImageDecoder.h"

#include "BitmapHeader.h"
#include "PcxImagePlugin.h"
#include "WmfDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <array>
#include <bit>
#include <mutex>
#include <new>
#include <optional>

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

// The start of a BMP file: the file header, the information header and the bit-field masks that
// follow a 40-byte information header (or lie inside a longer one).
constexpr qint64 BitmapHeadBytes = 70;

// Qt's BMP reader shows whatever part of an uncompressed bitmap the file holds and calls the rest
// black. A bitmap whose file ends before its pixels do is a damaged file, and is reported as one.
bool bitmapIsComplete(const std::optional<BitmapHeader>& h, qint64 fileSize, QString* error) {
    // Not a BMP file, or one whose layout the reader judges itself.
    if (!h || h->isCore() || !h->isUncompressed() || h->width <= 0 || h->bits == 0)
        return true;
    // Compared by division: a header may claim a row and a height whose product is beyond any
    // integer.
    const qint64 available = fileSize - qint64(h->pixelOffset);
    if (available < 0 || (h->height > 0 && h->rowBytes() > available / h->height)) {
        *error = QStringLiteral("The bitmap's pixel data ends before the end of the picture");
        return false;
    }
    return true;
}

// Qt widens the 5- and 6-bit channels of a 16-bit bitmap by shifting them up, so that full scale
// comes out as 248 or 252 and a white picture turns grey. Repeating a channel's bits into the
// low ones instead makes full scale 255 and keeps the steps even; one table per channel.
class ChannelWidening {
public:
    // The widening a BMP file's header asks for: only 16-bit bitmaps, uncompressed (5-5-5) or
    // with bit-field masks; empty for every other file.
    static std::optional<ChannelWidening> forBitmap(const std::optional<BitmapHeader>& h) {
        if (!h || h->isCore() || h->bits != 16)
            return std::nullopt;
        quint32 masks[4] = {0x7C00, 0x03E0, 0x001F, 0}; // red, green, blue, alpha
        if (h->compression == 3) {
            if (!h->hasMasks)
                return std::nullopt;
            std::copy(std::begin(h->masks), std::end(h->masks), masks);
        } else if (h->compression != 0) {
            return std::nullopt;
        }
        ChannelWidening widening;
        bool any = false;
        for (int i = 0; i < 4; ++i)
            any |= widening.table_[i].fill(std::popcount(masks[i]));
        if (!any)
            return std::nullopt;
        return widening;
    }

    QImage apply(QImage image) const {
        const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        if (image.format() != format)
            image.convertTo(format);
        const bool alpha = format == QImage::Format_ARGB32;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = line[x];
                line[x] = qRgba(table_[0].at(qRed(p)), table_[1].at(qGreen(p)), table_[2].at(qBlue(p)),
                                alpha ? table_[3].at(qAlpha(p)) : 255);
            }
        }
        return image;
    }

private:
    struct Table {
        std::array<uchar, 256> value;
        Table() {
            for (int v = 0; v < 256; ++v)
                value[v] = uchar(v);
        }
        // Qt leaves an n-bit channel in the top n bits of the byte; false when there is nothing
        // to widen (a full byte, or a mask Qt does not read as a channel).
        bool fill(int n) {
            if (n < 1 || n > 7)
                return false;
            for (int v = 0; v < 256; ++v) {
                const int top = v >> (8 - n);
                int wide = 0;
                for (int shift = 8 - n; shift > -n; shift -= n)
                    wide |= shift >= 0 ? top << shift : top >> -shift;
                value[v] = uchar(wide);
            }
            return true;
        }
        uchar at(int v) const { return value[v]; }
    };
    Table table_[4];
};

// Decodes a raster through Qt's readers (and our PCX plugin). On failure sets error.
Picture decodeRaster(const QString& path, const QSize& fitArea, Kind kind, QString* error) {
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
    const std::optional<BitmapHeader> bitmap = BitmapHeader::fromFile(file.peek(BitmapHeadBytes));
    if (!bitmapIsComplete(bitmap, file.size(), error))
        return Picture();
    const std::optional<ChannelWidening> widening = ChannelWidening::forBitmap(bitmap);

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
    QSize decodeSize;
    if (fitArea.isValid() && !fitArea.isEmpty() && !natural.isEmpty()) {
        const QSize drawn = fittedSize(natural, fitArea).expandedTo(QSize(1, 1));
        if (drawn != natural)
            decodeSize = turned ? drawn.transposed() : drawn;
    }
    // A 16-bit bitmap is widened before it is scaled, so the shrinking works on the true colours.
    if (decodeSize.isValid() && !widening)
        reader.setScaledSize(decodeSize);
    QImage image = reader.read();
    if (image.isNull()) {
        *error = readerError(reader);
        return Picture();
    }
    if (widening) {
        image = widening->apply(std::move(image));
        if (decodeSize.isValid())
            image = image.scaled(decodeSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // A header that tells no size (a GIF whose screen has no height) or another one than the
    // picture turns out to have: the picture's own size counts, and it is brought to the size it
    // will be drawn at now, as every other raster is.
    if (!natural.isValid() || natural.isEmpty() || (!decodeSize.isValid() && image.size() != natural))
        natural = image.size();
    if (fitArea.isValid() && !fitArea.isEmpty()) {
        const QSize drawn = fittedSize(natural, fitArea).expandedTo(QSize(1, 1));
        if (drawn != image.size())
            image = image.scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return Picture::fromRaster(image, natural);
}

DecodeResult decodeMetafile(const QString& path) {
    DecodeResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.errorText = file.errorString();
        result.reportedByCaller = true;
        return result;
    }
    if (file.size() > MaxMetafileBytes) {
        result.errorText = QStringLiteral("The metafile is too large");
        result.reportedByCaller = true;
        return result;
    }
    const Wmf::Result wmf = Wmf::decode(file.readAll());
    if (!wmf.drawing) {
        result.errorText = wmf.error;
        result.reportedByCaller = true;
        return result;
    }
    result.picture = Picture::fromDrawing(wmf.drawing, wmf.naturalSize);
    return result;
}

} // namespace

QSize fittedSize(QSize picture, QSize area) {
    if (picture.isEmpty() || area.isEmpty())
        return picture;
    const float ratioH = static_cast<float>(area.height()) / static_cast<float>(picture.height());
    const float ratioW = static_cast<float>(area.width()) / static_cast<float>(picture.width());
    const float scale = ratioH >= ratioW ? ratioW : ratioH;
    if (scale >= 1.0f)
        return picture;
    return QSize(static_cast<int>(static_cast<double>(picture.width()) * static_cast<double>(scale)),
                 static_cast<int>(static_cast<double>(picture.height()) * static_cast<double>(scale)));
}

static DecodeResult decodeFile(const QString& path, const QSize& fitArea) {
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
    result.picture = decodeRaster(path, fitArea, kind, &error);
    if (result.picture.isEmpty()) {
        result.picture = Picture();
        result.errorText = error.isEmpty() ? QStringLiteral("Unable to read image data") : error;
        if (kind == Kind::Icon)
            result.reportedByCaller = true;
        else
            result.failedMessage = failedMessage(kind, extension);
    }
    return result;
}

DecodeResult decodeImageFile(const QString& path, const QSize& fitArea) {
    // Failures leave the decoder as values with their message; running out of memory on a
    // picture is one of them, not the end of the program.
    try {
        return decodeFile(path, fitArea);
    } catch (const std::bad_alloc&) {
        DecodeResult result;
        result.errorText = QStringLiteral("There is not enough memory to read this picture");
        result.failedMessage = QStringLiteral("Reading image file failed");
        return result;
    }
}
