#include "TrackSelectionDialog.h"

#include "AppFolders.h"
#include "MediaPlayer.h"
#include "MusicFiles.h"
#include "MusicFolderModel.h"
#include "MusicList.h"
#include "PathNames.h"
#include "ShellFileOperations.h"
#include "ShowDocument.h"
#include "TrackListEdits.h"
#include "UserMessages.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// Each opened folder of the tree is watched for changes; the library is opened this far.
constexpr int kExpandLimit = 200;

// Help contexts of the dialog's parts.
constexpr int kFolderHelp = 1010;
constexpr int kAvailableHelp = 800;
constexpr int kPreviewHelp = 910;
constexpr int kSelectedHelp = 920;
constexpr int kClearHelp = 810;

QAction* makeAction(QObject* owner, const char* name, const QString& text) {
    auto* action = new QAction(text, owner);
    action->setObjectName(QLatin1String(name));
    return action;
}

QString cleanFolder(const QString& path) {
    return QDir::cleanPath(path);
}

bool sameFileSystem(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(QFile::encodeName(a).constData(), &first) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev;
}

// A folder path with oldFolder's place taken by newFolder, when it lies inside it (or is it).
QString movedFolder(const QString& path, const QString& oldFolder, const QString& newFolder) {
    if (path == oldFolder)
        return newFolder;
    if (path.startsWith(oldFolder + QLatin1Char('/')))
        return newFolder + path.mid(oldFolder.size());
    return path;
}

} // namespace

