// New, open and save from the editor, the questions that protect unsaved changes, the recent
// files and the titles.

#include "ShowFileCommands.h"
#include "ChildWidget.h"
#include "DiskWrites.h"
#include "EditorLists.h"
#include "EditorWindow.h"
#include "FakeDiskSpace.h"
#include "FakeHelpViewer.h"
#include "PictureWidget.h"
#include "ProgressReport.h"
#include "RecentFiles.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessages.h"
#include "ShowDocument.h"
#include "ShowTexts.h"
#include "TempFolder.h"
#include "WorkFolder.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

const QString kNoSlides =
    QStringLiteral("No slides have been added to the slide show.  Please add one or more "
                   "slides before saving the slide show.");

class ShowFileCommandsTest : public ::testing::Test {
protected:
    ShowFileCommandsTest()
        : settings(home.file("settings.ini"), QSettings::IniFormat), recent(settings),
          workFolder(WorkFolder::createNumbered(home.file("cache"))), work(workFolder.path()) {
        qputenv("HOME", QFile::encodeName(home.path()));
        editor = std::make_unique<EditorWindow>(messages, dialogs, help, home.file("guide.html"));
        commands = std::make_unique<ShowFileCommands>(
            *editor, dialogs, ShowFileServices{messages, progress, disk}, recent, work);
    }
    ~ShowFileCommandsTest() override {
        commands.reset();
        editor.reset();
    }

    ShowDocument& doc() { return editor->document(); }
    // A picture of its own on disk, added as a slide.
    QString addPicture(const QString& name) {
        QImage image(16, 12, QImage::Format_RGB32);
        image.fill(Qt::green);
        const QString path = home.file("pics/" + name);
        QDir().mkpath(home.file("pics"));
        image.save(path);
        doc().addSlide(path, "", "Caption " + name, 0);
        return path;
    }
    // A show saved to path with n slides, through the commands, leaving the editor untouched.
    QString savedShow(const QString& name, int slides = 2) {
        ShowDocument show;
        for (int i = 0; i < slides; ++i) {
            QImage image(10, 10, QImage::Format_RGB32);
            image.fill(Qt::red);
            const QString picture = home.file(QStringLiteral("src/%1-%2.png").arg(name).arg(i));
            QDir().mkpath(home.file("src"));
            image.save(picture);
            show.addSlide(picture, "", QStringLiteral("%1 %2").arg(name).arg(i), 0);
        }
        const OwnedWorkFolder scratch = WorkFolder::createNumbered(home.file("scratch"));
        ShowSettings s{30, false, false, true, false};
        const QString target = home.file(name + ".cjf");
        EXPECT_EQ(
            ShowFiles::save(show, s, scratch.path(), target, ShowFileServices{messages, progress, disk}),
            ShowFiles::SaveResult::Saved);
        return target;
    }

    TempFolder home;
    ScriptedMessages messages;
    ScriptedFileDialogs dialogs;
    FakeHelpViewer help;
    NoProgress progress;
    FakeDiskSpace disk;
    QSettings settings;
    RecentFiles recent;
    OwnedWorkFolder workFolder;
    QString work;
    std::unique_ptr<EditorWindow> editor;
    std::unique_ptr<ShowFileCommands> commands;
};

