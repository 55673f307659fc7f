#include "CombinedFormat.h"

#include "TextCodec.h"

#include <QtEndian>

#include <cstring>

namespace {
void putInt32(char* at, qint32 value) {
    qToLittleEndian(value, at);
}

qint32 getInt32(const char* at) {
    return qFromLittleEndian<qint32>(at);
}

void putShortString(char* at, const QString& text, int capacity) {
    const QByteArray bytes = CombinedFormat::shortStringBytes(text, capacity);
    at[0] = static_cast<char>(bytes.size());
    std::memcpy(at + 1, bytes.constData(), static_cast<size_t>(bytes.size()));
}
} // namespace

namespace CombinedFormat {

QByteArray shortStringBytes(const QString& text, int capacity) {
    return TextCodec::encode(TextCodec::fitted(text, capacity));
}

QString readShortString(const char* bytes, int capacity) {
    const int length = std::min<int>(static_cast<unsigned char>(bytes[0]), capacity);
    return TextCodec::decode(bytes + 1, length);
}

bool isSafeEntryName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return false;
    }
    if (name.size() >= 2 && name[1] == QLatin1Char(':'))
        return false; // a drive such as "C:"
    return true;
}

} // namespace CombinedFormat

std::array<char, CombinedHeader::kSize> CombinedHeader::toBytes() const {
    std::array<char, kSize> out{};
    putShortString(out.data(), magic, 27);
    std::uint32_t bits;
    std::memcpy(&bits, &version, 4);
    putInt32(out.data() + 28, static_cast<qint32>(bits));
    putInt32(out.data() + 32, count);
    putInt32(out.data() + 36, delay);
    out[40] = musicEnabled ? 1 : 0;
    out[41] = fitToWindow ? 1 : 0;
    out[42] = autoAdvance ? 1 : 0;
    out[43] = loop ? 1 : 0;
    return out;
}

CombinedHeader CombinedHeader::fromBytes(const char* bytes) {
    CombinedHeader h;
    h.magic = CombinedFormat::readShortString(bytes, 27);
    const auto bits = static_cast<std::uint32_t>(getInt32(bytes + 28));
    std::memcpy(&h.version, &bits, 4);
    h.count = getInt32(bytes + 32);
    h.delay = getInt32(bytes + 36);
    h.musicEnabled = bytes[40] != 0;
    h.fitToWindow = bytes[41] != 0;
    h.autoAdvance = bytes[42] != 0;
    h.loop = bytes[43] != 0;
    return h;
}

ShowSettings CombinedHeader::settings() const {
    return ShowSettings{delay, musicEnabled, fitToWindow, autoAdvance, loop};
}

void CombinedHeader::setSettings(const ShowSettings& s) {
    delay = s.delay;
    musicEnabled = s.musicEnabled;
    fitToWindow = s.fitToWindow;
    autoAdvance = s.autoAdvance;
    loop = s.loop;
}

bool CombinedHeader::magicValid() const {
    qsizetype start = 0;
    qsizetype end = magic.size();
    while (start < end && magic.at(start).unicode() <= 0x20)
        ++start;
    while (end > start && magic.at(end - 1).unicode() <= 0x20)
        --end;
    return magic.mid(start, end - start) == QLatin1String("CJFF");
}

std::array<char, EntryRecord::kSize> EntryRecord::toBytes() const {
    std::array<char, kSize> out{};
    putShortString(out.data(), name, kNameCapacity);
    putShortString(out.data() + 256, caption, kCaptionCapacity);
    putInt32(out.data() + 340, static_cast<qint32>(size));
    return out;
}

EntryRecord EntryRecord::fromBytes(const char* bytes) {
    EntryRecord r;
    r.name = CombinedFormat::readShortString(bytes, kNameCapacity);
    r.caption = CombinedFormat::readShortString(bytes + 256, kCaptionCapacity);
    r.size = getInt32(bytes + 340);
    return r;
}
