#pragma once

#include "VectorDrawing.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <memory>

// Windows metafiles: libwmflite parses the records and keeps the device context (objects, mapping
// modes, window and viewport); our own callbacks record each primitive so that the drawing can be
// replayed with QPainter at any size, antialiased.
namespace Wmf {

struct Result {
    std::shared_ptr<const VectorDrawing> drawing; // null on failure
    QSize naturalSize;
    QString error;
};

// True when the bytes start like a metafile (placeable or plain header).
bool looksLikeMetafile(const QByteArray& head);

Result decode(const QByteArray& data);

} // namespace Wmf
