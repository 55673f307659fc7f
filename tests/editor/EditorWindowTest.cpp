// The editor's main window as a person uses it: folders and their pictures, the slide list, the
// preview, the options and the status bar.

#include "EditorWindow.h"
#include "ChildWidget.h"
#include "EditorLists.h"
#include "FakeHelpViewer.h"
#include "PictureWidget.h"
#include "PreviewLoader.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessages.h"
#include "ShowDocument.h"
#include "ShowWindow.h"
#include "TempFolder.h"
#include "audio/AudioEngine.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFileSystemModel>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>

namespace {

class EditorWindowTest : public ::testing::Test {
protected:
    EditorWindowTest() {
        // The window starts in the user's Pictures or home folder: make that a folder of our own.
        qputenv("HOME", QFile::encodeName(home.path()));
        window = std::make_unique<EditorWindow>(messages, dialogs, help, home.file("UsersGuide.html"));
        // Every preview decode is counted and answered at once, on the worker, as the real one.
        window->previewLoader().setDecodeFunction([this](const QString& path, const QSize& box) {
            decoded.fetch_add(1);
            {
                std::lock_guard lock(decodedMutex);
                decodedPaths << path;
            }
            return decodeImageFile(path, box);
        });
    }

    // A folder of five pictures 1.png .. 5.png.
    QString pictures(const QString& name = QStringLiteral("pics")) {
        QDir().mkpath(home.file(name));
        for (int i = 1; i <= 5; ++i) {
            QImage image(30 + i, 20, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 50, 200, 200));
            image.save(home.file(QStringLiteral("%1/%2.png").arg(name).arg(i)));
        }
        return home.file(name);
    }

    // The window goes first: its preview worker may still be using the counters below.
    ~EditorWindowTest() override { window.reset(); }

