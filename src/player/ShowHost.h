#pragma once

#include <QString>

class ShowDocument;
class ShowUnpack;
class UserMessages;

// What the show window needs of the editor that hands it a show: the document, the options it
// reads and the three it changes, and the editor's window for handing the screen back. The
// editor's main window implements it; the play-only mode and the tests bring their own.
class ShowHost {
public:
    virtual ~ShowHost() = default;

    virtual ShowDocument& document() = 0;
    virtual UserMessages& messages() = 0;

    virtual int defaultDelaySeconds() const = 0; // 3..90
    virtual bool musicEnabled() const = 0;       // music tracks and slide sounds
    virtual bool fitToWindow() const = 0;
    virtual bool autoAdvance() const = 0;
    virtual bool loop() const = 0;
    virtual bool transitionEffects() const = 0;
    virtual bool showCaptions() const = 0;
    virtual bool statusBarVisible() const = 0;
    virtual bool controlButtonsVisible() const = 0;

    // These act as the user's own change of the option would: music and automatic advance are
    // part of the show, so the document becomes modified; captions are a viewing choice and
    // leave it alone.
    virtual void setMusicEnabled(bool on) = 0;
    virtual void setAutoAdvance(bool on) = 0;
    virtual void setShowCaptions(bool on) = 0;

    // The editor's window title, "Orvanne - " followed by the show's name.
    virtual QString editorTitle() const = 0;

    virtual void showEditor() = 0;
    virtual void hideEditor() = 0;
    // Selects the first slide of the editor's slide list and gives the list the focus.
    virtual void selectFirstSlide() = 0;
    virtual void showPreview(const QString& imagePath, int index) = 0;
    // Opens the guide at the part for a help context (the show window's is 250).
    virtual void showHelp(int context) = 0;

    // The show's pictures and sounds while they are still being unpacked from its file; null
    // when every file is in place. The show waits for a file it needs that is not there yet.
    virtual ShowUnpack* unpacking() { return nullptr; }
};
