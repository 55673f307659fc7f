#pragma once

// The show document: the one show being edited. Its slides (each an image with its time, caption
// and sound), its music tracks and its settings lines, the file it belongs to and whether it has
// unsaved changes. Nothing outside this class writes into its lists: every change goes through
// an operation, which keeps every slide whole.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The default background colour: the system button-face colour 0x8000000F as a signed decimal.
inline const QString kDefaultBackgroundColour = QStringLiteral("-2147483633");

struct Slide {
    QString imagePath;                    // full path of the picture
    QString timing = QStringLiteral("0"); // milliseconds as decimal text, "0" = the default delay
    QString caption;                      // one line, may be empty
    QString soundPath;                    // full path of a sound, or blank (empty or " ") for none

    bool hasSound() const { return !soundPath.trimmed().isEmpty(); }
    bool operator==(const Slide&) const = default;
};

class ShowDocument : public QObject {
    Q_OBJECT
public:
    enum class Field { ImagePath, Timing, Caption, SoundPath };

    explicit ShowDocument(QObject* parent = nullptr);

    // Slides, in show order.
    int slideCount() const { return static_cast<int>(slides_.size()); }
    const QList<Slide>& slides() const { return slides_; }
    // The slide at index; an empty slide when there is none.
    Slide slide(int index) const { return slides_.value(index); }

    void addSlide(const Slide& slide);
    void addSlide(const QString& imagePath, const QString& soundPath, const QString& caption, int timingMs);
    // Replaces every slide.
    void setSlides(const QList<Slide>& slides);
    // Removes the slides at these indices (in any order, repeats allowed), the last first, so
    // that every index names the slide it named before.
    void removeSlides(QList<int> indices);
    // Moves one slide to index to; the others keep their relative order.
    void moveSlide(int from, int to);
    void setSlideField(int index, Field field, const QString& value);
    void setImagePath(int index, const QString& path) { setSlideField(index, Field::ImagePath, path); }
    void setTiming(int index, const QString& ms) { setSlideField(index, Field::Timing, ms); }
    void setCaption(int index, const QString& caption) { setSlideField(index, Field::Caption, caption); }
    void setSoundPath(int index, const QString& path) { setSlideField(index, Field::SoundPath, path); }

    // The per-slide values as parallel lists, the way list files hold them.
    QStringList imagePaths() const;
    QStringList timings() const;
    QStringList captions() const;
    QStringList soundPaths() const;

    // Music tracks: full paths, in play order.
    const QStringList& musicTracks() const { return musicTracks_; }
    void setMusicTracks(const QStringList& tracks);

    // Settings lines: line 1 the background colour, line 2 "TRUE"/"FALSE" for transitions.
    const QStringList& settingsLines() const { return settingsLines_; }
    // Line (1-based); empty when there is no such line.
    QString settingsLine(int line) const { return settingsLines_.value(line - 1); }
    // Replaces the line, or appends the text when the list is shorter.
    void setSettingsLine(int line, const QString& text);
    void setSettingsLines(const QStringList& lines);
    void resetSettings();
    // The transition setting as line 2 says: on exactly when it reads "TRUE" in any case.
    bool transitionSetting() const;

    // The show file this show was opened from or saved to; empty while untitled.
    QString fileName() const { return fileName_; }
    void setFileName(const QString& fileName) { fileName_ = fileName; }

    // Whether the show has changes that are not saved. The operations leave it alone: what counts
    // as a change of the show is the editor's decision.
    bool isModified() const { return modified_; }
    void setModified(bool modified);

    // Removes every slide and track; the settings lines stay.
    void clear();

signals:
    void modified(bool modified);
    // The slides, the tracks or the settings lines changed.
    void changed();

private:
    QList<Slide> slides_;
    QStringList musicTracks_;
    QStringList settingsLines_;
    QString fileName_;
    bool modified_ = false;
};
