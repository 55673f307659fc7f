#pragma once

// The editor as the show window sees it, for benchmarks: options as plain fields, nothing said
// to the user, and the return to the editor handed to onEditorShown.

#include "ShowDocument.h"
#include "ShowHost.h"
#include "UserMessages.h"

#include <functional>

class BenchHost : public ShowHost {
public:
    ShowDocument& document() override { return doc; }
    UserMessages& messages() override { return quiet; }
    int defaultDelaySeconds() const override { return delay; }
    bool musicEnabled() const override { return false; }
    bool fitToWindow() const override { return true; }
    bool autoAdvance() const override { return advance; }
    bool loop() const override { return looping; }
    bool transitionEffects() const override { return effects; }
    bool showCaptions() const override { return true; }
    bool statusBarVisible() const override { return true; }
    bool controlButtonsVisible() const override { return true; }
    void setMusicEnabled(bool) override {}
    void setAutoAdvance(bool) override {}
    void setShowCaptions(bool) override {}
    QString editorTitle() const override { return title; }
    void showEditor() override {
        if (onEditorShown)
            onEditorShown();
    }
    void hideEditor() override {}
    void selectFirstSlide() override {}
    void showPreview(const QString&, int) override {}
    void showHelp(int) override {}

    ShowDocument doc;
    SilentMessages quiet;
    int delay = 10;
    bool advance = true;
    bool looping = false;
    bool effects = false;
    QString title = QStringLiteral("Orvanne - bench");
    std::function<void()> onEditorShown;
};
