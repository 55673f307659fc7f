// The image viewer as a person uses it: a picture at a zoom, its labels, keys and wheel, and the
// way to the print preview.

#include "AccessibleNames.h"
#include "PictureWidget.h"
#include "ViewerFixture.h"

#include "../imaging/WmfWriter.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QToolButton>

namespace {

class ImageViewerWindowTest : public ViewerFixture {
protected:
    ~ImageViewerWindowTest() override {
        preview.close();
        viewer.close();
    }

    QSlider& zoomSlider() { return child<QSlider>(&viewer, "zoomSlider"); }
    QString zoomText() { return child<QLabel>(&viewer, "zoomLabel").text(); }
    QRect pictureRect() { return child<PictureWidget>(&viewer, "picture").geometry(); }
    QScrollArea& scroll() { return child<QScrollArea>(&viewer, "imageScroll"); }
    // The scroll area shows and hides its bars on a queued signal.
    bool scrollBars() {
        QCoreApplication::sendPostedEvents();
        return scroll().horizontalScrollBar()->isVisible() || scroll().verticalScrollBar()->isVisible();
    }
    void wheel(int angle, Qt::KeyboardModifiers modifiers) {
        QWidget* viewport = scroll().viewport();
        const QPointF at(10, 10);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    }
};

TEST_F(ImageViewerWindowTest, ShowsThePictureWithItsNameCaptionAndTitle) {
    EXPECT_EQ(viewer.size(), QSize(620, 475));
    EXPECT_EQ(child<QWidget>(&viewer, "toolStrip").height(), 37);
    EXPECT_EQ(zoomText(), "Zoom: 100%");

    viewer.showImage(picture("beach.png", 200, 100), "Low tide");
    ASSERT_TRUE(viewer.isVisible());
    EXPECT_TRUE(viewer.isModal());
    EXPECT_EQ(viewer.windowTitle(), "Orvanne - beach.png");
    EXPECT_EQ(accessibleName(child<QWidget>(&viewer, "fileLabel")), "File: beach.png");
    EXPECT_EQ(accessibleName(child<QWidget>(&viewer, "captionLabel")), "Caption: Low tide");
    EXPECT_EQ(viewer.picture().size(), QSize(200, 100));
    // Centred in the window, with 40 pixels kept for the strip: (620 - 200) / 2, (475 - 40 - 100) / 2.
    EXPECT_EQ(pictureRect(), QRect(210, 167, 200, 100));
    EXPECT_TRUE(child<PictureWidget>(&viewer, "picture").isVisible());
    EXPECT_FALSE(scrollBars());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ImageViewerWindowTest, ZoomRelabelsAndPlacesThePictureAgain) {
    viewer.showImage(picture("big.png", 640, 480), "x");
    // Larger than the window: the corner, with scroll bars.
    EXPECT_EQ(pictureRect(), QRect(0, 0, 640, 480));
    EXPECT_TRUE(scrollBars());
    EXPECT_EQ(child<QWidget>(&viewer, "imageContent").size(), QSize(640, 480));

    zoomSlider().setValue(150);
    EXPECT_EQ(zoomText(), "Zoom: 150%");
    EXPECT_EQ(pictureRect(), QRect(0, 0, 960, 720));

    zoomSlider().setValue(50);
    EXPECT_EQ(zoomText(), "Zoom: 50%");
    EXPECT_EQ(pictureRect(), QRect(150, 97, 320, 240));
    EXPECT_FALSE(scrollBars());

    // Any value the mouse gives: 29 % of 640 is 185.6, cut to 185.
    zoomSlider().setValue(29);
    EXPECT_EQ(pictureRect().size(), QSize(185, 139));
}

TEST_F(ImageViewerWindowTest, KeysAndTheWheelZoom) {
    open(picture("p.png", 100, 100));
    QSlider& slider = zoomSlider();
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(viewer.zoom(), 105);
    QTest::keyClick(&slider, Qt::Key_PageUp);
    EXPECT_EQ(viewer.zoom(), 130);

    QTest::keyClick(&viewer, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(viewer.zoom(), 100);
    QTest::keyClick(&viewer, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(viewer.zoom(), 125);
    QTest::keyClick(&viewer, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(viewer.zoom(), 150);
    QTest::keyClick(&viewer, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(viewer.zoom(), 125);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(&viewer, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(viewer.zoom(), 200);
    EXPECT_EQ(zoomText(), "Zoom: 200%");

    // Ctrl and the wheel: a step per notch, also from many small touchpad turns.
    viewer.resetZoom();
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(viewer.zoom(), 75);
    for (int i = 0; i < 4; ++i)
        wheel(30, Qt::ControlModifier);
    EXPECT_EQ(viewer.zoom(), 100);
    // Without Ctrl the wheel scrolls and leaves the zoom alone.
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(viewer.zoom(), 100);
}

TEST_F(ImageViewerWindowTest, TheZoomStaysForTheNextPicture) {
    viewer.showImage(picture("one.png", 100, 100), "x");
    zoomSlider().setValue(150);
    viewer.close();
    viewer.showImage(picture("two.png", 300, 200), "y");
    EXPECT_EQ(viewer.zoom(), 150);
    EXPECT_EQ(zoomText(), "Zoom: 150%");
    EXPECT_EQ(pictureRect().size(), QSize(450, 300));
    EXPECT_EQ(viewer.windowTitle(), "Orvanne - two.png");
}

TEST_F(ImageViewerWindowTest, ResizingAndMaximisingPlaceThePictureAgain) {
    viewer.showImage(picture("p.png", 200, 100), "x");
    viewer.resize(820, 575);
    EXPECT_EQ(pictureRect().topLeft(), QPoint(310, 217));
    viewer.showMaximized();
    const QSize client = viewer.size();
    EXPECT_EQ(pictureRect().topLeft(), QPoint((client.width() - 200) / 2, (client.height() - 40 - 100) / 2));
}

TEST_F(ImageViewerWindowTest, TheScrolledPartOfAZoomedPictureIsWhatIsShown) {
    viewer.showImage(picture("four.png", 600, 400), "x");
    zoomSlider().setValue(200);
    scroll().horizontalScrollBar()->setValue(scroll().horizontalScrollBar()->maximum());
    scroll().verticalScrollBar()->setValue(scroll().verticalScrollBar()->maximum());
    const QImage shown = scroll().viewport()->grab().toImage();
    // The bottom-right quarter fills the view; the window is smaller than a zoomed quarter.
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(255, 255, 0));
    scroll().horizontalScrollBar()->setValue(0);
    scroll().verticalScrollBar()->setValue(0);
    const QImage corner = scroll().viewport()->grab().toImage();
    EXPECT_EQ(corner.pixelColor(corner.width() / 2, corner.height() / 2), QColor(255, 0, 0));
}

TEST_F(ImageViewerWindowTest, ADamagedMetafileOrIconIsReportedAndTheWindowStaysClosed) {
    for (const auto& [name, bytes] : {std::pair{"bad.wmf", QByteArray("\xD7\xCD\xC6\x9Agarbage", 11)},
                                      std::pair{"bad.ico", QByteArray("\0\0\1\0\1\0garbage", 14)}}) {
        messages.shown.clear();
        viewer.showImage(home.write(QLatin1String(name), bytes), "x");
        EXPECT_FALSE(viewer.isVisible()) << name;
        ASSERT_EQ(messages.shown.size(), 1) << name;
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
        EXPECT_FALSE(messages.shown[0].text.isEmpty());
    }
}

TEST_F(ImageViewerWindowTest, AFileGoneSinceTheCheckOpensEmptyWithNothingToPrint) {
    viewer.showImage(picture("p.png", 100, 100), "x");
    EXPECT_TRUE(child<QToolButton>(&viewer, "printButton").isEnabled());
    viewer.close();

    open(home.file("gone.png"));
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_TRUE(viewer.picture().isEmpty());
    EXPECT_EQ(viewer.windowTitle(), "Orvanne - gone.png");
    EXPECT_FALSE(child<QToolButton>(&viewer, "printButton").isEnabled());
    QTest::keyClick(&viewer, Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(preview.isVisible());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ImageViewerWindowTest, APictureThatCannotBeDecodedIsToldByThePictureAndNotPrinted) {
    viewer.showImage(home.write("broken.png", "\x89PNG\r\n\x1a\nnot a png"), "x");
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_FALSE(child<QToolButton>(&viewer, "printButton").isEnabled());
    ASSERT_EQ(messages.texts().size(), 2);
    EXPECT_EQ(messages.texts()[1], "Reading png file failed");
}

TEST_F(ImageViewerWindowTest, PrintOpensThePreviewOverTheViewerWithItsPicture) {
    open(picture("beach.png", 640, 480));
    QTest::mouseClick(&child<QToolButton>(&viewer, "printButton"), Qt::LeftButton);
    ASSERT_TRUE(preview.isVisible());
    EXPECT_TRUE(preview.isModal());
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_TRUE(preview.layout().printable);
    EXPECT_EQ(preview.layout().miniature, QRect(50, 54, 24, 16));
    preview.close();

    // Ctrl+P goes the same way.
    QApplication::setActiveWindow(&viewer);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
    QTest::keyClick(&viewer, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(preview.isVisible());
}

TEST_F(ImageViewerWindowTest, EscapeClosesAndF1AsksForTheViewersPartOfTheGuide) {
    QList<int> asked;
    viewer.setHelp([&asked](int context) { asked << context; });
    open(picture("p.png", 100, 100));
    zoomSlider().setFocus();
    QTest::keyClick(&zoomSlider(), Qt::Key_F1);
    EXPECT_EQ(asked, QList<int>({830}));
    QTest::keyClick(&viewer, Qt::Key_Escape);
    EXPECT_FALSE(viewer.isVisible());
    // The picture stays until the next one.
    EXPECT_EQ(viewer.picture().size(), QSize(100, 100));
}

TEST_F(ImageViewerWindowTest, EveryControlHasAName) {
    viewer.showImage(picture("p.png", 900, 900), "x");
    EXPECT_EQ(unnamedControls(viewer), QStringList());
    EXPECT_EQ(accessibleName(child<QWidget>(&viewer, "printButton")), "Print");
    EXPECT_EQ(accessibleName(zoomSlider()), "Zoom");
}

TEST(ViewerGuideTest, TheGuideHasAPartForEveryHelpContextOfBothWindows) {
    const QByteArray guide = TempFolder::read(QStringLiteral(ORVANNE_GUIDE));
    ASSERT_FALSE(guide.isEmpty()) << ORVANNE_GUIDE;
    for (const int context : {ImageViewerWindow::kZoomHelpContext, PrintPreviewWindow::kHelpContext,
                              PrintPreviewWindow::kPageHelpContext, PrintPreviewWindow::kScaleHelpContext,
                              PrintPreviewWindow::kSetupHelpContext})
        EXPECT_TRUE(guide.contains("id=\"context-" + QByteArray::number(context) + "\"")) << context;
}

} // namespace
