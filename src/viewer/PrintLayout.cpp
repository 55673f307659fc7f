#include "PrintLayout.h"

#include <QtGlobal>

#include <cmath>

namespace {

// Cut toward zero, as every figure of the page layout is.
int cut(double value) {
    return static_cast<int>(std::trunc(value));
}

} // namespace

float fitScale(QSize pageSize, QSize imageSize) {
    if (pageSize.isEmpty() || imageSize.isEmpty())
        return 0;
    const auto byHeight = static_cast<float>(double(pageSize.height()) / double(imageSize.height()));
    const auto byWidth = static_cast<float>(double(pageSize.width()) / double(imageSize.width()));
    return std::min(byHeight, byWidth);
}

PrintLayout printLayout(QSize imageSize, QSize pageSize, int zoom, QSize panelSize) {
    PrintLayout layout;
    const int pageWidth = pageSize.width();
    const int pageHeight = pageSize.height();
    if (pageSize.isEmpty())
        return layout;

    // The page outline: the longer side across when the page lies on its side.
    const int outlineWidth = pageWidth < pageHeight ? 65 : 100;
    const auto ratio = static_cast<float>(double(pageHeight) / double(pageWidth));
    const int outlineHeight = cut(double(outlineWidth) * double(ratio));
    layout.outline = QRect((panelSize.width() - outlineWidth) / 2, (panelSize.height() - outlineHeight) / 2,
                           outlineWidth, outlineHeight);
    layout.outlineShown = true;

    if (imageSize.isEmpty())
        return layout;
    layout.printable = true;
    layout.fit = fitScale(pageSize, imageSize);
    // At 200 % the picture fills the page one way; at 100 % it takes half of that.
    layout.scale = static_cast<float>(double(zoom) / 100.0 * double(layout.fit) / 2.0);
    if (layout.scale > kMaxPrintScale)
        layout.scale = kMaxPrintScale;

    const double scale = layout.scale;
    const int left = cut((pageWidth - imageSize.width() * scale) / 2);
    const int top = cut((pageHeight - imageSize.height() * scale) / 2);
    const int right = left + cut(imageSize.width() * scale);
    const int bottom = top + cut(imageSize.height() * scale);
    layout.printRect = QRect(left, top, right - left, bottom - top);

    // The miniature is drawn 8 pixels smaller each way than its true share of the outline, so a
    // margin of the page stays visible around it. The products are taken in 64 bits: a very wide
    // picture would overflow 32.
    const qint64 widthShare = qint64(outlineWidth) * imageSize.width();
    const qint64 heightShare = qint64(outlineHeight) * imageSize.height();
    const int miniWidth = cut(scale * double(widthShare) / pageWidth - 8);
    const int miniHeight = cut(scale * double(heightShare) / pageHeight - 8);
    layout.miniatureComputed = QSize(miniWidth, miniHeight);
    const int shownWidth = std::max(miniWidth, 1);
    const int shownHeight = std::max(miniHeight, 1);
    layout.miniature =
        QRect(layout.outline.left() + cut((outlineWidth - shownWidth) / 2.0),
              layout.outline.top() + cut((outlineHeight - shownHeight) / 2.0), shownWidth, shownHeight);
    layout.miniatureShown = true;
    return layout;
}
