#include "TextCodec.h"

#include <QStringDecoder>

#include <array>

namespace {

// Windows-1252 code points for 0x80..0x9F; 0 marks the five bytes the code page leaves undefined,
// which decode to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int toWindows1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHighTable[i] == c)
            return 0x80 + i;
    if (c >= 0x80 && c < 0xA0 && kHighTable[c - 0x80] == 0)
        return c; // the undefined bytes round-trip as themselves
    return -1;
}

// True when bytes are well-formed UTF-8 and contain at least one multi-byte sequence.
bool looksLikeUtf8(const char* bytes, qsizetype length) {
    bool multiByte = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    qsizetype i = 0;
    while (i < length) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        char32_t min;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= length)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        multiByte = true;
        i += extra + 1;
    }
    return multiByte;
}

} // namespace

namespace TextCodec {

QByteArray encode(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        int b = toWindows1252(ch.unicode());
        if (b < 0)
            return text.toUtf8();
        out.append(static_cast<char>(b));
    }
    // Windows-1252 bytes that happen to form UTF-8 would be read back as UTF-8: "Ã©" as "é", or a
    // caption cut to its field turned into a face. Such a text is written in UTF-8, which reads
    // back as itself.
    if (looksLikeUtf8(out.constData(), out.size()))
        return text.toUtf8();
    return out;
}

QString decode(const char* bytes, qsizetype length) {
    if (looksLikeUtf8(bytes, length)) {
        // A byte-order mark at the start is a character of the text (a zero-width space), not a
        // note about the encoding to be dropped; every character reads back as it was written.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return utf8.decode(QByteArrayView(bytes, length));
    }
    QString out;
    out.reserve(length);
    for (qsizetype i = 0; i < length; ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        char16_t u = c;
        if (c >= 0x80 && c < 0xA0 && kHighTable[c - 0x80] != 0)
            u = kHighTable[c - 0x80];
        out.append(QChar(u));
    }
    return out;
}

QString decode(const QByteArray& bytes) {
    return decode(bytes.constData(), bytes.size());
}

QString fitted(const QString& text, int maxBytes, const QString& tail) {
    // Every character takes at least one byte, so no more than maxBytes of them can fit.
    QString head = text.left(std::max(0, maxBytes));
    // A pair goes as a whole; a lone half (which no codec can encode) goes alone, so that it never
    // takes the high half of the pair before it along with it.
    auto chopCharacter = [&head] {
        const bool pair =
            head.size() >= 2 && head.back().isLowSurrogate() && head.at(head.size() - 2).isHighSurrogate();
        head.chop(pair ? 2 : 1);
    };
    if (!head.isEmpty() && head.back().isHighSurrogate())
        head.chop(1); // never half of a pair
    while (!head.isEmpty() && encode(head + tail).size() > maxBytes)
        chopCharacter();
    return head + tail;
}

} // namespace TextCodec
