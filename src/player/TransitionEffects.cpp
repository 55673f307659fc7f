#include "TransitionEffects.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// Copies the pixels of row y from x0 (inclusive) to x1 (exclusive) of the bitmap to the surface.
inline void copySpan(QImage& surface, const QImage& bitmap, int y, int x0, int x1) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, bitmap.width());
    if (x0 >= x1)
        return;
    auto* dst = reinterpret_cast<QRgb*>(surface.scanLine(y));
    const auto* src = reinterpret_cast<const QRgb*>(bitmap.constScanLine(y));
    std::memcpy(dst + x0, src + x0, static_cast<size_t>(x1 - x0) * sizeof(QRgb));
}

inline void copyRect(QImage& surface, const QImage& bitmap, const QRect& r) {
    const QRect clipped = r & bitmap.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        copySpan(surface, bitmap, y, clipped.left(), clipped.right() + 1);
}

// Reveals units 0..count-1 in the order given by order(i), paced by the canvas clock over the
// effect's duration. reveal(from, to) copies the pixels of the units at positions from..to-1 of
// that order and returns the rectangle it touched; it sees a whole frame's units at once, so
// effects whose units cross every row can copy row by row.
void runUnits(TransitionCanvas& canvas, const QImage& bitmap, int count, int pace,
              const std::function<QRect(int, int)>& reveal) {
    QImage& surface = canvas.surface();
    if (surface.size() != bitmap.size() || surface.format() != QImage::Format_RGB32)
        surface = QImage(bitmap.size(), QImage::Format_RGB32);
    const qint64 duration = transitionDurationMs(pace);
    int done = 0;
    while (done < count) {
        const qint64 elapsed = canvas.elapsedMs();
        int target =
            elapsed >= duration ? count : static_cast<int>((static_cast<double>(elapsed) * count) / duration);
        target = std::clamp(target, done, count);
        if (target > done) {
            const QRect dirty = reveal(done, target) & bitmap.rect();
            done = target;
            if (!dirty.isEmpty())
                canvas.flush(dirty);
        }
        if (done < count)
            canvas.nextFrame();
    }
    // Whatever the units covered, the whole bitmap is on the canvas when the routine returns.
    surface = bitmap.convertToFormat(QImage::Format_RGB32);
    canvas.flush(surface.rect());
}

// The per-unit form: reveals each unit of the range by itself.
std::function<QRect(int, int)> eachUnit(std::function<int(int)> order, std::function<QRect(int)> unit) {
    return [order = std::move(order), unit = std::move(unit)](int from, int to) {
        QRect dirty;
        for (int i = from; i < to; ++i)
            dirty |= unit(order(i));
        return dirty;
    };
}

// Two interleaved passes: the even units first, then the odd ones.
std::function<int(int)> skipOrder(int count) {
    const int evens = (count + 1) / 2;
    return [evens](int i) { return i < evens ? 2 * i : 2 * (i - evens) + 1; };
}

QImage asRgb32(const QImage& bitmap) {
    return bitmap.convertToFormat(QImage::Format_RGB32);
}

} // namespace

void revealRows(TransitionCanvas& canvas, const QImage& image, int bandThickness, int pace) {
    const QImage bitmap = asRgb32(image);
    const int t = std::max(1, bandThickness);
    const int w = bitmap.width();
    const int count = (bitmap.height() + t - 1) / t;
    runUnits(canvas, bitmap, count, pace, eachUnit(skipOrder(count), [&](int band) {
                 const QRect r(0, band * t, w, t);
                 copyRect(canvas.surface(), bitmap, r);
                 return r;
             }));
}

void revealColumns(TransitionCanvas& canvas, const QImage& image, int bandThickness, int pace) {
    const QImage bitmap = asRgb32(image);
    const int t = std::max(1, bandThickness);
    const int w = bitmap.width();
    const int h = bitmap.height();
    const int count = (w + t - 1) / t;
    const auto order = skipOrder(count);
    // Row by row: every column band crosses every row, and walking the rows once per frame keeps
    // the copy in cache order.
    runUnits(canvas, bitmap, count, pace, [&](int from, int to) {
        int minX = w;
        int maxX = -1;
        for (int i = from; i < to; ++i) {
            minX = std::min(minX, order(i) * t);
            maxX = std::max(maxX, std::min(w, order(i) * t + t) - 1);
        }
        for (int y = 0; y < h; ++y)
            for (int i = from; i < to; ++i)
                copySpan(canvas.surface(), bitmap, y, order(i) * t, order(i) * t + t);
        return QRect(QPoint(minX, 0), QPoint(maxX, h - 1));
    });
}

