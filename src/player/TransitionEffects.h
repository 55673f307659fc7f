#pragma once

// The five effects that paint a new frame over the old one progressively. Each reveals the new
// frame in units (bands of rows, bands of columns, diagonal bands, squares or rings), in two
// interleaved passes, paced by elapsed time: an effect takes pace x 120 ms (0.6 s at the show's
// pace of 5) whatever the size. The caller drives it, a frame at a time, and shows what changed.

#include <QImage>
#include <QRect>

#include <functional>

enum class TransitionEffect : quint8 { None, Rows, Columns, Diagonals, Squares, Rings };

// How long an effect takes at a given pace.
inline qint64 transitionDurationMs(int pace) {
    return static_cast<qint64>(qBound(1, pace, 1000)) * 120;
}

// One effect under way: the surface starts as the picture that was on screen and ends as the new
// frame.
class Reveal {
public:
    // before: what was on screen (any size; it is fitted to the frame's); after: the new frame.
    Reveal(TransitionEffect effect, const QImage& before, const QImage& after, int bandThickness, int pace);
    Reveal(const Reveal&) = delete;
    Reveal& operator=(const Reveal&) = delete;

    // Reveals every unit due elapsedMs after the start; returns the area that changed.
    QRect advanceTo(qint64 elapsedMs);
    // Reveals everything at once; returns the area that changed.
    QRect finish();
    bool isDone() const { return finished_; }

    // The picture as it stands, Format_RGB32, the size of the new frame.
    const QImage& surface() const { return surface_; }
    qint64 durationMs() const { return duration_; }
    int unitCount() const { return count_; }

private:
    QImage surface_;
    QImage bitmap_;
    int count_ = 0;
    int done_ = 0;
    qint64 duration_ = 0;
    bool finished_ = false;
    // Copies the units at positions from..to-1 of the effect's order; returns what it touched.
    std::function<QRect(int from, int to)> reveal_;
};
