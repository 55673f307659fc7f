// The editor as the program runs it: the first showing, the command line's show, closing, and
// the program-wide error handler.

#include "EditorSession.h"
#include "AccessibleNames.h"
#include "ChildWidget.h"
#include "EditorWindow.h"
#include "FakeDiskSpace.h"
#include "FakeFileOperations.h"
#include "FakeHelpViewer.h"
#include "ImageViewerWindow.h"
#include "MediaPlayer.h"
#include "MusicAdvisoryDialog.h"
#include "OrvanneApplication.h"
#include "PrintPreviewWindow.h"
#include "ProgressReport.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessages.h"
#include "ShowAudio.h"
#include "ShowDocument.h"
#include "ShowFileCommands.h"
#include "ShowFiles.h"
#include "ShowWindow.h"
#include "SlidePropertiesDialog.h"
#include "SoundFiles.h"
#include "TempFolder.h"
#include "TrackSelectionDialog.h"
#include "WorkFolder.h"
#include "audio/AudioEngine.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

class EditorSessionTest : public ::testing::Test {
protected:
    EditorSessionTest()
        : settings(home.file("settings.ini"), QSettings::IniFormat), engine(AudioEngine::Output::Manual),
          workFolder(WorkFolder::createNumbered(home.file("cache"))), work(workFolder.path()) {
        qputenv("HOME", QFile::encodeName(home.path()));
        EditorServices services{messages,
                                dialogs,
                                help,
                                disk,
                                settings,
                                engine,
                                files,
                                [this](QWidget*, std::function<void()> done) {
                                    ++splashes;
                                    splashDone = std::move(done);
                                }};
        session = std::make_unique<EditorSession>(services, work, home.file("guide.html"));
    }
    ~EditorSessionTest() override { session.reset(); }

    // Lets the zero timer of the first showing run; the splash then waits to be closed.
    void startAndCloseSplash(const QString& argument = QString()) {
        session->start(argument);
        QTest::qWait(0);
        ASSERT_EQ(splashes, 1);
        ASSERT_TRUE(splashDone);
        splashDone();
    }
    QString savedShow(const QString& name) {
        QImage image(10, 10, QImage::Format_RGB32);
        image.fill(Qt::red);
        QDir().mkpath(home.file("src"));
        image.save(home.file("src/" + name + ".png"));
        ShowDocument show;
        show.addSlide(home.file("src/" + name + ".png"), "", "", 0);
        NoProgress progress;
        const QString target = home.file(name + ".cjf");
        EXPECT_EQ(ShowFiles::save(show, ShowSettings(),
                                  WorkFolder::createNumbered(home.file("scratch")).path(), target,
                                  ShowFileServices{messages, progress, disk}),
                  ShowFiles::SaveResult::Saved);
        return target;
    }

    // A green picture as the show's one slide, as the editor shows a slide added.
    void addOneSlide(EditorWindow& editor) {
        QImage image(16, 12, QImage::Format_RGB32);
        image.fill(Qt::green);
        image.save(home.file("only.png"));
        editor.document().addSlide(home.file("only.png"), "", "", 0);
        editor.refreshSlideList();
        editor.updateButtons();
    }

    TempFolder home;
    ScriptedMessages messages;
    ScriptedFileDialogs dialogs;
    FakeHelpViewer help;
    FakeDiskSpace disk;
    QSettings settings;
    AudioEngine engine;
    FakeFileOperations files;
    OwnedWorkFolder workFolder;
    QString work;
    std::unique_ptr<EditorSession> session;
    int splashes = 0;
    std::function<void()> splashDone;
};

TEST_F(EditorSessionTest, TheShowOnTheCommandLineOpensAfterTheSplash) {
    const QString show = savedShow("holiday");
    session->start(show);
    EXPECT_TRUE(session->editor().isVisible()) << "the window first";
    EXPECT_EQ(splashes, 0) << "the splash once the window is on screen";
    QTest::qWait(0);
    ASSERT_EQ(splashes, 1);
    EXPECT_EQ(session->editor().document().slideCount(), 0) << "the show waits for the splash";
    splashDone();
    EXPECT_EQ(session->editor().document().slideCount(), 1);
    EXPECT_EQ(session->editor().windowTitle(), "Orvanne - holiday");
    EXPECT_FALSE(session->editor().document().isModified());
}

TEST_F(EditorSessionTest, AMissingShowOnTheCommandLineIsSaidAndTheEditorStaysUntitled) {
    QDir::setCurrent(home.path());
    startAndCloseSplash("nowhere.cjf");
    EXPECT_EQ(messages.texts(), QStringList({"Unable to locate file " + home.file("nowhere.cjf")}))
        << "named with its full path";
    EXPECT_EQ(session->editor().windowTitle(), "Orvanne - Untitled");
}

