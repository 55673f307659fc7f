#include "ShowSummary.h"

#include "SlideTime.h"

namespace ShowSummary {

std::optional<int> estimatedSeconds(const QStringList& timings, int defaultDelaySeconds, QString* badEntry) {
    int total = 0;
    for (const QString& entry : timings) {
        const std::optional<int> seconds = SlideTime::roundedSeconds(entry, defaultDelaySeconds);
        if (!seconds) {
            if (badEntry)
                *badEntry = entry;
            return std::nullopt;
        }
        total += *seconds;
    }
    return total;
}

QString durationText(int seconds, bool autoAdvance, bool loop) {
    if (!autoAdvance)
        return QStringLiteral("Duration: [manual advance]");
    const int minutes = seconds / 60;
    const int rest = seconds % 60;
    const QString minuteWord = minutes == 1 ? QStringLiteral(" minute ") : QStringLiteral(" minutes ");
    const QString secondWord = rest == 1 ? QStringLiteral(" second") : QStringLiteral(" seconds");
    QString text = QStringLiteral("Duration: ");
    if (minutes == 0)
        text += QString::number(rest) + secondWord;
    else if (rest > 0)
        text += QString::number(minutes) + minuteWord + QString::number(rest) + secondWord;
    else
        text += QString::number(minutes) + minuteWord;
    if (loop)
        text += QStringLiteral(" [Loop]");
    return text;
}

} // namespace ShowSummary
