#pragma once

#include <QRectF>

class QPainter;

// A drawing that can be replayed at any size: what a metafile decodes to. Implementations are
// immutable once built, so one drawing may be shared between threads and pictures.
class VectorDrawing {
public:
    virtual ~VectorDrawing() = default;
    // Paints the whole drawing so that it fills target.
    virtual void play(QPainter& painter, const QRectF& target) const = 0;
};
