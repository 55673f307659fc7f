// How long the show takes from a command to the next slide fully on screen, for 1920 x 1080
// photographs in a 1920 x 1080 window: without an effect (decode, compose, draw) and with one
// (the effect itself takes 0.6 s by design; what is beyond that is overhead). Each slide is
// given time to be prefetched, as it is while the one before shows.
//
//   build/bin/slide_change

#include "BenchHost.h"
#include "BenchStats.h"
#include "PictureWidget.h"
#include "ShowDocument.h"
#include "ShowHost.h"
#include "ShowWindow.h"
#include "TransitionHost.h"
#include "UserMessages.h"
#include "audio/AudioEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QImage photograph(int seed) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    quint32 x = quint32(seed) * 2654435761u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int i = 0; i < image.width(); ++i) {
            x = x * 1664525u + 1013904223u;
            const int v = int((x >> 24) & 0x3F);
            line[i] =
                qRgb((i / 8 + seed * 40) % 256 / 2 + v, (y / 4) % 200 + v / 2, (seed * 70) % 256 / 2 + v);
        }
    }
    return image;
}

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    BenchHost host;
    host.delay = 90;
    host.advance = false;
    host.looping = true;
    for (int i = 0; i < 8; ++i) {
        const QString path = dir.filePath(QStringLiteral("p%1.jpg").arg(i));
        photograph(i).save(path, "JPG", 90);
        host.doc.addSlide(path, QString(), QStringLiteral("Photograph %1").arg(i), 0);
    }
    AudioEngine engine(AudioEngine::Output::Manual);
    for (const bool effects : {false, true}) {
        host.effects = effects;
        ShowWindow show(host, engine);
        show.setScreenSize(QSize(1920, 1080));
        show.resize(1920, 1080);
        show.startShow();
        wait(200);
        std::vector<double> ms;
        for (int i = 0; i < 16; ++i) {
            QElapsedTimer t;
            t.start();
            if (effects) {
                // The effect paints in while the program goes on; the slide is whole when it ends.
                QEventLoop whole;
                QObject::connect(&show.transitions(), &TransitionHost::finished, &whole, &QEventLoop::quit);
                show.next();
                whole.exec();
            } else {
                show.next();
            }
            ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
            wait(150); // the next slide is prefetched meanwhile
        }
        std::printf("%s: median %.1f ms, max %.1f ms from Next to the slide fully on screen\n",
                    effects ? "with effects (0.6 s by design)" : "without effects", median(ms),
                    *std::max_element(ms.begin(), ms.end()));
    }
    return 0;
}