    EditorList& sources() { return child<EditorList>(window.get(), "sourceList"); }
    EditorList& slides() { return child<EditorList>(window.get(), "slideList"); }
    QAction& action(const char* name) { return child<QAction>(window.get(), name); }
    QString text(const char* label) { return child<QLabel>(window.get(), label).text(); }
    QString panel(int i) {
        return child<QLabel>(window.get(), qPrintable(QStringLiteral("statusPanel%1").arg(i))).text();
    }
    QStringList items(QListWidget& list) {
        QStringList out;
        for (int i = 0; i < list.count(); ++i)
            out << list.item(i)->text();
        return out;
    }
    void select(QListWidget& list, std::initializer_list<int> rows) {
        list.clearSelection();
        for (int row : rows) {
            ASSERT_LT(row, list.count()) << list.objectName().toStdString();
            list.item(row)->setSelected(true);
        }
    }
    // A click on an item, as the mouse makes it.
    void click(QListWidget& list, int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect r = list.visualItemRect(list.item(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, r.center());
    }
    // Waits for the preview's decode under way to come back.
    void waitForPreview() {
        if (window->previewLoader().isBusy()) {
            QSignalSpy done(&window->previewLoader(), &PreviewLoader::loaded);
            ASSERT_TRUE(done.wait(5000));
        }
    }
    void openMenu(const char* name) {
        QMenu& menu = child<QMenu>(window.get(), name);
        emit menu.aboutToShow();
    }

    TempFolder home;
    ScriptedMessages messages;
    ScriptedFileDialogs dialogs;
    FakeHelpViewer help;
    std::unique_ptr<EditorWindow> window;
    std::atomic<int> decoded{0};
    std::mutex decodedMutex;
    QStringList decodedPaths;
};

TEST_F(EditorWindowTest, SlidesAddedAndRemovedKeepTheListAndTheDocumentInStep) {
    window->showFolder(pictures());
    ShowDocument& doc = window->document();
    select(sources(), {1, 4});
    window->addSelectedSources();
    EXPECT_EQ(items(slides()), QStringList({"2.png", "5.png"}));
    ASSERT_EQ(doc.slideCount(), 2);
    EXPECT_EQ(doc.slide(0), (Slide{home.file("pics/2.png"), "0", "", ""}));
    EXPECT_EQ(doc.slide(1).imagePath, home.file("pics/5.png"));
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(panel(1), "Slides: 2");

    // The same picture twice; removing the selected one removes only that one.
    select(sources(), {1});
    window->addSelectedSources();
    EXPECT_EQ(items(slides()), QStringList({"2.png", "5.png", "2.png"}));
    select(slides(), {0});
    doc.setModified(false);
    QTest::keyClick(&slides(), Qt::Key_Delete);
    EXPECT_EQ(items(slides()), QStringList({"5.png", "2.png"}));
    EXPECT_EQ(doc.imagePaths(), QStringList({home.file("pics/5.png"), home.file("pics/2.png")}));
    EXPECT_TRUE(doc.isModified());

    // Delete with nothing selected changes nothing.
    slides().clearSelection();
    doc.setModified(false);
    QTest::keyClick(&slides(), Qt::Key_Delete);
    EXPECT_EQ(doc.slideCount(), 2);
    EXPECT_FALSE(doc.isModified());

    // Everything removed by the menu: the show commands go, viewing stays while there are sources.
    openMenu("slideMenu");
    EXPECT_TRUE(action("selectAllSlidesAction").isEnabled());
    EXPECT_FALSE(action("removeAction").isEnabled()) << "nothing selected";
    action("selectAllSlidesAction").trigger();
    openMenu("slideMenu");
    EXPECT_TRUE(action("removeAction").isEnabled());
    action("removeAction").trigger();
    EXPECT_EQ(slides().count(), 0);
    EXPECT_EQ(doc.slideCount(), 0);
    EXPECT_FALSE(child<QAbstractButton>(window.get(), "beginShowButton").isEnabled());
    EXPECT_FALSE(child<QAbstractButton>(window.get(), "slidePropertiesButton").isEnabled());
    EXPECT_TRUE(child<QAbstractButton>(window.get(), "viewSlideButton").isEnabled());
    EXPECT_EQ(panel(1), "Slides: 0");
}

TEST_F(EditorWindowTest, SlidesWhoseNamesLookLikeMarkersAreRemovedByTheirPlace) {
    // A show can hold a picture named "*" or " ": removal goes by index, never by a placeholder.
    ShowDocument& doc = window->document();
    doc.addSlide(home.write("x/*", "x"), "", "", 0);
    doc.addSlide(home.write("x/ ", "y"), "", "", 0);
    doc.addSlide(home.write("x/a.png", "z"), "", "", 0);
    window->refreshSlideList();
    select(slides(), {2});
    action("removeAction").trigger();
    EXPECT_EQ(items(slides()), QStringList({"*", " "}));
    EXPECT_EQ(doc.imagePaths(), QStringList({home.file("x/*"), home.file("x/ ")}));
}

TEST_F(EditorWindowTest, DoubleClickEnterEscapeAndTheExclusiveSelection) {
    window->showFolder(pictures());
    window->show();
    ShowDocument& doc = window->document();
    QTest::mouseDClick(sources().viewport(), Qt::LeftButton, {},
                       sources().visualItemRect(sources().item(2)).center());
    EXPECT_EQ(items(slides()), QStringList({"3.png"}));
    sources().setCurrentRow(3);
    QTest::keyClick(&sources(), Qt::Key_Return);
    EXPECT_EQ(items(slides()), QStringList({"3.png", "4.png"}));

    // A double-click with no current item adds nothing, but the show counts as changed.
    sources().setCurrentRow(-1);
    doc.setModified(false);
    QTest::mouseDClick(sources().viewport(), Qt::LeftButton, {},
                       QPoint(5, sources().viewport()->height() - 3));
    EXPECT_EQ(doc.slideCount(), 2);
    EXPECT_TRUE(doc.isModified());

    // Escape: the first file becomes current; what was selected stays selected.
    select(sources(), {2, 3});
    sources().setCurrentRow(3, QItemSelectionModel::NoUpdate);
    QTest::keyClick(&sources(), Qt::Key_Escape);
    EXPECT_EQ(sources().currentRow(), 0);
    EXPECT_EQ(sources().selectedItems().size(), 2);

    // Entering one list clears the other's selection.
    select(slides(), {1});
    sources().setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(slides().selectedItems().isEmpty());
    select(sources(), {1});
    slides().setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(sources().selectedItems().isEmpty());

    // The source list's pop-up follows the list.
    openMenu("sourceMenu");
    EXPECT_TRUE(action("selectAllSourcesAction").isEnabled());
    EXPECT_FALSE(action("addToSlidesAction").isEnabled());
    action("selectAllSourcesAction").trigger();
    openMenu("sourceMenu");
    EXPECT_TRUE(action("addToSlidesAction").isEnabled());
    action("addToSlidesAction").trigger();
    EXPECT_EQ(doc.slideCount(), 7);
}

TEST_F(EditorWindowTest, AFolderShowsItsPicturesOnly) {
    const QString folder = home.file("mixed");
    QDir().mkpath(folder);
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (const char* name :
         {"IMG.JPG", "b.png", "img10.png", "img9.png", ".hidden.png", "photo.jpeg", "x.WMF"})
        image.save(folder + "/" + name, QByteArray(name).endsWith("WMF") ? "PNG" : nullptr);
    home.write("mixed/notes.txt", "text");
    home.write("mixed/Makefile", "all:");
    QDir().mkpath(folder + "/folder.jpg");
    window->showFolder(folder);
    EXPECT_EQ(items(sources()),
              QStringList({"b.png", "IMG.JPG", "img9.png", "img10.png", "photo.jpeg", "x.WMF"}))
        << "pictures in any case, sorted as a person reads; no hidden files, no folders, no others";
    EXPECT_EQ(sources().currentRow(), 0);
    EXPECT_TRUE(sources().item(0)->isSelected());
    EXPECT_EQ(text("previewTitle"), "Preview");
    EXPECT_EQ(text("previewFileName"), "b.png");
}

TEST_F(EditorWindowTest, AFolderWithoutPicturesPreviewsTheFirstSlideOrNothing) {
    QDir().mkpath(home.file("empty"));
    window->showFolder(home.file("empty"));
    EXPECT_EQ(sources().count(), 0);
    EXPECT_EQ(text("previewTitle"), "No Preview");

    window->showFolder(pictures());
    select(sources(), {3});
    window->addSelectedSources();
    window->showFolder(home.file("empty"));
    EXPECT_EQ(slides().currentRow(), 0);
    EXPECT_EQ(text("previewTitle"), "Preview: Slide #1");
    EXPECT_EQ(text("previewFileName"), "4.png");
    waitForPreview();
}

TEST_F(EditorWindowTest, DropsOnTheSlideList) {
    window->showFolder(pictures());
    ShowDocument& doc = window->document();
    select(sources(), {4, 1});
    // A drag from the source list: the selected pictures, in list order, at the end.
    QMimeData fromSources;
    emit slides().dropped(&fromSources, &sources());
    EXPECT_EQ(items(slides()), QStringList({"2.png", "5.png"}));

    // From a file manager: the pictures among the files; a drop without pictures adds nothing.
    QMimeData outside;
    outside.setUrls({QUrl::fromLocalFile(home.write("out/notes.txt", "t")),
                     QUrl::fromLocalFile(home.file("pics/3.png"))});
    emit slides().dropped(&outside, nullptr);
    EXPECT_EQ(items(slides()), QStringList({"2.png", "5.png", "3.png"}));
    QMimeData words;
    words.setText("hello");
    emit slides().dropped(&words, nullptr);
    EXPECT_EQ(doc.slideCount(), 3) << "an outside drag never adds the selected source files";

    // A drop on the header is taken and adds nothing.
    QLabel& header = child<QLabel>(window.get(), "slidesHeader");
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(home.file("pics/1.png"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(&header, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(&header, &drop);
    EXPECT_EQ(doc.slideCount(), 3);
}

TEST_F(EditorWindowTest, ClicksWithinTheDelayDecodeOnePictureTheOneCurrentWhenItEnds) {
    window->showFolder(pictures());
    window->show();
    waitForPreview();
    decoded = 0;
    decodedPaths.clear();
    click(sources(), 1);
    click(sources(), 2);
    click(sources(), 3);
    EXPECT_TRUE(child<QTimer>(window.get(), "previewDelay").isActive());
    window->previewDelayElapsed();
    waitForPreview();
    EXPECT_EQ(decoded.load(), 1);
    EXPECT_EQ(decodedPaths, QStringList({home.file("pics/4.png")}));
    EXPECT_EQ(text("previewFileName"), "4.png");
    EXPECT_FALSE(child<PictureWidget>(window.get(), "previewImage").picture().isEmpty());

    // A click on a slide previews at once, with its number.
    select(sources(), {0});
    window->addSelectedSources();
    click(slides(), 0);
    EXPECT_EQ(text("previewTitle"), "Preview: Slide #1");
    waitForPreview();
    EXPECT_EQ(decoded.load(), 2);
}

TEST_F(EditorWindowTest, AResultThatCameTooLateIsDropped) {
    window->showFolder(pictures());
    waitForPreview();
    QSemaphore release;
    window->previewLoader().setDecodeFunction([&release](const QString& path, const QSize& box) {
        release.acquire();
        return decodeImageFile(path, box);
    });
    window->showPreview(home.file("pics/5.png"), -1);
    window->clearPreview();
    QSignalSpy delivered(&window->previewLoader(), &PreviewLoader::loaded);
    release.release();
    QTest::qWait(50);
    QApplication::processEvents();
    EXPECT_EQ(delivered.count(), 0);
    EXPECT_EQ(text("previewTitle"), "No Preview");
    EXPECT_EQ(child<PictureWidget>(window.get(), "previewImage").picture().size(), QSize(167, 141))
        << "the no-preview picture stays";
}

TEST_F(EditorWindowTest, UnreadablePicturesInThePreview) {
    QDir().mkpath(home.file("bad"));
    window->showFolder(home.file("bad"));
    // A damaged metafile: said on the panel, no message box.
    window->showPreview(home.write("bad/broken.wmf", QByteArray(40, '\x01')), -1);
    waitForPreview();
    EXPECT_EQ(text("previewError"), "Cannot read: broken.wmf");
    EXPECT_TRUE(messages.shown.isEmpty());
    // A file that is gone: the same.
    window->showPreview(home.file("bad/gone.png"), -1);
    waitForPreview();
    EXPECT_EQ(text("previewError"), "Cannot read: gone.png");
    // A photograph the decoder cannot read: its two messages, an empty picture, no caption.
    window->showPreview(home.write("bad/broken.jpg", "not a jpeg at all"), 0);
    waitForPreview();
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.shown[1].text, "Reading jpg file failed");
    EXPECT_EQ(text("previewError"), "");
    EXPECT_TRUE(child<PictureWidget>(window.get(), "previewImage").picture().isEmpty());
}

TEST_F(EditorWindowTest, SwitchingThePreviewOffAndOn) {
    window->showFolder(pictures());
    window->show();
    waitForPreview();
    select(sources(), {0, 1});
    window->addSelectedSources();
    QAction& preview = action("previewAction");
    preview.setChecked(false);
    EXPECT_EQ(text("previewTitle"), "No Preview");
    decoded = 0;
    click(slides(), 1);
    EXPECT_EQ(text("previewTitle"), "No Preview");
    EXPECT_EQ(decoded.load(), 0) << "nothing is decoded while the preview is off";

    // On again with slides and none current: the first slide, selected.
    slides().setCurrentRow(-1);
    preview.setChecked(true);
    EXPECT_EQ(slides().currentRow(), 0);
    EXPECT_TRUE(slides().item(0)->isSelected());
    EXPECT_EQ(text("previewTitle"), "Preview: Slide #1");
    waitForPreview();

    // On with no slides and no pictures: nothing to show.
    preview.setChecked(false);
    window->document().clear();
    window->refreshSlideList();
    QDir().mkpath(home.file("none"));
    window->showFolder(home.file("none"));
    preview.setChecked(true);
    EXPECT_EQ(text("previewTitle"), "No Preview");
}

TEST_F(EditorWindowTest, ViewImageOpensTheViewerOnTheSlideTheUserIsOn) {
    QSignalSpy viewer(window.get(), &EditorWindow::viewImageRequested);
    QDir().mkpath(home.file("none"));
    window->showFolder(home.file("none"));
    window->viewImage();
    EXPECT_EQ(messages.texts(), QStringList({"There are no slides selected."}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Plain);

    // Two slides of the same name from two folders: the one the user is on, with its caption.
    ShowDocument& doc = window->document();
    pictures("one");
    pictures("two");
    doc.addSlide(home.file("one/1.png"), "", "First", 0);
    doc.addSlide(home.file("two/1.png"), "", "Second", 0);
    window->refreshSlideList();
    select(slides(), {1});
    slides().setCurrentRow(1, QItemSelectionModel::NoUpdate);
    window->viewImage();
    ASSERT_EQ(viewer.count(), 1);
    EXPECT_EQ(viewer[0][0].toString(), home.file("two/1.png"));
    EXPECT_EQ(viewer[0][1].toString(), "Second");

    // Nothing selected: nothing happens. A source file: the caption "None".
    slides().clearSelection();
    window->viewImage();
    EXPECT_EQ(viewer.count(), 1);
    window->showFolder(home.file("one"));
    window->viewImage();
    ASSERT_EQ(viewer.count(), 2);
    EXPECT_EQ(viewer[1][0].toString(), home.file("one/1.png"));
    EXPECT_EQ(viewer[1][1].toString(), "None");
}

TEST_F(EditorWindowTest, OptionsActAsTheUsersClicksAndTheStatusSumsTheShowUp) {
    ShowDocument& doc = window->document();
    for (const char* timing : {"0", "0", "0"})
        doc.addSlide(home.file("a.png"), "", "", QString(timing).toInt());
    window->refreshSlideList();
    QSlider& delay = child<QSlider>(window.get(), "delaySlider");
    delay.setValue(20);
    EXPECT_EQ(panel(3), "Duration: 1 minute  [Loop]");
    child<QCheckBox>(window.get(), "loopBox").setChecked(false);
    EXPECT_EQ(panel(3), "Duration: 1 minute ");

    delay.setValue(90);
    EXPECT_EQ(text("delayLabel"), ": 90 Sec");
    EXPECT_EQ(window->defaultDelaySeconds(), 90) << "the show's timer takes 90000 ms for a slide of \"0\"";
    delay.setValue(500);
    EXPECT_EQ(window->defaultDelaySeconds(), 90) << "kept within 3 to 90";

    doc.setModified(false);
    window->setAutoAdvance(false);
    EXPECT_FALSE(child<QCheckBox>(window.get(), "autoAdvanceBox").isChecked());
    EXPECT_TRUE(doc.isModified()) << "as the user's own click";
    EXPECT_TRUE(delay.isHidden());
    EXPECT_TRUE(child<QLabel>(window.get(), "delayLabel").isHidden());
    EXPECT_TRUE(child<QLabel>(window.get(), "delayScaleLabel").isHidden());
    EXPECT_EQ(panel(3), "Duration: [manual advance]");

    // A damaged time: the show's own words, and the summary stays as it was.
    doc.setTiming(1, "12s");
    window->updateStatus();
    EXPECT_EQ(messages.texts(), QStringList({"'12s' is not a valid integer value"}));
    EXPECT_EQ(panel(3), "Duration: [manual advance]");
    EXPECT_EQ(panel(1), "Slides: 3");
}

TEST_F(EditorWindowTest, BackgroundColourTransitionsAndTheOptionsMenu) {
    ShowDocument& doc = window->document();
    // Cancelled: the colour the dialog started with is stored, and the show counts as changed.
    doc.setSettingsLine(1, "255");
    window->chooseBackgroundColour();
    EXPECT_EQ(dialogs.colourStarts, QList<QColor>({QColor(255, 0, 0)}));
    EXPECT_EQ(doc.settingsLine(1), "255");
    EXPECT_TRUE(doc.isModified());
    // Chosen: stored as the show stores colours (0x00BBGGRR); a line that is not a colour starts
    // the dialog at the button face.
    doc.setSettingsLine(1, "not a colour");
    dialogs.colours.enqueue(QColor(0, 128, 255));
    child<QToolButton>(window.get(), "backgroundColorButton").click();
    EXPECT_EQ(dialogs.colourStarts.last(), window->palette().color(QPalette::Button));
    EXPECT_EQ(doc.settingsLine(1), QString::number(0x00FF8000));

    doc.setModified(false);
    action("transitionsAction").setChecked(false);
    EXPECT_EQ(doc.settingsLine(2), "FALSE");
    action("transitionsAction").setChecked(true);
    EXPECT_EQ(doc.settingsLine(2), "TRUE");
    EXPECT_FALSE(doc.isModified());
    for (const char* name : {"captionsAction", "controlButtonsAction", "statusBarAction"})
        action(name).trigger();
    EXPECT_FALSE(window->showCaptions());
    EXPECT_FALSE(window->controlButtonsVisible());
    EXPECT_FALSE(window->statusBarVisible());
    EXPECT_FALSE(doc.isModified()) << "viewing choices, not changes of the show";

    // One slide: the menu's Properties waits for a second, the button does not.
    doc.addSlide(home.file("a.png"), "", "", 0);
    window->refreshSlideList();
    window->updateButtons();
    openMenu("optionsMenu");
    EXPECT_FALSE(action("propertiesAction").isEnabled());
    EXPECT_TRUE(child<QAbstractButton>(window.get(), "slidePropertiesButton").isEnabled());
    EXPECT_FALSE(action("viewImageAction").isEnabled()) << "nothing selected";
    select(slides(), {0});
    openMenu("optionsMenu");
    EXPECT_TRUE(action("viewImageAction").isEnabled());
}

TEST_F(EditorWindowTest, TheGuideOpensAtItsIntroductionOrSaysWhyNot) {
    action("guideAction").trigger();
    ASSERT_EQ(help.shown.size(), 1);
    EXPECT_EQ(help.shown[0], qMakePair(home.file("UsersGuide.html"), QString("INTRO")));
    EXPECT_TRUE(messages.shown.isEmpty());
    help.works = false;
    action("guideAction").trigger();
    EXPECT_EQ(messages.texts(), QStringList({"Unable to open UsersGuide.html."}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
}

TEST_F(EditorWindowTest, AShowLeftWithEscReturnsToTheEditorAsItWas) {
    window->showFolder(pictures());
    select(sources(), {0, 1, 2});
    window->addSelectedSources();
    window->show();
    waitForPreview();
    AudioEngine engine(AudioEngine::Output::Manual);
    ShowWindow show(*window, engine);
    window->setShowWindow(&show);
    select(slides(), {2});
    slides().setCurrentRow(2, QItemSelectionModel::NoUpdate);
    window->showPreview(window->document().slide(2).imagePath, 2);
    waitForPreview();
    show.startShow();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(show.isVisible());
    QTest::keyClick(&show, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(slides().currentRow(), 2) << "Esc leaves the editor's selection alone";
    EXPECT_TRUE(slides().item(2)->isSelected());
    EXPECT_EQ(text("previewTitle"), "Preview: Slide #3");

    // Stopped: the first slide is selected and previewed.
    show.startShow();
    show.stop();
    EXPECT_EQ(slides().currentRow(), 0);
    EXPECT_TRUE(slides().item(0)->isSelected());
    EXPECT_EQ(text("previewTitle"), "Preview: Slide #1");
    waitForPreview();
    window->setShowWindow(nullptr);
}

TEST_F(EditorWindowTest, EveryControlHasANameAPersonWouldUse) {
    window->showFolder(pictures());
    window->show();
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible() || qobject_cast<QMenu*>(widget) || widget->objectName().startsWith("qt_"))
            continue;
        // Scroll bars are named by Qt itself, by their direction.
        const bool control = qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QSlider*>(widget) ||
                             qobject_cast<QComboBox*>(widget);
        if (!control)
            continue;
        QString name = widget->accessibleName();
        if (name.isEmpty())
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                name = button->text();
        EXPECT_FALSE(name.isEmpty()) << widget->metaObject()->className() << " "
                                     << widget->objectName().toStdString();
    }
    waitForPreview();
}

} // namespace

namespace {

TEST_F(EditorWindowTest, RereadingTheTreeKeepsTheFolderAndNewPicturesAppearByThemselves) {
    const QString folder = pictures();
    window->showFolder(folder);
    select(sources(), {3});
    QTreeView& tree = child<QTreeView>(window.get(), "folderTree");
    action("refreshAction").trigger();
    EXPECT_EQ(static_cast<QFileSystemModel*>(tree.model())->filePath(tree.currentIndex()), folder);
    EXPECT_EQ(sources().count(), 5);
    EXPECT_TRUE(sources().item(3)->isSelected()) << "re-reading the tree leaves the pictures alone";

    // A picture saved into the folder shows up in the list; the selection stays on its file.
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    image.save(folder + "/0.png");
    for (int waited = 0; waited < 5000 && sources().count() < 6; waited += 20)
        QTest::qWait(20);
    EXPECT_EQ(items(sources()), QStringList({"0.png", "1.png", "2.png", "3.png", "4.png", "5.png"}));
    EXPECT_TRUE(sources().item(4)->isSelected()) << "4.png is still the selected one";
}

} // namespace

namespace {

TEST_F(EditorWindowTest, F1OpensTheGuideAtThePartForWhatHasTheFocus) {
    window->showFolder(pictures());
    window->show();
    QApplication::setActiveWindow(window.get());
    const struct {
        const char* widget;
        int context;
    } cases[] = {{"slideList", 220},          {"sourceList", 220}, {"folderTree", 220},
                 {"selectTracksButton", 230}, {"loopBox", 240},    {"delaySlider", 240}};
    for (const auto& c : cases) {
        child<QWidget>(window.get(), c.widget).setFocus();
        QApplication::processEvents();
        window->showContextHelp();
        ASSERT_FALSE(help.shown.isEmpty());
        EXPECT_EQ(help.shown.last().second, QStringLiteral("context-%1").arg(c.context)) << c.widget;
    }
    help.works = false;
    window->showContextHelp();
    EXPECT_EQ(messages.texts().last(), "Unable to open UsersGuide.html.");
    waitForPreview();
}

} // namespace
