// The print preview with a fake printer: the miniature page, scale and orientation, the set-up,
// and printing with every way it can fail.

#include "AccessibleNames.h"
#include "PictureWidget.h"
#include "ViewerFixture.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

class PrintPreviewWindowTest : public ViewerFixture {
protected:
    PrintPreviewWindowTest() { beach = Picture::fromImage(fourColours(640, 480)); }
    ~PrintPreviewWindowTest() override { preview.close(); }

    QRect geometryOf(const char* name) { return child<QWidget>(&preview, name).geometry(); }
    bool shown(const char* name) { return child<QWidget>(&preview, name).isVisible(); }
    QPushButton& button(const char* name) { return child<QPushButton>(&preview, name); }
    QSlider& scaleSlider() { return child<QSlider>(&preview, "scaleSlider"); }
    void click(const char* name) {
        QTest::mouseClick(&child<QAbstractButton>(&preview, name), Qt::LeftButton);
    }

    Picture beach;
};

TEST_F(PrintPreviewWindowTest, ShowingLaysThePageOutAndFocusesPrint) {
    preview.preview(beach, "beach.png");
    ASSERT_TRUE(preview.isVisible());
    EXPECT_TRUE(preview.isModal());
    EXPECT_EQ(preview.windowTitle(), "Print Preview");
    EXPECT_EQ(child<QLabel>(&preview, "headingLabel").text(), "Page Layout");
    EXPECT_EQ(child<QLabel>(&preview, "scaleLabel").text(), "Scale: 100%");
    EXPECT_EQ(child<QGroupBox>(&preview, "orientationGroup").title(), "Orientation");
    EXPECT_EQ(geometryOf("pagePanel").size(), QSize(125, 125));
    EXPECT_EQ(geometryOf("pageOutline"), QRect(30, 18, 65, 89));
    EXPECT_EQ(geometryOf("miniature"), QRect(50, 54, 24, 16));
    EXPECT_TRUE(shown("miniature"));
    EXPECT_TRUE(child<QRadioButton>(&preview, "portraitButton").isChecked());
    EXPECT_TRUE(button("printButton").isEnabled());
    EXPECT_TRUE(button("printButton").isDefault());
    EXPECT_EQ(preview.focusWidget(), &button("printButton"));
    // The window keeps its size: a fixed dialog.
    EXPECT_EQ(preview.minimumSize(), preview.maximumSize());

    // The miniature is the picture made small: its top-left quarter is red.
    const QImage mini = child<PictureWidget>(&preview, "miniature").picture().raster();
    ASSERT_EQ(mini.size(), QSize(24, 16));
    EXPECT_EQ(mini.pixelColor(3, 3), QColor(255, 0, 0));
    EXPECT_EQ(mini.pixelColor(20, 12), QColor(255, 255, 0));
}

TEST_F(PrintPreviewWindowTest, TheScaleRelabelsRelaysOutAndStaysForTheNextShowing) {
    preview.preview(beach, "beach.png");
    scaleSlider().setValue(75);
    EXPECT_EQ(child<QLabel>(&preview, "scaleLabel").text(), "Scale: 75%");
    // 75 % of half of the fit 7.5 is 2.8125: 1800 x 1350 in the middle of the page.
    EXPECT_EQ(preview.layout().printRect, QRect(1500, 2625, 1800, 1350));
    EXPECT_EQ(geometryOf("miniature").size(), QSize(16, 10));
    preview.close();

    preview.preview(beach, "beach.png");
    EXPECT_EQ(preview.scale(), 75);
    EXPECT_EQ(preview.layout().printRect, QRect(1500, 2625, 1800, 1350));

    // Arrow and page keys move it by 5 and by 25.
    scaleSlider().setFocus();
    QTest::keyClick(&scaleSlider(), Qt::Key_Right);
    EXPECT_EQ(preview.scale(), 80);
    QTest::keyClick(&scaleSlider(), Qt::Key_PageUp);
    EXPECT_EQ(child<QLabel>(&preview, "scaleLabel").text(), "Scale: 105%");
}

