#pragma once

// Sound files for tests: the program's own writers, and a MIDI file wrapped in a RIFF container.

#include "audio/SoundWriter.h"

#include <QByteArray>
#include <QtEndian>

namespace SoundFiles {

using SoundWriter::wav;
using SmfTrack = SoundWriter::MidiTrack;

inline QByteArray smf(int format, int division, const QList<SmfTrack>& tracks) {
    return SoundWriter::midi(format, division, tracks);
}

// The same SMF inside a RIFF RMID container.
inline QByteArray rmid(const QByteArray& smfBytes) {
    auto le32 = [](quint32 value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        return QByteArray(bytes, 4);
    };
    QByteArray out("RIFF");
    out.append(le32(quint32(4 + 8 + smfBytes.size() + (smfBytes.size() & 1))));
    out.append("RMIDdata");
    out.append(le32(quint32(smfBytes.size())));
    out.append(smfBytes);
    if (smfBytes.size() & 1)
        out.append('\0');
    return out;
}

} // namespace SoundFiles
