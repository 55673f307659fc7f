#include "CjfBytes.h"
#include "CombinedFileReader.h"
#include "CombinedFileWriter.h"
#include "ProgressReport.h"
#include "ScriptedMessages.h"
#include "ShowDocument.h"
#include "TempFolder.h"

#include <QDirIterator>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct RecordingProgress : ProgressReport {
    void report(const QString& title, int percent) override {
        titles << title;
        percents << percent;
        if (onReport)
            onReport(percents.size());
    }
    void finish() override { ++finished; }
    QStringList titles;
    QList<int> percents;
    int finished = 0;
    std::function<void(int)> onReport;
};

const QString kDamaged = QStringLiteral(".  File may be damaged or format is not recognized.");

QStringList filesUnder(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next().mid(folder.size() + 1);
    out.sort();
    return out;
}

class CombinedFile : public ::testing::Test {
protected:
    bool read(const QByteArray& bytes, CombinedContents* contents = nullptr) {
        source = tmp.write("show.cjf", bytes);
        QDir().mkpath(work);
        CombinedFileReader reader(messages, progress);
        return reader.read(source, work, doc, contents);
    }

    TempFolder tmp;
    QString work = tmp.file("work");
    QString source;
    ScriptedMessages messages;
    RecordingProgress progress;
    ShowDocument doc;
};

TEST_F(CombinedFile, WritesTheExactLayout) {
    const QString a = tmp.write("in/a.jpg", "AAAA");
    const QString b = tmp.write("other/b.mid", "BBBBBB");
    CombinedHeader header;
    header.count = 2;
    header.delay = 42;
    header.musicEnabled = false;
    header.loop = false;
    CombinedFileWriter writer(progress);
    ASSERT_TRUE(writer.write({a, b}, tmp.file("out.cjf"), header, {"Hello"}));

    const QByteArray out = TempFolder::read(tmp.file("out.cjf"));
    ASSERT_EQ(out.size(), 44 + 2 * 344 + 10);
    EXPECT_EQ(out.left(5), QByteArray("\x04"
                                      "CJFF"));
    EXPECT_EQ(out.mid(5, 23), QByteArray(23, '\0'));
    EXPECT_EQ(out.mid(28, 4), QByteArray("\x00\x00\xC0\x3F", 4));
    EXPECT_EQ(out.mid(32, 4), QByteArray("\x02\x00\x00\x00", 4));
    EXPECT_EQ(out.mid(36, 4), QByteArray("\x2A\x00\x00\x00", 4));
    EXPECT_EQ(out.mid(40, 4), QByteArray("\x00\x01\x01\x00", 4));
    const QByteArray r0 = out.mid(44, 344);
    EXPECT_EQ(r0.left(6), QByteArray("\x05"
                                     "a.jpg"));
    EXPECT_EQ(r0.mid(256, 6), QByteArray("\x05"
                                         "Hello"));
    EXPECT_EQ(r0.mid(337, 7), QByteArray("\x00\x00\x00\x04\x00\x00\x00", 7));
    const QByteArray r1 = out.mid(44 + 344, 344);
    EXPECT_EQ(r1.left(6), QByteArray("\x05"
                                     "b.mid"));
    EXPECT_EQ(r1.mid(256, 2), QByteArray("\x01 ")) << "past the captions a record carries one blank";
    EXPECT_EQ(out.mid(44 + 688), QByteArray("AAAABBBBBB"));

    EXPECT_EQ(progress.titles, QStringList(2, "Saving:  out.cjf"));
    EXPECT_EQ(progress.percents, QList<int>({0, 100}));
    EXPECT_GE(progress.finished, 1);
}

TEST_F(CombinedFile, CutsLongCaptionsAndNamesToTheirCapacity) {
    const QString longName = QString(250, 'n') + ".jpg"; // 254 characters: fits
    const QString a = tmp.write(longName, "x");
    CombinedHeader header;
    CombinedFileWriter writer(progress);
    ASSERT_TRUE(writer.write({a}, tmp.file("out.cjf"), header, {QString(100, 'c')}));
    const QByteArray out = TempFolder::read(tmp.file("out.cjf"));
    EXPECT_EQ(static_cast<unsigned char>(out[44]), 254);
    EXPECT_EQ(static_cast<unsigned char>(out[44 + 256]), 80);

    // A caption of characters outside Windows-1252 is cut on a character boundary.
    EXPECT_EQ(CombinedFormat::shortStringBytes(QString(40, QChar(0x5bcc)), 80).size(), 78);
}

