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

// Windows-1252 bytes that also form UTF-8 would read back as other characters; such texts are
// written in UTF-8. Texts that are not ambiguous keep Windows-1252, as older shows expect.
TEST(TextCodec, EveryTextReadsBackAsItWasWritten) {
    const QString ambiguous = QStringLiteral("\u00c3\u00a9"); // "Ã©": the bytes C3 A9 spell "é" in UTF-8
    const QString face = QStringLiteral("\u00f0\u0178\u02dc\u0090"); // the four bytes of a face
    EXPECT_EQ(TextCodec::encode(ambiguous), ambiguous.toUtf8());
    EXPECT_EQ(TextCodec::encode(QStringLiteral("Caf\u00e9")), QByteArray("Caf\xe9"));
    for (const QString& text :
         {ambiguous, face, QStringLiteral("\u00e9"), QStringLiteral("\u00c3\u00c3"),
          QStringLiteral("x\u0081\u008d\u008f\u0090\u009d"), QStringLiteral("\ufeff\ufeff\ubd9d"), QString()})
        EXPECT_EQ(TextCodec::decode(TextCodec::encode(text)), text) << text.toStdString();

    // A text cut to a field: the face's bytes may only be whole in it when they read back as the
    // four characters they were.
    const QString caption = QString(75, QLatin1Char('<')) + face + QStringLiteral("g\u02dc");
    for (int bytes = 70; bytes <= 90; ++bytes) {
        const QString cut = TextCodec::fitted(caption, bytes);
        EXPECT_LE(TextCodec::encode(cut).size(), bytes);
        EXPECT_EQ(TextCodec::decode(TextCodec::encode(cut)), cut) << bytes;
    }
}

// A lone low half (a text no codec can encode) is cut alone; it once took the high half of the
// pair before it along, leaving that pair split.
TEST(TextCodec, FittedNeverSplitsAPairBesideALoneHalf) {
    const QString text = QStringLiteral("ab\U0001F600") + QChar(0xDE01) + QStringLiteral("c");
    for (int bytes = 0; bytes <= 12; ++bytes) {
        const QString cut = TextCodec::fitted(text, bytes);
        ASSERT_TRUE(text.startsWith(cut)) << bytes;
        EXPECT_FALSE(!cut.isEmpty() && cut.back().isHighSurrogate()) << bytes;
    }
    EXPECT_EQ(TextCodec::fitted(text, 5), "ab");
}

} // namespace
