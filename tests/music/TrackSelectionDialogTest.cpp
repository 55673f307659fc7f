#include "TrackSelectionDialog.h"
#include "AccessibleNames.h"
#include "AppFolders.h"
#include "ChildWidget.h"
#include "FakeFileOperations.h"
#include "MediaPlayer.h"
#include "MusicFiles.h"
#include "MusicFolderModel.h"
#include "MusicList.h"
#include "ScriptedMessages.h"
#include "ShowDocument.h"
#include "SoundFiles.h"
#include "TempFolder.h"
#include "TrackListEdits.h"
#include "audio/AudioEngine.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class TrackSelectionDialogTest : public ::testing::Test {
protected:
    TrackSelectionDialogTest() : engine(AudioEngine::Output::Manual), folders(dir.file("Library")) {
        QDir().mkpath(dir.file("Library/Rock"));
        QDir().mkpath(dir.file("Library/Rock2"));
        QDir().mkpath(dir.file("Library/Empty"));
        for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
            sound(QStringLiteral("Library/") + QLatin1String(name), 300);
        sound(QStringLiteral("Library/Rock/r.wav"), 300);
        sound(QStringLiteral("Library/Rock2/x.wav"), 300);
        dir.write(QStringLiteral("Library/notes.txt"), "not a sound");
        dialog = std::make_unique<TrackSelectionDialog>(doc, folders, messages, files, engine,
                                                        [this] { ++statusUpdates; });
        dialog->setHelp([this](int context) { helpContexts << context; });
    }

    QString sound(const QString& name, int ms) {
        return dir.write(name, SoundFiles::wav(8000, 1, 16, 8 * ms, [](qint64, int) { return 0.1; }));
    }
    QString library(const QString& name = QString()) const {
        return name.isEmpty() ? dir.file("Library") : dir.file("Library/" + name);
    }

    void open() {
        dialog->prepare();
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    MusicList& available() { return child<MusicList>(dialog.get(), "availableList"); }
    MusicList& selected() { return child<MusicList>(dialog.get(), "selectedList"); }
    QPushButton& button(const char* name) { return child<QPushButton>(dialog.get(), name); }
    QTreeView& tree() { return child<QTreeView>(dialog.get(), "folderTree"); }
    MusicFolderModel& model() { return child<MusicFolderModel>(dialog.get(), "folderModel"); }
    MediaPlayer& player() { return child<MediaPlayer>(dialog.get(), "previewPlayer"); }
    QAction& action(const char* name) { return child<QAction>(dialog.get(), name); }

    QStringList texts(const MusicList& list) const {
        QStringList out;
        for (int row = 0; row < list.count(); ++row)
            out << list.item(row)->text();
        return out;
    }
    void selectFiles(const QList<int>& rows) {
        available().clearSelection();
        for (int row : rows)
            available().item(row)->setSelected(true);
    }
    // Drops what comes from source at the middle of entry row of the tracks (row == count: below
    // the last entry).
    void dropOnTracks(QWidget* source, int row) {
        MusicList& list = selected();
        QPoint point;
        if (row < list.count()) {
            point = list.visualItemRect(list.item(row)).center();
        } else {
            const QRect last = list.count() ? list.visualItemRect(list.item(list.count() - 1)) : QRect();
            point = QPoint(10, last.bottom() + 5);
        }
        QMimeData mime;
        mime.setData(MusicFiles::kMimeType, QByteArray());
        emit list.dropped(&mime, source, point);
    }
    // Waits until the tree has read folder.
    void waitForFolder(const QString& folder) {
        QSignalSpy loaded(&model(), &QFileSystemModel::directoryLoaded);
        model().index(folder);
        for (int i = 0; i < 100 && model().rowCount(model().index(folder)) == 0; ++i)
            loaded.wait(50);
    }

    TempFolder dir;
    ShowDocument doc;
    ScriptedMessages messages;
    FakeFileOperations files;
    AudioEngine engine;
    AppFolders folders;
    int statusUpdates = 0;
    QList<int> helpContexts;
    std::unique_ptr<TrackSelectionDialog> dialog;
};

