#pragma once

#include <QRect>
#include <QSize>

// The viewer's arithmetic, free of widgets so that the worked figures can be checked directly.

// The lowest and highest zoom, in percent, and the zoom the viewer starts at.
constexpr int kMinZoom = 25;
constexpr int kMaxZoom = 200;
constexpr int kDefaultZoom = 100;
// What the viewer keeps clear above the picture for its tool strip when it centres vertically.
constexpr int kToolStripAllowance = 40;

// length at zoom percent, cut toward zero. Done in 64-bit integers: in floating point 29 % of
// 100 pixels comes out as 28, because 0.29 has no exact binary form.
int zoomedLength(int length, int zoom);

// Where a picture of imageSize lands at zoom in a viewer window whose client area (tool strip
// included) is clientSize: the zoomed size, centred when it is narrower (lower) than the window,
// otherwise at the left (top) edge so that it can be scrolled.
QRect viewerImageRect(QSize imageSize, int zoom, QSize clientSize);
