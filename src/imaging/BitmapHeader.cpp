#include "BitmapHeader.h"

#include <QtEndian>

#include <cstdlib>

std::optional<BitmapHeader> BitmapHeader::fromInfo(const uchar* data, qint64 length) {
    if (length < 12)
        return std::nullopt;
    BitmapHeader h;
    h.headerSize = qFromLittleEndian<quint32>(data);
    if (h.headerSize == 12) {
        h.width = qFromLittleEndian<quint16>(data + 4);
        h.height = std::abs(qFromLittleEndian<qint16>(data + 6));
        h.bits = qFromLittleEndian<quint16>(data + 10);
        return h;
    }
    if (h.headerSize < 40 || length < 40)
        return std::nullopt;
    h.width = qFromLittleEndian<qint32>(data + 4);
    h.height = std::abs(qint64(qFromLittleEndian<qint32>(data + 8)));
    h.bits = qFromLittleEndian<quint16>(data + 14);
    h.compression = qFromLittleEndian<quint32>(data + 16);
    h.coloursUsed = qFromLittleEndian<quint32>(data + 32);
    // A 40-byte header is followed by the masks; longer headers hold them in the same place.
    if (h.compression == 3 && length >= 52) {
        for (int i = 0; i < 3; ++i)
            h.masks[i] = qFromLittleEndian<quint32>(data + 40 + 4 * i);
        if (h.headerSize >= 56 && length >= 56)
            h.masks[3] = qFromLittleEndian<quint32>(data + 52);
        h.hasMasks = true;
    }
    return h;
}

std::optional<BitmapHeader> BitmapHeader::fromFile(const QByteArray& head) {
    if (head.size() < 14 || !head.startsWith("BM"))
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(head.constData());
    std::optional<BitmapHeader> h = fromInfo(bytes + 14, head.size() - 14);
    if (h)
        h->pixelOffset = qFromLittleEndian<quint32>(bytes + 10);
    return h;
}

qint64 BitmapHeader::paletteBytes() const {
    if (bits <= 8) {
        const qint64 entries = coloursUsed && coloursUsed <= 256 ? coloursUsed : (qint64(1) << bits);
        return entries * (isCore() ? 3 : 4);
    }
    return headerSize == 40 && compression == 3 ? 12 : 0;
}
