#pragma once

// The five effect routines that paint a new frame over the old one progressively. Each reveals
// the bitmap onto the canvas in units (rows, columns, diagonals, squares or rectangles), two
// interleaved passes, paced by elapsed time: an effect takes FXDelay x 120 ms (0.6 s at the show's
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

// How long an effect takes for a given FXDelay.
inline qint64 transitionDurationMs(int delay) {
    return static_cast<qint64>(qBound(1, delay, 1000)) * 120;
}

void FXSkipHorizontal(TransitionCanvas& dc, const QImage& bitmap, int colRowThick, int delay);
void FXSkipVertical(TransitionCanvas& dc, const QImage& bitmap, int colRowThick, int delay);
void FXSkipDiagonals(TransitionCanvas& dc, const QImage& bitmap, int colRowThick, int delay);
void FXSkipDiagonalSquares(TransitionCanvas& dc, const QImage& bitmap, int colRowThick, int delay);
void FXSkipRectangles(TransitionCanvas& dc, const QImage& bitmap, int delay);