TrackSelectionDialog::TrackSelectionDialog(ShowDocument& document, AppFolders& folders,
                                           UserMessages& messages, ShellFileOperations& operations,
                                           AudioEngine& engine, std::function<void()> updateStatus,
                                           QWidget* parent)
    : QDialog(parent), doc_(document), folders_(folders), messages_(messages), operations_(operations),
      updateStatus_(std::move(updateStatus)), previewPlayer_(new MediaPlayer(engine, this)) {
    setObjectName(QStringLiteral("trackSelectionDialog"));
    setWindowTitle(QStringLiteral("Select Audio Tracks"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    previewPlayer_->setObjectName(QStringLiteral("previewPlayer"));
    revealTimer_ = new QTimer(this);
    revealTimer_->setSingleShot(true);
    revealTimer_->setInterval(20);
    // After the tree has laid out the rows that have arrived.
    connect(revealTimer_, &QTimer::timeout, this, [this] {
        if (revealPending_)
            folderTree_->scrollTo(folderModel_->index(expandRoot_), QAbstractItemView::PositionAtTop);
    });

    buildLists();
    buildMenus();
    setFixedSize(612, 384);

    folderWatcher_ = new QFileSystemWatcher(this);
    connect(folderWatcher_, &QFileSystemWatcher::directoryChanged, this, [this] { rereadAvailable(); });
    connect(
        previewPlayer_, &MediaPlayer::notified, this,
        [this](MediaPlayer::NotifyResult result, quint64 playId) { previewFinished(int(result), playId); });

    auto* help = makeAction(this, "helpAction", QStringLiteral("Help"));
    help->setShortcut(QKeySequence::HelpContents);
    addAction(help);
    connect(help, &QAction::triggered, this, &TrackSelectionDialog::showContextHelp);
    auto* refresh = makeAction(this, "refreshAction", QStringLiteral("Refresh"));
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    addAction(refresh);
    connect(refresh, &QAction::triggered, this, &TrackSelectionDialog::refreshFolders);
}

TrackSelectionDialog::~TrackSelectionDialog() = default;

void TrackSelectionDialog::buildLists() {
    auto heading = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };

    folderTree_ = new QTreeView(this);
    folderTree_->setObjectName(QStringLiteral("folderTree"));
    folderTree_->setAccessibleName(QStringLiteral("Directory"));
    folderTree_->setHeaderHidden(true);
    folderTree_->setUniformRowHeights(true);
    folderTree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    folderTree_->setDragDropMode(QAbstractItemView::DropOnly);
    folderTree_->setAcceptDrops(true);
    folderTree_->setDropIndicatorShown(true);
    folderTree_->setContextMenuPolicy(Qt::CustomContextMenu);
    folderTree_->viewport()->installEventFilter(this);
    refreshFolders();

    availableList_ = new MusicList(this);
    availableList_->setObjectName(QStringLiteral("availableList"));
    availableList_->setAccessibleName(QStringLiteral("Available Music or Sounds"));
    availableList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    availableList_->setOffersFiles(true);
    availableList_->setCommandKeys({QKeyCombination(Qt::Key_Return), QKeyCombination(Qt::Key_Enter),
                                    QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter),
                                    QKeyCombination(Qt::Key_Delete)});
    availableList_->setContextMenuPolicy(Qt::CustomContextMenu);

    selectedList_ = new MusicList(this);
    selectedList_->setObjectName(QStringLiteral("selectedList"));
    selectedList_->setAccessibleName(QStringLiteral("Selected Music or Sounds"));
    selectedList_->setSelectionMode(QAbstractItemView::SingleSelection);
    selectedList_->setCommandKeys({QKeyCombination(Qt::Key_Delete),
                                   QKeyCombination(Qt::AltModifier, Qt::Key_Up),
                                   QKeyCombination(Qt::AltModifier, Qt::Key_Down)});
    selectedList_->setContextMenuPolicy(Qt::CustomContextMenu);
    selectedList_->setDropFilter([this](const QMimeData* mime, QObject* source) {
        if (source == availableList_ || source == selectedList_)
            return mime->hasFormat(MusicFiles::kMimeType);
        // Sound files dragged from a file manager.
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile() && MusicFiles::isSoundName(fileNamePart(url.toLocalFile())))
                return true;
        return false;
    });

    previewButton_ = new QPushButton(QStringLiteral("&Preview"), this);
    previewButton_->setObjectName(QStringLiteral("previewButton"));
    previewButton_->setToolTip(QStringLiteral("Play Selection"));
    previewButton_->setAutoDefault(false);
    stopPreviewButton_ = new QPushButton(QStringLiteral("&Stop"), this);
    stopPreviewButton_->setObjectName(QStringLiteral("stopPreviewButton"));
    stopPreviewButton_->setAutoDefault(false);
    stopPreviewButton_->hide();
    clearButton_ = new QPushButton(QStringLiteral("&Clear Selections"), this);
    clearButton_->setObjectName(QStringLiteral("clearButton"));
    clearButton_->setToolTip(QStringLiteral("Remove all selections"));
    clearButton_->setAutoDefault(false);
    clearButton_->setEnabled(false);
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);

    auto* folderColumn = new QVBoxLayout;
    folderColumn->addWidget(heading(QStringLiteral("Directory"), folderTree_));
    folderColumn->addWidget(folderTree_, 1);
    auto* availableColumn = new QVBoxLayout;
    availableColumn->addWidget(heading(QStringLiteral("Available Music or Sounds"), availableList_));
    availableColumn->addWidget(availableList_, 1);
    // Preview and Stop take turns in the same place.
    auto* previewRow = new QHBoxLayout;
    previewRow->addStretch();
    previewRow->addWidget(previewButton_);
    previewRow->addWidget(stopPreviewButton_);
    previewRow->addStretch();
    availableColumn->addLayout(previewRow);
    auto* selectedColumn = new QVBoxLayout;
    selectedColumn->addWidget(heading(QStringLiteral("Selected Music or Sounds"), selectedList_));
    selectedColumn->addWidget(selectedList_, 1);
    auto* clearRow = new QHBoxLayout;
    clearRow->addStretch();
    clearRow->addWidget(clearButton_);
    clearRow->addStretch();
    selectedColumn->addLayout(clearRow);

    auto* panels = new QHBoxLayout;
    panels->addLayout(folderColumn, 4);
    panels->addLayout(availableColumn, 3);
    panels->addLayout(selectedColumn, 3);
    auto* strip = new QHBoxLayout;
    strip->addStretch();
    strip->addWidget(okButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panels, 1);
    layout->addLayout(strip);

    connect(availableList_, &QListWidget::itemDoubleClicked, this, [this] { addCurrentFile(); });
    connect(availableList_, &MusicList::commandKey, this, [this](QKeyCombination key) {
        if (key.key() == Qt::Key_Delete)
            trashCurrentFile();
        else
            addCurrentFile();
    });
    connect(availableList_, &MusicList::clickedAnywhere, this, &TrackSelectionDialog::availableClicked);
    connect(availableList_, &MusicList::focusEntered, this, [this] {
        // One list is active at a time: the tracks lose their current entry.
        selectedList_->clearSelection();
        selectedList_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    });
    connect(selectedList_, &MusicList::focusEntered, this, [this] {
        availableList_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    });
    connect(selectedList_, &MusicList::clickedAnywhere, this, &TrackSelectionDialog::selectedClicked);
    connect(selectedList_, &MusicList::commandKey, this, &TrackSelectionDialog::selectedKey);
    connect(selectedList_, &MusicList::dropped, this, &TrackSelectionDialog::dropOnSelected);
    connect(previewButton_, &QPushButton::clicked, this, &TrackSelectionDialog::startPreview);
    connect(stopPreviewButton_, &QPushButton::clicked, this, &TrackSelectionDialog::stopPreview);
    connect(clearButton_, &QPushButton::clicked, this, &TrackSelectionDialog::clearTracks);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void TrackSelectionDialog::buildMenus() {
    selectedMenu_ = new QMenu(this);
    selectedMenu_->setObjectName(QStringLiteral("selectedMenu"));
    clearListAction_ = makeAction(this, "clearListAction", QStringLiteral("&Clear List"));
    removeTrackAction_ = makeAction(this, "removeTrackAction", QStringLiteral("&Remove Item"));
    selectedMenu_->addActions({clearListAction_, removeTrackAction_});
    connect(selectedMenu_, &QMenu::aboutToShow, this, [this] {
        clearListAction_->setEnabled(clearButton_->isEnabled());
        removeTrackAction_->setEnabled(selectedList_->count() > 0);
    });
    connect(clearListAction_, &QAction::triggered, clearButton_, &QPushButton::click);
    connect(removeTrackAction_, &QAction::triggered, this, &TrackSelectionDialog::removeCurrentTrack);
    connect(selectedList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { selectedMenu_->popup(selectedList_->viewport()->mapToGlobal(at)); });

    folderMenu_ = new QMenu(this);
    folderMenu_->setObjectName(QStringLiteral("folderMenu"));
    newFolderAction_ = makeAction(this, "newFolderAction", QStringLiteral("&New Folder"));
    folderMenu_->addAction(newFolderAction_);
    connect(folderMenu_, &QMenu::aboutToShow, this, [this] {
        // Only inside a folder of the file system.
        newFolderAction_->setEnabled(!folderModel_->filePath(folderTree_->currentIndex()).isEmpty());
    });
    connect(newFolderAction_, &QAction::triggered, this, &TrackSelectionDialog::createFolder);
    connect(folderTree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { folderMenu_->popup(folderTree_->viewport()->mapToGlobal(at)); });

    availableMenu_ = new QMenu(this);
    availableMenu_->setObjectName(QStringLiteral("availableMenu"));
    deleteFileAction_ = makeAction(this, "deleteFileAction", QStringLiteral("&Delete"));
    availableMenu_->addAction(deleteFileAction_);
    connect(availableMenu_, &QMenu::aboutToShow, this,
            [this] { deleteFileAction_->setEnabled(availableList_->anySelected()); });
    connect(deleteFileAction_, &QAction::triggered, this, &TrackSelectionDialog::trashCurrentFile);
    connect(availableList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { availableMenu_->popup(availableList_->viewport()->mapToGlobal(at)); });
}

