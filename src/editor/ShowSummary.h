#pragma once

// The editor's summary of a show in its status bar: slides, tracks and how long one pass lasts.

#include <QString>
#include <QStringList>

#include <optional>

namespace ShowSummary {

// Seconds one pass through the slides lasts; each slide's time comes from timings (see
// SlideTime::roundedSeconds). Nothing when an entry is damaged; badEntry then holds it.
std::optional<int> estimatedSeconds(const QStringList& timings, int defaultDelaySeconds,
                                    QString* badEntry = nullptr);

// "Duration: 1 minute 4 seconds", " [Loop]" appended for a looping show that advances by itself,
// "Duration: [manual advance]" for one that does not.
QString durationText(int seconds, bool autoAdvance, bool loop);

} // namespace ShowSummary
