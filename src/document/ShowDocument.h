#pragma once

// The show document: the one show being edited, kept as parallel lists of text entries.

#include "ShowSettings.h"

#include <QString>
#include <QStringList>

// What a selected slide's image path is overwritten with before the marked slides are removed,
// so that indices stay valid while a selection is walked.
inline const QString kDeleteSlideMarker = QStringLiteral("***Delete***");

// The default background colour: the system button-face colour 0x8000000F as a signed decimal.
inline const QString kDefaultBackgroundColour = QStringLiteral("-2147483633");

class ShowDocument {
public:
    // Per-slide lists, always of equal length and in show order.
    QStringList imagePaths; // full path of each slide's image
    QStringList timings;    // milliseconds as decimal text, "0" = the default delay
    QStringList captions;   // one line each, may be empty
    QStringList soundPaths; // full path of a sound, or blank for none

    // Show-wide lists.
    QStringList musicTracks;   // full paths, in play order
    QStringList settingsLines; // line 1 background colour, line 2 "TRUE"/"FALSE" for transitions

    QString fileName; // empty while untitled

    ShowDocument() { resetSettings(); }

    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    int slideCount() const { return static_cast<int>(imagePaths.size()); }

    void addSlide(const QString& imagePath, const QString& soundPath, const QString& caption, int timingMs);
    void deleteSlide(int index);
    // Moves one slide to index to in all four lists; the others keep their relative order.
    void moveSlide(int from, int to);
    // Deletes every slide whose image path is kDeleteSlideMarker.
    void removeMarkedSlides();

    // Replaces settings line (1-based) or appends when the list is shorter.
    void setSettingsLine(int line, const QString& text);
    void resetSettings();
    // The transition setting as line 2 says: on exactly when it reads "TRUE" in any case.
    bool transitionSetting() const;

    // Removes every slide and track; the settings lines stay.
    void clear();

    // True when the four per-slide lists have equal counts.
    bool slidesInStep() const;

private:
    bool modified_ = false;
};
