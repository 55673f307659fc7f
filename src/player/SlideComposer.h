#pragma once

// Composes one slide's picture onto a frame of the display widget's size, filled with the show's
// background, shrunk to fit when asked and centred in the visible area, and hands it to the display
// either at once or through a transition.

#include "TransitionHost.h"

#include <QColor>
#include <QSize>
#include <optional>

class PictureWidget;

// The largest frame a slide is composed on: 64 million pixels (256 MB).
inline constexpr qint64 kMaxFramePixels = 64LL * 1024 * 1024;

// The figures of one placement.
struct Placement {
    QSize display; // the display widget's (and so the frame's) size
    int scaledWidth = 0;
    int scaledHeight = 0;
    int left = 0;
    int top = 0;
};

// picture: natural size; visible: the scroll area's client area; screen: the screen's size.
// With fit the display fills the visible area; without, it is at least the screen and never
// smaller than the picture. Pictures are only ever shrunk. Empty pictures give nothing.
std::optional<Placement> placeSlide(QSize picture, QSize visible, QSize screen, bool fit);

// The transition the show uses at each step of its rotation.
TransitionEffect effectForCycle(int cycle);

// Composes the frame for picture as placed; Format_RGB32.
QImage composeFrame(const Picture& picture, const Placement& placement, const QColor& background);

// Puts a slide on screen: loader holds the decoded slide; display lies in a scroll area (the
// visible area) or stands alone (its own size is then the visible area). screen is the size of the
// screen the show is on (an empty size: the display's screen). False when the slide could not be
// composed or handed over; the display then keeps its previous picture.
bool presentSlide(PictureWidget& loader, PictureWidget& display, TransitionHost& host, bool fit, int cycle,
                  const QColor& background, QSize screen = QSize());
