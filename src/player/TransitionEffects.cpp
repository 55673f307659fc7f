#include "TransitionEffects.h"

#include <algorithm>
#include <cmath>
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

// How an effect reveals its frame: the number of units, and the copy of the units at positions
// from..to-1 of the effect's order, which returns the rectangle it touched. It sees a whole frame's
// units at once, so effects whose units cross every row can copy row by row.
struct Plan {
    int count;
    std::function<QRect(int, int)> reveal;
};

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

Plan rowsPlan(QImage& surface, const QImage& bitmap, int bandThickness) {
    const int t = std::max(1, bandThickness);
    const int w = bitmap.width();
    const int count = (bitmap.height() + t - 1) / t;
    return Plan{count, eachUnit(skipOrder(count), [=, &surface, &bitmap](int band) {
                    const QRect r(0, band * t, w, t);
                    copyRect(surface, bitmap, r);
                    return r;
                })};
}

Plan columnsPlan(QImage& surface, const QImage& bitmap, int bandThickness) {
    const int t = std::max(1, bandThickness);
    const int w = bitmap.width();
    const int h = bitmap.height();
    const int count = (w + t - 1) / t;
    const auto order = skipOrder(count);
    // Row by row: every column band crosses every row, and walking the rows once per frame keeps
    // the copy in cache order.
    return Plan{count, [=, &surface, &bitmap](int from, int to) {
                    int minX = w;
                    int maxX = -1;
                    for (int i = from; i < to; ++i) {
                        minX = std::min(minX, order(i) * t);
                        maxX = std::max(maxX, std::min(w, order(i) * t + t) - 1);
                    }
                    for (int y = 0; y < h; ++y)
                        for (int i = from; i < to; ++i)
                            copySpan(surface, bitmap, y, order(i) * t, order(i) * t + t);
                    return QRect(QPoint(minX, 0), QPoint(maxX, h - 1));
                }};
}

Plan diagonalsPlan(QImage& surface, const QImage& bitmap, int bandThickness) {
    const int t = std::max(1, bandThickness);
    const int w = bitmap.width();
    const int h = bitmap.height();
    // Band k holds the pixels whose x + y lies in [k*t, (k+1)*t).
    const int count = (w + h - 1 + t - 1) / t;
    const auto order = skipOrder(count);
    return Plan{count, [=, &surface, &bitmap](int from, int to) {
                    int lo = count * t;
                    int hi = 0;
                    for (int i = from; i < to; ++i) {
                        lo = std::min(lo, order(i) * t);
                        hi = std::max(hi, order(i) * t + t);
                    }
                    // The units of one frame lie within x + y in [lo, hi): only those rows and columns
                    // change.
                    const int yFirst = std::max(0, lo - (w - 1));
                    const int yLast = std::min(h - 1, hi - 1);
                    for (int y = yFirst; y <= yLast; ++y)
                        for (int i = from; i < to; ++i)
                            copySpan(surface, bitmap, y, order(i) * t - y, order(i) * t + t - y);
                    if (yFirst > yLast)
                        return QRect();
                    return QRect(QPoint(std::max(0, lo - yLast), yFirst),
                                 QPoint(std::min(w - 1, hi - 1 - yFirst), yLast));
                }};
}

Plan squaresPlan(QImage& surface, const QImage& bitmap, int bandThickness) {
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
    return Plan{count, eachUnit([=, &surface, &bitmap](int i) { return cells[static_cast<size_t>(i)]; },
                                [=, &surface, &bitmap](int cell) {
                                    const QRect r((cell % cols) * side, (cell / cols) * side, side, side);
                                    copyRect(surface, bitmap, r);
                                    return r & bitmap.rect();
                                })};
}