// ---- showing and closing -----------------------------------------------------------------------

void TrackSelectionDialog::chooseTracks() {
    prepare();
    exec();
}

void TrackSelectionDialog::prepare() {
    // A library that has gone is replaced for the rest of the run, without a word.
    const QString music = folders_.existingMusicFolder();
    const QModelIndex index = folderModel_->index(music);
    {
        // The list is filled below, once.
        const QSignalBlocker quiet(folderTree_->selectionModel());
        folderTree_->setCurrentIndex(index);
    }
    folderTree_->scrollTo(index, QAbstractItemView::PositionAtTop);
    expandRoot_ = cleanFolder(music);
    expandBudget_ = kExpandLimit;
    revealPending_ = true;
    folderTree_->expand(index);
    revealTimer_->start();
    showFolder(music);
    rebuildSelected();
    applyPreviewRule();
    updateClearButton();
    availableList_->setFocus();
    if (availableList_->count() > 0)
        availableList_->setCurrentRow(0);
    centreOnScreen(*this);
}

void TrackSelectionDialog::done(int result) {
    previewPlayer_->close();
    setPreviewing(false);
    QDialog::done(result);
    if (updateStatus_)
        updateStatus_();
}

// ---- the folder tree and the file list ---------------------------------------------------------

void TrackSelectionDialog::refreshFolders() {
    // A new model reads every folder again; the tree stays on its folder.
    const QString keep = folderModel_ ? folderModel_->filePath(folderTree_->currentIndex()) : QString();
    MusicFolderModel* old = folderModel_;
    folderModel_ = new MusicFolderModel(operations_, this);
    folderModel_->setObjectName(QStringLiteral("folderModel"));
    folderModel_->setRootPath(QStringLiteral("/"));
    folderTree_->setModel(folderModel_);
    for (int column = 1; column < folderModel_->columnCount(); ++column)
        folderTree_->hideColumn(column);
    connect(folderTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { showFolder(folderModel_->filePath(index)); });
    connect(folderModel_, &QFileSystemModel::directoryLoaded, this, &TrackSelectionDialog::folderLoaded);
    connect(folderModel_, &MusicFolderModel::folderRenamed, this, &TrackSelectionDialog::folderRenamed);
    delete old;
    if (!keep.isEmpty()) {
        const QModelIndex index = folderModel_->index(keep);
        const QSignalBlocker quiet(folderTree_->selectionModel());
        folderTree_->setCurrentIndex(index);
        folderTree_->scrollTo(index);
    }
}

