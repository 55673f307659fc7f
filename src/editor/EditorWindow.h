#pragma once

// The editor's main window: the folder tree and the pictures of the chosen folder, the show's
// slide list, a preview of the picture being worked on, the show-wide options and a summary of
// the show in the status bar. It owns the show document and is the show window's host.

#include "ShowHost.h"
#include "ShowSettings.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

struct DecodeResult;
class EditorList;
class FileDialogs;
class HelpViewer;
class PictureWidget;
class PreviewLoader;
class QAction;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QFileSystemWatcher;
class QFrame;
class QLabel;
class QMenu;
class QMimeData;
class QPushButton;
class QSlider;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeView;
class ShowDocument;
class ShowUnpack;
class ShowWindow;
class UserMessages;

class EditorWindow : public QMainWindow, public ShowHost {
    Q_OBJECT
public:
    // guideFile: the HTML user's guide the Help menu opens.
    EditorWindow(UserMessages& messages, FileDialogs& dialogs, HelpViewer& help, const QString& guideFile,
                 QWidget* parent = nullptr);
    ~EditorWindow() override;

    void setShowWindow(ShowWindow* show) { showWindow_ = show; }
    // Decodes the previews (off the user-interface thread).
    PreviewLoader& previewLoader() const { return *previewLoader_; }
    ShowWindow* showWindow() const { return showWindow_; }

    QMenu* fileMenu() const { return fileMenu_; }
    QToolBar* toolBar() const { return toolBar_; }

    // The slide list's current item, -1 when there is none.
    int currentSlideIndex() const;
    // The options a show file's header carries, as the controls hold them.
    ShowSettings settings() const;
    // Sets the options as a user would: each change acts as the user's own (and so marks the
    // show modified).
    void setSettings(const ShowSettings& settings);
    // Sets "Transition Effects" from the document's settings line.
    void applyTransitionSetting();

    // Shows folder in the tree and its pictures in the source list.
    void showFolder(const QString& path);
    QString currentFolder() const { return folder_; }
    // Lists the current folder's pictures again, keeping the selection by name.
    void rereadSources();
    // The full path of the source list's current item when it is selected, else empty.
    QString currentFile() const;

    bool previewEnabled() const;
    // Previews the first picture of the source list, or shows "No Preview" when there is none.
    void previewFirstSource();
    // Asked before the window closes; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

    // The show's pictures and sounds while they are still being unpacked from its file; null
    // when every file is in place. Meanwhile the preview and the viewer wait for the file they
    // show, and the show cannot begin.
    void setUnpacking(ShowUnpack* files);
    bool filesArriving() const;

    // The editor's refresh operations.
    void refreshSlideList();
    void updateButtons();
    void clearPreview();
    void updateStatus();

    // ShowHost: what the show window reads and changes.
    ShowDocument& document() override { return *doc_; }
    UserMessages& messages() override { return messages_; }
    int defaultDelaySeconds() const override;
    bool musicEnabled() const override;
    bool fitToWindow() const override;
    bool autoAdvance() const override;
    bool loop() const override;
    bool transitionEffects() const override;
    bool showCaptions() const override;
    bool statusBarVisible() const override;
    bool controlButtonsVisible() const override;
    void setMusicEnabled(bool on) override;
    void setAutoAdvance(bool on) override;
    void setShowCaptions(bool on) override;
    QString editorTitle() const override { return windowTitle(); }
    void showEditor() override;
    void hideEditor() override;
    void selectFirstSlide() override;
    // Previews the picture at imagePath: slide index (from 0), or a source file (-1).
    void showPreview(const QString& imagePath, int index) override;
    void showHelp(int context) override;

public slots:
    void addSelectedSources();
    void addCurrentSource();
    void removeSelectedSlides();
    void viewImage();
    void chooseBackgroundColour();
    void showGuide();
    // The guide at the part that explains what has the keyboard focus (F1).
    void showContextHelp();
    // Reads the folder tree again, keeping the selected folder.
    void refreshFolders();
    // The preview delay has run out: the source file current now is previewed.
    void previewDelayElapsed();

