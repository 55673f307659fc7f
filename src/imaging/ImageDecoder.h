#pragma once

#include "Picture.h"

#include <QSize>
#include <QString>

// The outcome of decoding one file. On failure the picture is empty and the texts say what the
// user is to be told: errorText is the decoder's own reason, failedMessage the "Reading ... failed"
// notice. reportedByCaller marks the formats (metafiles, icons) whose damage is for the caller to report in
// its own way rather than as the usual two messages. A missing file is simply an empty picture.
struct DecodeResult {
    Picture picture;
    QString errorText;
    QString failedMessage;
    bool reportedByCaller = false;

    bool failed() const { return !errorText.isEmpty() || !failedMessage.isEmpty() || reportedByCaller; }
};

// Decodes a file; the decoder is chosen by the upper-cased extension. Safe on any thread: it shows
// nothing, touches no widget and throws nothing (running out of memory is a failure like others).
//
// fitArea, when valid, is the area the picture will be fitted into: rasters are then decoded at
// exactly the size fittedSize gives, the size the picture will be drawn at there, so that drawing
// copies the raster without resampling it again. The picture still reports its natural width and
// height.
DecodeResult decodeImageFile(const QString& path, const QSize& fitArea = QSize());

// The size a picture of natural size picture is drawn at when fitted into area: one scale for both
// sides, the smaller of the two ratios in single precision, applied only when it shrinks, and each
// side's product truncated. This is the show's own placement rule.
QSize fittedSize(QSize picture, QSize area);

// The largest raster accepted, in pixels; larger claims fail before any pixel memory is taken.
constexpr qint64 MaxRasterPixels = 120LL * 1000 * 1000;
