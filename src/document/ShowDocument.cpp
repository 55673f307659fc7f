#include "ShowDocument.h"

#include <algorithm>

ShowDocument::ShowDocument(QObject* parent) : QObject(parent) {
    resetSettings();
}

void ShowDocument::addSlide(const Slide& slide) {
    slides_.append(slide);
    emit changed();
}

void ShowDocument::addSlide(const QString& imagePath, const QString& soundPath, const QString& caption,
                            int timingMs) {
    addSlide(Slide{imagePath, QString::number(timingMs), caption, soundPath});
}

void ShowDocument::setSlides(const QList<Slide>& slides) {
    slides_ = slides;
    emit changed();
}

void ShowDocument::removeSlides(QList<int> indices) {
    std::sort(indices.begin(), indices.end(), std::greater<int>());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    bool any = false;
    for (int index : indices) {
        if (index >= 0 && index < slideCount()) {
            slides_.removeAt(index);
            any = true;
        }
    }
    if (any)
        emit changed();
}

void ShowDocument::moveSlide(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= slideCount() || to >= slideCount())
        return;
    slides_.move(from, to);
    emit changed();
}

void ShowDocument::setSlideField(int index, Field field, const QString& value) {
    if (index < 0 || index >= slideCount())
        return;
    Slide& s = slides_[index];
    switch (field) {
    case Field::ImagePath:
        s.imagePath = value;
        break;
    case Field::Timing:
        s.timing = value;
        break;
    case Field::Caption:
        s.caption = value;
        break;
    case Field::SoundPath:
        s.soundPath = value;
        break;
    }
    emit changed();
}

namespace {
template <class Member> QStringList column(const QList<Slide>& slides, Member member) {
    QStringList out;
    out.reserve(slides.size());
    for (const Slide& s : slides)
        out.append(s.*member);
    return out;
}
} // namespace

QStringList ShowDocument::imagePaths() const {
    return column(slides_, &Slide::imagePath);
}

QStringList ShowDocument::timings() const {
    return column(slides_, &Slide::timing);
}

QStringList ShowDocument::captions() const {
    return column(slides_, &Slide::caption);
}

QStringList ShowDocument::soundPaths() const {
    return column(slides_, &Slide::soundPath);
}

void ShowDocument::setMusicTracks(const QStringList& tracks) {
    musicTracks_ = tracks;
    emit changed();
}

void ShowDocument::setSettingsLine(int line, const QString& text) {
    if (line >= 1 && line <= settingsLines_.size())
        settingsLines_[line - 1] = text;
    else
        settingsLines_.append(text);
    emit changed();
}

void ShowDocument::setSettingsLines(const QStringList& lines) {
    settingsLines_ = lines;
    emit changed();
}

void ShowDocument::resetSettings() {
    setSettingsLine(1, kDefaultBackgroundColour);
    setSettingsLine(2, QStringLiteral("TRUE"));
}

bool ShowDocument::transitionSetting() const {
    return settingsLine(2).toUpper() == QLatin1String("TRUE");
}

void ShowDocument::setModified(bool modified) {
    if (modified_ == modified)
        return;
    modified_ = modified;
    emit this->modified(modified);
}

void ShowDocument::clear() {
    slides_.clear();
    musicTracks_.clear();
    emit changed();
}
