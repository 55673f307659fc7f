#include "SlideComposer.h"

#include "ImageDecoder.h"
#include "Picture.h"

#include <QPainter>

#include <cmath>

std::optional<Placement> placeSlide(QSize picture, QSize visible, QSize screen, bool fit) {
    if (picture.width() <= 0 || picture.height() <= 0)
        return std::nullopt;
    Placement p;
    if (fit) {
        p.display = visible;
    } else {
        p.display =
            QSize(std::max(screen.width(), picture.width()), std::max(screen.height(), picture.height()));
    }
    if (p.display.isEmpty())
        return std::nullopt;
    // Shrunk to fit only when asked and only when too large; the same rule the decoder uses
    // for the size it decodes at, so the raster is drawn without a second resample.
    const QSize drawn = fit ? fittedSize(picture, p.display) : picture;
    p.scaledWidth = drawn.width();
    p.scaledHeight = drawn.height();
    // Centred in the visible area, the odd pixel going to the top or left margin.
    p.top = p.scaledHeight < visible.height()
                ? static_cast<int>((visible.height() - p.scaledHeight) / 2.0 + 0.5)
                : 0;
    p.left =
        p.scaledWidth < visible.width() ? static_cast<int>((visible.width() - p.scaledWidth) / 2.0 + 0.5) : 0;
    return p;
}

TransitionEffect effectForCycle(int cycle) {
    switch (cycle) {
    case 1:
        return TransitionEffect::Rows;
    case 2:
        return TransitionEffect::Rings;
    case 3:
        return TransitionEffect::Columns;
    default:
        return TransitionEffect::None;
    }
}

QImage composeFrame(const Picture& picture, const Placement& placement, const QColor& background) {
    QImage frame(placement.display, QImage::Format_RGB32);
    if (frame.isNull())
        return frame;
    frame.fill(background);
    QPainter painter(&frame);
    picture.draw(painter,
                 QRectF(placement.left, placement.top, placement.scaledWidth, placement.scaledHeight));
    return frame;
}

ComposedSlide composeVisibleSlide(const Picture& picture, QSize visible, QSize screen,
                                  const QColor& background) {
    ComposedSlide slide;
    const std::optional<Placement> placement = placeSlide(picture.size(), visible, screen, false);
    if (!placement || visible.isEmpty())
        return slide;
    slide.placement = *placement;
    Placement part = *placement;
    part.display = placement->display.boundedTo(visible);
    slide.frame = composeFrame(picture, part, background);
    return slide;
}

ComposedSlide composeSlide(const Picture& picture, QSize visible, QSize screen, bool fit,
                           const QColor& background) {
    ComposedSlide slide;
    const std::optional<Placement> placement = placeSlide(picture.size(), visible, screen, fit);
    // A picture claiming an enormous natural size would need a frame of gigabytes when shown
    // unscaled; such a slide cannot be shown.
    if (!placement ||
        static_cast<qint64>(placement->display.width()) * placement->display.height() > kMaxFramePixels)
        return slide;
    slide.placement = *placement;
    slide.frame = composeFrame(picture, *placement, background);
    return slide;
}
