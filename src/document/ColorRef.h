#pragma once

// Show colours are stored as Windows COLORREF values: 0x00BBGGRR, or with the top bit set the
// index of a system colour (0x8000000F is the button face). This is the one place they are read.

#include <QColor>
#include <QPalette>
#include <QString>
#include <optional>

namespace ColorRef {
inline constexpr quint32 kButtonFace = 0x8000000F;

// The colour a value stands for; system colours come from the palette.
QColor toColor(quint32 value, const QPalette& palette);
// The value a plain colour is stored as.
quint32 fromColor(const QColor& colour);
// The first settings line: a signed decimal 32-bit integer; nothing when it is not one.
std::optional<quint32> parse(const QString& text);
// The background colour a show's settings line gives: black when it is not an integer.
QColor backgroundFromSettingsLine(const QString& text, const QPalette& palette);
} // namespace ColorRef
