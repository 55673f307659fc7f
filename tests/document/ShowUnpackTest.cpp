// Opening a show with only its list files unpacked at once and the pictures and sounds following
// on a worker thread: the order they come in, a file asked for first, a head start, a show file
// cut short, a full disk, stopping and going on, and the checks that still come before anything
// is written.

#include "ShowUnpack.h"
#include "BackgroundShow.h"
#include "CombinedFileReader.h"
#include "FailingWrites.h"
#include "ProgressReport.h"
#include "ScriptedMessages.h"
#include "ShowDocument.h"
#include "ShowTexts.h"
#include "TempFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

namespace {

// A show of three slides, the second with a sound, and two tracks; the list files come first in
// the file, as a show written elsewhere may have them, so that the last entry is a picture.
QList<CjfEntry> threeSlides() {
    QList<CjfEntry> entries =
        listFilesFor({"a.jpg", "b.jpg", "c.jpg"}, {"", "ring.wav"}, {"one.mid", "two.mid"});
    entries += {
        {"two.mid", QByteArray(3000, 't')},  {"extra.txt", "not in any list"},
        {"ring.wav", QByteArray(2000, 'w')}, {"one.mid", QByteArray(1000, 'o')},
        {"a.jpg", QByteArray(5000, 'a')},    {"b.jpg", QByteArray(6000, 'b')},
        {"c.jpg", QByteArray(7000, 'c')},
    };
    return entries;
}

// What the unpack says, heard on this thread (its signals come from the worker).
struct Heard {
    explicit Heard(ShowUnpack& unpack) {
        QObject::connect(&unpack, &ShowUnpack::arrived, &context,
                         [this](const QString& path) { arrived << QFileInfo(path).fileName(); });
        QObject::connect(&unpack, &ShowUnpack::lost, &context,
                         [this](const QString& path) { lost << QFileInfo(path).fileName(); });
        QObject::connect(&unpack, &ShowUnpack::finished, &context, [this] { ++finished; });
    }
    bool waitForFinish() {
        return QTest::qWaitFor([this] { return finished == 1; }, 5000);
    }
    QObject context;
    QStringList arrived;
    QStringList lost;
    int finished = 0;
};

class ShowUnpackTest : public ::testing::Test {
protected:
    std::unique_ptr<ShowUnpack> open(const QByteArray& bytes,
                                     const DiskWrites& writes = DiskWrites::system()) {
        source = tmp.write("show.cjf", bytes);
        QDir().mkpath(work);
        CombinedFileReader reader(messages, progress, writes);
        return reader.open(source, work, doc, &contents);
    }
    QStringList namesIn(const QString& folder) const {
        QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }

    TempFolder tmp;
    QString work = tmp.file("work");
    QString source;
    ScriptedMessages messages;
    NoProgress progress;
    ShowDocument doc;
    CombinedContents contents;
};

TEST_F(ShowUnpackTest, ListsComeAtOnceAndTheRestInTheOrderTheShowNeedsIt) {
    const auto media = open(cjfFile(1.5f, threeSlides()));
    ASSERT_TRUE(media);
    EXPECT_TRUE(messages.shown.isEmpty());
    // The show is known before any picture is there.
    ASSERT_EQ(doc.slideCount(), 3);
    EXPECT_EQ(doc.slide(1).soundPath, work + "/ring.wav");
    EXPECT_EQ(doc.musicTracks(), QStringList({work + "/one.mid", work + "/two.mid"}));
    EXPECT_EQ(namesIn(work), QStringList({"Captions.lst", "CfgSet.lst", "DisplayList.lst", "SlideAudio.lst",
                                          "SlideTiming.lst", "SongList.lst"}));
    EXPECT_EQ(media->state(doc.slide(0).imagePath), ShowUnpack::State::Coming);
    EXPECT_EQ(media->state(work + "/DisplayList.lst"), ShowUnpack::State::Present);
    EXPECT_EQ(contents.entries.size(), 13);
    EXPECT_TRUE(media->sourceComplete());

    Heard heard(*media);
    media->start();
    ASSERT_TRUE(heard.waitForFinish());
    // The first slide, the first track; then each slide with its sound, the other tracks and
    // what no list names.
    EXPECT_EQ(heard.arrived,
              QStringList({"a.jpg", "one.mid", "b.jpg", "ring.wav", "c.jpg", "two.mid", "extra.txt"}));
    EXPECT_TRUE(media->isFinished());
    EXPECT_FALSE(media->hasFailed());
    EXPECT_EQ(TempFolder::read(work + "/c.jpg"), QByteArray(7000, 'c'));
    EXPECT_EQ(TempFolder::read(work + "/two.mid"), QByteArray(3000, 't'));
}

TEST_F(ShowUnpackTest, AHeadStartHoldsTheRestUntilReleasedButAFileAskedForComesAtOnce) {
    const auto media = open(cjfFile(1.5f, threeSlides()));
    ASSERT_TRUE(media);
    Heard heard(*media);
    media->start(0);
    media->hurry(work + "/c.jpg");
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.arrived.size() == 1; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(heard.arrived, QStringList({"c.jpg"})) << "nothing else comes before the release";
    EXPECT_EQ(media->state(work + "/a.jpg"), ShowUnpack::State::Coming);

    // A worker thread that needs a file asks for it and waits for that file alone.
    bool present = false;
    std::thread waiter([&] { present = media->waitFor(work + "/ring.wav"); });
    waiter.join();
    EXPECT_TRUE(present);
    EXPECT_EQ(media->state(work + "/a.jpg"), ShowUnpack::State::Coming);

    media->release();
    ASSERT_TRUE(heard.waitForFinish());
    EXPECT_EQ(namesIn(work).size(), 13);
}

TEST_F(ShowUnpackTest, AShowCutShortPlaysWhatItHoldsAndTheMissingEntryIsDamage) {
    QByteArray bytes = cjfFile(1.5f, threeSlides());
    bytes.chop(2500); // half of the last picture
    // Unpacked whole, as the tool does, such a file is refused before anything is written.
    {
        TempFolder other;
        const QString path = other.write("cut.cjf", bytes);
        QDir().mkpath(other.file("work"));
        ShowDocument whole;
        CombinedFileReader reader(messages, progress);
        EXPECT_FALSE(reader.read(path, other.file("work"), whole));
        EXPECT_TRUE(QDir(other.file("work")).isEmpty());
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].text, ShowTexts::damagedShow(path));
        messages.shown.clear();
    }
    const auto media = open(bytes);
    ASSERT_TRUE(media) << "the table itself is whole";
    EXPECT_FALSE(media->sourceComplete());
    Heard heard(*media);
    media->start();
    ASSERT_TRUE(heard.waitForFinish());
    EXPECT_EQ(heard.lost, QStringList({"c.jpg"}));
    EXPECT_EQ(media->state(work + "/b.jpg"), ShowUnpack::State::Present);
    EXPECT_EQ(media->state(work + "/two.mid"), ShowUnpack::State::Present) << "files after it still come";
    EXPECT_FALSE(QFile::exists(work + "/c.jpg")) << "nothing half-written";
    EXPECT_TRUE(media->hasFailed());
    EXPECT_EQ(media->failureText(), ShowTexts::damagedShow(source));
    EXPECT_TRUE(messages.shown.isEmpty()) << "the one who needs the file tells the user";
}

