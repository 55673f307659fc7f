#include "WmfDrawing.h"

#include <QPainter>

#include <cmath>

void WmfDrawing::play(QPainter& painter, const QRectF& target) const {
    if (bounds_.isEmpty() || target.isEmpty())
        return;
    painter.save();
    const double sx = target.width() / bounds_.width();
    const double sy = target.height() / bounds_.height();
    painter.translate(target.topLeft());
    painter.scale(sx, sy);
    painter.translate(-bounds_.topLeft());
    painter.setClipRect(bounds_, Qt::IntersectClip);
    const QTransform& t = painter.worldTransform();
    const double scale = std::min(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    for (const Step& step : steps_) {
        painter.save();
        step(painter, scale);
        painter.restore();
    }
    painter.restore();
}