TEST_F(PrintPreviewWindowTest, LandscapeTurnsThePrinterAndThePage) {
    preview.preview(beach, "beach.png");
    click("landscapeButton");
    EXPECT_EQ(printer.orientation(), PrinterDevice::Orientation::Landscape);
    EXPECT_EQ(geometryOf("pageOutline"), QRect(12, 26, 100, 72));
    EXPECT_EQ(preview.layout().printRect, QRect(1700, 1200, 3200, 2400));
    EXPECT_TRUE(child<QRadioButton>(&preview, "landscapeButton").isChecked());

    click("portraitButton");
    EXPECT_EQ(printer.orientation(), PrinterDevice::Orientation::Portrait);
    EXPECT_EQ(geometryOf("pageOutline"), QRect(30, 18, 65, 89));

    // The orientation lives in the printer: the next showing follows it.
    preview.close();
    printer.setOrientation(PrinterDevice::Orientation::Landscape);
    preview.preview(beach, "beach.png");
    EXPECT_TRUE(child<QRadioButton>(&preview, "landscapeButton").isChecked());
    EXPECT_EQ(geometryOf("pageOutline"), QRect(12, 26, 100, 72));
}

TEST_F(PrintPreviewWindowTest, SetupRelaysOutWhetherConfirmedOrCancelled) {
    preview.preview(beach, "beach.png");
    // Landscape chosen in the system's dialog.
    printer.onSetup = [](FakePrinterDevice& p) { p.setOrientation(PrinterDevice::Orientation::Landscape); };
    click("setupButton");
    EXPECT_TRUE(child<QRadioButton>(&preview, "landscapeButton").isChecked());
    EXPECT_EQ(geometryOf("pageOutline"), QRect(12, 26, 100, 72));

    // Cancelled, but another printer with a square page had been picked on the way.
    printer.setupConfirms = false;
    printer.onSetup = [](FakePrinterDevice& p) { p.page = QSize(5000, 5000); };
    click("setupButton");
    EXPECT_EQ(geometryOf("pageOutline"), QRect(12, 12, 100, 100));
    EXPECT_EQ(printer.calls.count("setup"), 2);
    EXPECT_TRUE(preview.isVisible());
}

