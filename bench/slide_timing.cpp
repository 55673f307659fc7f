// How long each slide of a show stays whole on screen: 50 slides of one second each, with the
// effects on (or off: --no-effects), in a 1280 x 720 window. Reports the time from a slide being
// whole on screen (its first paint after the transition) to the next slide starting, as min,
// median and max, and the size each slide was composed at. A frame is 16.7 ms at 60 Hz.
//
//   build/bin/slide_timing [--no-effects] [--slides N]

#include "BenchHost.h"
#include "PictureWidget.h"
#include "ShowDocument.h"
#include "ShowHost.h"
#include "ShowWindow.h"
#include "TransitionHost.h"
#include "UserMessages.h"
#include "audio/AudioEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Notes the first paint of the picture after the slide became whole.
class PaintWatch : public QObject {
public:
    QElapsedTimer clock;
    bool waitingForWhole = false;
    std::vector<qint64> whole;   // per slide, when it was first painted whole
    std::vector<qint64> started; // per slide, when the controller moved to it
    std::vector<QSize> sizes;    // per slide, the frame it was composed as

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && waitingForWhole) {
            waitingForWhole = false;
            whole.push_back(clock.elapsed());
            sizes.push_back(static_cast<PictureWidget*>(watched)->picture().raster().size());
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    BenchHost host;
    host.effects = true;
    host.title = QStringLiteral("Orvanne - timing");
    host.onEditorShown = [] { QApplication::quit(); };
    int slides = 50;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--no-effects") == 0)
            host.effects = false;
        else if (qstrcmp(argv[i], "--slides") == 0 && i + 1 < argc)
            slides = std::max(2, atoi(argv[++i]));
    }
    QTemporaryDir dir;
    for (int i = 0; i < slides; ++i) {
        QImage photo(1500, 1000, QImage::Format_RGB32); // 3:2, larger than the window
        photo.fill(QColor::fromHsv(i * 37 % 360, 180, 220));
        QPainter(&photo).fillRect(100, 100, 400, 300, Qt::white);
        const QString path = dir.filePath(QStringLiteral("s%1.jpg").arg(i));
        photo.save(path, "JPG", 85);
        host.doc.addSlide(path, QString(), QStringLiteral("Slide %1").arg(i + 1), 1000);
    }
    AudioEngine engine(AudioEngine::Output::Manual);
    ShowWindow show(host, engine);
    show.resize(1280, 720);
    PaintWatch watch;
    auto& view = *show.findChild<PictureWidget*>(QStringLiteral("slideView"));
    view.installEventFilter(&watch);
    QObject::connect(&show.controller(), &ShowController::slideChanged, [&](int) {
        watch.started.push_back(watch.clock.elapsed());
        // Without effects the slide is whole at its first paint; with them, after the effect.
        watch.waitingForWhole = !host.effects;
    });
    QObject::connect(&show.transitions(), &TransitionHost::finished, [&] { watch.waitingForWhole = true; });
    watch.clock.start();
    show.startShow();
    app.exec();

    std::vector<double> onScreen;
    for (size_t i = 0; i + 1 < watch.started.size() && i < watch.whole.size(); ++i)
        onScreen.push_back(double(watch.started[i + 1] - watch.whole[i]));
    if (onScreen.empty()) {
        std::printf("no slides were timed\n");
        return 1;
    }
    std::vector<double> sorted = onScreen;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%zu slides of 1000 ms, effects %s: on screen min %.1f ms, median %.1f ms, max %.1f ms\n",
                onScreen.size(), host.effects ? "on" : "off", sorted.front(), sorted[sorted.size() / 2],
                sorted.back());
    std::printf(
        "first slide %.1f ms; every slide within one frame (16.7 ms): %s\n", onScreen.front(),
        std::all_of(onScreen.begin(), onScreen.end(), [](double ms) { return std::abs(ms - 1000) <= 16.7; })
            ? "yes"
            : "no");
    const std::vector<QSize>& sizes = watch.sizes;
    const QSize first = sizes.empty() ? QSize() : sizes.front();
    const bool sameSize = std::all_of(sizes.begin(), sizes.end(), [&](const QSize& s) { return s == first; });
    std::printf("composed at %dx%d; the first slide the same size as the rest: %s\n", first.width(),
                first.height(), sameSize ? "yes" : "no");
    return 0;
}