TEST_F(ShowUnpackTest, AFullDiskLosesEveryFileStillToComeAndSaysSo) {
    // The list files (about 100 bytes) and the first picture fit; the track does not.
    FailingWrites writes(5200, ENOSPC);
    const auto media = open(cjfFile(1.5f, threeSlides()), writes);
    ASSERT_TRUE(media);
    Heard heard(*media);
    media->start();
    ASSERT_TRUE(heard.waitForFinish());
    EXPECT_EQ(media->state(work + "/a.jpg"), ShowUnpack::State::Present);
    for (const char* name : {"one.mid", "b.jpg", "ring.wav", "c.jpg", "two.mid", "extra.txt"})
        EXPECT_EQ(media->state(work + "/" + name), ShowUnpack::State::Lost) << name;
    EXPECT_EQ(media->failureText(), ShowTexts::noRoomToUnpack(source, work));
    EXPECT_FALSE(QFile::exists(work + "/one.mid"));
}

TEST_F(ShowUnpackTest, StoppingWakesWhoeverWaitsAndAStoppedUnpackGoesOnWhereItWas) {
    const auto media = open(cjfFile(1.5f, threeSlides()));
    ASSERT_TRUE(media);
    media->start(0); // held: nothing comes unless asked for
    media->stop();
    bool present = true;
    std::thread waiter([&] { present = media->waitFor(work + "/b.jpg"); });
    waiter.join();
    EXPECT_FALSE(present) << "a stopped unpack brings nothing; the waiter is not left hanging";

    Heard heard(*media);
    media->start();
    ASSERT_TRUE(heard.waitForFinish());
    EXPECT_FALSE(media->hasFailed());
    EXPECT_EQ(namesIn(work).size(), 13);
}

TEST_F(ShowUnpackTest, HostileOrImpossibleTablesAreRefusedBeforeAnythingIsWritten) {
    QList<CjfEntry> escaping = threeSlides();
    escaping[10].name = "../a.jpg";
    EXPECT_FALSE(open(cjfFile(1.5f, escaping)));
    QByteArray tooMany = cjfFile(1.5f, threeSlides());
    tooMany.truncate(44 + 5 * 344); // the table ends before its thirteen records do
    EXPECT_FALSE(open(tooMany));
    QList<CjfEntry> negative = threeSlides();
    negative[12].storedSize = -5;
    EXPECT_FALSE(open(cjfFile(1.5f, negative)));
    EXPECT_TRUE(namesIn(work).isEmpty());
    ASSERT_EQ(messages.shown.size(), 3);
    for (const auto& shown : messages.shown)
        EXPECT_EQ(shown.text, ShowTexts::damagedShow(source));
}

TEST_F(ShowUnpackTest, AnEntryClaimingBytesBeyondTheFileIsLostWithoutReservingThem) {
    QList<CjfEntry> claims = threeSlides();
    claims[12].storedSize = 0x7fffffff; // the last picture claims 2 GB the file does not hold
    const auto media = open(cjfFile(1.5f, claims));
    ASSERT_TRUE(media);
    Heard heard(*media);
    media->start();
    ASSERT_TRUE(heard.waitForFinish());
    EXPECT_EQ(media->state(work + "/c.jpg"), ShowUnpack::State::Lost);
    EXPECT_EQ(media->failureText(), ShowTexts::damagedShow(source));
    EXPECT_EQ(media->state(work + "/b.jpg"), ShowUnpack::State::Present);
}

} // namespace
