#include "ListFile.h"
#include "CombinedFormat.h"
#include "PathNames.h"
#include "RegressionInputs.h"
#include "ShowDocument.h"
#include "TempFolder.h"
#include "TextCodec.h"
#include "WorkFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(ListFile, WritesCrLfAfterEveryLineAndReadsAnyLineEnd) {
    EXPECT_EQ(ListFile::format({"a", "", " ", "b"}), QByteArray("a\r\n\r\n \r\nb\r\n"));
    EXPECT_EQ(ListFile::format({}), QByteArray());
    EXPECT_EQ(ListFile::parse("a\r\n\r\n \r\nb\r\n"), QStringList({"a", "", " ", "b"}));
    EXPECT_EQ(ListFile::parse("a\rb\nc\r\nd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(ListFile::parse("\n\n"), QStringList({"", ""}));
    EXPECT_TRUE(ListFile::parse("").isEmpty());

    // A byte-order mark marks the file; a first entry that starts with that character keeps it.
    EXPECT_EQ(ListFile::parse("\xEF\xBB\xBF"
                              "a.jpg\r\nb.jpg\r\n"),
              QStringList({"a.jpg", "b.jpg"}));
    const QStringList marked = {QStringLiteral("\ufeffa.jpg"), "b.jpg"};
    EXPECT_EQ(ListFile::parse(ListFile::format(marked)), marked);
    const QStringList lookalike = {
        QStringLiteral("\u00ef\u00bb\u00bf\u00bb")}; // the mark's bytes in Windows-1252
    EXPECT_EQ(ListFile::parse(ListFile::format(lookalike)), lookalike);
    EXPECT_EQ(ListFile::parse(ListFile::format({"b.jpg", QStringLiteral("\ufeffa.jpg")})),
              QStringList({"b.jpg", QStringLiteral("\ufeffa.jpg")}));
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

TEST(WorkFolder, TakesTheFirstFreeNumberPrivatelyAndRemovesItWhenDone) {
    TempFolder tmp;
    QDir(tmp.path()).mkdir("~OrvanneSlides1");
    QDir(tmp.path()).mkdir("~OrvanneSlides2");
    {
        const OwnedWorkFolder third = WorkFolder::createNumbered(tmp.path());
        ASSERT_TRUE(third.isValid());
        EXPECT_EQ(third.path(), tmp.file("~OrvanneSlides3"));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(third.path()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        OwnedWorkFolder fourth = WorkFolder::createNumbered(tmp.path());
        EXPECT_EQ(fourth.path(), tmp.file("~OrvanneSlides4"));
        tmp.write("~OrvanneSlides4/a.jpg", "x");
        const OwnedWorkFolder moved = std::move(fourth);
        EXPECT_FALSE(fourth.isValid());
        EXPECT_TRUE(QFileInfo(moved.path()).isDir()) << "a move hands the folder over";
    }
    EXPECT_FALSE(QFileInfo::exists(tmp.file("~OrvanneSlides3")));
    EXPECT_FALSE(QFileInfo::exists(tmp.file("~OrvanneSlides4")));
    EXPECT_TRUE(QFileInfo::exists(tmp.file("~OrvanneSlides1"))) << "not ours to remove";
}

TEST(WorkFolder, RemovesFoldersOfKilledInstancesButNeverOneInUse) {
    TempFolder tmp;
    const QString outside = tmp.write("outside/precious.txt", "precious");
    const OwnedWorkFolder mine = WorkFolder::createNumbered(tmp.path());
    const OwnedWorkFolder another = WorkFolder::createNumbered(tmp.path()); // as a second instance's
    tmp.write("~OrvanneSlides1/a.jpg", "in use");
    tmp.write("~OrvanneSlides2/b.jpg", "in use");
    // Left behind by programs that were killed.
    tmp.write("~OrvanneSlides7/DisplayList.lst", "x");
    tmp.write("~OrvanneSlides7/pic.jpg", "x");
    tmp.write("~OrvanneSlides8/Saved.CJF", "a show the user saved here");
    tmp.write("~OrvanneSlides8/pic.jpg", "x");
    tmp.write("~OrvanneSlides9/sub/inside.txt", "x");
    // Not working folders of ours.
    tmp.write("~OrvanneSlidesX/a.jpg", "x");
    tmp.write("~OrvanneSlides10.bak/a.jpg", "x");
    tmp.write("~OrvanneSlides12", "a file, not a folder");
    ASSERT_EQ(::symlink(QFile::encodeName(tmp.file("outside")).constData(),
                        QFile::encodeName(tmp.file("~OrvanneSlides11")).constData()),
              0);

    EXPECT_EQ(WorkFolder::removeAbandoned(tmp.path()), 1);
    EXPECT_EQ(TempFolder::read(tmp.file("~OrvanneSlides1/a.jpg")), QByteArray("in use"));
    EXPECT_EQ(TempFolder::read(tmp.file("~OrvanneSlides2/b.jpg")), QByteArray("in use"));
    EXPECT_FALSE(QFileInfo::exists(tmp.file("~OrvanneSlides7")));
    EXPECT_EQ(QDir(tmp.file("~OrvanneSlides8")).entryList(QDir::Files), QStringList({"Saved.CJF"}))
        << "emptied as at exit: a show file stays, and so does its folder";
    EXPECT_TRUE(QFileInfo::exists(tmp.file("~OrvanneSlides9/sub/inside.txt")));
    EXPECT_TRUE(QFileInfo::exists(tmp.file("~OrvanneSlidesX/a.jpg")));
    EXPECT_TRUE(QFileInfo::exists(tmp.file("~OrvanneSlides10.bak/a.jpg")));
    EXPECT_EQ(TempFolder::read(tmp.file("~OrvanneSlides12")), QByteArray("a file, not a folder"));
    EXPECT_TRUE(QFileInfo(tmp.file("~OrvanneSlides11")).isSymLink());
    EXPECT_EQ(TempFolder::read(outside), QByteArray("precious"));

    // The next instance takes a free number and holds it too.
    const OwnedWorkFolder next = WorkFolder::createNumbered(tmp.path());
    EXPECT_EQ(next.path(), tmp.file("~OrvanneSlides3"));
    EXPECT_EQ(WorkFolder::removeAbandoned(tmp.path()), 0);
    EXPECT_TRUE(QFileInfo(next.path()).isDir());
}

// Another process holds its folder for as long as it runs; killed, it leaves the folder behind,
// and the next start clears it.
TEST(WorkFolder, AFolderHeldByAnotherProcessStaysUntilThatProcessIsKilled) {
    TempFolder tmp;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        const OwnedWorkFolder held = WorkFolder::createNumbered(tmp.path());
        const char state = held.isValid() ? 'y' : 'n';
        if (::write(ready[1], &state, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause(); // until killed
    }
    ::close(ready[1]);
    pollfd waiting{ready[0], POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 30000), 1) << "the child never reported its folder";
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(state, 'y');
    const QString folder = tmp.file("~OrvanneSlides1");
    tmp.write("~OrvanneSlides1/pic.jpg", "x");

    EXPECT_EQ(WorkFolder::removeAbandoned(tmp.path()), 0);
    EXPECT_TRUE(QFileInfo::exists(folder + "/pic.jpg"));

    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(QFileInfo::exists(folder)) << "a killed program cannot clear up";
    EXPECT_EQ(WorkFolder::removeAbandoned(tmp.path()), 1);
    EXPECT_FALSE(QFileInfo::exists(folder));
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
