#include "SlidePropertiesDialog.h"
#include "AccessibleNames.h"
#include "ChildWidget.h"
#include "MediaPlayer.h"
#include "PictureWidget.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessages.h"
#include "ShowDocument.h"
#include "SoundFiles.h"
#include "TempFolder.h"
#include "audio/AudioEngine.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

constexpr int kRate = 8000;

class SlidePropertiesDialogTest : public ::testing::Test {
protected:
    SlidePropertiesDialogTest() : engine(AudioEngine::Output::Manual) {
        for (int i = 0; i < 5; ++i) {
            QImage image(32 + i, 24, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 70, 200, 200));
            const QString path = dir.file(QStringLiteral("slide%1.png").arg(i + 1));
            image.save(path);
            doc.addSlide(path, QString(), QStringLiteral("Caption %1").arg(i + 1), 0);
        }
        longSound = sound("long.wav", 7400);
        shortSound = sound("short.wav", 2000);
        doc.setSoundPath(2, shortSound);
        doc.setTiming(2, QStringLiteral("2500"));
        doc.setModified(false);
        dialog = std::make_unique<SlidePropertiesDialog>(doc, messages, dialogs, engine);
    }

    QString sound(const char* name, int ms) {
        return dir.write(QLatin1String(name), SoundFiles::wav(kRate, 1, 16, qint64(kRate) * ms / 1000,
                                                              [](qint64, int) { return 0.1; }));
    }

    // Opens the dialog on screen at slide index, as edit() does before it waits.
    void open(int index, int delay = 3) {
        dialog->prepare(index, delay, importFolder, musicFolder);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    // The user moves the focus on with Tab; the rule of the field left runs once it has moved.
    void moveFocus(QWidget& to) {
        to.setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    void type(QLineEdit& edit, const QString& text) {
        edit.setFocus(Qt::MouseFocusReason);
        edit.setText(text);
    }
    void click(const char* name) {
        QAbstractButton& button = child<QAbstractButton>(dialog.get(), name);
        button.setFocus(Qt::MouseFocusReason); // a click puts the focus on a push button first
        button.click();
        QApplication::processEvents();
    }
    void close() {
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QApplication::processEvents();
    }

    QLineEdit& edit(const char* name) { return child<QLineEdit>(dialog.get(), name); }
    QLineEdit& position() { return edit("positionEdit"); }
    QLineEdit& caption() { return edit("captionEdit"); }
    QLineEdit& soundField() { return edit("soundEdit"); }
    QLineEdit& timing() { return edit("timingEdit"); }
    QToolButton& tool(const char* name) { return child<QToolButton>(dialog.get(), name); }
    QString label(const char* name) { return child<QLabel>(dialog.get(), name).text(); }
    QStringList captions() const { return doc.captions(); }

    TempFolder dir;
    ShowDocument doc;
    ScriptedMessages messages;
    ScriptedFileDialogs dialogs;
    AudioEngine engine;
    QString longSound;
    QString shortSound;
    QString importFolder = QStringLiteral("/import");
    QString musicFolder = QStringLiteral("/music");
    std::unique_ptr<SlidePropertiesDialog> dialog;
};

TEST_F(SlidePropertiesDialogTest, OpensOnTheEditorsSlideWithItsFields) {
    open(2);
    EXPECT_EQ(dialog->windowTitle(), "Slide Properties");
    EXPECT_EQ(position().text(), "3");
    EXPECT_EQ(label("slideTotalLabel"), "of 5");
    EXPECT_EQ(caption().text(), "Caption 3");
    EXPECT_EQ(soundField().text(), shortSound);
    EXPECT_EQ(timing().text(), "2.5");
    EXPECT_TRUE(tool("playButton").isEnabled());
    EXPECT_FALSE(tool("stopButton").isVisible());
    EXPECT_TRUE(child<QPushButton>(dialog.get(), "nextButton").hasFocus());
    EXPECT_EQ(label("previewFileLabel"), "slide3.png");
    EXPECT_EQ(dialog->currentSlide(), 2);
    EXPECT_TRUE(messages.shown.isEmpty());

    close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(doc.slide(2).timing, "2500");
    EXPECT_EQ(doc.slide(2).soundPath, shortSound);

    // No current slide in the editor: the first.
    open(-1);
    EXPECT_EQ(position().text(), "1");
    EXPECT_EQ(timing().text(), "0.0");
    EXPECT_FALSE(tool("playButton").isEnabled());
}

TEST_F(SlidePropertiesDialogTest, SteppingWrapsBothWaysAndStoresTheSlideLeft) {
    open(4);
    caption().setText(QStringLiteral("Last slide"));
    timing().setText(QStringLiteral("4"));
    click("nextButton");
    EXPECT_EQ(position().text(), "1");
    EXPECT_EQ(caption().text(), "Caption 1");
    EXPECT_EQ(doc.slide(4).caption, "Last slide");
    EXPECT_EQ(doc.slide(4).timing, "4000");

    click("previousButton");
    EXPECT_EQ(position().text(), "5");
    EXPECT_EQ(timing().text(), "4.0");

    // The keys step as the buttons do.
    QTest::keyClick(dialog.get(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(position().text(), "1");
    QTest::keyClick(dialog.get(), Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(dialog.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(position().text(), "4");
}

TEST_F(SlidePropertiesDialogTest, ABlankOrDamagedTimeShowsEmptyAndStoresTheDefaultDelay) {
    // A show from elsewhere: one time blank, one not a whole number.
    doc.setTiming(0, QString());
    doc.setTiming(1, QStringLiteral("2.5x"));
    open(2);
    EXPECT_EQ(timing().text(), "2.5");
    click("previousButton");
    EXPECT_EQ(timing().text(), "") << "the previous slide's time is not carried over";
    click("previousButton");
    EXPECT_EQ(timing().text(), "");
    close();
    EXPECT_EQ(doc.slide(0).timing, "0");
    EXPECT_EQ(doc.slide(1).timing, "0");
    EXPECT_EQ(doc.slide(2).timing, "2500");
}

TEST_F(SlidePropertiesDialogTest, ThePositionFieldMovesTheSlideOrPutsItselfRight) {
    const QStringList before = doc.imagePaths();
    open(3);
    caption().setText(QStringLiteral("Fourth, edited"));
    type(position(), QStringLiteral("1"));
    moveFocus(caption());
    EXPECT_EQ(doc.imagePaths(), QStringList({before[3], before[0], before[1], before[2], before[4]}));
    EXPECT_EQ(dialog->currentSlide(), 0);
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(label("previewFileLabel"), "slide4.png");
    close();
    EXPECT_EQ(doc.slide(0).caption, "Fourth, edited") << "the fields go with the slide";
    EXPECT_EQ(doc.slide(1).caption, "Caption 1");

    const QStringList moved = doc.imagePaths();
    open(1);
    for (const char* bad : {"0", "6"}) {
        type(position(), QLatin1String(bad));
        moveFocus(caption());
        EXPECT_EQ(position().text(), "2") << bad;
        EXPECT_TRUE(caption().hasFocus());
    }
    type(position(), QStringLiteral("x"));
    moveFocus(caption());
    EXPECT_TRUE(position().hasFocus()) << "not a number: back to the field";
    EXPECT_EQ(doc.imagePaths(), moved);
    EXPECT_TRUE(messages.shown.isEmpty());

    // A position typed and then Enter is applied before the dialog closes.
    type(position(), QStringLiteral("5"));
    QTest::keyClick(&position(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(doc.imagePaths().last(), moved[1]);
}

TEST_F(SlidePropertiesDialogTest, ATimeOutsideTheRangeAsksRetryOrCancel) {
    open(0);
    type(timing(), QStringLiteral("700"));
    messages.answers.enqueue(MessageAnswer::Retry);
    moveFocus(caption());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, "Please enter only numeric values between 0 and 600");
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::RetryCancel);
    EXPECT_TRUE(timing().hasFocus());
    EXPECT_EQ(timing().text(), "700");

    messages.answers.enqueue(MessageAnswer::Cancel);
    moveFocus(caption());
    EXPECT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(timing().text(), "");
    EXPECT_TRUE(caption().hasFocus());

    for (const char* bad : {"1e30", "inf", "nan", "1,000.5", "-1", "ten"}) {
        const qsizetype before = messages.shown.size();
        type(timing(), QLatin1String(bad));
        messages.answers.enqueue(MessageAnswer::Cancel);
        moveFocus(caption());
        EXPECT_EQ(messages.shown.size(), before + 1) << bad;
    }
    type(timing(), QStringLiteral(" 600.4 "));
    moveFocus(caption());
    EXPECT_EQ(messages.shown.size(), 8) << "600.4 rounds to 600";
}

TEST_F(SlidePropertiesDialogTest, StepsAndClosingAreRefusedWhileTheTimeOrSoundIsWrong) {
    open(1);
    // A refused time is never stored, not even by ">>" (it would be far beyond 600 s).
    timing().setText(QStringLiteral("700"));
    click("nextButton");
    EXPECT_EQ(messages.texts(), QStringList({"Please enter only numeric values between 0 and 600"}));
    EXPECT_EQ(position().text(), "2");
    EXPECT_EQ(doc.slide(1).timing, "0");
    EXPECT_TRUE(timing().hasFocus());

    // Closing with the bad time and a good sound: refused, one box.
    soundField().setText(shortSound);
    close();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(messages.shown.size(), 2);

    // Cancel empties the time, but the dialog still stays open this time.
    messages.answers.enqueue(MessageAnswer::Cancel);
    close();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(timing().text(), "");

    // A sound name that names nothing, or a folder.
    for (const QString& bad : {dir.file("gone.wav"), dir.path()}) {
        messages.shown.clear();
        soundField().setText(QStringLiteral("  ") + bad + QStringLiteral(" "));
        close();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(messages.texts(), QStringList({"Unable to locate file: " + bad}));
        EXPECT_TRUE(soundField().hasFocus());
        click("previousButton");
        EXPECT_EQ(position().text(), "2");
    }

    soundField().setText(QStringLiteral("   "));
    close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(doc.slide(1).soundPath, "");
    EXPECT_EQ(doc.slide(1).timing, "0");
}

TEST_F(SlidePropertiesDialogTest, TabbingBetweenABadTimeAndABadSoundShowsOneBoxAtATime) {
    open(0);
    soundField().setText(dir.file("nothing.wav"));
    type(timing(), QStringLiteral("900"));
    moveFocus(soundField());
    EXPECT_EQ(messages.texts(), QStringList({"Please enter only numeric values between 0 and 600"}));
    EXPECT_TRUE(timing().hasFocus()) << "Retry";

    // Cancel: the time is emptied and the focus stays on the sound; leaving it then is its turn.
    messages.answers.enqueue(MessageAnswer::Cancel);
    moveFocus(soundField());
    EXPECT_EQ(messages.shown.size(), 2);
    EXPECT_TRUE(soundField().hasFocus());
    moveFocus(timing());
    EXPECT_EQ(messages.shown.size(), 3);
    EXPECT_EQ(messages.shown.last().text, "Unable to locate file: " + dir.file("nothing.wav"));
    EXPECT_TRUE(soundField().hasFocus());
    QApplication::processEvents();
    EXPECT_EQ(messages.shown.size(), 3) << "the refocus set off no further rule";
}

TEST_F(SlidePropertiesDialogTest, APickedSoundStretchesTheSlideToItsLength) {
    open(0, 3);
    dialogs.openAnswers.enqueue(longSound);
    tool("chooseSoundButton").click();
    ASSERT_EQ(dialogs.opens.size(), 1);
    EXPECT_EQ(dialogs.opens[0].start, importFolder);
    EXPECT_EQ(dialogs.opens[0].filter, "midi files (*.mid);;wav files(*.wav)");
    EXPECT_EQ(dialogs.opens[0].selectedFilter, "wav files(*.wav)");
    EXPECT_EQ(soundField().text(), longSound);
    EXPECT_EQ(timing().text(), "8.0") << "7.4 s on the default delay of 3 s";
    EXPECT_EQ(doc.slide(0).timing, "8000");
    EXPECT_EQ(doc.slide(0).soundPath, longSound);
    EXPECT_TRUE(tool("playButton").isEnabled());
    EXPECT_TRUE(doc.isModified());

    // A sound shorter than the slide leaves its time alone; so does a long time.
    dialogs.openAnswers.enqueue(shortSound);
    tool("chooseSoundButton").click();
    EXPECT_EQ(timing().text(), "8.0");
    timing().setText(QStringLiteral("12"));
    dialogs.openAnswers.enqueue(longSound);
    tool("chooseSoundButton").click();
    EXPECT_EQ(timing().text(), "12");

    // Without an import folder the chooser starts in the music library; cancelling changes nothing.
    importFolder.clear();
    close();
    open(1);
    tool("chooseSoundButton").click();
    EXPECT_EQ(dialogs.opens.last().start, musicFolder);
    EXPECT_EQ(soundField().text(), "");
}

TEST_F(SlidePropertiesDialogTest, ASoundThatWillNotPlayKeepsTheSlidesTime) {
    const QString broken = dir.write(QStringLiteral("broken.wav"), QByteArray("RIFF\x10\0\0\0WAVEjunk", 16));
    open(2);
    dialogs.openAnswers.enqueue(broken);
    tool("chooseSoundButton").click();
    EXPECT_EQ(messages.texts(), QStringList({"Unable to play: " + broken}));
    EXPECT_EQ(timing().text(), "2.5");
    EXPECT_EQ(soundField().text(), broken);

    // Trying it says the same.
    tool("playButton").click();
    EXPECT_EQ(messages.texts().last(), "Unable to play: " + broken);
    EXPECT_TRUE(tool("playButton").isVisible());
    EXPECT_FALSE(tool("stopButton").isVisible());

    // A time that is no number gives way to the default delay.
    timing().setText(QStringLiteral("abc"));
    dialogs.openAnswers.enqueue(longSound);
    tool("chooseSoundButton").click();
    EXPECT_EQ(timing().text(), "0.0");
    EXPECT_EQ(doc.slide(2).timing, "0");
    EXPECT_EQ(doc.slide(2).soundPath, longSound);

    // A chosen name that is not a file disables playing and changes nothing else.
    dialogs.openAnswers.enqueue(dir.path());
    tool("chooseSoundButton").click();
    EXPECT_FALSE(tool("playButton").isEnabled());
    EXPECT_EQ(soundField().text(), longSound);
}

TEST_F(SlidePropertiesDialogTest, TryingTheSoundPlaysToItsEndOrStops) {
    const QString beep = sound("beep.wav", 200);
    open(0);
    soundField().setText(beep);
    EXPECT_TRUE(tool("playButton").isEnabled());
    tool("playButton").click();
    MediaPlayer& player = child<MediaPlayer>(dialog.get(), "soundPlayer");
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::Playing);
    EXPECT_FALSE(tool("playButton").isVisible());
    EXPECT_TRUE(tool("stopButton").isVisible());
    for (int ms = 0; ms < 1000 && tool("stopButton").isVisible(); ms += 10) {
        engine.pull(AudioEngine::kDefaultSampleRate / 100);
        QApplication::processEvents();
    }
    EXPECT_TRUE(tool("playButton").isVisible()) << "the play ran to its end";
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::NotReady);

    soundField().setText(longSound);
    tool("playButton").click();
    tool("stopButton").click();
    QApplication::processEvents();
    EXPECT_TRUE(tool("playButton").isVisible());
    EXPECT_FALSE(tool("stopButton").isVisible());
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::NotReady);

    // Picking a sound while one plays stops it first; closing closes the player.
    tool("playButton").click();
    dialogs.openAnswers.enqueue(shortSound);
    tool("chooseSoundButton").click();
    EXPECT_TRUE(tool("playButton").isVisible());
    tool("playButton").click();
    close();
    EXPECT_EQ(player.mode(), MediaPlayer::Mode::NotReady);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SlidePropertiesDialogTest, AnUnreadablePictureIsSaidOnThePanel) {
    doc.setImagePath(1, dir.file("gone.png"));
    dir.write(QStringLiteral("damaged.png"), QByteArray("\x89PNG\r\n\x1a\nbroken", 14));
    doc.setImagePath(2, dir.file("damaged.png"));
    open(0);
    click("nextButton");
    EXPECT_EQ(label("previewPanelText"), "Cannot read: gone.png");
    EXPECT_EQ(label("previewFileLabel"), "slide1.png") << "the name of the last picture read stays";
    EXPECT_EQ(position().text(), "2");
    click("nextButton");
    EXPECT_EQ(label("previewPanelText"), "");
    EXPECT_FALSE(messages.shown.isEmpty()) << "the decoder says what is wrong with the file";
    EXPECT_TRUE(child<PictureWidget>(dialog.get(), "previewPicture").picture().isEmpty());
    EXPECT_EQ(position().text(), "3");
}

TEST_F(SlidePropertiesDialogTest, APastedCaptionIsStoredAsOneLine) {
    open(0);
    caption().setText(QStringLiteral("first\r\nsecond\nthird\rfourth"));
    close();
    EXPECT_EQ(doc.slide(0).caption, "first second third fourth");
    EXPECT_EQ(doc.slide(1).caption, "Caption 2");
}

TEST_F(SlidePropertiesDialogTest, TimesAreShownAndReadInTheUsersLocale) {
    dialog->setLocale(QLocale(QLocale::German, QLocale::Germany));
    doc.setTiming(0, QStringLiteral("2299"));
    open(0);
    EXPECT_EQ(timing().text(), "2,3");
    close();
    EXPECT_EQ(doc.slide(0).timing, "2299") << "what is shown reads back";
    open(0);
    timing().setText(QStringLiteral("2,5"));
    click("nextButton");
    EXPECT_EQ(doc.slide(0).timing, "2500");
    timing().setText(QStringLiteral("600.4"));
    click("previousButton");
    EXPECT_TRUE(messages.shown.isEmpty()) << "a point is read as the decimal separator too";
    EXPECT_EQ(doc.slide(1).timing, "600400");
    type(timing(), QStringLiteral("1.000,5"));
    moveFocus(caption());
    EXPECT_EQ(messages.shown.size(), 1) << "no thousands separators";
}

TEST_F(SlidePropertiesDialogTest, EveryControlHasANameAPersonWouldUse) {
    open(2);
    EXPECT_EQ(unnamedControls(*dialog), QStringList());
    EXPECT_EQ(accessibleName(tool("chooseSoundButton")), "Import File");
    EXPECT_EQ(accessibleName(tool("playButton")), "Play File");
    EXPECT_EQ(accessibleName(timing()), "Custom Timing");
    EXPECT_EQ(child<QPushButton>(dialog.get(), "nextButton").toolTip(), "Next Slide");
    EXPECT_EQ(child<QPushButton>(dialog.get(), "previousButton").toolTip(), "Previous Slide");
}

} // namespace