    // Commands that other windows carry out; each is announced until it is filled in.
    void editSlideProperties();
    void beginShow();
    void selectAudioTracks();
    void showImage(const QString& path, const QString& caption);
    void showAbout();

signals:
    void slidePropertiesRequested();
    void beginShowRequested();
    void trackSelectionRequested();
    void viewImageRequested(const QString& path, const QString& caption);
    void aboutRequested();
    // A file was dropped on the window (not on the slide list): the first of them.
    void fileDropped(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildPreview(QWidget* parent);
    QWidget* buildOptions(QWidget* parent);
    QWidget* buildBrowser(QWidget* parent);
    void buildMenus();

    void folderChanged(const QString& path);
    void revealCurrentFolder();
    void fillSources(const QStringList& keepSelected);
    void sourceClicked();
    void slideClicked();
    void sourceKey(int key);
    void slideKey(int key);
    void dropOnSlides(const QMimeData* mime, QObject* source);
    void appendSlides(const QStringList& paths);
    void removeSlides(bool refreshPreviewAfter);
    void previewLoaded(const QString& path, const DecodeResult& result);
    // A file of the show was unpacked (or lost): a preview or a view waiting for it goes ahead.
    void fileArrived(const QString& path);
    void togglePreview(bool on);
    void updateOptionsMenu();
    void delayChanged(int seconds);
    void autoAdvanceToggled(bool on);
    void markModified();
    void setPanel(int panel, const QString& text);
    QString sourcePath(int row) const;

    UserMessages& messages_;
    FileDialogs& dialogs_;
    HelpViewer& help_;
    QString guideFile_;
    std::unique_ptr<ShowDocument> doc_;
    ShowWindow* showWindow_ = nullptr;
    PreviewLoader* previewLoader_;
    QPointer<ShowUnpack> files_;
    // The picture the preview (with its slide index) and the viewer wait for; empty when none.
    QString previewWaitsFor_;
    int previewWaitIndex_ = -1;
    QString viewWaitsFor_;
    QString viewWaitCaption_;

    QMenu* fileMenu_;
    QMenu* optionsMenu_;
    QMenu* helpMenu_;
    QToolBar* toolBar_;
    QAction* propertiesAction_;
    QAction* viewImageAction_;
    QAction* previewAction_;
    QAction* captionsAction_;
    QAction* transitionsAction_;
    QAction* controlButtonsAction_;
    QAction* statusBarAction_;
    QAction* backgroundColorAction_;
    QAction* guideAction_;
    QAction* aboutAction_;
    QAction* refreshAction_;
    QAction* selectAllSourcesAction_;
    QAction* addToSlidesAction_;
    QAction* selectAllSlidesAction_;
    QAction* removeAction_;

    QLabel* previewTitle_;
    QFrame* previewPanel_;
    PictureWidget* previewImage_;
    QLabel* previewError_;
    QLabel* previewFileName_;
    QTimer* previewDelay_;
    QImage noPreviewPicture_;

    QCheckBox* fitToWindowBox_;
    QCheckBox* loopBox_;
    QCheckBox* autoAdvanceBox_;
    QSlider* delaySlider_;
    QLabel* delayLabel_;
    QLabel* delayScaleLabel_;
    QCheckBox* musicBox_;
    QPushButton* selectTracksButton_;
    QPushButton* beginShowButton_;
    QToolButton* slidePropertiesButton_;
    QToolButton* viewSlideButton_;
    QToolButton* backgroundColorButton_;

    QComboBox* placesBox_;
    QTreeView* folderTree_;
    QFileSystemModel* folderModel_;
    EditorList* sourceList_;
    QLabel* slidesHeader_;
    EditorList* slideList_;
    QMenu* folderTreeMenu_;
    QMenu* sourceMenu_;
    QMenu* slideMenu_;
    QFileSystemWatcher* sourceWatcher_;
    QTimer* revealTimer_;
    bool revealPending_ = false; // the current folder is still to be brought into view
    QLabel* statusPanels_[3];

    QAction* contextHelpAction_;
    std::function<bool()> closeGuard_;
    QString folder_;
    bool returningFromShow_ = false;
};
