#include "ShowDocument.h"

void ShowDocument::addSlide(const QString& imagePath, const QString& soundPath, const QString& caption,
                            int timingMs) {
    imagePaths.append(imagePath);
    soundPaths.append(soundPath);
    captions.append(caption);
    timings.append(QString::number(timingMs));
}

void ShowDocument::deleteSlide(int index) {
    imagePaths.removeAt(index);
    soundPaths.removeAt(index);
    captions.removeAt(index);
    timings.removeAt(index);
}

void ShowDocument::moveSlide(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= slideCount() || to >= slideCount())
        return;
    QStringList* lists[] = {&imagePaths, &timings, &captions, &soundPaths};
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
    for (qsizetype i = imagePaths.indexOf(kDeleteSlideMarker); i >= 0;
         i = imagePaths.indexOf(kDeleteSlideMarker))
        deleteSlide(static_cast<int>(i));
}

void ShowDocument::setSettingsLine(int line, const QString& text) {
    if (line >= 1 && line <= settingsLines.size())
        settingsLines[line - 1] = text;
    else
        settingsLines.append(text);
}

void ShowDocument::resetSettings() {
    setSettingsLine(1, kDefaultBackgroundColour);
    setSettingsLine(2, QStringLiteral("TRUE"));
}

bool ShowDocument::transitionSetting() const {
    return settingsLines.size() >= 2 && settingsLines.at(1).toUpper() == QLatin1String("TRUE");
}

void ShowDocument::clear() {
    imagePaths.clear();
    musicTracks.clear();
    captions.clear();
    timings.clear();
    soundPaths.clear();
}

bool ShowDocument::slidesInStep() const {
    const auto n = imagePaths.size();
    return timings.size() == n && captions.size() == n && soundPaths.size() == n;
}
