#include "PcxDecoder.h"

#include <QImageIOHandler>
#include <QtEndian>

#include <cstring>

namespace Pcx {
namespace {

quint16 le16(const uchar* p) {
    return qFromLittleEndian<quint16>(p);
}

void fail(QString* error, const char* text) {
    if (error)
        *error = QString::fromLatin1(text);
}

// The RLE stream is one continuous byte sequence for the whole picture: writers are free to let a
// run carry over from one scan line (or one plane) into the next, so the run state lives here
// rather than per line.
class ByteStream {
public:
    ByteStream(const uchar* begin, const uchar* end, bool compressed)
        : p_(begin), end_(end), compressed_(compressed) {}

    bool fill(uchar* out, qsizetype count) {
        while (count > 0) {
            if (!compressed_) {
                if (end_ - p_ < count)
                    return false;
                std::memcpy(out, p_, size_t(count));
                p_ += count;
                return true;
            }
            if (pending_ == 0) {
                if (p_ >= end_)
                    return false;
                const uchar b = *p_++;
                if ((b & 0xC0) == 0xC0) {
                    if (p_ >= end_)
                        return false; // a run count with no value byte after it
                    pending_ = b & 0x3F;
                    value_ = *p_++;
                    continue; // a zero-length run is legal and simply produces nothing
                }
                pending_ = 1;
                value_ = b;
            }
            const qsizetype n = qMin<qsizetype>(pending_, count);
            std::memset(out, value_, size_t(n));
            out += n;
            count -= n;
            pending_ -= int(n);
        }
        return true;
    }

private:
    const uchar* p_;
    const uchar* end_;
    bool compressed_;
    int pending_ = 0;
    uchar value_ = 0;
};

QList<QRgb> greyRamp(int entries) {
    QList<QRgb> table;
    for (int i = 0; i < entries; ++i) {
        const int v = entries > 1 ? i * 255 / (entries - 1) : 0;
        table.append(qRgb(v, v, v));
    }
    return table;
}

} // namespace

std::optional<Header> parseHeader(const QByteArray& data, QString* error) {
    if (data.size() < HeaderSize) {
        fail(error, "The PCX header is incomplete");
        return std::nullopt;
    }
    const auto* h = reinterpret_cast<const uchar*>(data.constData());
    if (h[0] != 0x0A) {
        fail(error, "Not a PCX file");
        return std::nullopt;
    }
    Header hd;
    hd.version = h[1];
    hd.encoding = h[2];
    hd.bitsPerPixel = h[3];
    const int xmin = le16(h + 4), ymin = le16(h + 6), xmax = le16(h + 8), ymax = le16(h + 10);
    hd.planes = h[65];
    hd.bytesPerLine = le16(h + 66);
    if (hd.version > 5 || hd.encoding > 1) {
        fail(error, "Unknown PCX version or encoding");
        return std::nullopt;
    }
    const bool supported = (hd.planes == 1 && (hd.bitsPerPixel == 1 || hd.bitsPerPixel == 2 ||
                                               hd.bitsPerPixel == 4 || hd.bitsPerPixel == 8)) ||
                           (hd.bitsPerPixel == 1 && hd.planes >= 2 && hd.planes <= 4) ||
                           (hd.bitsPerPixel == 8 && (hd.planes == 3 || hd.planes == 4));
    if (!supported) {
        fail(error, "Unsupported PCX colour depth");
        return std::nullopt;
    }
    if (xmax < xmin || ymax < ymin) {
        fail(error, "Invalid PCX picture dimensions");
        return std::nullopt;
    }
    hd.width = xmax - xmin + 1;
    hd.height = ymax - ymin + 1;
    if (qint64(hd.bytesPerLine) * 8 < qint64(hd.width) * hd.bitsPerPixel) {
        fail(error, "PCX scan lines are shorter than the picture is wide");
        return std::nullopt;
    }
    for (int i = 0; i < 16; ++i)
        hd.palette16[i] = qRgb(h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i]);
    return hd;
}

bool decode(const QByteArray& data, QImage* image, QString* error) {
    const std::optional<Header> header = parseHeader(data, error);
    if (!header)
        return false;
    const Header& hd = *header;
    const auto* begin = reinterpret_cast<const uchar*>(data.constData());
    const uchar* end = begin + data.size();
    const qsizetype lineBytes = qsizetype(hd.bytesPerLine) * hd.planes;

    // A run byte pair expands to at most 63 bytes, so a file far too short for its claimed size is
    // rejected before any large allocation is made.
    const qint64 needed = qint64(lineBytes) * hd.height;
    const qint64 available = qint64(data.size() - HeaderSize);
    if ((hd.encoding == 1 && needed > available * 32) || (hd.encoding == 0 && needed > available)) {
        fail(error, "The PCX file is shorter than its picture");
        return false;
    }

    QImage::Format format = QImage::Format_Indexed8;
    if (hd.planes == 3 && hd.bitsPerPixel == 8)
        format = QImage::Format_RGB32;
    else if (hd.planes == 4 && hd.bitsPerPixel == 8)
        format = QImage::Format_ARGB32;
    QImage out;
    if (!QImageIOHandler::allocateImage(QSize(hd.width, hd.height), format, &out)) {
        fail(error, "The PCX picture is too large");
        return false;
    }

    if (format == QImage::Format_Indexed8) {
        if (hd.bitsPerPixel == 8) {
            // The 256-colour palette follows the image data, after a 0x0C marker.
            QList<QRgb> table;
            if (data.size() >= HeaderSize + 769 && uchar(data.at(data.size() - 769)) == 0x0C) {
                const uchar* pal = end - 768;
                for (int i = 0; i < 256; ++i)
                    table.append(qRgb(pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]));
            } else {
                table = greyRamp(256);
            }
            out.setColorTable(table);
        } else if (hd.bitsPerPixel == 1 && hd.planes == 1) {
            out.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        } else {
            const int colours = 1 << (hd.bitsPerPixel * hd.planes);
            out.setColorTable(QList<QRgb>(hd.palette16, hd.palette16 + colours));
        }
    }

    QByteArray lineBuffer(lineBytes, '\0');
    auto* line = reinterpret_cast<uchar*>(lineBuffer.data());
    ByteStream stream(begin + HeaderSize, end, hd.encoding == 1);
    const int bpl = hd.bytesPerLine;
    for (int y = 0; y < hd.height; ++y) {
        if (!stream.fill(line, lineBytes)) {
            fail(error, "The PCX image data ends early");
            return false;
        }
        uchar* dst = out.scanLine(y);
        if (hd.planes == 1) {
            const int bpp = hd.bitsPerPixel;
            const int perByte = 8 / bpp;
            const int mask = (1 << bpp) - 1;
            for (int x = 0; x < hd.width; ++x) {
                const int shift = 8 - bpp * (x % perByte + 1);
                dst[x] = uchar((line[x / perByte] >> shift) & mask);
            }
        } else if (hd.bitsPerPixel == 1) {
            for (int x = 0; x < hd.width; ++x) {
                int index = 0;
                for (int p = 0; p < hd.planes; ++p)
                    index |= ((line[p * bpl + x / 8] >> (7 - x % 8)) & 1) << p;
                dst[x] = uchar(index);
            }
        } else {
            auto* px = reinterpret_cast<QRgb*>(dst);
            for (int x = 0; x < hd.width; ++x) {
                const int alpha = hd.planes == 4 ? line[3 * bpl + x] : 255;
                px[x] = qRgba(line[x], line[bpl + x], line[2 * bpl + x], alpha);
            }
        }
    }
    *image = out;
    return true;
}

} // namespace Pcx
