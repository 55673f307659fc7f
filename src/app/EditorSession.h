#pragma once

// The editor as the program runs it: its windows, created once in a fixed order, the show file
// commands, the recent files, the splash at the first showing and the show named on the command
// line, and the questions when it closes.

#include "AppFolders.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class AudioEngine;
class DiskSpace;
class EditorWindow;
class FileDialogs;
class HelpViewer;
class ImageViewerWindow;
class MusicAdvisoryDialog;
class PrintPreviewWindow;
class PrinterDevice;
class ProgressWindow;
class QSettings;
class QWidget;
class RecentFiles;
class ShellFileOperations;
class ShowFileCommands;
class ShowLauncher;
class SlidePropertiesDialog;
class TrackSelectionDialog;
class ShowWindow;
class UserMessages;

struct EditorServices {
    UserMessages& messages;
    FileDialogs& dialogs;
    HelpViewer& help;
    const DiskSpace& disk;
    QSettings& settings;
    AudioEngine& engine;
    ShellFileOperations& files;
    // Shows the splash over parent and calls done when it has gone.
    std::function<void(QWidget* parent, std::function<void()> done)> splash;
    // The music library, where sounds for slides are picked first; empty: the standard one.
    QString musicFolder = QString();
    // The printer the print preview prints on; null: the system's.
    PrinterDevice* printer = nullptr;
};

class EditorSession : public QObject {
    Q_OBJECT
public:
    EditorSession(const EditorServices& services, const QString& workFolder, const QString& guideFile);
    ~EditorSession() override;

    // Shows the editor; once it is on screen, the splash, then the show named by argument (when
    // not empty).
    void start(const QString& argument = QString());

    EditorWindow& editor() { return *editor_; }
    ShowWindow& showWindow() { return *show_; }
    SlidePropertiesDialog& slideProperties() { return *slideProperties_; }
    MusicAdvisoryDialog& musicAdvisory() { return *musicAdvisory_; }
    TrackSelectionDialog& trackSelection() { return *trackSelection_; }
    AppFolders& folders() { return folders_; }
    ShowFileCommands& commands() { return *commands_; }
    RecentFiles& recentFiles() { return *recent_; }
    ImageViewerWindow& imageViewer() { return *viewer_; }
    PrintPreviewWindow& printPreview() { return *printPreview_; }

    // The standard splash: the about box without its strip, for three seconds or a click.
    static void showSplash(QWidget* parent, std::function<void()> done);

signals:
    // The first showing is complete: the splash has gone and the command line's show is open.
    void started();

private:
    // The Properties command: the dialog at the current slide, then the editor brought up to date.
    void editSlideProperties();

    EditorServices services_;
    AppFolders folders_;
    std::unique_ptr<RecentFiles> recent_;
    std::unique_ptr<EditorWindow> editor_;
    std::unique_ptr<SlidePropertiesDialog> slideProperties_;
    std::unique_ptr<MusicAdvisoryDialog> musicAdvisory_;
    std::unique_ptr<TrackSelectionDialog> trackSelection_;
    std::unique_ptr<ShowWindow> show_;
    // The image viewer and its print preview.
    std::unique_ptr<PrinterDevice> systemPrinter_;
    std::unique_ptr<PrintPreviewWindow> printPreview_;
    std::unique_ptr<ImageViewerWindow> viewer_;
    std::unique_ptr<ProgressWindow> progress_;
    std::unique_ptr<ShowLauncher> launcher_;
    ShowFileCommands* commands_ = nullptr;
};
