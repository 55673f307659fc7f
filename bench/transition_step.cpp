// Cost of one step of each transition effect at 1920 x 1080: revealing the step's units and
// putting the changed area on a screen-sized image, as the show window's canvas does. The baseline
// in the same run is one full-frame drawImage, the cost of showing a slide without any effect.
//
//   build/bin/transition_step

#include "TransitionEffects.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

namespace {

QImage noise(QSize size, quint32 seed) {
    QImage image(size, QImage::Format_RGB32);
    quint32 x = seed;
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int i = 0; i < size.width(); ++i) {
            x = x * 1664525u + 1013904223u;
            line[i] = 0xFF000000u | (x >> 8);
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QSize size(1920, 1080);
    const QImage before = noise(size, 1);
    const QImage after = noise(size, 2);
    QImage screen(size, QImage::Format_RGB32);

    // Baseline: one full-frame draw, the cost of a slide shown without an effect.
    double fullMs = 0;
    {
        QPainter p(&screen);
        QElapsedTimer t;
        t.start();
        const int n = 200;
        for (int i = 0; i < n; ++i)
            p.drawImage(0, 0, i % 2 ? before : after);
        fullMs = static_cast<double>(t.nsecsElapsed()) / 1e6 / n;
    }
    std::printf("full-frame draw (baseline): %.3f ms\n", fullMs);

    const std::pair<const char*, TransitionEffect> effects[] = {
        {"horizontal", TransitionEffect::Rows},     {"vertical", TransitionEffect::Columns},
        {"diagonals", TransitionEffect::Diagonals}, {"diagonal squares", TransitionEffect::Squares},
        {"rectangles", TransitionEffect::Rings},
    };
    for (const auto& [name, effect] : effects) {
        double best = 1e9;
        int steps = 0;
        for (int round = 0; round < 5; ++round) {
            // Steps through the effect as fast as it can, with a clock that moves one frame per step,
            // putting each step's changed area on the screen image as the overlay's paint does.
            Reveal reveal(effect, before, after, 1, 5);
            QPainter p(&screen);
            int flushes = 0;
            QElapsedTimer t;
            t.start();
            for (qint64 now = 16; !reveal.isDone(); now += 16) {
                const QRect dirty = reveal.advanceTo(now);
                if (!dirty.isEmpty()) {
                    p.drawImage(dirty.topLeft(), reveal.surface(), dirty);
                    ++flushes;
                }
            }
            const double perStep = static_cast<double>(t.nsecsElapsed()) / 1e6 / flushes;
            best = std::min(best, perStep);
            steps = flushes;
        }
        std::printf("%-17s %2d steps, %.3f ms a step (%.2fx the full-frame draw; budget 4 ms)\n", name, steps,
                    best, best / fullMs);
    }
    return 0;
}
