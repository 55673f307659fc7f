#pragma once

// Where the show's background music is chosen: the music library as a folder tree, the sound
// files of the chosen folder, and the show's tracks in play order, with a preview of any of
// them. Every change to the tracks goes into the document at once; there is no cancel.
//
// The dialog is also a small manager of the library: new folders, renaming a folder in place,
// moving a sound to the trash, and dragging sounds into another folder. The show names its sounds
// by full path, so a renamed folder or a moved file takes the show's entries along.

#include <QDialog>
#include <QString>

#include <functional>

class AppFolders;
class AudioEngine;
class MediaPlayer;
class MusicFolderModel;
class MusicList;
class QAction;
class QMenu;
class QMimeData;
class QFileSystemWatcher;
class QTimer;
class QPushButton;
class QTreeView;
class ShellFileOperations;
class ShowDocument;
class UserMessages;

class TrackSelectionDialog : public QDialog {
    Q_OBJECT
public:
    // updateStatus: run on every close, so the editor's summary shows the tracks.
    TrackSelectionDialog(ShowDocument& document, AppFolders& folders, UserMessages& messages,
                         ShellFileOperations& operations, AudioEngine& engine,
                         std::function<void()> updateStatus, QWidget* parent = nullptr);
    ~TrackSelectionDialog() override;

    // Shows the dialog modally and returns when it has closed.
    void chooseTracks();
    // What chooseTracks() does before it waits: for callers that show the dialog themselves.
    void prepare();

    // What F1 runs, with the help context of the control that has the focus.
    void setHelp(std::function<void(int context)> help) { help_ = std::move(help); }

    // The folder whose files are listed.
    QString listFolder() const { return listFolder_; }
    bool isPreviewing() const;
    QString previewFile() const { return previewFile_; }

    void done(int result) override;

public slots:
    // Shows folder's sound files (the tree's choice).
    void showFolder(const QString& folder);
    // Appends the file list's current file to the tracks.
    void addCurrentFile();
    void startPreview();
    void stopPreview();
    void clearTracks();
    void removeCurrentTrack();
    // A new folder in the tree's current folder, its name open for editing.
    void createFolder();
    // Moves the file list's current file, when selected, to the trash.
    void trashCurrentFile();
    // Moves (on the same file system) or copies the selected files into folder.
    void dropOnFolder(const QString& folder);
    // Reads the folder tree again.
    void refreshFolders();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLists();
    void buildMenus();
    void fillAvailable();
    void rereadAvailable();
    void rebuildSelected();
    // The tracks changed: the document, the list beside it, the buttons.
    void setTracks(const QStringList& tracks, int current);
    void applyPreviewRule();
    void updateClearButton();
    void dropOnSelected(const QMimeData* mime, QObject* source, const QPoint& point);
    void availableClicked();
    void selectedClicked();
    void selectedKey(QKeyCombination key);
    void previewFinished(int result, quint64 playId);
    void setPreviewing(bool on);
    void restartPreviewIfChanged(const QString& path);
    void folderRenamed(const QString& oldPath, const QString& newPath);
    void folderLoaded(const QString& path);
    void showContextHelp();
    QString currentFilePath() const;
    QStringList selectedFilePaths() const;

    ShowDocument& doc_;
    AppFolders& folders_;
    UserMessages& messages_;
    ShellFileOperations& operations_;
    std::function<void()> updateStatus_;
    std::function<void(int)> help_;
    MediaPlayer* previewPlayer_;

    QTreeView* folderTree_;
    MusicFolderModel* folderModel_ = nullptr;
    MusicList* availableList_;
    MusicList* selectedList_;
    QPushButton* previewButton_;
    QPushButton* stopPreviewButton_;
    QPushButton* clearButton_;
    QPushButton* okButton_;
    QMenu* selectedMenu_;
    QMenu* folderMenu_;
    QMenu* availableMenu_;
    QAction* clearListAction_;
    QAction* removeTrackAction_;
    QAction* newFolderAction_;
    QAction* deleteFileAction_;
    QFileSystemWatcher* folderWatcher_;
    QTimer* revealTimer_;

    QString listFolder_;
    QString previewFile_;
    // The library's folders are opened as they are read, up to a limit: each one is watched.
    QString expandRoot_;
    int expandBudget_ = 0;
    bool revealPending_ = false;
};