void TrackSelectionDialog::folderLoaded(const QString& path) {
    // The library's parents arrive one by one and push it down: keep it at the top until the
    // user takes the tree in hand.
    if (revealPending_ && (expandRoot_ == path || expandRoot_.startsWith(path)))
        revealTimer_->start();
    if (expandBudget_ <= 0 || expandRoot_.isEmpty())
        return;
    if (path != expandRoot_ && !path.startsWith(expandRoot_ + QLatin1Char('/')))
        return;
    const QModelIndex parent = folderModel_->index(path);
    for (int row = 0; row < folderModel_->rowCount(parent) && expandBudget_ > 0; ++row) {
        folderTree_->expand(folderModel_->index(row, 0, parent));
        --expandBudget_;
    }
}

void TrackSelectionDialog::showFolder(const QString& folder) {
    // A node that is not a folder of the file system leaves the list as it was.
    if (folder.isEmpty())
        return;
    listFolder_ = folder;
    if (!folderWatcher_->directories().isEmpty())
        folderWatcher_->removePaths(folderWatcher_->directories());
    folderWatcher_->addPath(folder);
    fillAvailable();
    if (availableList_->count() == 0 && selectedList_->count() == 0)
        stopPreview();
    if (availableList_->count() > 0)
        availableList_->setCurrentRow(0);
    else if (selectedList_->count() > 0)
        selectedList_->setCurrentRow(0);
}