TEST_F(ShowFileCommandsTest, SavingAskingWhereAndWhetherToReplace) {
    using Outcome = ShowFileCommands::SaveOutcome;
    EXPECT_EQ(commands->save(), Outcome::NoSlides);
    EXPECT_EQ(messages.texts(), QStringList({kNoSlides}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Warning);
    EXPECT_TRUE(dialogs.saves.isEmpty());

    // Cancelled: the show keeps its changes and its (lack of a) name.
    addPicture("a.png");
    doc().setModified(false);
    EXPECT_EQ(commands->save(), Outcome::Cancelled);
    EXPECT_TRUE(doc().isModified());
    ASSERT_EQ(dialogs.saves.size(), 1);
    EXPECT_EQ(dialogs.saves[0].title, "Save SlideShow");
    EXPECT_EQ(dialogs.saves[0].start, home.file("untitled")) << "untitled, in the home folder";
    EXPECT_EQ(dialogs.saves[0].filter, "combined JPEG file (*.cjf)");
    EXPECT_EQ(dialogs.saves[0].suffix, "cjf");
    EXPECT_EQ(editor->windowTitle(), "Orvanne - Untitled");

    // An existing file: No asks again, and the second choice is saved.
    const QString existing = home.write("old.cjf", "old show");
    messages.shown.clear();
    messages.answers.enqueue(MessageAnswer::No);
    dialogs.saveAnswers << existing << home.file("Holiday & Sea.cjf");
    EXPECT_EQ(commands->save(), Outcome::Saved);
    EXPECT_EQ(messages.texts(), QStringList({"Overwrite existing file: old.cjf?"}));
    EXPECT_EQ(dialogs.saves.last().start, existing) << "the dialog comes back where it was";
    EXPECT_EQ(TempFolder::read(existing), QByteArray("old show"));
    EXPECT_TRUE(QFileInfo(home.file("Holiday & Sea.cjf")).size() > 44);
    EXPECT_FALSE(doc().isModified());
    EXPECT_EQ(doc().fileName(), home.file("Holiday & Sea.cjf"));
    EXPECT_EQ(editor->windowTitle(), "Orvanne - Holiday & Sea");
    EXPECT_EQ(recent.entries(), QStringList({home.file("Holiday & Sea.cjf")}));

    // Saved again: no dialog, no question.
    const int dialogsBefore = dialogs.saves.size();
    messages.shown.clear();
    doc().setModified(true);
    EXPECT_EQ(commands->save(), Outcome::Saved);
    EXPECT_EQ(dialogs.saves.size(), dialogsBefore);
    EXPECT_TRUE(messages.shown.isEmpty());

    // Save As starts at the show's file; a name without ".cjf" is the title whole.
    dialogs.saveAnswers << home.file("README");
    EXPECT_EQ(commands->save(true), Outcome::Saved);
    EXPECT_EQ(dialogs.saves.last().title, "Save SlideShow As");
    EXPECT_EQ(dialogs.saves.last().start, home.file("Holiday & Sea.cjf"));
    EXPECT_EQ(editor->windowTitle(), "Orvanne - README");
}

TEST_F(ShowFileCommandsTest, AFailedSaveSaysSoKeepsTheChangesAndTheOldFile) {
    using Outcome = ShowFileCommands::SaveOutcome;
    addPicture("a.png");
    const QString old = home.write("kept.cjf", "the old show");
    messages.answers.enqueue(MessageAnswer::Yes); // replace it
    dialogs.saveAnswers << old;
    disk.free = 10;
    EXPECT_EQ(commands->save(), Outcome::Failed);
    EXPECT_EQ(messages.texts().last(), "Insufficient space on drive: /media/show");
    EXPECT_TRUE(doc().isModified());
    EXPECT_EQ(TempFolder::read(old), QByteArray("the old show"));
    EXPECT_TRUE(recent.entries().isEmpty());
    EXPECT_EQ(doc().fileName(), "") << "the show did not become that file";
    EXPECT_EQ(editor->windowTitle(), "Orvanne - Untitled");

    // A folder that is not there: the write fails, in words.
    disk.free = 1LL << 40;
    messages.shown.clear();
    dialogs.saveAnswers << home.file("no/such/folder/x.cjf");
    EXPECT_EQ(commands->save(), Outcome::Failed);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(
        messages.texts()[0].startsWith("Unable to save the show to " + home.file("no/such/folder/x.cjf")));
    EXPECT_TRUE(doc().isModified());
}

TEST_F(ShowFileCommandsTest, OpeningAShowPutsItInTheEditor) {
    const QString show = savedShow("holiday");
    ASSERT_TRUE(commands->open(show));
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(doc().slideCount(), 2);
    EXPECT_EQ(doc().slide(0).imagePath, work + "/holiday-0.png") << "the pictures live in the working folder";
    EXPECT_EQ(editor->windowTitle(), "Orvanne - holiday");
    EXPECT_EQ(editor->settings(), (ShowSettings{30, false, false, true, false})) << "the header's options";
    EXPECT_FALSE(doc().isModified()) << "setting the options was no change of the show";
    EXPECT_EQ(editor->currentFolder(), work);
    EXPECT_EQ(child<EditorList>(editor.get(), "slideList").count(), 2);
    EXPECT_EQ(editor->currentSlideIndex(), 0);
    EXPECT_EQ(child<QLabel>(editor.get(), "previewTitle").text(), "Preview: Slide #1");
    EXPECT_EQ(recent.entries(), QStringList({show}));
    EXPECT_EQ(child<QLabel>(editor.get(), "statusPanel1").text(), "Slides: 2");
}

TEST_F(ShowFileCommandsTest, UnsavedChangesAreOfferedBeforeAnotherShowIsOpened) {
    const QString show = savedShow("next");
    addPicture("mine.png");
    doc().setModified(true);
    dialogs.openAnswers << show;
    messages.answers.enqueue(MessageAnswer::Cancel);
    EXPECT_FALSE(commands->open());
    EXPECT_EQ(messages.texts(), QStringList({"Save Changes to Untitled.cjf?"}));
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(dialogs.opens.isEmpty()) << "Cancel stops before the dialog";
    EXPECT_EQ(doc().slideCount(), 1);

    // Yes, and the save fails: the open stops, the show is still there with its changes.
    messages.shown.clear();
    messages.answers.enqueue(MessageAnswer::Yes);
    dialogs.saveAnswers << home.file("mine.cjf");
    disk.free = 10;
    EXPECT_FALSE(commands->open(show));
    EXPECT_EQ(doc().slideCount(), 1);
    EXPECT_TRUE(doc().isModified());

    // No: the changes go and the show opens.
    disk.free = 1LL << 40;
    messages.shown.clear();
    messages.answers.enqueue(MessageAnswer::No);
    dialogs.openAnswers << show;
    EXPECT_TRUE(commands->open());
    EXPECT_EQ(dialogs.opens.last().title, "Open Slideshow");
    EXPECT_EQ(dialogs.opens.last().filter, "combined JPEG file (*.cjf)");
    EXPECT_EQ(doc().slide(0).caption, "next 0");
}

TEST_F(ShowFileCommandsTest, AShowThatCannotBeOpenedLeavesTheOpenShowAlone) {
    ASSERT_TRUE(commands->open(savedShow("open")));
    const QString picture = doc().slide(0).imagePath;
    const QString missing = home.file("gone.cjf");
    EXPECT_FALSE(commands->open(missing));
    EXPECT_EQ(messages.texts(), QStringList({"Unable to locate file " + missing}));
    EXPECT_TRUE(QFileInfo::exists(picture)) << "the open show's pictures are still in the working folder";
    EXPECT_EQ(doc().slideCount(), 2);
    EXPECT_EQ(editor->windowTitle(), "Orvanne - open");

    messages.shown.clear();
    const QString big = savedShow("big");
    disk.free = 10;
    EXPECT_FALSE(commands->open(big));
    EXPECT_EQ(messages.texts(), QStringList({"Cannot open file due to insufficient working space on drive: " +
                                             home.file("cache")}));
    EXPECT_TRUE(QFileInfo::exists(picture));
    EXPECT_EQ(doc().slideCount(), 2);
}

TEST_F(ShowFileCommandsTest, ADamagedShowGivesANewShowWithoutASecondQuestion) {
    addPicture("mine.png");
    doc().setModified(true);
    messages.answers.enqueue(MessageAnswer::No);
    const QString text =
        home.write("notes.cjf", "These are my notes, not a show at all, nor anything like one.");
    EXPECT_FALSE(commands->open(text));
    EXPECT_EQ(messages.texts(), QStringList({"Save Changes to Untitled.cjf?", "Not a valid *.CJF file."}));
    EXPECT_EQ(doc().slideCount(), 0);
    EXPECT_EQ(editor->windowTitle(), "Orvanne - Untitled");
    EXPECT_TRUE(recent.entries().isEmpty());
}

TEST_F(ShowFileCommandsTest, ANewShowClearsTheShowAndKeepsTheOptions) {
    ASSERT_TRUE(commands->open(savedShow("old")));
    child<QAction>(editor.get(), "transitionsAction").setChecked(false);
    doc().setSettingsLine(1, "255");
    child<QSlider>(editor.get(), "delaySlider").setValue(44);
    doc().setModified(false);
    commands->newShow();
    EXPECT_TRUE(messages.shown.isEmpty()) << "nothing to ask: no changes";
    EXPECT_EQ(doc().slideCount(), 0);
    EXPECT_EQ(doc().fileName(), "");
    EXPECT_EQ(doc().settingsLines(), QStringList({"-2147483633", "TRUE"}));
    EXPECT_TRUE(editor->transitionEffects()) << "the reset transition setting is applied";
    EXPECT_EQ(editor->defaultDelaySeconds(), 44) << "the options stay as they were";
    EXPECT_EQ(editor->windowTitle(), "Orvanne - Untitled");
    EXPECT_EQ(child<EditorList>(editor.get(), "slideList").count(), 0);
    EXPECT_EQ(QDir(work).entryList(QDir::Files).size(), 0) << "the working folder is emptied";
}

TEST_F(ShowFileCommandsTest, RecentFilesKeepSixNewestFirstAndLoseTheGoneOnes) {
    QStringList shows;
    for (int i = 0; i < 7; ++i)
        shows << savedShow(QStringLiteral("show%1").arg(i), 1);
    shows << savedShow("Rock & Roll", 1);
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(commands->open(shows[i]));
    EXPECT_EQ(recent.entries(), QStringList({shows[6], shows[5], shows[4], shows[3], shows[2], shows[1]}))
        << "the seventh pushed the oldest out";
    ASSERT_TRUE(commands->open(shows[3]));
    EXPECT_EQ(recent.entries().first(), shows[3]) << "reopened, it moves to the top";
    EXPECT_EQ(recent.entries().size(), 6);

    ASSERT_TRUE(commands->open(shows[7]));
    QMenu& menu = child<QMenu>(editor.get(), "recentMenu");
    ASSERT_EQ(menu.actions().size(), 6);
    EXPECT_EQ(menu.actions()[0]->text(), QString(shows[7]).replace("&", "&&")) << "\"&\" shows as itself";
    menu.actions()[1]->trigger();
    EXPECT_EQ(doc().fileName(), shows[3]) << "a menu item opens its show";

    // A listed show that is gone: "Unable to locate file", and it leaves the list.
    QFile::remove(shows[5]);
    const int index = recent.entries().indexOf(shows[5]);
    ASSERT_GE(index, 0);
    menu.actions()[index]->trigger();
    EXPECT_EQ(messages.texts().last(), "Unable to locate file " + shows[5]);
    EXPECT_FALSE(recent.entries().contains(shows[5]));
    EXPECT_EQ(menu.actions().size(), 5);
}

TEST_F(ShowFileCommandsTest, TheFileMenuAndItsKeys) {
    QMenu* file = editor->fileMenu();
    QStringList texts;
    for (QAction* action : file->actions())
        if (!action->isSeparator())
            texts << action->text();
    EXPECT_EQ(texts, QStringList({"&Create New Show", "&Open Existing Show", "&Save Slide Show", "Save &As",
                                  "&Recent Files", "&Begin Slide Show", "E&xit"}));
    EXPECT_EQ(child<QAction>(editor.get(), "saveAsAction").shortcut(), QKeySequence("Ctrl+Shift+S"));
    EXPECT_EQ(child<QAction>(editor.get(), "exitAction").shortcut(), QKeySequence("Ctrl+Q"));
    emit file->aboutToShow();
    EXPECT_FALSE(child<QMenu>(editor.get(), "recentMenu").isEnabled()) << "nothing recent yet";
    EXPECT_FALSE(child<QAction>(editor.get(), "beginShowAction").isEnabled()) << "no slides";
    addPicture("a.png");
    editor->updateButtons();
    emit file->aboutToShow();
    EXPECT_TRUE(child<QAction>(editor.get(), "beginShowAction").isEnabled());
    QSignalSpy begin(editor.get(), &EditorWindow::beginShowRequested);
    child<QAction>(editor.get(), "beginShowAction").trigger();
    EXPECT_EQ(begin.count(), 1) << "it clicks Begin Show";
    EXPECT_EQ(child<QToolButton>(editor.get(), "openButton").accessibleName(), "Open Slide Show");
    EXPECT_EQ(child<QToolButton>(editor.get(), "saveButton").toolTip(), "Save Slide Show");
}

} // namespace

