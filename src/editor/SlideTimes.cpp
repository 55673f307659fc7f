#include "SlideTimes.h"

#include "SlideTime.h"

#include <climits>
#include <cmath>

namespace SlideTimes {

QString secondsText(const QString& msEntry, const QLocale& locale) {
    const std::optional<int> ms = SlideTime::milliseconds(msEntry.trimmed());
    if (!ms)
        return QString();
    QLocale plain = locale;
    // What is shown must read back: no thousands separators.
    plain.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return plain.toString(static_cast<double>(*ms) / 1000.0, 'f', 1);
}

std::optional<int> wholeSeconds(const QString& text, const QLocale& locale) {
    if (text.trimmed().isEmpty())
        return 0;
    const std::optional<double> seconds = SlideTime::parseSeconds(text, locale);
    if (!seconds)
        return std::nullopt;
    const double whole = std::trunc(*seconds + 0.5);
    if (whole > INT_MAX || whole < INT_MIN)
        return std::nullopt;
    return static_cast<int>(whole);
}

std::optional<int> stretchedSeconds(int slideSeconds, int delaySeconds, qint64 soundLengthMs) {
    const int t = slideSeconds == 0 ? delaySeconds : slideSeconds;
    const qint64 s = soundLengthMs / 1000;
    if (t >= s || s >= INT_MAX)
        return std::nullopt;
    return static_cast<int>(s + 1);
}

} // namespace SlideTimes
