#pragma once

#include "ScriptedMessages.h"
#include "ShowDocument.h"
#include "ShowHost.h"

#include <QList>
#include <QPair>
#include <QString>

// The editor as the show window sees it, with every option a plain field a test sets and reads.
// The music and advance setters behave like the user's own change (the document becomes modified);
// everything the show asks of the editor is counted or recorded.
class FakeShowHost : public ShowHost {
public:
    ShowDocument& document() override { return doc; }
    UserMessages& messages() override { return shownMessages; }

    int defaultDelaySeconds() const override { return delay; }
    bool musicEnabled() const override { return music; }
    bool fitToWindow() const override { return fit; }
    bool autoAdvance() const override { return advance; }
    bool loop() const override { return looping; }
    bool transitionEffects() const override { return effects; }
    bool showCaptions() const override { return captions; }
    bool statusBarVisible() const override { return statusBar; }
    bool controlButtonsVisible() const override { return controlButtons; }

    void setMusicEnabled(bool on) override {
        music = on;
        doc.setModified(true);
        musicChanges.append(on);
    }
    void setAutoAdvance(bool on) override {
        advance = on;
        doc.setModified(true);
    }
    // Captions are a viewing choice, not part of the show: the document is not modified.
    void setShowCaptions(bool on) override { captions = on; }

    QString editorTitle() const override { return title; }

    void showEditor() override {
        editorVisible = true;
        ++editorShown;
    }
    void hideEditor() override {
        editorVisible = false;
        ++editorHidden;
    }
    void selectFirstSlide() override { ++firstSlideSelected; }
    void showPreview(const QString& imagePath, int index) override { previews.append({imagePath, index}); }
    void showHelp(int context) override { helpContexts.append(context); }
    ShowUnpack* unpacking() override { return unpack; }

    ShowDocument doc;
    ScriptedMessages shownMessages;
    ShowUnpack* unpack = nullptr;

    int delay = 10;
    bool music = true;
    bool fit = true;
    bool advance = true;
    bool looping = true;
    bool effects = true;
    bool captions = true;
    bool statusBar = true;
    bool controlButtons = true;
    QString title = QStringLiteral("Orvanne - Untitled");

    bool editorVisible = true;
    int editorShown = 0;
    int editorHidden = 0;
    int firstSlideSelected = 0;
    QList<bool> musicChanges;
    QList<QPair<QString, int>> previews;
    QList<int> helpContexts;
};