namespace {

// Writes that any thread but the one that made it must wait for until the gate opens: the list
// files go through at once, the pictures wait, so a test sees the editor while they are on their way.
class GatedWrites : public DiskWrites {
public:
    ssize_t write(int fd, const void* data, size_t size) const override {
        waitIfWorker();
        return DiskWrites::write(fd, data, size);
    }
    ssize_t copyRange(int in, int out, size_t size) const override {
        waitIfWorker();
        return DiskWrites::copyRange(in, out, size);
    }
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }

private:
    void waitIfWorker() const {
        if (std::this_thread::get_id() == owner_)
            return;
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }
    const std::thread::id owner_ = std::this_thread::get_id();
    mutable std::mutex mutex_;
    mutable std::condition_variable opened_;
    bool open_ = false;
};

} // namespace

TEST_F(ShowFileCommandsTest, TheEditorIsUsableWhileThePicturesAreStillBeingUnpacked) {
    const QString show = savedShow("trip", 3);
    const QByteArray saved = TempFolder::read(show);
    GatedWrites gate;
    commands = std::make_unique<ShowFileCommands>(
        *editor, dialogs, ShowFileServices{messages, progress, disk, &gate}, recent, work);
    ASSERT_TRUE(commands->open(show));
    // The slides are there to edit; their pictures are still in the show file.
    EXPECT_EQ(doc().slideCount(), 3);
    EXPECT_EQ(child<EditorList>(editor.get(), "slideList").count(), 3);
    EXPECT_FALSE(QFile::exists(work + "/trip-0.png"));
    EXPECT_EQ(child<QLabel>(editor.get(), "previewError").text(), "Loading...");
    EXPECT_FALSE(child<QPushButton>(editor.get(), "beginShowButton").isEnabled())
        << "a show cannot begin without its pictures";
    EXPECT_TRUE(editor->filesArriving());

    // Editing goes on; saving waits until everything it packs is there.
    doc().setCaption(2, "Changed while loading");
    doc().setModified(true);
    EXPECT_EQ(commands->save(), ShowFileCommands::SaveOutcome::Failed);
    EXPECT_EQ(messages.texts().value(0),
              "The show is still being loaded. Please wait until loading is complete, then save again.");
    EXPECT_EQ(TempFolder::read(show), saved) << "the show file is untouched";

    gate.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor->filesArriving(); }, 5000));
    QTest::qWait(0);
    EXPECT_TRUE(child<QPushButton>(editor.get(), "beginShowButton").isEnabled());
    // The preview waited for its picture and shows it now.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !child<PictureWidget>(editor.get(), "previewImage").picture().isEmpty(); }, 5000));
    EXPECT_TRUE(child<QLabel>(editor.get(), "previewError").isHidden());
    EXPECT_EQ(commands->save(), ShowFileCommands::SaveOutcome::Saved);
    EXPECT_EQ(messages.shown.size(), 1);
}

