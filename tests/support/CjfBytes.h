#pragma once

#include "CombinedFormat.h"

#include <QByteArray>
#include <QList>
#include <cstring>

// Builds combined show files byte by byte, so tests can write what no correct writer would.
struct CjfEntry {
    QByteArray name;
    QByteArray bytes;
    QByteArray caption = " ";
    qint64 storedSize = -1; // the size the record claims; -1 = the real size
};

inline QByteArray cjfHeader(float version, qint32 count, qint32 delay = 10, QByteArray magic = "CJFF",
                            QByteArray flags = QByteArray("\x01\x01\x01\x01", 4)) {
    QByteArray h(44, '\0');
    h[0] = static_cast<char>(magic.size());
    std::memcpy(h.data() + 1, magic.constData(), static_cast<size_t>(std::min<qsizetype>(magic.size(), 27)));
    std::memcpy(h.data() + 28, &version, 4);
    std::memcpy(h.data() + 32, &count, 4);
    std::memcpy(h.data() + 36, &delay, 4);
    std::memcpy(h.data() + 40, flags.constData(), 4);
    return h;
}

inline QByteArray cjfRecord(const CjfEntry& e) {
    QByteArray r(344, '\0');
    r[0] = static_cast<char>(e.name.size());
    std::memcpy(r.data() + 1, e.name.constData(), static_cast<size_t>(e.name.size()));
    r[256] = static_cast<char>(e.caption.size());
    std::memcpy(r.data() + 257, e.caption.constData(), static_cast<size_t>(e.caption.size()));
    const qint32 size =
        static_cast<qint32>(e.storedSize >= 0 || e.storedSize < -1 ? e.storedSize : e.bytes.size());
    std::memcpy(r.data() + 340, &size, 4);
    return r;
}

inline QByteArray cjfFile(float version, const QList<CjfEntry>& entries) {
    QByteArray out = cjfHeader(version, static_cast<qint32>(entries.size()));
    for (const CjfEntry& e : entries)
        out += cjfRecord(e);
    for (const CjfEntry& e : entries)
        out += e.bytes;
    return out;
}