TEST_F(PrintPreviewWindowTest, PrintDrawsOnePageIntoThePrintRectangleAndCloses) {
    preview.preview(beach, "beach.png");
    bool busy = false;
    printer.onDraw = [&busy] {
        busy = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    click("printButton");
    EXPECT_EQ(printer.calls, QStringList({"begin", "draw", "end"}));
    ASSERT_EQ(printer.drawnInto.size(), 1);
    EXPECT_EQ(printer.drawnInto[0], QRect(QPoint(1200, 2400), QPoint(3599, 4199)));
    EXPECT_FALSE(printer.drawing.boundingRect().isEmpty());
    EXPECT_EQ(printer.documentName, "Orvanne - beach.png");
    EXPECT_TRUE(busy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(preview.isVisible());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(dialogs.saves.isEmpty());
}

TEST_F(PrintPreviewWindowTest, AFailureAtAnyStepIsReportedAndLeavesTheWorkingFolderAlone) {
    // A picture of the show called tmpbmp.bmp in the working folder the program runs in: printing
    // writes no file of its own, so whatever the show's pictures are called, they stay untouched.
    const QString work = home.file("work");
    QDir().mkpath(work);
    home.write("work/tmpbmp.bmp", "the show's picture");
    const QString before = QDir::currentPath();
    QDir::setCurrent(work);

    struct Case {
        FakePrinterDevice::Step failAt;
        QStringList calls;
    };
    const Case cases[] = {
        {FakePrinterDevice::Step::None, {"begin", "draw", "end"}},
        {FakePrinterDevice::Step::Begin, {"begin"}},
        {FakePrinterDevice::Step::Draw, {"begin", "draw", "abort"}},
        {FakePrinterDevice::Step::End, {"begin", "draw", "end", "abort"}},
    };
    for (const Case& c : cases) {
        printer.calls.clear();
        messages.shown.clear();
        printer.failAt = c.failAt;
        preview.preview(beach, "beach.png");
        click("printButton");
        EXPECT_EQ(printer.calls, c.calls);
        EXPECT_FALSE(preview.isVisible());
        if (c.failAt == FakePrinterDevice::Step::None) {
            EXPECT_TRUE(messages.shown.isEmpty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1);
            EXPECT_EQ(messages.shown[0].text, "Error encountered during printing process.");
            EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
            EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
        }
        EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList({"tmpbmp.bmp"}));
        EXPECT_EQ(TempFolder::read(work + "/tmpbmp.bmp"), "the show's picture");
    }
    QDir::setCurrent(before);
}

TEST_F(PrintPreviewWindowTest, CancelAndEscapeCloseWithoutPrinting) {
    preview.preview(beach, "beach.png");
    click("cancelButton");
    EXPECT_FALSE(preview.isVisible());
    openPreview(beach, "beach.png");
    QTest::keyClick(&preview, Qt::Key_Escape);
    EXPECT_FALSE(preview.isVisible());
    EXPECT_TRUE(printer.calls.isEmpty());
}

TEST_F(PrintPreviewWindowTest, NoPageOrNoPictureLeavesNothingToPrint) {
    printer.page = QSize(0, 0);
    preview.preview(beach, "beach.png");
    EXPECT_FALSE(button("printButton").isEnabled());
    EXPECT_FALSE(shown("miniature"));
    EXPECT_FALSE(shown("pageOutline"));
    preview.printImage();
    EXPECT_TRUE(printer.calls.isEmpty());
    preview.close();

    printer.page = QSize(4800, 6600);
    preview.preview(Picture(), "gone.png");
    EXPECT_FALSE(button("printButton").isEnabled());
    EXPECT_FALSE(shown("miniature"));
    EXPECT_TRUE(shown("pageOutline"));
    preview.close();

    // A picture too small for a miniature of its own shows one pixel.
    preview.preview(Picture::fromImage(fourColours(32, 32)), "icon.png");
    EXPECT_EQ(geometryOf("miniature"), QRect(62, 62, 1, 1));
    EXPECT_TRUE(shown("miniature"));
}

TEST_F(PrintPreviewWindowTest, WithoutAPrinterPrintAsksForThePdfFile) {
    QDir().mkpath(home.file("Documents"));
    printer.printsToFile = true;

    // Cancelled: nothing printed, the window stays.
    preview.preview(beach, "beach.jpg");
    click("printButton");
    ASSERT_EQ(dialogs.saves.size(), 1);
    EXPECT_EQ(dialogs.saves[0].start, home.file("Documents/beach.pdf"));
    EXPECT_EQ(dialogs.saves[0].filter, "PDF files (*.pdf)");
    EXPECT_EQ(dialogs.saves[0].suffix, "pdf");
    EXPECT_TRUE(printer.calls.isEmpty());
    EXPECT_TRUE(preview.isVisible());

    // An existing file is replaced only when the user says so.
    home.write("old.pdf", "keep");
    dialogs.saveAnswers << home.file("old.pdf") << home.file("new.pdf");
    messages.answers << MessageAnswer::No;
    click("printButton");
    EXPECT_EQ(messages.texts(), QStringList({"Overwrite existing file: old.pdf?"}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(dialogs.saves.size(), 3);
    EXPECT_EQ(dialogs.saves[2].start, home.file("old.pdf"));
    EXPECT_EQ(printer.jobFiles, QStringList({home.file("new.pdf")}));
    EXPECT_FALSE(preview.isVisible());

    // A file the set-up chose is used without asking.
    printer.fileName = home.file("chosen.pdf");
    preview.preview(beach, "beach.jpg");
    click("printButton");
    EXPECT_EQ(dialogs.saves.size(), 3);
    EXPECT_EQ(printer.calls.count("end"), 2);
}

TEST_F(PrintPreviewWindowTest, F1AsksForThePartOfWhatTheUserIsOn) {
    QList<int> asked;
    preview.setHelp([&asked](int context) { asked << context; });
    openPreview(beach, "beach.png");
    QCursor::setPos(preview.mapToGlobal(QPoint(preview.width() - 2, preview.height() - 2)));
    auto f1 = [this](QWidget& on) {
        on.setFocus();
        QTest::keyClick(&on, Qt::Key_F1);
    };
    f1(button("printButton"));
    f1(scaleSlider());
    f1(button("setupButton"));
    // The miniature page takes no focus: the pointer resting on it asks about it.
    QWidget& panel = child<QWidget>(&preview, "pagePanel");
    QCursor::setPos(panel.mapToGlobal(QPoint(5, 5)));
    f1(button("printButton"));
    EXPECT_EQ(asked, QList<int>({270, 840, 845, 930}));
}

TEST_F(PrintPreviewWindowTest, EveryControlHasAName) {
    preview.preview(beach, "beach.png");
    EXPECT_EQ(unnamedControls(preview), QStringList());
    EXPECT_EQ(accessibleName(scaleSlider()), "Scale");
    EXPECT_EQ(accessibleName(button("setupButton")), "Setup...");
}

} // namespace