void TrackSelectionDialog::fillAvailable() {
    availableList_->clear();
    for (const QString& name : MusicFiles::list(listFolder_)) {
        auto* item = new QListWidgetItem(name, availableList_);
        item->setData(Qt::UserRole, joinPath(listFolder_, name));
    }
    applyPreviewRule();
}

void TrackSelectionDialog::rereadAvailable() {
    // The same files stay selected, and the same one current, by name.
    QStringList selected;
    for (const QListWidgetItem* item : availableList_->selectedItems())
        selected << item->text();
    const QString current = availableList_->currentItem() ? availableList_->currentItem()->text() : QString();
    fillAvailable();
    for (int row = 0; row < availableList_->count(); ++row) {
        QListWidgetItem* item = availableList_->item(row);
        if (item->text() == current)
            availableList_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        if (selected.contains(item->text()))
            item->setSelected(true);
    }
}

QString TrackSelectionDialog::currentFilePath() const {
    const QListWidgetItem* item = availableList_->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toString() : QString();
}

QStringList TrackSelectionDialog::selectedFilePaths() const {
    QStringList paths;
    for (int row = 0; row < availableList_->count(); ++row)
        if (availableList_->item(row)->isSelected())
            paths << availableList_->item(row)->data(Qt::UserRole).toString();
    return paths;
}

// ---- the show's tracks -----------------------------------------------------------------------

void TrackSelectionDialog::rebuildSelected() {
    selectedList_->clear();
    for (const QString& track : doc_.musicTracks()) {
        auto* item = new QListWidgetItem(fileNamePart(track), selectedList_);
        item->setData(Qt::UserRole, track);
        // Where the track is: the list shows only its name.
        item->setToolTip(track.trimmed());
    }
}

void TrackSelectionDialog::setTracks(const QStringList& tracks, int current) {
    doc_.setMusicTracks(tracks);
    rebuildSelected();
    if (current >= 0 && current < selectedList_->count())
        selectedList_->setCurrentRow(current);
    updateClearButton();
    applyPreviewRule();
}

void TrackSelectionDialog::applyPreviewRule() {
    previewButton_->setEnabled(availableList_->count() > 0 || selectedList_->count() > 0);
}

void TrackSelectionDialog::updateClearButton() {
    clearButton_->setEnabled(selectedList_->count() > 0);
}

void TrackSelectionDialog::addCurrentFile() {
    const QListWidgetItem* item = availableList_->currentItem();
    if (!item)
        return;
    doc_.setModified(true);
    setTracks(doc_.musicTracks() + QStringList{joinPath(listFolder_, item->text())}, -1);
}

void TrackSelectionDialog::dropOnSelected(const QMimeData* mime, QObject* source, const QPoint& point) {
    doc_.setModified(true);
    const int count = selectedList_->count();
    const QModelIndex at = selectedList_->indexAt(point);
    int target = -1;
    if (at.isValid())
        target = at.row();
    else if (selectedList_->viewport()->rect().contains(point))
        target = count; // below the last entry: the end
    if (target < 0)
        return;

    QStringList tracks = doc_.musicTracks();
    if (source == selectedList_) {
        const int from = selectedList_->currentRow();
        if (TrackListEdits::move(tracks, from, target))
            setTracks(tracks, target > from ? target - 1 : target);
        return;
    }
    QStringList paths;
    if (source == availableList_) {
        paths = selectedFilePaths();
    } else {
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile() && MusicFiles::isSoundName(fileNamePart(url.toLocalFile())))
                paths << url.toLocalFile();
    }
    if (paths.isEmpty())
        return;
    TrackListEdits::insert(tracks, target < count ? target : -1, paths);
    setTracks(tracks, target < count ? target : int(tracks.size() - 1));
}

void TrackSelectionDialog::removeCurrentTrack() {
    const int current = selectedList_->currentRow();
    if (current < 0)
        return;
    doc_.setModified(true);
    QStringList tracks = doc_.musicTracks();
    tracks.removeAt(current);
    setTracks(tracks, std::min(current, int(tracks.size()) - 1));
}

