// What one scroll step costs in the image viewer with a 6000 x 4000 photograph at 25, 100 and
// 200 %: the scroll bar moves by one step and the window repaints what came into view. At 200 %
// the picture is a 12000 x 8000 widget, of which only the exposed part may be painted, and no
// scaled copy of the whole may be made. Each line says how many pixels a step painted, what a
// repaint of the whole view costs, and how much the process grew. The baseline in the same run is
// one unscaled drawImage of a viewport-sized image, the least any repaint of the view can cost.
//
//   build/bin/viewer_repaint

#include "BenchStats.h"
#include "FileDialogs.h"
#include "ImageViewerWindow.h"
#include "PictureWidget.h"
#include "PrintPreviewWindow.h"
#include "PrinterDevice.h"
#include "UserMessages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class NoPrinter : public PrinterDevice {
public:
    Orientation orientation() const override { return Orientation::Portrait; }
    void setOrientation(Orientation) override {}
    QSize pageSize() const override { return QSize(4800, 6600); }
    bool setup(QWidget*) override { return false; }
    bool needsFileName() const override { return false; }
    void setJobFileName(const QString&) override {}
    void setDocumentName(const QString&) override {}
    bool begin() override { return false; }
    bool draw(const QRect&, const Painting&) override { return false; }
    bool end() override { return false; }
    void abort() override {}
    QString errorText() const override { return {}; }
};

class NoDialogs : public FileDialogs {
public:
    QColor chooseColour(const QColor& initial) override { return initial; }
    QString openFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
};

// Counts the pixels each paint of the picture covers.
class PaintedArea : public QObject {
public:
    qint64 pixels = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
                pixels += qint64(r.width()) * r.height();
        return false;
    }
};

// A photograph-like picture: smooth gradients with some grain, so that scaling has work to do.
QImage photo(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    quint32 x = 12345;
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int i = 0; i < size.width(); ++i) {
            x = x * 1664525u + 1013904223u;
            const int grain = int(x >> 28);
            line[i] = qRgb((i * 255 / size.width() + grain) & 255, (y * 255 / size.height() + grain) & 255,
                           ((i + y) / 40 + grain) & 255);
        }
    }
    return image;
}

double residentMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    photo(QSize(6000, 4000)).save(path, "JPG", 90);

    SilentMessages messages;
    NoPrinter printer;
    NoDialogs dialogs;
    PrintPreviewWindow preview(messages, printer, dialogs);
    ImageViewerWindow viewer(messages, preview);
    viewer.showImage(path, QStringLiteral("bench"));
    QCoreApplication::processEvents();
    auto* scroll = viewer.findChild<QScrollArea*>(QStringLiteral("imageScroll"));
    auto* picture = viewer.findChild<PictureWidget*>(QStringLiteral("picture"));
    PaintedArea painted;
    picture->installEventFilter(&painted);
    const QSize view = scroll->viewport()->size();
    std::printf("viewport %d x %d, picture %d x %d\n", view.width(), view.height(), viewer.picture().width(),
                viewer.picture().height());

    // Baseline: one unscaled viewport-sized draw onto a screen-like image.
    const QImage source = photo(view);
    QImage screen(view, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> base;
    {
        QPainter p(&screen);
        for (int i = 0; i < 100; ++i) {
            QElapsedTimer t;
            t.start();
            p.drawImage(0, 0, source);
            base.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    const double baseMs = median(base);
    std::printf("viewport-sized drawImage (baseline): %.3f ms\n", baseMs);

    for (const int zoom : {25, 100, 200}) {
        viewer.setZoom(zoom);
        QCoreApplication::processEvents();
        QScrollBar* bar = scroll->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        QCoreApplication::processEvents();
        const double before = residentMb();
        std::vector<double> steps;
        std::vector<double> whole;
        painted.pixels = 0;
        const int n = 40;
        for (int i = 0; i < n; ++i) {
            QElapsedTimer t;
            t.start();
            bar->setValue(bar->value() + (i % 2 ? -bar->singleStep() : bar->singleStep()));
            QCoreApplication::processEvents();
            steps.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const qint64 stepPixels = painted.pixels / n;
        painted.pixels = 0;
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer t;
            t.start();
            picture->update();
            QCoreApplication::processEvents();
            whole.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const qint64 wholePixels = painted.pixels / 10;
        const double stepMs = median(steps);
        const double wholeMs = median(whole);
        std::printf("%3d %%: picture %5d x %4d; scroll step %.3f ms (%.2fx baseline, %lld pixels painted), "
                    "whole view %.3f ms (%.2fx, %lld pixels); memory %+.0f MB\n",
                    zoom, picture->width(), picture->height(), stepMs, stepMs / baseMs,
                    static_cast<long long>(stepPixels), wholeMs, wholeMs / baseMs,
                    static_cast<long long>(wholePixels), residentMb() - before);
    }
    return 0;
}
