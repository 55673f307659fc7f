#pragma once

// The combined show file: a 44-byte header, a 344-byte record per packed file, then the packed
// files' bytes one after another. All integers little-endian; texts are short strings (a length
// byte, then the characters) in the codec of TextCodec.

#include "ShowSettings.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

struct CombinedHeader {
    static constexpr int kSize = 44;
    static constexpr float kWrittenVersion = 1.5f;

    QString magic = QStringLiteral("CJFF");
    float version = kWrittenVersion;
    qint32 count = 0;
    qint32 delay = 10;
    bool musicEnabled = true; // byte 40
    bool fitToWindow = true;  // byte 41
    bool autoAdvance = true;  // byte 42
    bool loop = true;         // byte 43

    std::array<char, kSize> toBytes() const;
    static CombinedHeader fromBytes(const char* bytes);

    ShowSettings settings() const;
    void setSettings(const ShowSettings& settings);

    // The magic as the reader judges it: the short string with surrounding blanks and control
    // characters trimmed, compared case-sensitively.
    bool magicValid() const;
    // Versions up to 1.6 are accepted; a stored single 1.6 is just above 1.6 and is refused.
    bool versionSupported() const { return static_cast<double>(version) <= 1.6; }
    bool isVersion10() const {
        return static_cast<double>(version) > 0.9 && static_cast<double>(version) < 1.1;
    }
    bool isVersion15() const {
        return static_cast<double>(version) > 1.0 && static_cast<double>(version) < 1.6;
    }
};

struct EntryRecord {
    static constexpr int kSize = 344;
    static constexpr int kNameCapacity = 255;
    static constexpr int kCaptionCapacity = 80;

    QString name;
    QString caption;
    qint64 size = 0;

    std::array<char, kSize> toBytes() const;
    static EntryRecord fromBytes(const char* bytes);
};

namespace CombinedFormat {
// A short string of the given capacity: the encoded text, cut to capacity bytes without
// splitting a character.
QByteArray shortStringBytes(const QString& text, int capacity);
QString readShortString(const char* bytes, int capacity);

// Whether a name read from a combined file may be used as a file name inside the working folder:
// not empty, not "." or "..", no separators, no drive, no control characters.
bool isSafeEntryName(const QString& name);
} // namespace CombinedFormat
