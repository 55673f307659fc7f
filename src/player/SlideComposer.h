#pragma once

// Where a slide's picture lands and the frame it is shown in: a frame of the display's size,
// filled with the show's background, the picture shrunk to fit when asked and centred in the
// visible area. Pure arithmetic and drawing, shared by the show window, orvanne-cjf frames and
// the tests; no widget is involved.

#include "TransitionEffects.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <optional>

class Picture;

// The largest frame a slide is composed on: 64 million pixels (256 MB).
inline constexpr qint64 kMaxFramePixels = 64LL * 1024 * 1024;

// The figures of one placement.
struct Placement {
    QSize display; // the display's (and so the frame's) size
    int scaledWidth = 0;
    int scaledHeight = 0;
    int left = 0;
    int top = 0;
};

// picture: natural size; visible: the area the user sees; screen: the screen's size. With fit the
// display fills the visible area; without, it is at least the screen and never smaller than the
// picture. Pictures are only ever shrunk. Empty pictures give nothing.
std::optional<Placement> placeSlide(QSize picture, QSize visible, QSize screen, bool fit);

// The transition the show uses at each step of its rotation (0: none, 1..3: the three effects).
TransitionEffect effectForCycle(int cycle);

// Draws the frame for picture as placed; Format_RGB32. Null when it cannot be allocated.
QImage composeFrame(const Picture& picture, const Placement& placement, const QColor& background);

// A slide composed for the screen, or the reason it cannot be shown (an empty picture, or one
// whose frame would be too large to hold).
struct ComposedSlide {
    QImage frame;
    Placement placement;
    bool ok() const { return !frame.isNull(); }
};
ComposedSlide composeSlide(const Picture& picture, QSize visible, QSize screen, bool fit,
                           const QColor& background);

// A slide shown at its natural size (fit off), placed as composeSlide places it, but with only the
// part the visible area shows before any scrolling composed: the frame a transition runs over. The
// show draws the picture itself where it lands as the user scrolls, so a picture larger than the
// window costs its own raster and no frame of the display's size.
ComposedSlide composeVisibleSlide(const Picture& picture, QSize visible, QSize screen,
                                  const QColor& background);
