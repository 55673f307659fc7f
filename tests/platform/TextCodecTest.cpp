#include "TextCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, FittedCutsBetweenWholeCharactersAndKeepsTheTail) {
    EXPECT_EQ(TextCodec::fitted("holiday", 4), "holi");
    EXPECT_EQ(TextCodec::fitted("holiday", 40), "holiday");
    EXPECT_EQ(TextCodec::fitted("", 4), "");
    EXPECT_EQ(TextCodec::fitted("abc", 0), "");

    // Windows-1252 text takes a byte a character.
    EXPECT_EQ(TextCodec::fitted(QString(300, QChar(0xE9)), 255), QString(255, QChar(0xE9)));

    // A character outside Windows-1252 turns the whole text into UTF-8: three bytes each here.
    const QString fuji = QStringLiteral("\u5bcc\u58eb\u5c71");
    EXPECT_EQ(TextCodec::fitted(fuji, 7), fuji.left(2));
    EXPECT_EQ(TextCodec::encode(TextCodec::fitted(fuji, 7)).size(), 6);

    // A character beyond the basic plane is two UTF-16 units and four UTF-8 bytes: it is kept
    // whole or left out, never split into a lone half.
    const QString faces = QStringLiteral("ab\U0001F600\U0001F600");
    for (int bytes = 0; bytes <= 11; ++bytes) {
        const QString cut = TextCodec::fitted(faces, bytes);
        EXPECT_LE(TextCodec::encode(cut).size(), bytes) << bytes;
        EXPECT_FALSE(!cut.isEmpty() && cut.back().isHighSurrogate()) << bytes;
        EXPECT_EQ(TextCodec::decode(TextCodec::encode(cut)), cut) << "round trip at " << bytes;
    }
    EXPECT_EQ(TextCodec::fitted(faces, 6), "ab\U0001F600");

    // The tail stays whole; the head gives way.
    EXPECT_EQ(TextCodec::fitted("IMG_0001", 8, " (2).JPG"), " (2).JPG");
    EXPECT_EQ(TextCodec::fitted("IMG_0001", 12, " (2).JPG"), "IMG_ (2).JPG");
}

} // namespace
