#pragma once

// The editor's commands that create, open and save shows, the questions that protect unsaved
// changes, the recent-files menu and the window titles that name the show. They fill the editor's
// File menu and put Open and Save on its toolbar.

#include "ShowFiles.h"
#include "UserMessages.h"

#include <QObject>
#include <QString>

#include <memory>

class EditorWindow;
class FileDialogs;
class QAction;
class QMenu;
class QToolButton;
class RecentFiles;
class ShowUnpack;

class ShowFileCommands : public QObject {
    Q_OBJECT
public:
    enum class SaveOutcome {
        Saved,
        NoSlides,  // there was nothing to save; the user has been told
        Cancelled, // the user cancelled the file dialog
        Failed     // the save went wrong; the user has been told, the old file is intact
    };

    ShowFileCommands(EditorWindow& editor, FileDialogs& dialogs, const ShowFileServices& services,
                     RecentFiles& recent, const QString& workFolder, QObject* parent = nullptr);
    // Stops unpacking a show that is still being unpacked.
    ~ShowFileCommands() override;

    // The name of a show in the titles: its file name without a ".cjf" ending.
    static QString showName(const QString& fileName);

    SaveOutcome save(bool saveAs = false);
    // Opens path, or one the user chooses when it is empty. True when a show was opened.
    bool open(const QString& path = QString());
    void newShow();
    // "Save Changes to ...?" when the show has unsaved changes: Yes saves, No drops the changes.
    // Cancel, and a save that went wrong, answer Cancel: the caller stops. Yes without a change
    // to save answers No without asking.
    MessageAnswer askToSaveChanges();
    // Whether the program may end: "Quit Orvanne?", then the offer to save. A save that went wrong
    // keeps the program running, since ending removes the working folder and the show with it.
    bool confirmClose();

    // Where the file dialogs start when the show has no file yet.
    void setLastFolder(const QString& folder) { lastFolder_ = folder; }

signals:
    // The title of the show changed (after a save, an open or a new show).
    void titlesChanged(const QString& editorTitle, const QString& showTitle);

protected:
    // Keeps "Begin Slide Show" (and its key) enabled exactly when the "Begin Show" button is.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void rebuildRecentMenu();
    void setTitles();
    void newShow(bool askFirst);
    // The pictures and sounds of the show just opened follow on a worker thread.
    void startUnpacking(std::unique_ptr<ShowUnpack> media, const QString& path);
    void stopUnpacking();
    void unpackingFinished();
    QString startFolder() const;
    QString untitledName() const;

    EditorWindow& editor_;
    FileDialogs& dialogs_;
    ShowFileServices services_;
    RecentFiles& recent_;
    QString workFolder_;
    QString lastFolder_;
    std::unique_ptr<ShowUnpack> unpack_;

    QAction* newShowAction_;
    QAction* openAction_;
    QAction* saveAction_;
    QAction* saveAsAction_;
    QMenu* recentMenu_;
    QAction* beginShowAction_;
    QAction* exitAction_;
    QToolButton* openButton_;
    QToolButton* saveButton_;
};