TEST_F(TrackSelectionDialogTest, OpensOnTheLibraryWithTheShowsTracks) {
    doc.setMusicTracks({library("b.wav"), library("Rock/r.wav")});
    doc.setModified(false);
    open();
    EXPECT_EQ(dialog->windowTitle(), "Select Audio Tracks");
    EXPECT_EQ(dialog->size(), QSize(612, 384));
    EXPECT_EQ(dialog->listFolder(), library());
    EXPECT_EQ(model().filePath(tree().currentIndex()), library());
    EXPECT_EQ(texts(available()), QStringList({"a.wav", "b.wav", "c.wav", "d.wav"}));
    EXPECT_EQ(texts(selected()), QStringList({"b.wav", "r.wav"}));
    EXPECT_TRUE(available().hasFocus());
    EXPECT_EQ(available().currentRow(), 0);
    EXPECT_TRUE(button("previewButton").isEnabled());
    EXPECT_TRUE(button("clearButton").isEnabled());
    EXPECT_FALSE(button("stopPreviewButton").isVisible());
    EXPECT_EQ(unnamedControls(*dialog), QStringList());
    EXPECT_EQ(button("previewButton").toolTip(), "Play Selection");
    EXPECT_EQ(button("clearButton").toolTip(), "Remove all selections");

    // The library's folders open as they are read.
    waitForFolder(library());
    for (int i = 0; i < 100 && !tree().isExpanded(model().index(library("Rock"))); ++i)
        QTest::qWait(20);
    EXPECT_TRUE(tree().isExpanded(model().index(library())));
    EXPECT_TRUE(tree().isExpanded(model().index(library("Rock"))));

    dialog->done(QDialog::Accepted);
    EXPECT_EQ(statusUpdates, 1) << "the editor's summary follows every close";
    EXPECT_FALSE(doc.isModified());
}

TEST_F(TrackSelectionDialogTest, AMissingLibraryFallsBackForTheRestOfTheRun) {
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(dir.path()));
    QDir().mkpath(dir.file("Music"));
    sound(QStringLiteral("Music/m.wav"), 100);
    folders.setMusicFolder(dir.file("gone"));
    open();
    EXPECT_EQ(folders.musicFolder(), dir.file("Music"));
    EXPECT_EQ(texts(available()), QStringList({"m.wav"}));
    EXPECT_TRUE(messages.shown.isEmpty()) << "without a word";
    qputenv("HOME", home);
}

TEST_F(TrackSelectionDialogTest, ThePreviewButtonNeedsSomethingToPlay) {
    open();
    dialog->showFolder(library("Empty"));
    EXPECT_FALSE(button("previewButton").isEnabled()) << "both lists empty";
    dialog->showFolder(library());
    dialog->addCurrentFile();
    dialog->showFolder(library("Empty"));
    EXPECT_TRUE(button("previewButton").isEnabled()) << "a track is there to play";
    EXPECT_EQ(selected().currentRow(), 0);
}

