// Printing for real: the system printer device writing a PDF, read back by poppler's tools.

#include "ChildWidget.h"
#include "ImageDecoder.h"
#include "PrintPreviewWindow.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessages.h"
#include "SystemPrinterDevice.h"
#include "TempFolder.h"
#include "ViewerFixture.h"

#include "../imaging/WmfWriter.h"

#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <cstdlib>

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

bool near(QColor shown, QColor expected, int tolerance = 8) {
    return std::abs(shown.red() - expected.red()) <= tolerance &&
           std::abs(shown.green() - expected.green()) <= tolerance &&
           std::abs(shown.blue() - expected.blue()) <= tolerance;
}

class PdfPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
            GTEST_SKIP() << "poppler-utils is not installed";
        QPrinter& printer = device.printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(600);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(QString());
    }

    // Prints picture through the preview at scale 100, into pdf.
    void print(const Picture& picture, const QString& pdf) {
        device.printer().setOutputFileName(pdf);
        preview.preview(picture, "four.png");
        QTest::mouseClick(&child<QPushButton>(&preview, "printButton"), Qt::LeftButton);
        ASSERT_FALSE(preview.isVisible());
        ASSERT_TRUE(messages.shown.isEmpty()) << messages.texts().join(' ').toStdString();
    }
    // The page at 50 dots per inch: one page pixel is 12 printer pixels.
    QImage render(const QString& pdf) {
        run("pdftoppm", {"-r", "50", "-png", "-singlefile", pdf, folder.file("page")});
        return QImage(folder.file("page.png"));
    }

    TempFolder folder;
    ScriptedMessages messages;
    ScriptedFileDialogs dialogs;
    SystemPrinterDevice device;
    PrintPreviewWindow preview{messages, device, dialogs};
};

TEST_F(PdfPrintTest, OnePageWithThePictureWhereTheLayoutPutsIt) {
    // The printable area of A4 at 600 dpi, and where the painter's origin lies on the sheet.
    ASSERT_EQ(device.pageSize(), QSize(4792, 6851));
    const QPoint origin = device.printer().pageLayout().paintRectPixels(600).topLeft();
    ASSERT_EQ(origin, QPoint(83, 83));

    const QString pdf = folder.file("out.pdf");
    print(Picture::fromImage(fourColours(640, 480)), pdf);
    EXPECT_TRUE(run("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+1\\n")));

    const QImage page = render(pdf);
    // A4 at 50 dpi is 413.4 x 584.6 pixels; poppler rounds either way.
    ASSERT_NEAR(page.width(), 413, 1);
    ASSERT_NEAR(page.height(), 585, 1);
    const QRect printed = preview.layout().printRect.translated(origin);
    const double left = printed.left() / 12.0;
    const double top = printed.top() / 12.0;
    const double right = (printed.left() + printed.width()) / 12.0;
    const double bottom = (printed.top() + printed.height()) / 12.0;
    const double midX = (left + right) / 2;
    const double midY = (top + bottom) / 2;
    auto at = [&page](double x, double y) { return page.pixelColor(int(x), int(y)); };

    // Each quarter in its place, and within 2 page pixels of the edges the layout gives.
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), yellow(255, 255, 0), white(255, 255, 255);
    EXPECT_TRUE(near(at((left + midX) / 2, (top + midY) / 2), red));
    EXPECT_TRUE(near(at((midX + right) / 2, (top + midY) / 2), green));
    EXPECT_TRUE(near(at((left + midX) / 2, (midY + bottom) / 2), blue));
    EXPECT_TRUE(near(at((midX + right) / 2, (midY + bottom) / 2), yellow));
    EXPECT_TRUE(near(at(left + 2, top + 2), red));
    EXPECT_TRUE(near(at(right - 2, bottom - 2), yellow));
    EXPECT_TRUE(near(at(left - 2, top + 2), white, 2));
    EXPECT_TRUE(near(at(left + 2, top - 2), white, 2));
    EXPECT_TRUE(near(at(right + 2, bottom - 2), white, 2));
    EXPECT_TRUE(near(at(right - 2, bottom + 2), white, 2));
    EXPECT_TRUE(near(at(10, 10), white, 2));
}

TEST_F(PdfPrintTest, MetafilesPrintAsDrawingsAndRastersAsImages) {
    if (QStandardPaths::findExecutable("pdfimages").isEmpty())
        GTEST_SKIP() << "pdfimages is not installed";
    WmfWriter wmf;
    wmf.placeable(0, 0, 200, 100, 96);
    wmf.createBrush(0, qRgb(0, 0, 255));
    wmf.selectObject(0);
    wmf.rectangle(0, 0, 200, 100);
    const DecodeResult drawing = decodeImageFile(folder.write("box.wmf", wmf.bytes()));
    ASSERT_TRUE(drawing.picture.isVector());

    auto images = [](const QString& pdf) {
        // Two heading lines, then one line per image.
        return run("pdfimages", {"-list", pdf}).trimmed().split('\n').size() - 2;
    };
    print(drawing.picture, folder.file("vector.pdf"));
    EXPECT_EQ(images(folder.file("vector.pdf")), 0);
    const QImage page = render(folder.file("vector.pdf"));
    EXPECT_TRUE(near(page.pixelColor(page.width() / 2, page.height() / 2), QColor(0, 0, 255)));

    print(Picture::fromImage(fourColours(64, 48)), folder.file("raster.pdf"));
    EXPECT_EQ(images(folder.file("raster.pdf")), 1);
}

TEST_F(PdfPrintTest, TransparencyLiesOnWhitePaper) {
    QImage clear(64, 48, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    print(Picture::fromImage(clear), folder.file("clear.pdf"));
    const QImage page = render(folder.file("clear.pdf"));
    EXPECT_TRUE(near(page.pixelColor(page.width() / 2, page.height() / 2), Qt::white, 2));
}

TEST_F(PdfPrintTest, AJobsOwnFileIsForThatJobAndAFailedJobLeavesNoFile) {
    // No printer: the job has no file until one is named.
    EXPECT_TRUE(device.needsFileName());
    device.setOrientation(PrinterDevice::Orientation::Landscape);

    // A folder that is not there: the job cannot begin, and nothing is made.
    const QString missing = folder.file("missing/out.pdf");
    device.setJobFileName(missing);
    EXPECT_FALSE(device.begin());
    EXPECT_FALSE(device.errorText().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(QFileInfo::exists(folder.file("missing")));

    // A job that began and was then thrown away leaves no half-written file.
    const QString aborted = folder.file("aborted.pdf");
    device.setJobFileName(aborted);
    ASSERT_TRUE(device.begin());
    EXPECT_TRUE(
        device.draw(QRect(0, 0, 100, 100), [](QPainter& p, const QRect& r) { p.fillRect(r, Qt::red); }));
    device.abort();
    EXPECT_FALSE(QFileInfo::exists(aborted));

    // A finished job writes its file; the next job asks again, with the printer as it was.
    const QString done = folder.file("done.pdf");
    device.setJobFileName(done);
    ASSERT_TRUE(device.begin());
    ASSERT_TRUE(
        device.draw(QRect(0, 0, 100, 100), [](QPainter& p, const QRect& r) { p.fillRect(r, Qt::red); }));
    ASSERT_TRUE(device.end());
    EXPECT_TRUE(QFileInfo(done).size() > 0);
    EXPECT_TRUE(device.needsFileName());
    EXPECT_EQ(device.orientation(), PrinterDevice::Orientation::Landscape);
    EXPECT_EQ(device.pageSize(), QSize(6851, 4792));
    EXPECT_EQ(device.printer().resolution(), 600);
}

} // namespace