TEST_F(EditorSessionTest, ClosingAsksAndAFailedSaveKeepsTheProgramRunning) {
    startAndCloseSplash();
    EditorWindow& editor = session->editor();
    messages.answers.enqueue(MessageAnswer::No);
    EXPECT_FALSE(editor.close());
    EXPECT_EQ(messages.texts(), QStringList({"Quit Orvanne?"}));
    EXPECT_TRUE(editor.isVisible());

    // Unsaved changes of an untitled show: Yes opens the save dialog; cancelling it still ends.
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    image.save(home.file("p.png"));
    editor.document().addSlide(home.file("p.png"), "", "", 0);
    editor.document().setModified(true);
    messages.shown.clear();
    messages.answers << MessageAnswer::Yes << MessageAnswer::Yes;
    // A save that fails keeps the program running: ending would remove the show's files.
    dialogs.saveAnswers << home.file("show.cjf");
    disk.free = 10;
    EXPECT_FALSE(editor.close());
    EXPECT_EQ(messages.texts().mid(0, 2), QStringList({"Quit Orvanne?", "Save Changes to Untitled.cjf?"}));
    EXPECT_EQ(messages.shown[1].buttons, MessageButtons::YesNo) << "no Cancel when closing";
    EXPECT_TRUE(editor.isVisible());

    disk.free = 1LL << 40;
    messages.shown.clear();
    messages.answers << MessageAnswer::Yes << MessageAnswer::Yes;
    EXPECT_TRUE(editor.close()) << "the save dialog cancelled: the program ends all the same";
    EXPECT_EQ(dialogs.saves.size(), 2);
}

// A drag that enters the window and is let go there, as the desktop delivers it.
void dropOn(QWidget& window, QMimeData& data) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &drop);
}

TEST_F(EditorSessionTest, AFileDroppedOnTheWindowIsOpenedFirstOneOnly) {
    startAndCloseSplash();
    const QString first = savedShow("first");
    const QString second = savedShow("second");
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second), QUrl::fromLocalFile(home.file("x.txt"))});
    dropOn(session->editor(), data);
    EXPECT_EQ(session->editor().windowTitle(), "Orvanne - first");

    const QString text =
        home.write("letter.txt", "Dear friend, this is a letter and not a show of any kind.");
    QMimeData words;
    words.setUrls({QUrl::fromLocalFile(text)});
    dropOn(session->editor(), words);
    ASSERT_FALSE(messages.shown.isEmpty());
    EXPECT_EQ(messages.texts().last(), "Not a valid *.CJF file.");
    EXPECT_EQ(session->editor().document().slideCount(), 0) << "a new, empty show";
    EXPECT_EQ(session->editor().windowTitle(), "Orvanne - Untitled");
}

