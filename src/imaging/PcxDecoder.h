#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// Reader for PCX files: 1, 2, 4 and 8 bits per pixel in one plane, 1-bit planar EGA pictures
// (2 to 4 planes, up to 16 colours), and 24/32-bit true colour stored as 3 or 4 byte planes.
// Everything read from the file is bounds-checked; a damaged file fails with a reason.
namespace Pcx {

constexpr int HeaderSize = 128;

struct Header {
    int version = 0;
    int encoding = 0;
    int bitsPerPixel = 0;
    int planes = 0;
    int bytesPerLine = 0;
    int width = 0;
    int height = 0;
    QRgb palette16[16] = {};
};

// Parses and validates the 128-byte header (data may be longer). Returns nothing and sets error
// when the bytes are not a PCX header we can decode.
std::optional<Header> parseHeader(const QByteArray& data, QString* error = nullptr);

// Decodes a whole file. The destination is allocated through QImageIOHandler::allocateImage, so
// the process-wide image allocation limit applies here as it does to Qt's own decoders.
bool decode(const QByteArray& data, QImage* image, QString* error);

} // namespace Pcx