TEST_F(CombinedFile, AFailedWriteLeavesTheOldShowUntouched) {
    const QString old = tmp.write("show.cjf", "the good show");
    const QString a = tmp.write("a.jpg", "AAAA");
    const QString b = tmp.write("b.jpg", "BBBB");
    // The second file disappears while the first is being packed.
    progress.onReport = [&](int n) {
        if (n == 1)
            QFile::remove(b);
    };
    CombinedHeader header;
    CombinedFileWriter writer(progress);
    EXPECT_FALSE(writer.write({a, b}, old, header, {}));
    EXPECT_TRUE(writer.error().contains("b.jpg"));
    EXPECT_EQ(TempFolder::read(old), QByteArray("the good show"));
    EXPECT_EQ(filesUnder(tmp.path()), QStringList({"a.jpg", "show.cjf"}))
        << "no temporary file is left behind";

    // A file that is missing from the start fails before anything is created.
    EXPECT_FALSE(writer.write({tmp.file("nope.jpg")}, tmp.file("new.cjf"), header, {}));
    EXPECT_FALSE(QFileInfo::exists(tmp.file("new.cjf")));
}

// A program killed in the middle of a save once left a hidden file of the show's full size beside
// it. The show is now written as an unnamed file: at any moment of the save, the folder holds
// nothing but what it held before.
TEST_F(CombinedFile, WhileAShowIsWrittenTheFolderShowsNothingNew) {
    const int probe = ::open(QFile::encodeName(tmp.path()).constData(), O_TMPFILE | O_WRONLY, 0600);
    if (probe < 0)
        GTEST_SKIP() << "this file system has no unnamed files";
    ::close(probe);
    const QString old = tmp.write("show.cjf", "the good show");
    const QString a = tmp.write("a.jpg", QByteArray(100000, 'a'));
    const QString b = tmp.write("b.jpg", QByteArray(100000, 'b'));
    QList<QStringList> seen;
    progress.onReport = [&](int) { seen << filesUnder(tmp.path()); };
    CombinedHeader header;
    CombinedFileWriter writer(progress);
    ASSERT_TRUE(writer.write({a, b}, old, header, {}));
    ASSERT_EQ(seen.size(), 2);
    for (const QStringList& files : seen)
        EXPECT_EQ(files, QStringList({"a.jpg", "b.jpg", "show.cjf"}));
    EXPECT_EQ(TempFolder::read(old).size(), 44 + 2 * 344 + 200000);
}

TEST_F(CombinedFile, ReadsVersion15WithItsListFiles) {
    QList<CjfEntry> entries = {
        {"a.jpg", "JPEGDATA"},
        {"t.mid", "MThd"},
        {"ring.wav", "RIFF"},
        {"DisplayList.lst", "a.jpg\r\na.jpg\r\n"},
        {"SlideTiming.lst", "0\r\n2500\r\n"},
        {"Captions.lst", "First\r\n\r\n"},
        {"SlideAudio.lst", "ring.wav\r\n \r\n"},
        {"SongList.lst", "t.mid\r\n"},
        {"CfgSet.lst", "255\r\nFALSE\r\n"},
    };
    CombinedContents contents;
    ASSERT_TRUE(read(cjfFile(1.5f, entries), &contents));
    const QString w = work + "/";
    EXPECT_EQ(doc.imagePaths(), QStringList({w + "a.jpg", w + "a.jpg"}));
    EXPECT_EQ(doc.timings(), QStringList({"0", "2500"}));
    EXPECT_EQ(doc.captions(), QStringList({"First", ""}));
    EXPECT_EQ(doc.soundPaths(), QStringList({w + "ring.wav", " "}));
    EXPECT_EQ(doc.musicTracks(), QStringList({w + "t.mid"}));
    EXPECT_EQ(doc.settingsLines(), QStringList({"255", "FALSE"}));
    EXPECT_EQ(TempFolder::read(w + "a.jpg"), QByteArray("JPEGDATA"));
    EXPECT_EQ(contents.entries.size(), 9);
    EXPECT_EQ(contents.header.delay, 10);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(progress.titles.first(), "Loading:  show.cjf");
    EXPECT_EQ(progress.percents.first(), 0);
    EXPECT_EQ(progress.percents.last(), 100);
    EXPECT_EQ(progress.percents.size(), 4) << "the start, then each of the three media files";
}

