// The codec of every text in a show file, and the cut of a text to a field's byte limit. The first
// byte of an input is the limit; the rest is taken both as stored bytes and as UTF-16 text.

#include "FuzzSupport.h"
#include "TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int limit = data[0];
    const QByteArray stored = Fuzz::bytes(data + 1, size - 1);

    // Bytes are read as UTF-8, or else as Windows-1252, which gives every byte back as it was.
    const QString decoded = TextCodec::decode(stored);
    FUZZ_CHECK(decoded == QString::fromUtf8(stored) || TextCodec::encode(decoded) == stored);
    // Whatever was read is written so that it reads back the same.
    FUZZ_CHECK(TextCodec::decode(TextCodec::encode(decoded)) == decoded);

    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(stored.constData()), stored.size() / 2);
    for (const QString& tail : {QString(), QStringLiteral(" (2).jpg"), QStringLiteral("\U0001F600")}) {
        const QString cut = TextCodec::fitted(text, limit, tail);
        FUZZ_CHECK(cut.endsWith(tail));
        const QString head = cut.chopped(tail.size());
        FUZZ_CHECK(text.startsWith(head));
        // Never half of a surrogate pair, and within the limit unless the tail alone is over it.
        if (!head.isEmpty() && head.size() < text.size())
            FUZZ_CHECK(!(head.back().isHighSurrogate() && text.at(head.size()).isLowSurrogate()));
        FUZZ_CHECK(head.isEmpty() || TextCodec::encode(cut).size() <= limit);
        // A text without lone halves is stored and read back unchanged, however it was cut.
        if (cut.isValidUtf16())
            FUZZ_CHECK(TextCodec::decode(TextCodec::encode(cut)) == cut);
    }
    return 0;
}