TEST_F(TrackSelectionDialogTest, EnterAndDoubleClickAddTracksAndMarkTheShowModified) {
    open();
    doc.setModified(false);
    QTest::keyClick(&available(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "Enter adds; it does not close the dialog";
    available().setCurrentRow(2);
    QTest::keyClick(&available(), Qt::Key_Enter);
    available().setCurrentRow(2);
    const QRect row = available().visualItemRect(available().item(2));
    QTest::mouseClick(available().viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(available().viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(texts(selected()), QStringList({"a.wav", "c.wav", "c.wav"}));
    EXPECT_EQ(doc.musicTracks(), QStringList({library("a.wav"), library("c.wav"), library("c.wav")}));
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(button("clearButton").isEnabled());

    // Every way of taking tracks out marks the show too.
    for (const char* how : {"delete", "remove", "clear"}) {
        doc.setModified(false);
        selected().setCurrentRow(0);
        if (QLatin1String(how) == QLatin1String("delete"))
            QTest::keyClick(&selected(), Qt::Key_Delete);
        else if (QLatin1String(how) == QLatin1String("remove"))
            action("removeTrackAction").trigger();
        else
            button("clearButton").click();
        EXPECT_TRUE(doc.isModified()) << how;
        EXPECT_EQ(selected().count(), int(doc.musicTracks().size())) << how;
    }
    EXPECT_TRUE(doc.musicTracks().isEmpty());
    EXPECT_FALSE(button("clearButton").isEnabled());
}

TEST_F(TrackSelectionDialogTest, DroppedFilesLandWhereTheyAreDropped) {
    doc.setMusicTracks({"/t/0.wav", "/t/1.wav", "/t/2.wav", "/t/3.wav", "/t/4.wav"});
    open();
    doc.setModified(false);
    selectFiles({0, 2, 3});
    dropOnTracks(&available(), 2);
    EXPECT_EQ(doc.musicTracks(), QStringList({"/t/0.wav", "/t/1.wav", library("a.wav"), library("c.wav"),
                                              library("d.wav"), "/t/2.wav", "/t/3.wav", "/t/4.wav"}));
    EXPECT_EQ(texts(selected()).mid(2, 3), QStringList({"a.wav", "c.wav", "d.wav"}));
    EXPECT_TRUE(doc.isModified());

    selectFiles({1, 3});
    dropOnTracks(&available(), selected().count());
    EXPECT_EQ(doc.musicTracks().mid(8), QStringList({library("b.wav"), library("d.wav")}));

    // Outside the list, nothing.
    const qsizetype before = doc.musicTracks().size();
    QMimeData mime;
    mime.setData(MusicFiles::kMimeType, QByteArray());
    emit selected().dropped(&mime, &available(), QPoint(-5, -5));
    EXPECT_EQ(doc.musicTracks().size(), before);
}

TEST_F(TrackSelectionDialogTest, TracksAreReorderedByDraggingAndWithAltArrows) {
    doc.setMusicTracks({"/m/A.wav", "/m/B.wav", "/m/C.wav", "/m/D.wav"});
    open();
    selected().setCurrentRow(0);
    dropOnTracks(&selected(), 2);
    EXPECT_EQ(texts(selected()), QStringList({"B.wav", "A.wav", "C.wav", "D.wav"}));
    EXPECT_EQ(doc.musicTracks(), QStringList({"/m/B.wav", "/m/A.wav", "/m/C.wav", "/m/D.wav"}));
    selected().setCurrentRow(3);
    dropOnTracks(&selected(), 1);
    EXPECT_EQ(texts(selected()), QStringList({"B.wav", "D.wav", "A.wav", "C.wav"}));
    selected().setCurrentRow(1);
    dropOnTracks(&selected(), 4);
    EXPECT_EQ(texts(selected()), QStringList({"B.wav", "A.wav", "C.wav", "D.wav"}));

    selected().setCurrentRow(1);
    QTest::keyClick(&selected(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(texts(selected()), QStringList({"A.wav", "B.wav", "C.wav", "D.wav"}));
    EXPECT_EQ(selected().currentRow(), 0);
    QTest::keyClick(&selected(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(&selected(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(doc.musicTracks(), QStringList({"/m/B.wav", "/m/C.wav", "/m/A.wav", "/m/D.wav"}));
}

TEST_F(TrackSelectionDialogTest, PreviewPlaysTheChosenTrackFirstAndEndsQuietly) {
    doc.setMusicTracks({library("d.wav")});
    open();
    selectFiles({1});
    selected().setCurrentRow(0);
    button("previewButton").click();
    EXPECT_EQ(dialog->previewFile(), library("d.wav")) << "a chosen track wins over a chosen file";
    EXPECT_EQ(player().mode(), MediaPlayer::Mode::Playing);
    EXPECT_TRUE(button("stopPreviewButton").isVisible());
    EXPECT_FALSE(button("previewButton").isVisible());

    // Played to its end: back to rest.
    for (int ms = 0; ms < 2000 && dialog->isPreviewing(); ms += 10) {
        engine.pull(AudioEngine::kDefaultSampleRate / 100);
        QApplication::processEvents();
    }
    EXPECT_FALSE(dialog->isPreviewing());
    EXPECT_EQ(player().mode(), MediaPlayer::Mode::NotReady);

    // A sound that will not play: no message, back to rest.
    dir.write(QStringLiteral("Library/broken.wav"), "RIFF....WAVEjunk");
    dialog->showFolder(library());
    selected().clearSelection();
    ASSERT_EQ(available().item(2)->text(), "broken.wav");
    selectFiles({2});
    available().setCurrentRow(2, QItemSelectionModel::NoUpdate);
    button("previewButton").click();
    EXPECT_FALSE(dialog->isPreviewing());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(TrackSelectionDialogTest, APreviewFollowsTheClickedFileAndStopsWithTheDialog) {
    open();
    selectFiles({0});
    available().setCurrentRow(0, QItemSelectionModel::NoUpdate);
    button("previewButton").click();
    ASSERT_TRUE(dialog->isPreviewing());
    QTest::mouseClick(available().viewport(), Qt::LeftButton, {},
                      available().visualItemRect(available().item(2)).center());
    EXPECT_EQ(dialog->previewFile(), library("c.wav"));
    EXPECT_TRUE(dialog->isPreviewing());

    // A click that leaves nothing chosen: the preview goes back to rest, not on showing "Stop".
    QTest::mouseClick(available().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      available().visualItemRect(available().item(2)).center());
    EXPECT_FALSE(available().anySelected());
    EXPECT_FALSE(dialog->isPreviewing());

    available().setCurrentRow(1);
    button("previewButton").click();
    ASSERT_TRUE(dialog->isPreviewing());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->isPreviewing());
    EXPECT_EQ(player().mode(), MediaPlayer::Mode::NotReady);
    EXPECT_EQ(statusUpdates, 1);
}

TEST_F(TrackSelectionDialogTest, FilesDroppedOnAFolderMoveAndTakeTheShowAlong) {
    doc.setMusicTracks({library("a.wav"), " " + library("b.wav") + " ", library("c.wav")});
    doc.addSlide("/pictures/p.png", library("b.wav"), "", 0);
    doc.setModified(false);
    open();
    selectFiles({0, 1, 2});

    // On its own folder: nothing happens.
    dialog->dropOnFolder(library());
    EXPECT_TRUE(files.calls.isEmpty());

    // The second of three fails: the other two arrive and the show follows only them.
    files.failing.insert(library("b.wav"));
    dialog->dropOnFolder(library("Rock"));
    ASSERT_EQ(files.calls.size(), 1);
    EXPECT_EQ(files.calls[0].operation, "move") << "one file system";
    EXPECT_EQ(files.calls[0].targets,
              QStringList({library("Rock/a.wav"), library("Rock/b.wav"), library("Rock/c.wav")}));
    EXPECT_EQ(doc.musicTracks(), QStringList({library("Rock/a.wav"), " " + library("b.wav") + " ", library("Rock/c.wav")}));
    EXPECT_EQ(doc.slide(0).soundPath, library("b.wav"));
    EXPECT_EQ(texts(available()), QStringList({"b.wav", "d.wav"}));
    EXPECT_FALSE(doc.isModified());

    files.failing.clear();
    selectFiles({0});
    dialog->dropOnFolder(library("Rock2"));
    EXPECT_EQ(doc.musicTracks()[1], library("Rock2/b.wav")) << "blanks around the entry";
    EXPECT_EQ(doc.slide(0).soundPath, library("Rock2/b.wav"));

    // Another file system: a copy.
    struct stat here {};
    struct stat shm {};
    if (::stat("/dev/shm", &shm) == 0 && ::stat(QFile::encodeName(dir.path()).constData(), &here) == 0 &&
        here.st_dev != shm.st_dev) {
        QTemporaryDir elsewhere(QStringLiteral("/dev/shm/orvanne-test-XXXXXX"));
        selectFiles({0});
        dialog->dropOnFolder(elsewhere.path());
        EXPECT_EQ(files.calls.last().operation, "copy");
        EXPECT_EQ(doc.musicTracks().last(), library("Rock/c.wav")) << "d.wav is no track";
    }
}

TEST_F(TrackSelectionDialogTest, ATrashedFileLeavesTheTracksAlone) {
    doc.setMusicTracks({library("a.wav")});
    open();
    selectFiles({0});
    available().setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QTest::keyClick(&available(), Qt::Key_Delete);
    ASSERT_EQ(files.calls.size(), 1);
    EXPECT_EQ(files.calls[0].operation, "trash");
    EXPECT_EQ(files.calls[0].sources, QStringList({library("a.wav")}));
    EXPECT_EQ(texts(available()), QStringList({"b.wav", "c.wav", "d.wav"}));
    EXPECT_EQ(doc.musicTracks(), QStringList({library("a.wav")}));

    // Nothing selected: nothing trashed, and the menu item is off.
    available().clearSelection();
    action("deleteFileAction").trigger();
    EXPECT_EQ(files.calls.size(), 1);
    QMenu& menu = child<QMenu>(dialog.get(), "availableMenu");
    emit menu.aboutToShow();
    EXPECT_FALSE(action("deleteFileAction").isEnabled());
}

TEST_F(TrackSelectionDialogTest, ARenamedFolderTakesTheTracksAndSoundsInsideIt) {
    doc.setMusicTracks({library("Rock/r.wav"), library("Rock2/x.wav"), library("b.wav")});
    doc.addSlide("/p.png", library("Rock/r.wav"), "", 0);
    doc.addSlide("/q.png", library("Rock2/x.wav"), "", 0);
    doc.setModified(false);
    open();
    waitForFolder(library());
    tree().setCurrentIndex(model().index(library("Rock")));
    EXPECT_EQ(dialog->listFolder(), library("Rock"));
    EXPECT_TRUE(model().setData(model().index(library("Rock")), QStringLiteral("Jazz")));
    EXPECT_TRUE(QFileInfo(library("Jazz/r.wav")).isFile());
    EXPECT_EQ(doc.musicTracks(), QStringList({library("Jazz/r.wav"), library("Rock2/x.wav"), library("b.wav")}));
    EXPECT_EQ(texts(selected()), QStringList({"r.wav", "x.wav", "b.wav"}));
    EXPECT_EQ(doc.slide(0).soundPath, library("Jazz/r.wav"));
    EXPECT_EQ(doc.slide(1).soundPath, library("Rock2/x.wav"));
    EXPECT_EQ(dialog->listFolder(), library("Jazz"));
    EXPECT_EQ(texts(available()), QStringList({"r.wav"}));
    EXPECT_FALSE(doc.isModified());

    // The library itself renamed: the program remembers the new name.
    EXPECT_TRUE(model().setData(model().index(library()), QStringLiteral("Songs")));
    EXPECT_EQ(folders.musicFolder(), dir.file("Songs"));
    EXPECT_EQ(doc.musicTracks()[0], dir.file("Songs/Jazz/r.wav"));

    // A rename that fails changes nothing.
    files.failing.insert(dir.file("Songs/Rock2"));
    EXPECT_FALSE(model().setData(model().index(dir.file("Songs/Rock2")), QStringLiteral("Pop")));
    EXPECT_EQ(doc.musicTracks()[1], dir.file("Songs/Rock2/x.wav"));
}

TEST_F(TrackSelectionDialogTest, NewFoldersTakeTheNextFreeNameOrSayWhyNot) {
    open();
    QDir().mkpath(library("Empty/New Folder"));
    QDir().mkpath(library("Empty/New Folder (2)"));
    tree().setCurrentIndex(model().index(library("Empty")));
    action("newFolderAction").trigger();
    EXPECT_TRUE(QFileInfo(library("Empty/New Folder (3)")).isDir());
    EXPECT_EQ(model().filePath(tree().currentIndex()), library("Empty/New Folder (3)"));
    const QLineEdit* nameEditor = tree().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(nameEditor, nullptr) << "its name open for typing";
    EXPECT_EQ(nameEditor->text(), "New Folder (3)");
    EXPECT_TRUE(messages.shown.isEmpty());

    tree().setCurrentIndex(model().index(library("Rock2")));
    for (const QString& name : TrackListEdits::newFolderNames())
        QDir().mkpath(library("Rock2/" + name));
    action("newFolderAction").trigger();
    EXPECT_EQ(messages.texts(), QStringList({"Unable to create the folder 'New Folder'\n\nFile exists"}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Warning);

    files.makeFolderError = EACCES;
    action("newFolderAction").trigger();
    EXPECT_EQ(messages.texts().last(), "Unable to create the folder 'New Folder'\n\nPermission denied");
}

TEST_F(TrackSelectionDialogTest, F1NamesThePartThatHasTheFocus) {
    open();
    const QList<QPair<QWidget*, int>> parts = {{&tree(), 1010},
                                               {&available(), 800},
                                               {&button("previewButton"), 910},
                                               {&selected(), 920},
                                               {&button("clearButton"), 810}};
    for (const auto& part : parts) {
        part.first->setEnabled(true);
        part.first->setFocus();
        QTest::keyClick(dialog.get(), Qt::Key_F1);
    }
    EXPECT_EQ(helpContexts, QList<int>({1010, 800, 910, 920, 810}));
}

} // namespace
