#include "NuAncillary.h"

#include <cmath>

void ShowDocument::addSlide(const QString& imagePath, const QString& audio, const QString& caption,
                            int timingMs) {
    DisplayList.append(imagePath);
    SlideAudio.append(audio);
    Captions.append(caption);
    SlideTiming.append(QString::number(timingMs));
}

void ShowDocument::deleteSlide(int index) {
    DisplayList.removeAt(index);
    SlideAudio.removeAt(index);
    Captions.removeAt(index);
    SlideTiming.removeAt(index);
}

void ShowDocument::moveSlide(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= slideCount() || to >= slideCount())
        return;
    QStringList* lists[] = {&DisplayList, &SlideTiming, &Captions, &SlideAudio};
    const int forward = from < to ? 1 : 0;
    if (to + forward < slideCount()) {
        for (QStringList* list : lists) {
            list->insert(to + forward, list->at(from));
            list->removeAt(forward ? from : from + 1);
        }
    } else {
        for (QStringList* list : lists) {
            list->append(list->at(from));
            list->removeAt(from);
        }
    }
}

void ShowDocument::removeMarkedSlides() {
    for (qsizetype i = DisplayList.indexOf(kDeleteSlideMarker); i >= 0;
         i = DisplayList.indexOf(kDeleteSlideMarker))
        deleteSlide(static_cast<int>(i));
}

void ShowDocument::setSettingsLine(int line, const QString& text) {
    if (line >= 1 && line <= CfgSet.size())
        CfgSet[line - 1] = text;
    else
        CfgSet.append(text);
}

void ShowDocument::resetSettings() {
    setSettingsLine(1, kDefaultBackgroundColour);
    setSettingsLine(2, QStringLiteral("TRUE"));
}

bool ShowDocument::transitionSetting() const {
    return CfgSet.size() >= 2 && CfgSet.at(1).toUpper() == QLatin1String("TRUE");
}

void ShowDocument::clear() {
    DisplayList.clear();
    SongList.clear();
    Captions.clear();
    SlideTiming.clear();
    SlideAudio.clear();
    PackList.clear();
}

bool ShowDocument::slidesInStep() const {
    const auto n = DisplayList.size();
    return SlideTiming.size() == n && Captions.size() == n && SlideAudio.size() == n;
}

QString timingFromSeconds(const QString& secondsText) {
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

bool timingCheck(const QString& secondsText) {
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
