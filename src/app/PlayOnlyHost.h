#pragma once

#include "ShowDocument.h"
#include "ShowHost.h"

#include <functional>

class TfmShow;

// The editor's part for a show played on its own (orvanne --play): the options come from the
// show file, and handing the screen back to the editor ends the program.
class PlayOnlyHost : public ShowHost {
public:
    PlayOnlyHost(UserMessages& messages, std::function<void()> finished)
        : messages_(messages), finished_(std::move(finished)) {}

    void setShow(TfmShow* show) { show_ = show; }
    void setSettings(const ShowSettings& settings) { settings_ = settings; }
    void setTitle(const QString& showName) { title_ = QStringLiteral("Orvanne - ") + showName; }

    ShowDocument& document() override { return doc_; }
    UserMessages& messages() override { return messages_; }
    int delayPosition() const override { return qBound(3, settings_.delay, 90); }
    bool musicEnabled() const override { return settings_.musicEnabled; }
    bool fitToWindow() const override { return settings_.fitToWindow; }
    bool autoAdvance() const override { return settings_.autoAdvance; }
    bool loop() const override { return settings_.loop; }
    bool transitionEffects() const override { return doc_.transitionSetting(); }
    bool showCaptions() const override { return captions_; }
    bool statusBarVisible() const override { return true; }
    bool controlButtonsVisible() const override { return true; }
    void setMusicEnabled(bool on) override;
    void setAutoAdvance(bool on) override {
        settings_.autoAdvance = on;
        doc_.setModified(true);
    }
    void setShowCaptions(bool on) override { captions_ = on; }
    QString mainCaption() const override { return title_; }
    void showEditor() override;
    void hideEditor() override {}
    void selectFirstSlide() override {}
    void showPreview(const QString&, int) override {}

private:
    UserMessages& messages_;
    std::function<void()> finished_;
    TfmShow* show_ = nullptr;
    ShowDocument doc_;
    ShowSettings settings_;
    bool captions_ = true;
    QString title_ = QStringLiteral("Orvanne - Untitled");
    bool finishedOnce_ = false;
};