void revealDiagonals(TransitionCanvas& canvas, const QImage& image, int bandThickness, int pace) {
    const QImage bitmap = asRgb32(image);
    const int t = std::max(1, bandThickness);
    const int w = bitmap.width();
    const int h = bitmap.height();
    // Band k holds the pixels whose x + y lies in [k*t, (k+1)*t).
    const int count = (w + h - 1 + t - 1) / t;
    const auto order = skipOrder(count);
    runUnits(canvas, bitmap, count, pace, [&](int from, int to) {
        int lo = count * t;
        int hi = 0;
        for (int i = from; i < to; ++i) {
            lo = std::min(lo, order(i) * t);
            hi = std::max(hi, order(i) * t + t);
        }
        // The units of one frame lie within x + y in [lo, hi): only those rows and columns change.
        const int yFirst = std::max(0, lo - (w - 1));
        const int yLast = std::min(h - 1, hi - 1);
        for (int y = yFirst; y <= yLast; ++y)
            for (int i = from; i < to; ++i)
                copySpan(canvas.surface(), bitmap, y, order(i) * t - y, order(i) * t + t - y);
        if (yFirst > yLast)
            return QRect();
        return QRect(QPoint(std::max(0, lo - yLast), yFirst),
                     QPoint(std::min(w - 1, hi - 1 - yFirst), yLast));
    });
}

void revealSquares(TransitionCanvas& canvas, const QImage& image, int bandThickness, int pace) {
    const QImage bitmap = asRgb32(image);
    const int side = 16 * std::max(1, bandThickness);
    const int cols = (bitmap.width() + side - 1) / side;
    const int rows = (bitmap.height() + side - 1) / side;
    // Squares sorted along the diagonals from the top-left corner; even diagonals first, then odd.
    std::vector<int> cells(static_cast<size_t>(cols) * rows);
    for (int i = 0; i < static_cast<int>(cells.size()); ++i)
        cells[static_cast<size_t>(i)] = i;
    std::stable_sort(cells.begin(), cells.end(), [cols](int a, int b) {
        const int da = a % cols + a / cols;
        const int db = b % cols + b / cols;
        if ((da & 1) != (db & 1))
            return (da & 1) < (db & 1);
        return da < db;
    });
    const int count = static_cast<int>(cells.size());
    runUnits(canvas, bitmap, count, pace,
             eachUnit([&](int i) { return cells[static_cast<size_t>(i)]; },
                      [&](int cell) {
                          const QRect r((cell % cols) * side, (cell / cols) * side, side, side);
                          copyRect(canvas.surface(), bitmap, r);
                          return r & bitmap.rect();
                      }));
}

void revealRings(TransitionCanvas& canvas, const QImage& image, int pace) {
    const QImage bitmap = asRgb32(image);
    const int w = bitmap.width();
    const int h = bitmap.height();
    // Rectangular rings around the centre, each two pixels wide along the longer side and in
    // proportion along the other; they grow outward in two interleaved passes.
    const int count = std::max(1, (std::max(w, h) + 3) / 4);
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    auto ringRect = [&](int ring) {
        const double f = static_cast<double>(ring) / count;
        const int hw = static_cast<int>(std::ceil(cx * f));
        const int hh = static_cast<int>(std::ceil(cy * f));
        return QRect(QPoint(static_cast<int>(cx) - hw, static_cast<int>(cy) - hh),
                     QPoint(static_cast<int>(cx) + hw, static_cast<int>(cy) + hh));
    };
    runUnits(canvas, bitmap, count, pace, eachUnit(skipOrder(count), [&](int ring) {
                 const QRect outer = ringRect(ring + 1) & bitmap.rect();
                 const QRect inner = ring == 0 ? QRect() : (ringRect(ring) & bitmap.rect());
                 if (inner.isEmpty()) {
                     copyRect(canvas.surface(), bitmap, outer);
                     return outer;
                 }
                 copyRect(canvas.surface(), bitmap,
                          QRect(outer.left(), outer.top(), outer.width(), inner.top() - outer.top()));
                 copyRect(canvas.surface(), bitmap,
                          QRect(QPoint(outer.left(), inner.bottom() + 1), outer.bottomRight()));
                 copyRect(canvas.surface(), bitmap,
                          QRect(QPoint(outer.left(), inner.top()), QPoint(inner.left() - 1, inner.bottom())));
                 copyRect(
                     canvas.surface(), bitmap,
                     QRect(QPoint(inner.right() + 1, inner.top()), QPoint(outer.right(), inner.bottom())));
                 return outer;
             }));
}