TEST_F(EditorSessionTest, SlidePropertiesMoveASlideAndTheEditorFollows) {
    startAndCloseSplash();
    EditorWindow& editor = session->editor();
    ShowDocument& doc = editor.document();
    QDir().mkpath(home.file("pictures"));
    for (int i = 1; i <= 5; ++i) {
        QImage image(16, 12, QImage::Format_RGB32);
        image.fill(Qt::blue);
        image.save(home.file(QStringLiteral("pictures/p%1.png").arg(i)));
        doc.addSlide(home.file(QStringLiteral("pictures/p%1.png").arg(i)), "", "", 0);
    }
    editor.refreshSlideList();
    editor.updateButtons();
    doc.setModified(false);
    auto& slides = child<QListWidget>(&editor, "slideList");
    slides.setCurrentRow(3);

    // In the dialog: slide 4 to the front, typed and confirmed with Enter.
    QString shownPosition;
    QTimer::singleShot(0, &editor, [&] {
        SlidePropertiesDialog& dialog = session->slideProperties();
        auto& position = child<QLineEdit>(&dialog, "positionEdit");
        shownPosition = position.text();
        position.setFocus();
        position.setText("1");
        QTest::keyClick(&position, Qt::Key_Return);
    });
    child<QToolButton>(&editor, "slidePropertiesButton").click();
    EXPECT_EQ(shownPosition, "4");
    EXPECT_FALSE(session->slideProperties().isVisible());
    QStringList listed;
    for (int row = 0; row < slides.count(); ++row)
        listed << slides.item(row)->text();
    EXPECT_EQ(listed, QStringList({"p4.png", "p1.png", "p2.png", "p3.png", "p5.png"}));
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(EditorSessionTest, BeginSlideShowFollowsTheButtonAndAsksAboutMusic) {
    startAndCloseSplash();
    EditorWindow& editor = session->editor();
    QAction& begin = child<QAction>(&editor, "beginShowAction");
    EXPECT_FALSE(begin.isEnabled()) << "no slides";
    EXPECT_EQ(begin.shortcut(), QKeySequence(Qt::Key_F5));
    addOneSlide(editor);
    EXPECT_TRUE(begin.isEnabled()) << "without opening the menu first, so that F5 works";

    child<QCheckBox>(&editor, "musicBox").setChecked(true);
    bool asked = false;
    QTimer::singleShot(0, &editor, [&] {
        MusicAdvisoryDialog& advisory = session->musicAdvisory();
        asked = advisory.isVisible();
        child<QPushButton>(&advisory, "continueButton").click();
    });
    begin.trigger();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(session->showWindow().isVisible());
    EXPECT_FALSE(editor.isVisible());
    session->showWindow().stop();
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(EditorSessionTest, TracksPickedFromTheAdvisoryPlayWhenTheShowBegins) {
    QDir().mkpath(home.file("Music/Audio Tracks"));
    home.write("Music/Audio Tracks/song.wav",
               SoundFiles::wav(8000, 1, 16, 8000, [](qint64, int) { return 0.1; }));
    startAndCloseSplash();
    // The library as found at start-up; it was made after the program started.
    session->folders().setMusicFolder(home.file("Music/Audio Tracks"));
    EditorWindow& editor = session->editor();
    addOneSlide(editor);
    child<QCheckBox>(&editor, "musicBox").setChecked(true);

    QString listed;
    QTimer::singleShot(0, &editor, [&] {
        // In the track dialog, once it is up: add the first sound with Enter, then OK.
        QTimer::singleShot(0, &editor, [&] {
            TrackSelectionDialog& tracks = session->trackSelection();
            listed = tracks.listFolder();
            auto& available = child<QListWidget>(&tracks, "availableList");
            available.setFocus();
            QTest::keyClick(&available, Qt::Key_Return);
            child<QPushButton>(&tracks, "okButton").click();
        });
        child<QPushButton>(&session->musicAdvisory(), "selectMusicButton").click();
    });
    child<QPushButton>(&editor, "beginShowButton").click();
    EXPECT_EQ(listed, home.file("Music/Audio Tracks"));
    EXPECT_EQ(editor.document().musicTracks(), QStringList({home.file("Music/Audio Tracks/song.wav")}));
    EXPECT_TRUE(session->showWindow().isVisible());
    EXPECT_EQ(session->showWindow().audio().musicPlayer().fileName(),
              home.file("Music/Audio Tracks/song.wav"));
    EXPECT_EQ(child<QLabel>(&editor, "statusPanel2").text(), "Tracks: 1") << "the summary follows the dialog";
    session->showWindow().stop();
}

TEST_F(EditorSessionTest, ViewImageOpensTheViewerWhichKeepsItsPlaceForTheNextRun) {
    startAndCloseSplash();
    QDir().mkpath(home.file("pics"));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::green);
    image.save(home.file("pics/a.png"));
    EditorWindow& editor = session->editor();
    editor.showFolder(home.file("pics"));
    editor.viewImage();

    ImageViewerWindow& viewer = session->imageViewer();
    ASSERT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.windowTitle(), "Orvanne - a.png");
    EXPECT_EQ(accessibleName(child<QWidget>(&viewer, "captionLabel")), "Caption: None");
    // F1 in the viewer and in its preview opens the guide at their parts.
    viewer.showContextHelp();
    viewer.printPreview();
    ASSERT_TRUE(session->printPreview().isVisible());
    session->printPreview().showContextHelp();
    ASSERT_EQ(help.shown.size(), 2);
    EXPECT_EQ(help.shown[0].second, "context-830");
    EXPECT_EQ(help.shown[1].second, "context-270");
    session->printPreview().close();

    viewer.resize(700, 520);
    viewer.close();
    session.reset();
    EditorServices services{messages, dialogs, help,  disk,
                            settings, engine,  files, [](QWidget*, std::function<void()>) {}};
    session = std::make_unique<EditorSession>(services, work, home.file("guide.html"));
    EXPECT_EQ(session->imageViewer().size(), QSize(700, 520));
}

// Throws from its event handler, as a command that fails without handling its error would.
class Failing : public QObject {
public:
    explicit Failing(QString text) : text_(std::move(text)) {}
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw std::runtime_error(text_.toStdString());
        return QObject::event(event);
    }

private:
    QString text_;
};

TEST(ErrorHandler, AnErrorNoCommandHandledIsShownExceptTheDeviceNotReadyOne) {
    auto* app = static_cast<OrvanneApplication*>(QCoreApplication::instance());
    ScriptedMessages messages;
    app->setMessages(&messages);
    Failing failing(QStringLiteral("Disk full"));
    Failing quiet(QStringLiteral("I/O error 21"));
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&quiet, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(messages.texts(), QStringList({"Disk full"}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    app->setMessages(nullptr);
}

} // namespace
