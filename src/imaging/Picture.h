#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>

#include <memory>

class QPainter;
class VectorDrawing;

// What a picture widget holds after a decode: a raster or a replayable vector drawing, plus the
// natural size in pixels. The raster may have been decoded smaller than the natural size (when
// the caller said how large it would be drawn); every layout figure uses the natural size.
class Picture {
public:
    Picture() = default;
    static Picture fromImage(const QImage& image);
    // A raster decoded at less than its natural size.
    static Picture fromRaster(const QImage& raster, const QSize& naturalSize);
    static Picture fromDrawing(std::shared_ptr<const VectorDrawing> drawing, const QSize& naturalSize);

    int width() const { return width_; }
    int height() const { return height_; }
    QSize size() const { return QSize(width_, height_); }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    bool isVector() const { return drawing_ != nullptr; }
    QImage raster() const { return raster_; }

    // Draws the graphic stretched into target, smoothly.
    void draw(QPainter& painter, const QRectF& target) const;
    // The graphic rendered at its natural size or at the given size. Vector drawings are rendered
    // on white, as they would appear on paper; rasters keep their own pixels (and alpha).
    QImage toImage(const QSize& size = QSize()) const;

private:
    QImage raster_;
    std::shared_ptr<const VectorDrawing> drawing_;
    int width_ = 0;
    int height_ = 0;
};