void TrackSelectionDialog::clearTracks() {
    doc_.setModified(true);
    setTracks({}, -1);
}

void TrackSelectionDialog::selectedKey(QKeyCombination key) {
    const int current = selectedList_->currentRow();
    if (current < 0)
        return;
    if (key.key() == Qt::Key_Delete) {
        removeCurrentTrack();
        return;
    }
    // Alt+Up and Alt+Down move the track one place.
    QStringList tracks = doc_.musicTracks();
    const bool up = key.key() == Qt::Key_Up;
    if (TrackListEdits::move(tracks, current, up ? current - 1 : current + 2)) {
        doc_.setModified(true);
        setTracks(tracks, up ? current - 1 : current + 1);
    }
}

void TrackSelectionDialog::availableClicked() {
    if (isPreviewing())
        restartPreviewIfChanged(currentFilePath());
}

void TrackSelectionDialog::selectedClicked() {
    // A click among the tracks makes them the active list.
    availableList_->clearSelection();
    const int current = selectedList_->currentRow();
    if (isPreviewing() && current >= 0)
        restartPreviewIfChanged(doc_.musicTracks().value(current));
}

// ---- the preview ---------------------------------------------------------------------------------

bool TrackSelectionDialog::isPreviewing() const {
    return stopPreviewButton_->isVisibleTo(this);
}

void TrackSelectionDialog::startPreview() {
    previewFile_.clear();
    if (availableList_->anySelected()) {
        if (availableList_->currentRow() < 0)
            availableList_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        previewFile_ = currentFilePath();
    }
    // A chosen track wins over a chosen file.
    if (selectedList_->anySelected()) {
        if (selectedList_->currentRow() < 0)
            selectedList_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        previewFile_ = doc_.musicTracks().value(selectedList_->currentRow());
    }
    if (!previewFile_.isEmpty()) {
        previewPlayer_->setFileName(previewFile_);
        if (previewPlayer_->open() && previewPlayer_->play()) {
            setPreviewing(true);
            return;
        }
    }
    // Nothing to play, or a sound that will not play: quietly back to rest.
    previewPlayer_->close();
    setPreviewing(false);
}

void TrackSelectionDialog::stopPreview() {
    previewPlayer_->close();
    setPreviewing(false);
}

void TrackSelectionDialog::restartPreviewIfChanged(const QString& path) {
    if (path == previewFile_)
        return;
    previewPlayer_->close();
    startPreview();
}

void TrackSelectionDialog::previewFinished(int result, quint64 playId) {
    if (result != int(MediaPlayer::NotifyResult::Successful) || playId != previewPlayer_->lastPlayId())
        return;
    previewPlayer_->close();
    setPreviewing(false);
}

void TrackSelectionDialog::setPreviewing(bool on) {
    const bool hadFocus = previewButton_->hasFocus() || stopPreviewButton_->hasFocus();
    previewButton_->setVisible(!on);
    stopPreviewButton_->setVisible(on);
    if (hadFocus)
        (on ? stopPreviewButton_ : previewButton_)->setFocus();
}

// ---- the library's files and folders --------------------------------------------------------------

void TrackSelectionDialog::createFolder() {
    const QString parent = folderModel_->filePath(folderTree_->currentIndex());
    if (parent.isEmpty())
        return;
    auto refuse = [this](const QString& name, int error) {
        messages_.warning(QStringLiteral("Unable to create the folder '%2'\n\n%1")
                              .arg(QString::fromLocal8Bit(std::strerror(error)), name));
    };
    QString created;
    for (const QString& name : TrackListEdits::newFolderNames()) {
        const int error = operations_.makeFolder(joinPath(parent, name));
        if (error == 0) {
            created = name;
            break;
        }
        if (error != EEXIST) {
            refuse(name, error);
            return;
        }
    }
    if (created.isEmpty()) {
        refuse(QStringLiteral("New Folder"), EEXIST);
        return;
    }
    // The new folder in view with its name open, so the user types the name wanted.
    folderTree_->expand(folderModel_->index(parent));
    const QModelIndex index = folderModel_->index(joinPath(parent, created));
    if (!index.isValid())
        return;
    folderTree_->setCurrentIndex(index);
    folderTree_->scrollTo(index);
    folderTree_->edit(index);
}