Plan ringsPlan(QImage& surface, const QImage& bitmap) {
    const int w = bitmap.width();
    const int h = bitmap.height();
    // Rectangular rings around the centre, each two pixels wide along the longer side and in
    // proportion along the other; they grow outward in two interleaved passes.
    const int count = std::max(1, (std::max(w, h) + 3) / 4);
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    auto ringRect = [=](int ring) {
        const double f = static_cast<double>(ring) / count;
        const int hw = static_cast<int>(std::ceil(cx * f));
        const int hh = static_cast<int>(std::ceil(cy * f));
        return QRect(QPoint(static_cast<int>(cx) - hw, static_cast<int>(cy) - hh),
                     QPoint(static_cast<int>(cx) + hw, static_cast<int>(cy) + hh));
    };
    return Plan{
        count, eachUnit(skipOrder(count), [=, &surface, &bitmap](int ring) {
            const QRect outer = ringRect(ring + 1) & bitmap.rect();
            const QRect inner = ring == 0 ? QRect() : (ringRect(ring) & bitmap.rect());
            if (inner.isEmpty()) {
                copyRect(surface, bitmap, outer);
                return outer;
            }
            copyRect(surface, bitmap,
                     QRect(outer.left(), outer.top(), outer.width(), inner.top() - outer.top()));
            copyRect(surface, bitmap, QRect(QPoint(outer.left(), inner.bottom() + 1), outer.bottomRight()));
            copyRect(surface, bitmap,
                     QRect(QPoint(outer.left(), inner.top()), QPoint(inner.left() - 1, inner.bottom())));
            copyRect(surface, bitmap,
                     QRect(QPoint(inner.right() + 1, inner.top()), QPoint(outer.right(), inner.bottom())));
            return outer;
        })};
}

} // namespace

Reveal::Reveal(TransitionEffect effect, const QImage& before, const QImage& after, int bandThickness,
               int pace)
    : bitmap_(after.convertToFormat(QImage::Format_RGB32)), duration_(transitionDurationMs(pace)) {
    const QImage old = before.convertToFormat(QImage::Format_RGB32);
    if (old.size() == bitmap_.size()) {
        surface_ = old.copy(); // its own pixels: the effect writes into it
    } else {
        surface_ = QImage(bitmap_.size(), QImage::Format_RGB32);
        surface_.fill(Qt::black);
        // Whatever was on screen, where it was, under the new frame's size.
        for (int y = 0; y < std::min(old.height(), surface_.height()); ++y)
            std::memcpy(surface_.scanLine(y), old.constScanLine(y),
                        static_cast<size_t>(std::min(old.width(), surface_.width())) * sizeof(QRgb));
    }
    Plan plan{0, nullptr};
    switch (effect) {
    case TransitionEffect::Rows:
        plan = rowsPlan(surface_, bitmap_, bandThickness);
        break;
    case TransitionEffect::Columns:
        plan = columnsPlan(surface_, bitmap_, bandThickness);
        break;
    case TransitionEffect::Diagonals:
        plan = diagonalsPlan(surface_, bitmap_, bandThickness);
        break;
    case TransitionEffect::Squares:
        plan = squaresPlan(surface_, bitmap_, bandThickness);
        break;
    case TransitionEffect::Rings:
        plan = ringsPlan(surface_, bitmap_);
        break;
    case TransitionEffect::None:
        break;
    }
    count_ = plan.count;
    reveal_ = std::move(plan.reveal);
}

QRect Reveal::advanceTo(qint64 elapsedMs) {
    if (finished_)
        return QRect();
    if (elapsedMs >= duration_ || count_ == 0)
        return finish();
    const int target =
        std::clamp(static_cast<int>((static_cast<double>(elapsedMs) * count_) / duration_), done_, count_);
    if (target <= done_)
        return QRect();
    const QRect dirty = reveal_(done_, target) & bitmap_.rect();
    done_ = target;
    return dirty;
}

QRect Reveal::finish() {
    if (finished_)
        return QRect();
    // Whatever the units covered, the whole frame is on the surface at the end.
    surface_ = bitmap_;
    done_ = count_;
    finished_ = true;
    return surface_.rect();
}
