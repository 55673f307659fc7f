#pragma once

// The five effects that paint a new frame over the old one progressively. Each reveals the bitmap
// onto the canvas in units (bands of rows, bands of columns, diagonal bands, squares or rings), in
// two interleaved passes, paced by elapsed time: an effect takes pace x 120 ms (0.6 s at the show's
// pace of 5) whatever the size, and returns only when the whole bitmap is on the canvas.

#include <QImage>
#include <QRect>

// Where an effect paints: a surface that starts as what the target shows now, a way to put the
// changed part of it on screen, and the clock that paces the effect.
class TransitionCanvas {
public:
    virtual ~TransitionCanvas() = default;
    // The picture on screen, the size of the bitmap, in Format_RGB32.
    virtual QImage& surface() = 0;
    // Shows the part of surface() inside dirty.
    virtual void flush(const QRect& dirty) = 0;
    // Milliseconds since the effect started.
    virtual qint64 elapsedMs() = 0;
    // Waits for the next frame (about 1/60 s).
    virtual void nextFrame() = 0;
};

// How long an effect takes at a given pace.
inline qint64 transitionDurationMs(int pace) {
    return static_cast<qint64>(qBound(1, pace, 1000)) * 120;
}

void revealRows(TransitionCanvas& canvas, const QImage& bitmap, int bandThickness, int pace);
void revealColumns(TransitionCanvas& canvas, const QImage& bitmap, int bandThickness, int pace);
void revealDiagonals(TransitionCanvas& canvas, const QImage& bitmap, int bandThickness, int pace);
void revealSquares(TransitionCanvas& canvas, const QImage& bitmap, int bandThickness, int pace);
void revealRings(TransitionCanvas& canvas, const QImage& bitmap, int pace);
