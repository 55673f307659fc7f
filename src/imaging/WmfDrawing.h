#pragma once

#include "VectorDrawing.h"

#include <QRectF>

#include <functional>
#include <vector>

// A recorded metafile: primitives in the player's device coordinates, replayed so that bounds fills
// the target. Each step gets the current device-to-target scale, so that hairlines and thin pens
// never vanish when the drawing is shown small.
class WmfDrawing : public VectorDrawing {
public:
    using Step = std::function<void(QPainter&, double scale)>;

    WmfDrawing(const QRectF& bounds, std::vector<Step> steps) : bounds_(bounds), steps_(std::move(steps)) {}
    void play(QPainter& painter, const QRectF& target) const override;

    QRectF bounds() const { return bounds_; }
    std::size_t stepCount() const { return steps_.size(); }

private:
    QRectF bounds_;
    std::vector<Step> steps_;
};
