#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// The header of a device-independent bitmap, as BMP files and metafile records carry it: the old
// 12-byte core header or an information header of 40 bytes or more, with the colour masks of a
// bit-field bitmap where the bytes given hold them.
struct BitmapHeader {
    quint32 headerSize = 0; // 12 for the core header
    qint64 width = 0;
    qint64 height = 0; // without its sign (a negative height only means top-down)
    quint16 bits = 0;
    quint32 compression = 0; // 0 none, 3 bit fields
    quint32 coloursUsed = 0;
    quint32 masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha; bit fields only
    bool hasMasks = false;
    quint32 pixelOffset = 0; // from the start of a BMP file; 0 for a bare header

    // A bare header at the start of data (length bytes available).
    static std::optional<BitmapHeader> fromInfo(const uchar* data, qint64 length);
    // The start of a BMP file: "BM", the 14-byte file header, then the bitmap header.
    static std::optional<BitmapHeader> fromFile(const QByteArray& head);

    bool isCore() const { return headerSize == 12; }
    bool isUncompressed() const { return compression == 0 || compression == 3; }
    // Bytes of one row of pixels, rows being padded to four bytes.
    qint64 rowBytes() const { return ((width * bits + 31) / 32) * 4; }
    // Bytes of the colour table (or the three masks after a 40-byte header) before the pixels.
    qint64 paletteBytes() const;
};
