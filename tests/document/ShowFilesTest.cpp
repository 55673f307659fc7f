#include "ShowFiles.h"
#include "FakeDiskSpace.h"
#include "ProgressReport.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"
#include "WorkFolder.h"

#include <gtest/gtest.h>

namespace {

class ShowFilesTest : public ::testing::Test {
protected:
    ShowFileServices services() { return ShowFileServices{messages, progress, disk}; }

    TempFolder tmp;
    OwnedWorkFolder workFolder = WorkFolder::createNumbered(tmp.path());
    QString work = workFolder.path();
    ScriptedMessages messages;
    NoProgress progress;
    FakeDiskSpace disk;
};

TEST_F(ShowFilesTest, PackListKeepsOrderDropsMissingFilesAndRepeats) {
    ShowDocument doc;
    const QString a = tmp.write("pics/a.jpg", "a");
    const QString b = tmp.write("pics/b.jpg", "b");
    const QString upper = tmp.write("pics/A.jpg", "A");
    const QString song = tmp.write("music/s.mid", "m");
    const QString sound = tmp.write("snd/ring.wav", "w");
    doc.addSlide(a, sound, "", 0);
    doc.addSlide(tmp.file("pics/deleted.jpg"), " ", "", 0);
    doc.addSlide(a, "", "", 0);
    doc.addSlide(b, sound, "", 0);
    doc.addSlide(upper, "", "", 0);
    doc.setMusicTracks(doc.musicTracks() + QStringList{song});
    ASSERT_TRUE(WorkFolder::writeListFiles(work, doc));

    const QString w = work + "/";
    EXPECT_EQ(ShowFiles::buildPackList(doc, work),
              QStringList({a, b, upper, song, sound, w + "DisplayList.lst", w + "SlideTiming.lst",
                           w + "SlideAudio.lst", w + "SongList.lst", w + "Captions.lst", w + "CfgSet.lst"}));
}

TEST_F(ShowFilesTest, SaveThenOpenGivesTheSameShowInTheWorkingFolder) {
    ShowDocument doc;
    doc.addSlide(tmp.write("pics/sea.jpg", "sea"), "", "Caf\u00e9 at the sea", 2500);
    doc.addSlide(tmp.write("pics/\u5bcc\u58eb.png", "fuji"), tmp.write("snd/ring.wav", "RIFF"),
                 "\u5bcc\u58eb\u5c71", 0);
    doc.addSlide(tmp.write("other/sea.jpg", "second sea"), " ", "", 0);
    doc.setMusicTracks({tmp.write("music/one.mid", "MThd1"), tmp.write("music/two.mid", "MThd2")});
    doc.setSettingsLine(1, "255");
    doc.setSettingsLine(2, "FALSE");
    ShowSettings settings{30, false, true, false, true};
    const QString target = tmp.file("holiday.cjf");
    QStringList packed;
    ASSERT_EQ(ShowFiles::save(doc, settings, work, target, services(), &packed),
              ShowFiles::SaveResult::Saved);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(packed.size(), 12) << "both sea.jpg files are stored";

    const OwnedWorkFolder workFolder2 = WorkFolder::createNumbered(tmp.path());
    const QString work2 = workFolder2.path();
    ShowDocument opened;
    CombinedContents contents;
    ASSERT_EQ(ShowFiles::open(target, opened, work2, services(), &contents), ShowFiles::OpenResult::Opened);
    const QString w = work2 + "/";
    // Same name from two folders: each slide shows its own picture.
    EXPECT_EQ(opened.imagePaths(), QStringList({w + "sea.jpg", w + "\u5bcc\u58eb.png", w + "sea (2).jpg"}));
    EXPECT_EQ(TempFolder::read(w + "sea.jpg"), QByteArray("sea"));
    EXPECT_EQ(TempFolder::read(w + "sea (2).jpg"), QByteArray("second sea"));
    EXPECT_EQ(contents.entries[2].name, "sea (2).jpg");
    EXPECT_EQ(opened.captions(), doc.captions());
    EXPECT_EQ(opened.timings(), QStringList({"2500", "0", "0"}));
    EXPECT_EQ(opened.soundPaths(), QStringList({"", w + "ring.wav", " "}));
    EXPECT_EQ(opened.musicTracks(), QStringList({w + "one.mid", w + "two.mid"}));
    EXPECT_EQ(opened.settingsLines(), QStringList({"255", "FALSE"}));
    EXPECT_EQ(contents.header.settings(), settings);
}

TEST_F(ShowFilesTest, StoredNamesAreDistinctWithoutRegardToCase) {
    const QHash<QString, QString> names =
        ShowFiles::storedNames({"/cam1/IMG_0001.JPG", "/cam2/IMG_0001.JPG", "/cam3/img_0001.jpg", "/x/noext",
                                "/y/noext", "/z/CfgSet.lst", "/cam4/IMG_0001 (2).JPG"});
    EXPECT_EQ(names.value("/cam1/IMG_0001.JPG"), "IMG_0001.JPG");
    EXPECT_EQ(names.value("/cam2/IMG_0001.JPG"), "IMG_0001 (2).JPG");
    EXPECT_EQ(names.value("/cam3/img_0001.jpg"), "img_0001 (3).jpg");
    EXPECT_EQ(names.value("/y/noext"), "noext (2)");
    EXPECT_EQ(names.value("/z/CfgSet.lst"), "CfgSet (2).lst") << "the list files' names are taken";
    EXPECT_EQ(names.value("/cam4/IMG_0001 (2).JPG"), "IMG_0001 (2) (2).JPG");
    QSet<QString> distinct;
    for (const QString& n : names)
        distinct.insert(n.toLower());
    EXPECT_EQ(distinct.size(), names.size());
}

TEST_F(ShowFilesTest, AnOpenThatCannotGoAheadLeavesTheOpenShowsFilesAlone) {
    // The open show's pictures live in the working folder: a missing file, a folder or too little
    // room must not empty it.
    tmp.write(QFileInfo(work).fileName() + "/leftover.jpg", QByteArray(300, 'x'));
    ShowDocument doc;
    doc.addSlide("/keep.jpg", "", "", 0);
    const QString missing = tmp.file("gone.cjf");
    EXPECT_EQ(ShowFiles::open(missing, doc, work, services()), ShowFiles::OpenResult::NotFound);
    EXPECT_EQ(messages.texts(), QStringList({"Unable to locate file " + missing}));
    QDir().mkpath(tmp.file("shows.cjf"));
    EXPECT_EQ(ShowFiles::open(tmp.file("shows.cjf"), doc, work, services()), ShowFiles::OpenResult::NotFound)
        << "a folder is not a show file";
    EXPECT_EQ(doc.slideCount(), 1) << "the document is left as it was";

    messages.shown.clear();
    const QString show = tmp.write("big.cjf", QByteArray(1000, 'x'));
    disk.free = 10;
    EXPECT_EQ(ShowFiles::open(show, doc, work, services()), ShowFiles::OpenResult::NoSpace);
    EXPECT_EQ(messages.texts(),
              QStringList({"Cannot open file due to insufficient working space on drive: " + tmp.path()}));
    EXPECT_TRUE(QFileInfo::exists(work + "/leftover.jpg"));

    // What emptying the folder frees counts: 300 bytes there and 700 free hold the 1000-byte show.
    messages.shown.clear();
    disk.free = 700;
    EXPECT_EQ(ShowFiles::open(show, doc, work, services()), ShowFiles::OpenResult::ReadFailed);
    EXPECT_FALSE(QFileInfo::exists(work + "/leftover.jpg")) << "emptied once the open goes ahead";
    EXPECT_EQ(messages.texts(), QStringList({"Not a valid *.CJF file."}));
}

TEST_F(ShowFilesTest, SaveFailuresAreReportedAndNeverReplaceTheOldShow) {
    ShowDocument doc;
    doc.addSlide(tmp.write("a.jpg", "a"), "", "", 0);
    const QString target = tmp.write("show.cjf", "old show");

    EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), tmp.file("no-such-folder"), target, services()),
              ShowFiles::SaveResult::ListFilesFailed);
    EXPECT_EQ(messages.texts(),
              QStringList({"Unable to write file lists to disk. Please be sure there is sufficient "
                           "working space on drive /media/show:."}));

    messages.shown.clear();
    disk.free = 100;
    EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), work, target, services()), ShowFiles::SaveResult::NoSpace);
    EXPECT_EQ(messages.texts(), QStringList({"Insufficient space on drive: /media/show"}));

    messages.shown.clear();
    disk.free = 1LL << 40;
    EXPECT_EQ(ShowFiles::save(doc, ShowSettings(), work, tmp.file("missing-folder/show.cjf"), services()),
              ShowFiles::SaveResult::WriteFailed);
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.texts().value(0).startsWith("Unable to save the show to "));
    EXPECT_EQ(TempFolder::read(target), QByteArray("old show"));
}

} // namespace
