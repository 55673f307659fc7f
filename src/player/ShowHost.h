#pragma once

#include <QString>

class ShowDocument;
class UserMessages;

// What the show window needs of the editor that hands it a show: the document, the option
// controls it reads and the three it changes, and the hand-back of the screen. The editor's main
// window implements it; the play-only mode and the tests bring their own.
class ShowHost {
public:
    virtual ~ShowHost() = default;

    virtual ShowDocument& document() = 0;
    virtual UserMessages& messages() = 0;

    virtual int delayPosition() const = 0;     // Delay track bar, seconds (3..90)
    virtual bool musicEnabled() const = 0;     // chkSEnable
    virtual bool fitToWindow() const = 0;      // chkAutoSize
    virtual bool autoAdvance() const = 0;      // chkAdvance
    virtual bool loop() const = 0;             // chkLoop
    virtual bool transitionEffects() const = 0; // TransitionEffects1 menu check
    virtual bool showCaptions() const = 0;     // ShowCaptions1 menu check
    virtual bool statusBarVisible() const = 0; // StatusBar1 menu check
    virtual bool controlButtonsVisible() const = 0; // ControlButtons1 menu check

    // These act as the user's click on the control would: for the two check boxes the document
    // becomes Modified, and for chkSEnable the show window's MusicEnabled follows. The caption
    // menu check is a viewing choice and leaves Modified alone.
    virtual void setMusicEnabled(bool on) = 0;
    virtual void setAutoAdvance(bool on) = 0;
    virtual void setShowCaptions(bool on) = 0;

    virtual QString mainCaption() const = 0; // the main window's title, "Orvanne - ..."

    virtual void showEditor() = 0;
    virtual void hideEditor() = 0;
    // Selects the first entry of lbxSlides and gives it the focus.
    virtual void selectFirstSlide() = 0;
    virtual void showPreview(const QString& imagePath, int index) = 0;
};
