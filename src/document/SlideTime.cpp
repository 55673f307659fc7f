#include "SlideTime.h"

#include <cmath>

namespace SlideTime {

std::optional<int> milliseconds(const QString& stored) {
    bool ok = false;
    const int ms = stored.toInt(&ok, 10);
    if (!ok || ms < 0)
        return std::nullopt;
    return ms;
}

std::optional<int> roundedSeconds(const QString& stored, int defaultDelaySeconds) {
    if (stored == QLatin1String("0"))
        return defaultDelaySeconds;
    const std::optional<int> ms = milliseconds(stored);
    if (!ms)
        return std::nullopt;
    return static_cast<int>(std::trunc(static_cast<double>(*ms) / 1000.0 + 0.5));
}

std::optional<double> parseSeconds(const QString& secondsText, const QLocale& locale) {
    const QString text = secondsText.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double seconds = strict.toDouble(text, &ok);
    // A point is read as the decimal separator in every locale, so "2.5" means the same to
    // everyone; where the point separates thousands, "1.000" is then one second.
    const QString decimal = strict.decimalPoint();
    if (!ok && decimal != QLatin1String(".") && text.count(QLatin1Char('.')) == 1 &&
        !text.contains(decimal)) {
        QString swapped = text;
        swapped.replace(QLatin1Char('.'), decimal);
        seconds = strict.toDouble(swapped, &ok);
    }
    if (!ok || !std::isfinite(seconds))
        return std::nullopt;
    return seconds;
}

QString fromSeconds(const QString& secondsText, const QLocale& locale) {
    const std::optional<double> parsed = parseSeconds(secondsText, locale);
    if (!parsed)
        return QStringLiteral("0");
    // Held as a 32-bit float, as the dialog holds it: 2.3 is stored as 2299.
    if (std::abs(*parsed) > 3.0e38)
        return QStringLiteral("0");
    const float seconds = static_cast<float>(*parsed);
    const double ms = std::trunc(static_cast<double>(seconds) * 1000.0);
    if (ms > 2147483647.0 || ms < -2147483648.0)
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(ms));
}

bool isAcceptable(const QString& secondsText, const QLocale& locale) {
    if (secondsText.trimmed().isEmpty())
        return true;
    const std::optional<double> seconds = parseSeconds(secondsText, locale);
    // A negative time rounds to 0 under the halves-up rule but would be stored as a negative
    // number of milliseconds, which no slide can be shown for.
    if (!seconds || *seconds < 0)
        return false;
    const double whole = std::trunc(*seconds + 0.5);
    return whole >= 0 && whole <= 600;
}

} // namespace SlideTime
