#include "ListFile.h"
#include "CombinedFormat.h"
#include "PathNames.h"
#include "RegressionInputs.h"
#include "ShowDocument.h"
#include "TempFolder.h"
#include "TextCodec.h"
#include "WorkFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(ListFile, WritesCrLfAfterEveryLineAndReadsAnyLineEnd) {
    EXPECT_EQ(ListFile::format({"a", "", " ", "b"}), QByteArray("a\r\n\r\n \r\nb\r\n"));
    EXPECT_EQ(ListFile::format({}), QByteArray());
    EXPECT_EQ(ListFile::parse("a\r\n\r\n \r\nb\r\n"), QStringList({"a", "", " ", "b"}));
    EXPECT_EQ(ListFile::parse("a\rb\nc\r\nd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(ListFile::parse("\n\n"), QStringList({"", ""}));
    EXPECT_TRUE(ListFile::parse("").isEmpty());
}

TEST(ListFile, TextIsWindows1252UnlessItDoesNotFit) {
    const QString latin = QStringLiteral("Caf\u00e9 \u20ac5");
    EXPECT_EQ(TextCodec::encode(latin), QByteArray("Caf\xe9 \x80"
                                                   "5"));
    EXPECT_EQ(TextCodec::decode(QByteArray("Caf\xe9 \x80"
                                           "5")),
              latin);

    const QString japanese = QStringLiteral("\u5bcc\u58eb\u5c71.jpg");
    EXPECT_EQ(TextCodec::encode(japanese), japanese.toUtf8());
    EXPECT_EQ(TextCodec::decode(japanese.toUtf8()), japanese);

    // Bytes that merely look like the start of UTF-8 stay Windows-1252.
    EXPECT_EQ(TextCodec::decode(QByteArray("\xc3")), QStringLiteral("\u00c3"));
    EXPECT_EQ(TextCodec::decode(QByteArray("a\xe9z")), QStringLiteral("a\u00e9z"));
}

TEST(ListFile, SixFilesHoldNamesWithoutFolders) {
    TempFolder tmp;
    ShowDocument doc;
    doc.addSlide("/pics/a.jpg", "", "First", 0);
    doc.addSlide("/pics/b.jpg", " ", "", 2500);
    doc.addSlide("C:\\old\\c.jpg", "/snd/ring.wav", "Third", 0);
    doc.setMusicTracks(doc.musicTracks() + QStringList{"/music/t.mid"});
    ASSERT_TRUE(WorkFolder::writeListFiles(tmp.path(), doc));

    EXPECT_EQ(TempFolder::read(tmp.file("SlideAudio.lst")), QByteArray("\r\n \r\nring.wav\r\n"));
    EXPECT_EQ(TempFolder::read(tmp.file("DisplayList.lst")), QByteArray("a.jpg\r\nb.jpg\r\nc.jpg\r\n"));
    EXPECT_EQ(TempFolder::read(tmp.file("SlideTiming.lst")), QByteArray("0\r\n2500\r\n0\r\n"));
    EXPECT_EQ(TempFolder::read(tmp.file("Captions.lst")), QByteArray("First\r\n\r\nThird\r\n"));
    EXPECT_EQ(TempFolder::read(tmp.file("SongList.lst")), QByteArray("t.mid\r\n"));
    EXPECT_EQ(TempFolder::read(tmp.file("CfgSet.lst")), QByteArray("-2147483633\r\nTRUE\r\n"));

    EXPECT_FALSE(WorkFolder::writeListFiles(tmp.file("missing"), doc));
}

// Captions are stored in 80 bytes. A caption whose 80th byte falls inside a character beyond the
// basic plane once lost half of it, which came back as "?": the cut is now before the character.
TEST(ListFile, CaptionsCutToTheirFieldKeepWholeCharacters) {
    QStringList captions = ListFile::parse(
        regressionInput(QStringLiteral("listfile"), QStringLiteral("shortstring-splits-surrogate-pair.lst")));
    ASSERT_FALSE(captions.isEmpty());
    // A face (four bytes in UTF-8, two halves in UTF-16) at every place around the 80th byte.
    for (int before = 70; before <= 80; ++before)
        captions << QString(before, QLatin1Char('<')) + QStringLiteral("\U0001F610g");
    for (const QString& caption : captions) {
        const QByteArray stored = CombinedFormat::shortStringBytes(caption, EntryRecord::kCaptionCapacity);
        EXPECT_LE(stored.size(), EntryRecord::kCaptionCapacity);
        const QString read = TextCodec::decode(stored);
        EXPECT_TRUE(caption.startsWith(read)) << read.toStdString();
        EXPECT_FALSE(read.contains(QChar(0xFFFD)) ||
                     read.count(QLatin1Char('?')) > caption.count(QLatin1Char('?')));
        const qsizetype kept = read.size();
        EXPECT_FALSE(kept > 0 && kept < caption.size() && caption.at(kept).isLowSurrogate());
    }
}

TEST(WorkFolder, TakesTheFirstFreeNumberPrivately) {
    TempFolder tmp;
    QDir(tmp.path()).mkdir("~OrvanneSlides1");
    QDir(tmp.path()).mkdir("~OrvanneSlides2");
    const QString path = WorkFolder::createNumbered(tmp.path());
    EXPECT_EQ(path, tmp.file("~OrvanneSlides3"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(WorkFolder::createNumbered(tmp.path()), tmp.file("~OrvanneSlides4"));
}

TEST(WorkFolder, EmptyingKeepsShowFilesAndSubfoldersAndNeverFollowsLinks) {
    TempFolder tmp;
    const QString work = tmp.file("work");
    WorkFolder::empty(work);
    ASSERT_TRUE(QFileInfo(work).isDir()) << "a missing folder is created";

    tmp.write("work/SHOW.CJF", "keep");
    tmp.write("work/old.cjf.bak", "keep too");
    tmp.write("work/a.jpg", "x");
    const QString readOnly = tmp.write("work/b.bmp", "x");
    ::chmod(QFile::encodeName(readOnly).constData(), 0444);
    tmp.write("work/sub/inside.txt", "x");
    const QString outside = tmp.write("outside.txt", "precious");
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(),
                        QFile::encodeName(tmp.file("work/link")).constData()),
              0);

    WorkFolder::empty(work);
    QStringList left =
        QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, QStringList({"SHOW.CJF", "old.cjf.bak", "sub"}));
    EXPECT_EQ(TempFolder::read(outside), QByteArray("precious"));

    EXPECT_FALSE(WorkFolder::remove(work)) << "a folder that still holds a show stays";
    QFile::remove(tmp.file("work/SHOW.CJF"));
    QFile::remove(tmp.file("work/old.cjf.bak"));
    QDir(tmp.file("work/sub")).removeRecursively();
    EXPECT_TRUE(WorkFolder::remove(work));
    EXPECT_FALSE(QFileInfo::exists(work));
}

} // namespace
