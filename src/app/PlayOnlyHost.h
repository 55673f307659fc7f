#pragma once

#include "AppFolders.h"
#include "HelpViewer.h"
#include "PathNames.h"
#include "ShowDocument.h"
#include "ShowHost.h"
#include "ShowSettings.h"
#include "UserMessages.h"

// The editor's part for a show played on its own (orvanne --play): the options come from the
// show file, and there is no editor to hand the screen back to.
class PlayOnlyHost : public ShowHost {
public:
    explicit PlayOnlyHost(UserMessages& messages) : messages_(messages) {}

    void setSettings(const ShowSettings& settings) { settings_ = settings; }
    const ShowSettings& settings() const { return settings_; }
    void setUnpacking(ShowUnpack* unpacking) { unpacking_ = unpacking; }
    void setTitle(const QString& showName) { title_ = QStringLiteral("Orvanne - ") + showName; }

    ShowDocument& document() override { return doc_; }
    UserMessages& messages() override { return messages_; }
    int defaultDelaySeconds() const override { return qBound(3, settings_.delay, 90); }
    bool musicEnabled() const override { return settings_.musicEnabled; }
    bool fitToWindow() const override { return settings_.fitToWindow; }
    bool autoAdvance() const override { return settings_.autoAdvance; }
    bool loop() const override { return settings_.loop; }
    bool transitionEffects() const override { return doc_.transitionSetting(); }
    bool showCaptions() const override { return captions_; }
    bool statusBarVisible() const override { return true; }
    bool controlButtonsVisible() const override { return true; }
    void setMusicEnabled(bool on) override {
        settings_.musicEnabled = on;
        doc_.setModified(true);
    }
    void setAutoAdvance(bool on) override {
        settings_.autoAdvance = on;
        doc_.setModified(true);
    }
    void setShowCaptions(bool on) override { captions_ = on; }
    QString editorTitle() const override { return title_; }
    void showEditor() override {}
    void hideEditor() override {}
    void selectFirstSlide() override {}
    void showPreview(const QString&, int) override {}
    void showHelp(int context) override {
        DesktopHelpViewer help;
        if (!help.showContext(AppFolders::guideFile(), context))
            messages_.error(QStringLiteral("Unable to open ") + fileNamePart(AppFolders::guideFile()) +
                            QStringLiteral("."));
    }

    ShowUnpack* unpacking() override { return unpacking_; }

private:
    UserMessages& messages_;
    ShowUnpack* unpacking_ = nullptr;
    ShowDocument doc_;
    ShowSettings settings_;
    bool captions_ = true;
    QString title_ = QStringLiteral("Orvanne - Untitled");
};
