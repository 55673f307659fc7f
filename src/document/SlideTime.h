#pragma once

// The rules for a slide's own time. It is stored as whole milliseconds in decimal text, "0" meaning
// the show's default delay, and entered by the user in seconds.

#include <QLocale>
#include <QString>

#include <optional>

namespace SlideTime {

// The milliseconds a stored time stands for; nothing when the text is not a whole number of
// milliseconds (negative numbers included), which no slide can be shown for.
std::optional<int> milliseconds(const QString& stored);

// The whole seconds a slide counts for in the show's estimated length: the default delay for a
// stored "0", else the milliseconds in seconds, halves going up. Nothing for a damaged entry.
std::optional<int> roundedSeconds(const QString& stored, int defaultDelaySeconds);

// Seconds as a person types them in locale: its decimal separator or a point, no thousands
// separators, blanks around allowed. Nothing for a blank text, anything else that is not a
// number, and infinities and NaN.
std::optional<double> parseSeconds(const QString& secondsText, const QLocale& locale = QLocale::c());

// The text stored for a time entered in seconds: the seconds held as a 32-bit float, times 1000,
// truncated; "0" for anything that is not a number.
QString fromSeconds(const QString& secondsText, const QLocale& locale = QLocale::c());

// Whether an entered time is acceptable: blank, or a number whose whole seconds (halves going up)
// lie between 0 and 600.
bool isAcceptable(const QString& secondsText, const QLocale& locale = QLocale::c());

} // namespace SlideTime