TEST_F(CombinedFile, Version15WithoutItsSettingsFileFailsSilently) {
    QList<CjfEntry> entries = {
        {"a.jpg", "x"},           {"DisplayList.lst", "a.jpg\r\n"}, {"SlideTiming.lst", "0\r\n"},
        {"Captions.lst", "\r\n"}, {"SlideAudio.lst", "\r\n"},       {"SongList.lst", ""}};
    doc.addSlide("/old.jpg", "", "", 0);
    EXPECT_FALSE(read(cjfFile(1.5f, entries)));
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_GE(progress.finished, 1) << "the progress window is hidden on every way out";
}

TEST_F(CombinedFile, ListEntriesThatDifferOnlyInCaseFindTheirFiles) {
    // Written where file names ignore case: the lists name files in capitals, the records do not.
    QList<CjfEntry> entries = {{"Photo.jpg", "p"},
                               {"a.jpg", "lower"},
                               {"A.jpg", "upper"},
                               {"Ring.wav", "r"},
                               {"Tune.mid", "m"},
                               {"DisplayList.lst", "PHOTO.JPG\r\nA.jpg\r\nGONE.JPG\r\n"},
                               {"SlideTiming.lst", "0\r\n0\r\n0\r\n"},
                               {"Captions.lst", "\r\n\r\n\r\n"},
                               {"SlideAudio.lst", "RING.WAV\r\n \r\n\r\n"},
                               {"SongList.lst", "TUNE.MID\r\n"},
                               {"CfgSet.lst", "0\r\nTRUE\r\n"}};
    ASSERT_TRUE(read(cjfFile(1.5f, entries)));
    const QString w = work + "/";
    EXPECT_EQ(doc.imagePaths(), QStringList({w + "Photo.jpg", w + "A.jpg", w + "GONE.JPG"}))
        << "an exact match wins; a name that matches nothing stays as it is";
    EXPECT_EQ(doc.soundPaths(), QStringList({w + "Ring.wav", " ", ""}));
    EXPECT_EQ(doc.musicTracks(), QStringList({w + "Tune.mid"}));
}