TEST_F(ShowFileCommandsTest, AShowCutShortOpensAndIsReportedAsDamagedWhenTheCutIsReached) {
    const QString show = savedShow("cut", 2);
    // The list files are last in our own files; cut into them and the show cannot be opened at
    // all, as before; a show of another writer may end inside a picture (see the unpack tests).
    QFile file(show);
    ASSERT_TRUE(file.resize(file.size() - 10));
    EXPECT_FALSE(commands->open(show));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, ShowTexts::damagedShow(show));
    EXPECT_EQ(doc().slideCount(), 0) << "a new show";
}

TEST_F(ShowFileCommandsTest, ClosingWhileUnpackingStopsAndLeavesTheFolderToBeRemoved) {
    const QString show = savedShow("big", 6);
    GatedWrites gate;
    commands = std::make_unique<ShowFileCommands>(
        *editor, dialogs, ShowFileServices{messages, progress, disk, &gate}, recent, work);
    ASSERT_TRUE(commands->open(show));
    EXPECT_TRUE(editor->filesArriving());
    // The worker waits inside a write; opening the gate lets that one write finish, and the stop
    // comes before the next file.
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.open();
    });
    commands.reset();
    opener.join();
    EXPECT_FALSE(editor->filesArriving()) << "the editor no longer waits for anything";
    EXPECT_TRUE(WorkFolder::remove(work));
}
