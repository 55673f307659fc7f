#include "Picture.h"

#include "VectorDrawing.h"

#include <QPainter>

Picture Picture::fromImage(const QImage& image) {
    return fromRaster(image, image.size());
}

Picture Picture::fromRaster(const QImage& raster, const QSize& naturalSize) {
    Picture p;
    if (raster.isNull() || naturalSize.isEmpty())
        return p;
    p.raster_ = raster;
    p.width_ = naturalSize.width();
    p.height_ = naturalSize.height();
    return p;
}

Picture Picture::fromDrawing(std::shared_ptr<const VectorDrawing> drawing, const QSize& naturalSize) {
    Picture p;
    if (!drawing || naturalSize.isEmpty())
        return p;
    p.drawing_ = std::move(drawing);
    p.width_ = naturalSize.width();
    p.height_ = naturalSize.height();
    return p;
}

void Picture::draw(QPainter& painter, const QRectF& target) const {
    if (isEmpty() || target.isEmpty())
        return;
    painter.save();
    if (drawing_) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setClipRect(target, Qt::IntersectClip);
        drawing_->play(painter, target);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, raster_, QRectF(raster_.rect()));
    }
    painter.restore();
}

QImage Picture::toImage(const QSize& size) const {
    if (isEmpty())
        return QImage();
    const QSize out = size.isValid() && !size.isEmpty() ? size : this->size();
    if (!drawing_ && raster_.size() == out)
        return raster_;
    QImage image(out, drawing_ ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(drawing_ ? Qt::white : Qt::transparent);
    QPainter painter(&image);
    draw(painter, QRectF(QPointF(0, 0), QSizeF(out)));
    painter.end();
    return image;
}