// A Windows-1252 name of 134 characters takes 264 bytes in UTF-8, more than a file name may; it
// is unpacked under a shortened name of its own, and the lists find it there.
TEST_F(CombinedFile, NamesLongerThanAFileNameMayBeAreUnpackedShortened) {
    const QByteArray longStem = QByteArray(130, '\xe9'); // "é" in Windows-1252
    const QByteArray longName = longStem + ".jpg";       // 134 bytes as stored
    QByteArray twin = longName;
    twin[129] = 'x'; // differs only after the cut
    const QByteArray noExtension(200, '\xe0');
    QList<CjfEntry> entries = {
        {longName, "first"},
        {twin, "second"},
        {noExtension, "third"},
        {QByteArray(124, '\xe9') + "~1.jpg", "a name that only looks like a shortened one"},
        {"DisplayList.lst", longName + "\r\n" + twin.toUpper() + "\r\n" + longName + "\r\n"},
        {"SlideTiming.lst", "0\r\n0\r\n0\r\n"},
        {"Captions.lst", "\r\n\r\n\r\n"},
        {"SlideAudio.lst", noExtension + "\r\n \r\n\r\n"},
        {"SongList.lst", ""},
        {"CfgSet.lst", "0\r\nTRUE\r\n"}};
    ASSERT_TRUE(read(cjfFile(1.5f, entries)));
    EXPECT_TRUE(messages.shown.isEmpty());
    ASSERT_EQ(doc.slideCount(), 3);
    const QStringList images = doc.imagePaths();
    EXPECT_EQ(images[0], images[2]);
    EXPECT_NE(images[0], images[1]);
    EXPECT_EQ(TempFolder::read(images[0]), QByteArray("first"));
    EXPECT_EQ(TempFolder::read(images[1]), QByteArray("second"))
        << "found again through its case-folded name";
    EXPECT_EQ(TempFolder::read(doc.slide(0).soundPath), QByteArray("third"));
    for (const QString& path : {images[0], images[1], doc.slide(0).soundPath}) {
        const QString name = QFileInfo(path).fileName();
        EXPECT_EQ(QFileInfo(path).absolutePath(), work);
        EXPECT_LE(QFile::encodeName(name).size(), 255) << name.toStdString();
        EXPECT_TRUE(name.startsWith(QString(20, QChar(0xE9))) || name.startsWith(QString(20, QChar(0xE0))));
    }
    EXPECT_TRUE(images[0].endsWith(".jpg"));
    // The entry whose own name looks like a shortened one keeps its file.
    EXPECT_EQ(TempFolder::read(work + "/" + QString(124, QChar(0xE9)) + "~1.jpg"),
              QByteArray("a name that only looks like a shortened one"));

    // Version 1.0 shows find their pictures by the entries' names alike.
    ASSERT_TRUE(read(cjfFile(1.0f, {{longName, "old"}})));
    ASSERT_EQ(doc.slideCount(), 1);
    EXPECT_EQ(TempFolder::read(doc.slide(0).imagePath), QByteArray("old"));
}

TEST_F(CombinedFile, ReadsVersion10ByTheEntriesNames) {
    // A working folder whose own path holds ".mid" must not make every entry a track.
    work = tmp.file("my.midi.shows/work");
    QList<CjfEntry> entries = {
        {"A.JPG", "a", "Beach"}, {"B.BMP", "b"}, {"TUNE.MID", "m"}, {"MY.JPG.TXT", "t", "Odd"}};
    ASSERT_TRUE(read(cjfFile(1.0f, entries)));
    const QString w = work + "/";
    EXPECT_EQ(doc.imagePaths(), QStringList({w + "A.JPG", w + "MY.JPG.TXT"}));
    EXPECT_EQ(doc.captions(), QStringList({"Beach", "Odd"}));
    EXPECT_EQ(doc.timings(), QStringList({"0", "0"}));
    EXPECT_EQ(doc.soundPaths(), QStringList({" ", " "}));
    EXPECT_EQ(doc.musicTracks(), QStringList({w + "TUNE.MID"}));
    EXPECT_TRUE(QFileInfo::exists(w + "B.BMP")) << "extracted, though no part of the show";
    EXPECT_EQ(doc.settingsLines(), QStringList({"-2147483633", "TRUE"})) << "version 1.0 carries no settings";
}

TEST_F(CombinedFile, JudgesMagicAndVersion) {
    QByteArray padded = cjfHeader(1.0f, 0, 10, QByteArray("CJFF  \0\0", 8));
    EXPECT_TRUE(read(padded)) << "blanks and zero bytes within the stated length are trimmed";

    const struct {
        QByteArray bytes;
        const char* message;
    } refused[] = {
        {cjfHeader(1.5f, 0, 10, "cjff"), "Not a valid *.CJF file."},
        {QByteArray("just some text that a user dropped on the window by mistake"),
         "Not a valid *.CJF file."},
        {cjfHeader(2.0f, 0), "This program only supports versions 1.0 and 1.5 of CJF files"},
        {cjfHeader(1.6f, 0), "This program only supports versions 1.0 and 1.5 of CJF files"},
    };
    for (const auto& c : refused) {
        messages.shown.clear();
        EXPECT_FALSE(read(c.bytes));
        EXPECT_EQ(messages.texts(), QStringList({c.message}));
        EXPECT_EQ(messages.shown.value(0).kind, MessageKind::Error);
    }
}

