#pragma once

#include <QRect>
#include <QSize>

// Where one picture falls on one printed page, and how the preview's miniature page shows it.

// The largest the picture can be on the page at any scale setting, as a factor of its own size:
// the smaller of the two ratios of page to picture, each held in single precision. 0 when the
// page or the picture has no area.
float fitScale(QSize pageSize, QSize imageSize);

// One image pixel never becomes more than this many printer pixels, however small the picture.
constexpr float kMaxPrintScale = 6.0f;

struct PrintLayout {
    // Both the page and the picture have an area, so there is something to print.
    bool printable = false;
    float fit = 0;
    // Printer pixels per image pixel.
    float scale = 0;
    // Where the picture is drawn on the page, in printer pixels from the printable area's corner.
    QRect printRect;
    // The page outline inside the panel; hidden when the printer reports no page.
    bool outlineShown = false;
    QRect outline;
    // The miniature picture's size as worked out, which may come to zero or below for pictures
    // that print very small, and where it is shown (at least one pixel each way, centred on the
    // outline the same way).
    QSize miniatureComputed;
    bool miniatureShown = false;
    QRect miniature;
};

// The page layout for a picture of imageSize on a printable page of pageSize at zoom percent of
// the slider, previewed in a panel of panelSize.
PrintLayout printLayout(QSize imageSize, QSize pageSize, int zoom, QSize panelSize);
