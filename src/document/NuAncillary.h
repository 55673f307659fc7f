#pragma once

// The show document: the one show being edited, kept as parallel lists of text entries.

#include <QString>
#include <QStringList>

// Marker a selected slide's DisplayList entry is overwritten with before the marked slides are
// purged, so that indices stay valid while a selection is walked.
inline const QString kDeleteSlideMarker = QStringLiteral("***Delete***");

// CfgSet line 1 default: the system button-face colour 0x8000000F as a signed decimal.
inline const QString kDefaultBackgroundColour = QStringLiteral("-2147483633");

// The show-wide settings that live on the editor's option controls and travel in the
// combined file's header.
struct ShowSettings {
    int delay = 10;           // Delay: default seconds per slide, 3 to 90
    bool musicEnabled = true; // chkSEnable
    bool fitToWindow = true;  // chkAutoSize
    bool autoAdvance = true;  // chkAdvance
    bool loop = true;         // chkLoop

    bool operator==(const ShowSettings&) const = default;
};

class ShowDocument {
public:
    // Per-slide lists, always of equal length and in show order.
    QStringList DisplayList; // full path of each slide's image
    QStringList SlideTiming; // milliseconds as decimal text, "0" = the default delay
    QStringList Captions;    // one line each, may be empty
    QStringList SlideAudio;  // full path of a sound, or blank for none

    // Show-wide lists.
    QStringList SongList; // music tracks in play order
    QStringList CfgSet;   // line 1 background colour, line 2 "TRUE"/"FALSE" for transitions
    QStringList PackList; // built while saving only

    QString ShowFileName; // empty while untitled
    bool Modified = false;

    ShowDocument() { resetSettings(); }

    int slideCount() const { return static_cast<int>(DisplayList.size()); }

    void addSlide(const QString& imagePath, const QString& audio, const QString& caption, int timingMs);
    void deleteSlide(int index);
    // Moves one slide to index to in all four lists; the others keep their relative order.
    void moveSlide(int from, int to);
    // Deletes every slide whose DisplayList entry is kDeleteSlideMarker.
    void removeMarkedSlides();

    // Replaces CfgSet line (1-based) or appends when the list is shorter.
    void setSettingsLine(int line, const QString& text);
    void resetSettings();
    // The transition check as line 2 of CfgSet says: on exactly when it reads "TRUE" in any case.
    bool transitionSetting() const;

    void clear();

    // True when the four per-slide lists have equal counts.
    bool slidesInStep() const;
};

// Milliseconds text for a slide's time entered in seconds, as the slide properties dialog stores
// it (the seconds held as a 32-bit float, times 1000, truncated): "0" for anything that is not a
// number.
QString timingFromSeconds(const QString& secondsText);

// The dialog's rule for an entered time: blank, or a number whose whole seconds (halves going up)
// lie between 0 and 600.
bool timingCheck(const QString& secondsText);