TEST_F(CombinedFile, EqualNamesOverwriteAndOneEntryReportsFullProgress) {
    ASSERT_TRUE(read(cjfFile(0.5f, {{"x.jpg", "first"}, {"x.jpg", "second"}})));
    EXPECT_EQ(TempFolder::read(work + "/x.jpg"), QByteArray("second"));
    EXPECT_EQ(doc.slideCount(), 0) << "a version that is neither 1.0 nor 1.5 gives an empty show";

    progress.percents.clear();
    ASSERT_TRUE(read(cjfFile(1.0f, {{"only.jpg", "x"}})));
    EXPECT_EQ(progress.percents, QList<int>({0, 100}));
}

TEST_F(CombinedFile, HostileOrDamagedFilesNeverWriteOutsideTheWorkingFolder) {
    const QList<QList<CjfEntry>> hostile = {
        {{"../escape.jpg", "x"}},
        {{"/tmp/abs.jpg", "x"}},
        {{"..\\escape.jpg", "x"}},
        {{"C:evil.jpg", "x"}},
        {{"..", "x"}},
        {{"", "x"}},
        {{QByteArray("a\x01.jpg"), "x"}},
        {{QByteArray("a\0b.jpg", 7), "x"}},
        {{"neg.jpg", "x", " ", -5}},
        {{"big.jpg", "x", " ", 1 << 30}},
        {{"ok.jpg", "x"},
         {"DisplayList.lst", "../../etc/passwd\r\n"},
         {"SlideTiming.lst", "0\r\n"},
         {"Captions.lst", "\r\n"},
         {"SlideAudio.lst", "\r\n"},
         {"SongList.lst", ""},
         {"CfgSet.lst", ""}},
        {{"ok.jpg", "x"},
         {"DisplayList.lst", "ok.jpg\r\nok.jpg\r\n"},
         {"SlideTiming.lst", "0\r\n"},
         {"Captions.lst", "\r\n"},
         {"SlideAudio.lst", "\r\n"},
         {"SongList.lst", ""},
         {"CfgSet.lst", ""}},
    };
    for (const auto& entries : hostile) {
        messages.shown.clear();
        EXPECT_FALSE(read(cjfFile(1.5f, entries))) << entries[0].name.constData();
        EXPECT_EQ(messages.texts(), QStringList({"Unable to open " + source + kDamaged}))
            << entries[0].name.constData();
    }
    for (const QString& f : filesUnder(tmp.path()))
        EXPECT_TRUE(f == "show.cjf" || f.startsWith("work/")) << f.toStdString();

    // Counts the file cannot hold, and a file cut short.
    for (qint32 count : {-1, 5, 2000000000}) {
        messages.shown.clear();
        EXPECT_FALSE(read(cjfHeader(1.5f, count) + QByteArray(344, '\0')));
        EXPECT_EQ(messages.shown.size(), 1);
    }
    QByteArray whole = cjfFile(1.0f, {{"a.jpg", QByteArray(5000, 'a')}});
    for (qsizetype kept : {whole.size() - 1, qsizetype(43), qsizetype(5), qsizetype(0)}) {
        messages.shown.clear();
        EXPECT_FALSE(read(whole.left(kept))) << kept;
        EXPECT_EQ(messages.texts(), QStringList({"Unable to open " + source + kDamaged}))
            << "a file that ends early, even inside its header, is damaged: " << kept;
    }
}

TEST_F(CombinedFile, ExtractionReplacesALinkInTheWorkingFolderAndNeverFollowsIt) {
    const QString outside = tmp.write("precious.txt", "keep me");
    QDir().mkpath(work);
    ASSERT_EQ(
        ::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(work + "/a.jpg").constData()), 0);
    EXPECT_TRUE(read(cjfFile(1.0f, {{"a.jpg", "unpacked"}})));
    EXPECT_EQ(TempFolder::read(outside), QByteArray("keep me"));
    EXPECT_FALSE(QFileInfo(work + "/a.jpg").isSymLink());
    EXPECT_EQ(TempFolder::read(work + "/a.jpg"), QByteArray("unpacked"));
}

} // namespace
