#pragma once

#include "Picture.h"

#include <QSize>
#include <QString>

// The outcome of decoding one file. On failure the picture is empty and the texts say what the
// user is to be told: errorText is the decoder's own reason, failedMessage the "Reading ... failed"
// notice. raises marks the formats (metafiles, icons) whose damage is reported to the caller as an
// ImageLoadError instead of through message boxes. A missing file is simply an empty picture.
struct DecodeResult {
    Picture picture;
    QString errorText;
    QString failedMessage;
    bool raises = false;

    bool failed() const { return !errorText.isEmpty() || !failedMessage.isEmpty() || raises; }
};

// Decodes a file; the decoder is chosen by the upper-cased extension. Safe on any thread: it shows
// nothing and touches no widget.
//
// decodeSize, when valid, is the size the picture will be drawn at: rasters are then decoded no
// larger than needed (keeping the aspect ratio, never above the natural size), while the picture
// still reports its natural width and height.
DecodeResult decodeImageFile(const QString& path, const QSize& decodeSize = QSize());

// The largest raster accepted, in pixels; larger claims fail before any pixel memory is taken.
constexpr qint64 MaxRasterPixels = 120LL * 1000 * 1000;
