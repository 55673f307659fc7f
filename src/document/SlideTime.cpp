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

QString fromSeconds(const QString& secondsText) {
    bool ok = false;
    // Held as a 32-bit float, as the dialog holds it: 2.3 is stored as 2299.
    const float seconds = secondsText.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(seconds))
        return QStringLiteral("0");
    const double ms = std::trunc(static_cast<double>(seconds) * 1000.0);
    if (ms > 2147483647.0 || ms < -2147483648.0)
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(ms));
}

bool isAcceptable(const QString& secondsText) {
    const QString text = secondsText.trimmed();
    if (text.isEmpty())
        return true;
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    // A negative time rounds to 0 under the halves-up rule but would be stored as a negative
    // number of milliseconds, which no slide can be shown for.
    if (!ok || !std::isfinite(seconds) || seconds < 0)
        return false;
    const double whole = std::trunc(seconds + 0.5);
    return whole >= 0 && whole <= 600;
}

} // namespace SlideTime
