#include "SlideComposer.h"

#include "ImageDecoder.h"
#include "PictureWidget.h"

#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

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

namespace {

// What of a scroll area will be visible once content of the given size is in it: scroll bars take
// their room only where the content needs them (and one scroll bar can make the other needed).
// The scroll area itself shows them only after its next layout, too late for the slide at hand.
QSize visibleArea(const QScrollArea& scroll, QSize content) {
    const QSize area = scroll.maximumViewportSize();
    const int barHeight = scroll.horizontalScrollBar()->sizeHint().height();
    const int barWidth = scroll.verticalScrollBar()->sizeHint().width();
    const bool policyH = scroll.horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
    const bool policyV = scroll.verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
    bool needH = policyH && content.width() > area.width();
    bool needV = policyV && content.height() > area.height();
    if (needH && !needV)
        needV = policyV && content.height() > area.height() - barHeight;
    if (needV && !needH)
        needH = policyH && content.width() > area.width() - barWidth;
    return QSize(area.width() - (needV ? barWidth : 0), area.height() - (needH ? barHeight : 0));
}

} // namespace

bool presentSlide(PictureWidget& loader, PictureWidget& display, TransitionHost& host, bool fit, int cycle,
                  const QColor& background, QSize screen) {
    try {
        host.setEffect(effectForCycle(cycle));
        auto* scroll = display.parentWidget()
                           ? qobject_cast<QScrollArea*>(display.parentWidget()->parentWidget())
                           : nullptr;
        QSize visible = scroll ? scroll->maximumViewportSize() : display.size();
        if (screen.isEmpty()) {
            const QScreen* s = display.screen();
            screen = s ? s->size() : visible;
        }
        std::optional<Placement> placement = placeSlide(loader.picture().size(), visible, screen, fit);
        // Without fit the frame may need scroll bars, which take some of the visible area: the
        // picture is centred in what remains.
        if (placement && scroll && !fit) {
            visible = visibleArea(*scroll, placement->display);
            placement = placeSlide(loader.picture().size(), visible, screen, fit);
        }
        // A picture claiming an enormous natural size would need a frame of gigabytes when shown
        // unscaled; such a slide cannot be shown.
        if (!placement ||
            static_cast<qint64>(placement->display.width()) * placement->display.height() > kMaxFramePixels)
            return false;

        // Dock the display to the visible area, or size it for scrolling.
        if (scroll) {
            scroll->setWidgetResizable(fit);
            if (!fit)
                display.move(0, 0);
            display.resize(placement->display);
        } else if (display.size() != placement->display) {
            display.resize(placement->display);
        }

        QImage frame = composeFrame(loader.picture(), *placement, background);
        if (frame.isNull())
            return false;
        if (host.effect() != TransitionEffect::None) {
            host.run(frame);
        } else {
            display.setImage(frame);
        }
        return true;
    } catch (...) {
        return false;
    }
}