void TrackSelectionDialog::folderRenamed(const QString& oldPath, const QString& newPath) {
    // The show's tracks, then its slides' sounds, follow the folder.
    QStringList tracks = doc_.musicTracks();
    if (TrackListEdits::repointFolder(tracks, oldPath, newPath) > 0)
        setTracks(tracks, selectedList_->currentRow());
    for (int i = 0; i < doc_.slideCount(); ++i) {
        QStringList sound{doc_.slide(i).soundPath};
        if (TrackListEdits::repointFolder(sound, oldPath, newPath) > 0)
            doc_.setSoundPath(i, sound.first());
    }
    folders_.setMusicFolder(movedFolder(folders_.musicFolder(), oldPath, newPath));
    const QString listed = movedFolder(listFolder_, oldPath, newPath);
    const QModelIndex index = folderModel_->index(newPath);
    if (index.isValid()) {
        const QSignalBlocker quiet(folderTree_->selectionModel());
        folderTree_->setCurrentIndex(index);
    }
    if (listed != listFolder_)
        showFolder(listed);
}

void TrackSelectionDialog::trashCurrentFile() {
    const QString path = currentFilePath();
    if (path.isEmpty())
        return;
    // The show keeps naming the file: it is the user's to take out of the tracks.
    operations_.trash({path});
    rereadAvailable();
}

void TrackSelectionDialog::dropOnFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || cleanFolder(folder) == cleanFolder(listFolder_))
        return;
    const QStringList sources = selectedFilePaths();
    if (sources.isEmpty())
        return;
    QStringList targets;
    for (const QString& source : sources)
        targets << joinPath(folder, fileNamePart(source));
    const bool move = sameFileSystem(listFolder_, folder);
    const QList<ShellFileOperations::Outcome> outcomes =
        move ? operations_.move(sources, targets) : operations_.copy(sources, targets);

    // Only a file that arrived takes the show's entries along.
    QStringList tracks = doc_.musicTracks();
    int changed = 0;
    for (qsizetype i = 0; i < sources.size() && i < outcomes.size(); ++i) {
        if (outcomes[i] != ShellFileOperations::Outcome::Done)
            continue;
        changed += TrackListEdits::repointFile(tracks, sources[i], targets[i]);
        for (int slide = 0; slide < doc_.slideCount(); ++slide) {
            QStringList sound{doc_.slide(slide).soundPath};
            if (TrackListEdits::repointFile(sound, sources[i], targets[i]) > 0)
                doc_.setSoundPath(slide, sound.first());
        }
    }
    if (changed > 0)
        setTracks(tracks, selectedList_->currentRow());
    rereadAvailable();
}

bool TrackSelectionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == folderTree_->viewport()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::Wheel)
            revealPending_ = false;
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            // Only the library's own file list drags files onto its folders.
            if (drop->source() != availableList_) {
                drop->ignore();
                return true;
            }
            if (type == QEvent::Drop) {
                const QModelIndex index = folderTree_->indexAt(drop->position().toPoint());
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
                if (index.isValid())
                    dropOnFolder(folderModel_->filePath(index));
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TrackSelectionDialog::showContextHelp() {
    int context = kAvailableHelp;
    const QWidget* focus = QApplication::focusWidget();
    if (focus == folderTree_)
        context = kFolderHelp;
    else if (focus == previewButton_ || focus == stopPreviewButton_)
        context = kPreviewHelp;
    else if (focus == selectedList_)
        context = kSelectedHelp;
    else if (focus == clearButton_)
        context = kClearHelp;
    if (help_)
        help_(context);
}
