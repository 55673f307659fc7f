#pragma once

// How the slide properties dialog shows a slide's own time and works with it: the document keeps
// whole milliseconds as text (see SlideTime), the dialog shows seconds with one decimal in the
// user's locale.

#include <QLocale>
#include <QString>

#include <optional>

namespace SlideTimes {

// The seconds a stored time shows as, with one decimal: "0" shows "0.0", "2500" "2.5", "600000"
// "600.0". Empty for a blank or damaged entry, which the dialog shows as an empty field (and so
// stores as the default delay).
QString secondsText(const QString& msEntry, const QLocale& locale);

// The whole seconds a typed time stands for, halves going up: 0 for a blank text, nothing for one
// that is not a number (or too large to count in seconds).
std::optional<int> wholeSeconds(const QString& text, const QLocale& locale);

// The time in whole seconds a slide needs so that a sound of soundLengthMs plays out on it: its own
// time slideSeconds, or the default delay when that is 0, is kept when the sound fits in it; else
// the sound's whole seconds plus one. Nothing when the time stays as it is.
std::optional<int> stretchedSeconds(int slideSeconds, int delaySeconds, qint64 soundLengthMs);

} // namespace SlideTimes
