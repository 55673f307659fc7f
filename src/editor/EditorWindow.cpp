#include "EditorWindow.h"

#include "ColorRef.h"
#include "EditorLists.h"
#include "FileDialogs.h"
#include "HelpViewer.h"
#include "ImageDecoder.h"
#include "PathNames.h"
#include "PictureWidget.h"
#include "PreviewLoader.h"
#include "ShowDocument.h"
#include "ShowSummary.h"
#include "ShowUnpack.h"
#include "SourceImages.h"
#include "UserMessages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStorageInfo>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kPreviewDelayMs = 200;
const QSize kPreviewBox(167, 140);

QAction* makeAction(QObject* owner, const char* name, const QString& text, bool checkable = false,
                    bool checked = false) {
    auto* action = new QAction(text, owner);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(checkable);
    action->setChecked(checked);
    return action;
}

// The picture the preview shows when it has nothing to show, drawn once.
QImage drawNoPreview(const QColor& background, const QColor& ink) {
    QImage image(kPreviewBox.width(), kPreviewBox.height() + 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(ink, 2);
    p.setPen(pen);
    const QRectF frame(43.5, 28.5, 80, 60);
    p.drawRoundedRect(frame, 4, 4);
    // A sun and two hills, the usual sign for a picture.
    p.drawEllipse(QPointF(102, 46), 6, 6);
    QPainterPath hills;
    hills.moveTo(frame.left() + 2, frame.bottom() - 2);
    hills.lineTo(64, 60);
    hills.lineTo(78, 74);
    hills.lineTo(90, 64);
    hills.lineTo(frame.right() - 2, frame.bottom() - 2);
    p.drawPath(hills);
    QFont font = QApplication::font();
    font.setPixelSize(13);
    p.setFont(font);
    p.drawText(QRectF(0, 98, image.width(), 24), Qt::AlignCenter, QStringLiteral("No Preview"));
    return image;
}

// An icon in a colour: the background colour button shows the colour it sets.
QIcon swatchIcon(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(colour);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    return QIcon(pixmap);
}

} // namespace

EditorWindow::EditorWindow(UserMessages& messages, FileDialogs& dialogs, HelpViewer& help,
                           const QString& guideFile, QWidget* parent)
    : QMainWindow(parent), messages_(messages), dialogs_(dialogs), help_(help), guideFile_(guideFile),
      doc_(std::make_unique<ShowDocument>()), previewLoader_(new PreviewLoader({}, this)) {
    setObjectName(QStringLiteral("editorWindow"));
    setWindowTitle(QStringLiteral("Orvanne - Untitled"));
    setAcceptDrops(true);
    connect(previewLoader_, &PreviewLoader::loaded, this, &EditorWindow::previewLoaded);

    buildMenus();

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    auto* left = new QVBoxLayout;
    buildPreview(central);
    left->addWidget(previewTitle_, 0, Qt::AlignHCenter);
    left->addWidget(previewPanel_, 0, Qt::AlignHCenter);
    left->addWidget(buildOptions(central));
    left->addStretch();
    left->addWidget(beginShowButton_);
    columns->addLayout(left);
    columns->addWidget(buildBrowser(central), 1);
    setCentralWidget(central);

    statusBar()->setObjectName(QStringLiteral("statusBar"));
    const char* initial[3] = {"Slides:", "Tracks:", "Duration:"};
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(QLatin1String(initial[i]), this);
        statusPanels_[i]->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        // The duration takes the room that is left, so that it is always read whole.
        if (i < 2)
            statusPanels_[i]->setFixedWidth(110);
        else
            statusPanels_[i]->setMinimumWidth(50);
        statusBar()->addWidget(statusPanels_[i], i == 2 ? 1 : 0);
    }

    resize(960, 660);
    noPreviewPicture_ = drawNoPreview(palette().color(QPalette::Button), palette().color(QPalette::Mid));

    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    showFolder(QFileInfo(pictures).isDir() ? pictures : QDir::homePath());
    // Making a show starts with choosing a folder.
    folderTree_->setFocus();
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::buildMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("fileMenu"));

    optionsMenu_ = menuBar()->addMenu(QStringLiteral("&Options"));
    optionsMenu_->setObjectName(QStringLiteral("optionsMenu"));
    propertiesAction_ = makeAction(this, "propertiesAction", QStringLiteral(" &Properties"));
    viewImageAction_ = makeAction(this, "viewImageAction", QStringLiteral("&View Image"));
    previewAction_ = makeAction(this, "previewAction", QStringLiteral("&Enable Preview Window"), true, true);
    captionsAction_ = makeAction(this, "captionsAction", QStringLiteral("&Show Slide Captions"), true, true);
    transitionsAction_ =
        makeAction(this, "transitionsAction", QStringLiteral("&Transition Effects"), true, true);
    controlButtonsAction_ =
        makeAction(this, "controlButtonsAction", QStringLiteral("&Control Buttons"), true, true);
    statusBarAction_ = makeAction(this, "statusBarAction", QStringLiteral("Stat&us Bar"), true, true);
    backgroundColorAction_ =
        makeAction(this, "backgroundColorAction", QStringLiteral("&Background Color..."));
    optionsMenu_->addActions({propertiesAction_, viewImageAction_});
    optionsMenu_->addSeparator();
    optionsMenu_->addAction(previewAction_);
    optionsMenu_->addSeparator();
    optionsMenu_->addActions({captionsAction_, transitionsAction_, controlButtonsAction_, statusBarAction_});
    optionsMenu_->addSeparator();
    optionsMenu_->addAction(backgroundColorAction_);
    connect(optionsMenu_, &QMenu::aboutToShow, this, &EditorWindow::updateOptionsMenu);
    connect(propertiesAction_, &QAction::triggered, this, &EditorWindow::editSlideProperties);
    connect(viewImageAction_, &QAction::triggered, this, &EditorWindow::viewImage);
    connect(previewAction_, &QAction::toggled, this, &EditorWindow::togglePreview);
    connect(transitionsAction_, &QAction::toggled, this, [this](bool on) {
        // A setting of the show kept with it, though switching it is not a change to save.
        doc_->setSettingsLine(2, on ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    });
    connect(backgroundColorAction_, &QAction::triggered, this, &EditorWindow::chooseBackgroundColour);

    helpMenu_ = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu_->setObjectName(QStringLiteral("helpMenu"));
    guideAction_ = makeAction(this, "guideAction", QStringLiteral("&User's Guide"));
    aboutAction_ = makeAction(this, "aboutAction", QStringLiteral("&About..."));
    helpMenu_->addActions({guideAction_, aboutAction_});
    contextHelpAction_ = makeAction(this, "contextHelpAction", QStringLiteral("Help"));
    contextHelpAction_->setShortcut(QKeySequence::HelpContents);
    contextHelpAction_->setShortcutContext(Qt::WindowShortcut);
    addAction(contextHelpAction_);
    connect(contextHelpAction_, &QAction::triggered, this, &EditorWindow::showContextHelp);
    connect(guideAction_, &QAction::triggered, this, &EditorWindow::showGuide);
    connect(aboutAction_, &QAction::triggered, this, &EditorWindow::showAbout);

    toolBar_ = addToolBar(QStringLiteral("Tools"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(false);
    auto toolButton = [this](const char* name, const QIcon& icon, const QString& hint) {
        auto* button = new QToolButton(toolBar_);
        button->setObjectName(QLatin1String(name));
        button->setIcon(icon);
        button->setToolTip(hint);
        // It shows only its icon: screen readers and UI automation find it by its hint.
        button->setAccessibleName(hint);
        button->setAutoRaise(true);
        toolBar_->addWidget(button);
        return button;
    };
    slidePropertiesButton_ =
        toolButton("slidePropertiesButton", style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                   QStringLiteral("Slide Properties"));
    viewSlideButton_ = toolButton("viewSlideButton", style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                  QStringLiteral("View Slide"));
    backgroundColorButton_ =
        toolButton("backgroundColorButton", swatchIcon(palette().color(QPalette::Button)),
                   QStringLiteral("Background Color"));
    connect(slidePropertiesButton_, &QToolButton::clicked, this, &EditorWindow::editSlideProperties);
    connect(viewSlideButton_, &QToolButton::clicked, this, &EditorWindow::viewImage);
    connect(backgroundColorButton_, &QToolButton::clicked, this, &EditorWindow::chooseBackgroundColour);
}

void EditorWindow::buildPreview(QWidget* parent) {
    previewTitle_ = new QLabel(QStringLiteral("Preview"), parent);
    previewTitle_->setObjectName(QStringLiteral("previewTitle"));
    previewTitle_->setAlignment(Qt::AlignCenter);

    previewPanel_ = new QFrame(parent);
    previewPanel_->setObjectName(QStringLiteral("previewPanel"));
    previewPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    previewPanel_->setFixedSize(202, 187);
    previewPanel_->setAccessibleName(QStringLiteral("Preview"));

    previewImage_ = new PictureWidget(messages_, previewPanel_);
    previewImage_->setObjectName(QStringLiteral("previewImage"));
    previewImage_->setAccessibleName(QStringLiteral("Preview picture"));
    previewImage_->setGeometry(12, 12, 177, 157);
    previewImage_->setStretchRatio(true);
    previewImage_->setCenter(true);
    previewImage_->setColor(palette().color(QPalette::Button));

    // The panel's own caption, for a picture that cannot be read; it lies over the picture's box.
    previewError_ = new QLabel(previewPanel_);
    previewError_->setObjectName(QStringLiteral("previewError"));
    previewError_->setAlignment(Qt::AlignCenter);
    previewError_->setWordWrap(true);
    previewError_->setGeometry(4, 60, 194, 60);
    previewError_->hide();

    previewFileName_ = new QLabel(previewPanel_);
    previewFileName_->setObjectName(QStringLiteral("previewFileName"));
    previewFileName_->setAlignment(Qt::AlignCenter);
    previewFileName_->setGeometry(3, 187 - 19, 196, 16);

    previewDelay_ = new QTimer(this);
    previewDelay_->setObjectName(QStringLiteral("previewDelay"));
    previewDelay_->setSingleShot(true);
    previewDelay_->setInterval(kPreviewDelayMs);
    connect(previewDelay_, &QTimer::timeout, this, &EditorWindow::previewDelayElapsed);
}

QWidget* EditorWindow::buildOptions(QWidget* parent) {
    auto* options = new QGroupBox(QStringLiteral("Slide Show Options"), parent);
    options->setObjectName(QStringLiteral("optionsPanel"));
    auto* layout = new QGridLayout(options);
    auto box = [options](const char* name, const QString& text) {
        auto* check = new QCheckBox(text, options);
        check->setObjectName(QLatin1String(name));
        check->setChecked(true);
        return check;
    };
    fitToWindowBox_ = box("fitToWindowBox", QStringLiteral("Fit Image to &Window"));
    loopBox_ = box("loopBox", QStringLiteral("&Loop Slide Show"));
    autoAdvanceBox_ = box("autoAdvanceBox", QStringLiteral("&Automatic Advance"));
    delaySlider_ = new QSlider(Qt::Horizontal, options);
    delaySlider_->setObjectName(QStringLiteral("delaySlider"));
    delaySlider_->setRange(3, 90);
    delaySlider_->setValue(10);
    delaySlider_->setTickInterval(10);
    delaySlider_->setTickPosition(QSlider::TicksBelow);
    delaySlider_->setAccessibleName(QStringLiteral("Default delay"));
    delayLabel_ = new QLabel(QStringLiteral(": 10 Sec"), options);
    delayLabel_->setObjectName(QStringLiteral("delayLabel"));
    delayScaleLabel_ =
        new QLabel(QStringLiteral("-") + QString(28, QLatin1Char(' ')) + QStringLiteral("+"), options);
    delayScaleLabel_->setObjectName(QStringLiteral("delayScaleLabel"));
    delayScaleLabel_->setAccessibleName(QStringLiteral("Slower, faster"));
    musicBox_ = box("musicBox", QStringLiteral("&Enable Music Tracks"));
    selectTracksButton_ = new QPushButton(QStringLiteral("Select Audio &Tracks"), options);
    selectTracksButton_->setObjectName(QStringLiteral("selectTracksButton"));
    layout->addWidget(fitToWindowBox_, 0, 0, 1, 2);
    layout->addWidget(loopBox_, 1, 0, 1, 2);
    layout->addWidget(autoAdvanceBox_, 2, 0, 1, 2);
    layout->addWidget(delaySlider_, 3, 0);
    layout->addWidget(delayLabel_, 3, 1);
    layout->addWidget(delayScaleLabel_, 4, 0);
    layout->addWidget(musicBox_, 5, 0, 1, 2);
    layout->addWidget(selectTracksButton_, 6, 0, 1, 2);

    beginShowButton_ = new QPushButton(QStringLiteral("&Begin Show"), parent);
    beginShowButton_->setObjectName(QStringLiteral("beginShowButton"));
    beginShowButton_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));

    // Handlers on the change itself, so that a change made by the program (an open, the show's
    // pause) has the same consequences as the user's click.
    connect(fitToWindowBox_, &QCheckBox::toggled, this, &EditorWindow::markModified);
    connect(loopBox_, &QCheckBox::toggled, this, [this] {
        markModified();
        updateStatus();
    });
    connect(autoAdvanceBox_, &QCheckBox::toggled, this, &EditorWindow::autoAdvanceToggled);
    connect(delaySlider_, &QSlider::valueChanged, this, &EditorWindow::delayChanged);
    connect(musicBox_, &QCheckBox::toggled, this, &EditorWindow::markModified);
    connect(selectTracksButton_, &QPushButton::clicked, this, &EditorWindow::selectAudioTracks);
    connect(beginShowButton_, &QPushButton::clicked, this, &EditorWindow::beginShow);
    return options;
}

QWidget* EditorWindow::buildBrowser(QWidget* parent) {
    revealTimer_ = new QTimer(this);
    revealTimer_->setSingleShot(true);
    revealTimer_->setInterval(30);
    connect(revealTimer_, &QTimer::timeout, this, &EditorWindow::revealCurrentFolder);
    auto* browser = new QSplitter(Qt::Vertical, parent);
    browser->setObjectName(QStringLiteral("browser"));
    browser->setChildrenCollapsible(false);

    auto* top = new QSplitter(Qt::Horizontal, browser);
    auto* treeSide = new QWidget(top);
    auto* treeLayout = new QVBoxLayout(treeSide);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    auto* treeLabel = new QLabel(QStringLiteral("Directory"), treeSide);
    placesBox_ = new QComboBox(treeSide);
    placesBox_->setObjectName(QStringLiteral("placesBox"));
    placesBox_->setAccessibleName(QStringLiteral("Places"));
    auto addPlace = [this](const QString& name, const QString& path) {
        if (!path.isEmpty() && QFileInfo(path).isDir() && placesBox_->findData(path) < 0)
            placesBox_->addItem(name, path);
    };
    addPlace(QStringLiteral("Home"), QDir::homePath());
    addPlace(QStringLiteral("Pictures"), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    addPlace(QStringLiteral("Computer (/)"), QStringLiteral("/"));
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Disks and media a person keeps pictures on, not the system's own file systems.
        const QByteArray type = volume.fileSystemType();
        if (!volume.isValid() || !volume.isReady() || volume.rootPath() == QLatin1String("/") ||
            type == "tmpfs" || type == "devtmpfs" || type == "overlay" || type == "squashfs" ||
            volume.rootPath().startsWith(QLatin1String("/proc")) ||
            volume.rootPath().startsWith(QLatin1String("/sys")) ||
            volume.rootPath().startsWith(QLatin1String("/run")) ||
            volume.rootPath().startsWith(QLatin1String("/boot")) ||
            volume.rootPath().startsWith(QLatin1String("/dev")))
            continue;
        addPlace(volume.displayName().isEmpty() ? volume.rootPath() : volume.displayName(),
                 volume.rootPath());
    }
    connect(placesBox_, &QComboBox::activated, this,
            [this](int index) { showFolder(placesBox_->itemData(index).toString()); });
    folderTree_ = new QTreeView(treeSide);
    folderTree_->setObjectName(QStringLiteral("folderTree"));
    folderTree_->setAccessibleName(QStringLiteral("Directory"));
    folderTree_->setHeaderHidden(true);
    folderTree_->setContextMenuPolicy(Qt::CustomContextMenu);
    treeLabel->setBuddy(folderTree_);
    treeLayout->addWidget(treeLabel);
    treeLayout->addWidget(placesBox_);
    treeLayout->addWidget(folderTree_);
    folderModel_ = nullptr;
    refreshFolders();
    folderTreeMenu_ = new QMenu(this);
    folderTreeMenu_->setObjectName(QStringLiteral("folderTreeMenu"));
    refreshAction_ = makeAction(this, "refreshAction", QStringLiteral("&Refresh"));
    folderTreeMenu_->addAction(refreshAction_);
    connect(refreshAction_, &QAction::triggered, this, &EditorWindow::refreshFolders);
    connect(folderTree_, &QTreeView::customContextMenuRequested, this,
            [this](const QPoint& at) { folderTreeMenu_->popup(folderTree_->viewport()->mapToGlobal(at)); });
    connect(folderTree_, &QTreeView::doubleClicked, this, &EditorWindow::refreshFolders);

    auto* sourceSide = new QWidget(top);
    auto* sourceLayout = new QVBoxLayout(sourceSide);
    sourceLayout->setContentsMargins(0, 0, 0, 0);
    auto* sourceLabel = new QLabel(QStringLiteral("Source Images"), sourceSide);
    sourceList_ = new EditorList(sourceSide);
    sourceList_->setObjectName(QStringLiteral("sourceList"));
    sourceList_->setAccessibleName(QStringLiteral("Source Images"));
    sourceList_->setDragEnabled(true);
    sourceList_->setDragDropMode(QAbstractItemView::DragOnly);
    // Something dropped back on the list is taken and nothing comes of it.
    sourceList_->setAcceptDrops(true);
    sourceList_->setAcceptsDrops(true);
    sourceList_->setContextMenuPolicy(Qt::CustomContextMenu);
    sourceLabel->setBuddy(sourceList_);
    sourceLayout->addWidget(sourceLabel);
    sourceLayout->addWidget(sourceList_);
    sourceMenu_ = new QMenu(this);
    sourceMenu_->setObjectName(QStringLiteral("sourceMenu"));
    selectAllSourcesAction_ = makeAction(this, "selectAllSourcesAction", QStringLiteral("&Select All"));
    addToSlidesAction_ = makeAction(this, "addToSlidesAction", QStringLiteral("&Add to Slides"));
    sourceMenu_->addActions({selectAllSourcesAction_, addToSlidesAction_});
    connect(sourceMenu_, &QMenu::aboutToShow, this, [this] {
        selectAllSourcesAction_->setEnabled(sourceList_->count() > 0);
        addToSlidesAction_->setEnabled(!sourceList_->selectedItems().isEmpty());
    });
    connect(selectAllSourcesAction_, &QAction::triggered, sourceList_, &QListWidget::selectAll);
    connect(addToSlidesAction_, &QAction::triggered, this, &EditorWindow::addSelectedSources);
    connect(sourceList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { sourceMenu_->popup(sourceList_->viewport()->mapToGlobal(at)); });
    connect(sourceList_, &EditorList::userMovedCurrent, this, &EditorWindow::sourceClicked);
    connect(sourceList_, &EditorList::doubleClicked, this, &EditorWindow::addCurrentSource);
    connect(sourceList_, &EditorList::commandKey, this, &EditorWindow::sourceKey);
    connect(sourceList_, &EditorList::focusEntered, this, [this] { slideList_->clearSelection(); });
    top->addWidget(treeSide);
    top->addWidget(sourceSide);

    auto* slidesSide = new QWidget(browser);
    auto* slidesLayout = new QVBoxLayout(slidesSide);
    slidesLayout->setContentsMargins(0, 0, 0, 0);
    slidesHeader_ = new DropAcceptingLabel(QStringLiteral("Selected Slides"), slidesSide);
    slidesHeader_->setObjectName(QStringLiteral("slidesHeader"));
    slidesHeader_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    slidesHeader_->setAlignment(Qt::AlignCenter);
    slideList_ = new EditorList(slidesSide);
    slideList_->setObjectName(QStringLiteral("slideList"));
    slideList_->setAccessibleName(QStringLiteral("Selected Slides"));
    slideList_->setColumnCount(2);
    slideList_->setAcceptDrops(true);
    slideList_->setAcceptsDrops(true);
    slideList_->setDragDropMode(QAbstractItemView::DropOnly);
    slideList_->setContextMenuPolicy(Qt::CustomContextMenu);
    slidesHeader_->setBuddy(slideList_);
    slidesLayout->addWidget(slidesHeader_);
    slidesLayout->addWidget(slideList_);
    slideMenu_ = new QMenu(this);
    slideMenu_->setObjectName(QStringLiteral("slideMenu"));
    selectAllSlidesAction_ = makeAction(this, "selectAllSlidesAction", QStringLiteral("&Select All"));
    removeAction_ = makeAction(this, "removeAction", QStringLiteral("&Remove"));
    slideMenu_->addActions({selectAllSlidesAction_, removeAction_});
    connect(slideMenu_, &QMenu::aboutToShow, this, [this] {
        selectAllSlidesAction_->setEnabled(slideList_->count() > 0);
        removeAction_->setEnabled(!slideList_->selectedItems().isEmpty());
    });
    connect(selectAllSlidesAction_, &QAction::triggered, slideList_, &QListWidget::selectAll);
    connect(removeAction_, &QAction::triggered, this, &EditorWindow::removeSelectedSlides);
    connect(slideList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { slideMenu_->popup(slideList_->viewport()->mapToGlobal(at)); });
    connect(slideList_, &EditorList::userMovedCurrent, this, &EditorWindow::slideClicked);
    connect(slideList_, &EditorList::commandKey, this, &EditorWindow::slideKey);
    connect(slideList_, &EditorList::focusEntered, this, [this] { sourceList_->clearSelection(); });
    connect(slideList_, &EditorList::dropped, this, &EditorWindow::dropOnSlides);

    browser->addWidget(top);
    browser->addWidget(slidesSide);
    browser->setStretchFactor(0, 1);
    browser->setStretchFactor(1, 1);

    sourceWatcher_ = new QFileSystemWatcher(this);
    connect(sourceWatcher_, &QFileSystemWatcher::directoryChanged, this, [this] { rereadSources(); });
    return browser;
}

// ---- the folder tree and the source list ------------------------------------------------------

void EditorWindow::refreshFolders() {
    const QString keep = folder_;
    QFileSystemModel* old = folderModel_;
    folderModel_ = new QFileSystemModel(this);
    folderModel_->setObjectName(QStringLiteral("folderModel"));
    folderModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    folderModel_->setReadOnly(true);
    folderModel_->setRootPath(QStringLiteral("/"));
    folderTree_->setModel(folderModel_);
    for (int column = 1; column < folderModel_->columnCount(); ++column)
        folderTree_->hideColumn(column);
    connect(folderTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { folderChanged(folderModel_->filePath(index)); });
    // Folders are read in the background: as the current folder's parents arrive, bring it into
    // view, until it is there.
    connect(folderModel_, &QFileSystemModel::directoryLoaded, this, [this] {
        if (revealPending_)
            revealTimer_->start();
    });
    connect(folderModel_, &QFileSystemModel::rowsInserted, this, [this] {
        if (revealPending_)
            revealTimer_->start();
    });
    delete old;
    if (!keep.isEmpty()) {
        // Back on the folder that was selected, without reading its pictures again.
        const QModelIndex index = folderModel_->index(keep);
        const QSignalBlocker quiet(folderTree_->selectionModel());
        folderTree_->setCurrentIndex(index);
        revealPending_ = true;
        revealCurrentFolder();
    }
}

void EditorWindow::revealCurrentFolder() {
    const QModelIndex current = folderTree_->currentIndex();
    if (!current.isValid()) {
        revealPending_ = false;
        return;
    }
    for (QModelIndex parent = current.parent(); parent.isValid(); parent = parent.parent())
        folderTree_->expand(parent);
    folderTree_->scrollTo(current, QAbstractItemView::PositionAtCenter);
    if (folderTree_->isVisible() &&
        folderTree_->viewport()->rect().contains(folderTree_->visualRect(current)))
        revealPending_ = false;
}

void EditorWindow::showFolder(const QString& path) {
    const QModelIndex index = folderModel_->index(QDir::cleanPath(path));
    if (!index.isValid())
        return;
    if (index == folderTree_->currentIndex()) {
        folderChanged(folderModel_->filePath(index));
    } else {
        folderTree_->setCurrentIndex(index);
    }
    revealPending_ = true;
    revealCurrentFolder();
    const int place = placesBox_->findData(QDir::cleanPath(path));
    if (place >= 0)
        placesBox_->setCurrentIndex(place);
}

void EditorWindow::folderChanged(const QString& path) {
    if (!sourceWatcher_->directories().isEmpty())
        sourceWatcher_->removePaths(sourceWatcher_->directories());
    folder_ = path;
    if (!folder_.isEmpty())
        sourceWatcher_->addPath(folder_);
    sourceList_->clear();
    fillSources({});
    // Choosing a folder moves the user's attention to its pictures: no slide stays selected. The
    // keyboard focus stays in the tree, so that the arrow keys keep walking the folders.
    slideList_->clearSelection();
    updateButtons();
    if (sourceList_->count() == 0) {
        if (slideList_->count() == 0) {
            clearPreview();
        } else {
            slideList_->setCurrentRow(0);
            showPreview(doc_->slide(0).imagePath, 0);
        }
        return;
    }
    sourceList_->setCurrentRow(0);
    const QString file = currentFile();
    if (QFileInfo(file).isFile())
        showPreview(file, -1);
}

void EditorWindow::fillSources(const QStringList& keepSelected) {
    const QStringList names = SourceImages::list(folder_);
    const QSignalBlocker quiet(sourceList_);
    sourceList_->clear();
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name, sourceList_);
        item->setData(Qt::UserRole, joinPath(folder_, name));
        if (keepSelected.contains(name))
            item->setSelected(true);
    }
}

void EditorWindow::rereadSources() {
    QStringList selected;
    for (const QListWidgetItem* item : sourceList_->selectedItems())
        selected << item->text();
    const QString current = sourceList_->currentItem() ? sourceList_->currentItem()->text() : QString();
    fillSources(selected);
    const QList<QListWidgetItem*> found = sourceList_->findItems(current, Qt::MatchExactly);
    if (!found.isEmpty())
        sourceList_->setCurrentItem(found.first(), QItemSelectionModel::NoUpdate);
    updateButtons();
}

QString EditorWindow::sourcePath(int row) const {
    const QListWidgetItem* item = sourceList_->item(row);
    return item ? joinPath(folder_, item->text()) : QString();
}

QString EditorWindow::currentFile() const {
    const QListWidgetItem* item = sourceList_->currentItem();
    return item && item->isSelected() ? sourcePath(sourceList_->row(item)) : QString();
}

void EditorWindow::sourceClicked() {
    if (sourceList_->count() == 0)
        return;
    const QString file = currentFile();
    if (QFileInfo(file).isFile() && previewAction_->isChecked()) {
        // The first click fixes the moment: a run of clicks decodes one picture, the one current
        // when the delay runs out.
        if (!previewDelay_->isActive())
            previewDelay_->start();
    } else {
        clearPreview();
    }
    updateButtons();
}

void EditorWindow::previewDelayElapsed() {
    previewDelay_->stop();
    const QString file = currentFile();
    if (QFileInfo(file).isFile())
        showPreview(file, -1);
    else
        clearPreview();
}

void EditorWindow::sourceKey(int key) {
    if (key == Qt::Key_Escape) {
        // The first picture becomes the current one; the selection stays as it is.
        if (QListWidgetItem* first = sourceList_->item(0))
            sourceList_->setCurrentItem(first, QItemSelectionModel::NoUpdate);
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        addCurrentSource();
    }
}

// ---- the slide list ---------------------------------------------------------------------------

void EditorWindow::refreshSlideList() {
    slideList_->clear();
    for (const Slide& slide : doc_->slides())
        slideList_->addItem(fileNamePart(slide.imagePath));
}

int EditorWindow::currentSlideIndex() const {
    return slideList_->currentRow();
}

void EditorWindow::appendSlides(const QStringList& paths) {
    for (const QString& path : paths) {
        slideList_->addItem(fileNamePart(path));
        doc_->addSlide(path, QString(), QString(), 0);
    }
}

void EditorWindow::addSelectedSources() {
    QStringList paths;
    for (int row = 0; row < sourceList_->count(); ++row)
        if (sourceList_->item(row)->isSelected())
            paths << sourcePath(row);
    appendSlides(paths);
    updateStatus();
    updateButtons();
    markModified();
}

void EditorWindow::addCurrentSource() {
    if (sourceList_->currentRow() >= 0)
        appendSlides({sourcePath(sourceList_->currentRow())});
    updateStatus();
    updateButtons();
    markModified();
}

void EditorWindow::dropOnSlides(const QMimeData* mime, QObject* source) {
    if (source == sourceList_) {
        addSelectedSources();
        return;
    }
    // Pictures dragged from a file manager; anything else dropped here is not a slide.
    QStringList paths;
    for (const QUrl& url : mime ? mime->urls() : QList<QUrl>()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && QFileInfo(path).isFile() && SourceImages::isImageName(fileNamePart(path)))
            paths << path;
    }
    if (paths.isEmpty())
        return;
    appendSlides(paths);
    updateStatus();
    updateButtons();
    markModified();
}

void EditorWindow::slideClicked() {
    if (slideList_->count() == 0)
        return;
    const int i = slideList_->currentRow();
    if (previewAction_->isChecked()) {
        showPreview(doc_->slide(i).imagePath, i);
    } else {
        clearPreview();
        updateButtons();
    }
}

void EditorWindow::slideKey(int key) {
    if (key == Qt::Key_Delete)
        removeSlides(false);
}

void EditorWindow::removeSelectedSlides() {
    removeSlides(true);
}

void EditorWindow::removeSlides(bool refreshPreviewAfter) {
    QList<int> rows;
    for (const QListWidgetItem* item : slideList_->selectedItems())
        rows << slideList_->row(item);
    if (rows.isEmpty())
        return;
    markModified();
    // By index, the last first: the list and the document stay in step whatever the names are.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows)
        delete slideList_->takeItem(row);
    doc_->removeSlides(rows);
    updateStatus();
    updateButtons();
    if (!refreshPreviewAfter)
        return;
    if (slideList_->count() > 0 && previewAction_->isChecked()) {
        const int i = std::max(0, slideList_->currentRow());
        showPreview(doc_->slide(i).imagePath, i);
    } else if (sourceList_->count() > 0 && previewAction_->isChecked()) {
        sourceList_->setFocus();
        sourceList_->setCurrentRow(0);
        showPreview(sourcePath(0), -1);
    } else {
        clearPreview();
    }
}

void EditorWindow::selectFirstSlide() {
    if (slideList_->count() == 0)
        return;
    // Only one list holds a selection at a time, whether or not the window has the focus.
    sourceList_->clearSelection();
    slideList_->setCurrentRow(0);
    slideList_->item(0)->setSelected(true);
    slideList_->setFocus();
}

void EditorWindow::setUnpacking(ShowUnpack* files) {
    if (files_)
        disconnect(files_, nullptr, this, nullptr);
    files_ = files;
    previewWaitsFor_.clear();
    viewWaitsFor_.clear();
    if (files) {
        connect(files, &ShowUnpack::arrived, this, &EditorWindow::fileArrived);
        connect(files, &ShowUnpack::lost, this, &EditorWindow::fileArrived);
        connect(files, &ShowUnpack::finished, this, &EditorWindow::updateButtons);
    }
    updateButtons();
}

bool EditorWindow::filesArriving() const {
    return files_ && !files_->isFinished();
}

void EditorWindow::fileArrived(const QString& path) {
    if (!previewWaitsFor_.isEmpty() && path == previewWaitsFor_)
        showPreview(QString(path), previewWaitIndex_); // a copy: the preview forgets what it waited for
    if (!viewWaitsFor_.isEmpty() && path == viewWaitsFor_) {
        const QString caption = viewWaitCaption_;
        viewWaitsFor_.clear();
        emit viewImageRequested(path, caption);
    }
}

void EditorWindow::updateButtons() {
    const bool slides = doc_->slideCount() > 0;
    slidePropertiesButton_->setEnabled(slides);
    // A show needs its files; until they are unpacked it cannot begin.
    beginShowButton_->setEnabled(slides && !filesArriving());
    viewSlideButton_->setEnabled(slideList_->count() > 0 || sourceList_->count() > 0);
}

// ---- the preview ------------------------------------------------------------------------------

void EditorWindow::showPreview(const QString& imagePath, int index) {
    if (!previewAction_->isChecked()) {
        clearPreview();
        return;
    }
    previewTitle_->setText(index < 0 ? QStringLiteral("Preview")
                                     : QStringLiteral("Preview: Slide #") + QString::number(index + 1));
    previewError_->clear();
    previewError_->hide();
    previewFileName_->setText(fileNamePart(imagePath));
    previewImage_->resize(kPreviewBox);
    previewImage_->clearPicture();
    previewWaitsFor_.clear();
    if (files_ && files_->pending(imagePath)) {
        // The picture is still in the show file: it comes next, and is previewed when it is here.
        previewLoader_->cancel();
        previewWaitsFor_ = imagePath;
        previewWaitIndex_ = index;
        files_->hurry(imagePath);
        previewError_->setText(QStringLiteral("Loading..."));
        previewError_->show();
        return;
    }
    previewLoader_->load(imagePath, kPreviewBox * devicePixelRatio());
}

void EditorWindow::previewLoaded(const QString& path, const DecodeResult& result) {
    if (result.reportedByCaller || (result.picture.isEmpty() && !result.failed())) {
        // A damaged metafile or icon, or a file that is gone: say so on the panel.
        previewImage_->clearPicture();
        previewError_->setText(QStringLiteral("Cannot read: ") + fileNamePart(path));
        previewError_->show();
        return;
    }
    if (result.failed()) {
        messages_.error(result.errorText);
        if (!result.failedMessage.isEmpty())
            messages_.information(result.failedMessage);
        previewImage_->clearPicture();
        return;
    }
    previewImage_->setPicture(result.picture);
}

void EditorWindow::clearPreview() {
    previewLoader_->cancel();
    previewWaitsFor_.clear();
    previewImage_->setGeometry(18, 18, 167, 141);
    previewImage_->setImage(noPreviewPicture_);
    previewError_->clear();
    previewError_->hide();
    previewTitle_->setText(QStringLiteral("No Preview"));
    previewFileName_->clear();
}

void EditorWindow::togglePreview(bool on) {
    if (slideList_->count() > 0 && slideList_->currentRow() < 0)
        slideList_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    if (slideList_->count() > 0 && on) {
        const int i = slideList_->currentRow();
        previewFileName_->clear();
        slideList_->item(i)->setSelected(true);
        slideList_->setFocus();
        showPreview(doc_->slide(i).imagePath, i);
        return;
    }
    if (!on || sourceList_->count() == 0) {
        clearPreview();
        return;
    }
    previewFileName_->clear();
    sourceList_->setFocus();
    if (sourceList_->currentRow() < 0)
        sourceList_->setCurrentRow(0);
    else
        sourceList_->currentItem()->setSelected(true);
    showPreview(currentFile(), -1);
}

void EditorWindow::viewImage() {
    if (slideList_->count() == 0 && sourceList_->count() == 0) {
        messages_.plain(QStringLiteral("There are no slides selected."));
        return;
    }
    if (!slideList_->selectedItems().isEmpty()) {
        // The slide the user is on, by its place in the show: several slides may share a name.
        const int i = slideList_->currentRow();
        const Slide slide = doc_->slide(i);
        if (i >= 0 && QFileInfo(slide.imagePath).isFile())
            showImage(slide.imagePath, slide.caption);
        return;
    }
    if (!sourceList_->selectedItems().isEmpty()) {
        const QString file = currentFile();
        if (QFileInfo(file).isFile())
            showImage(file, QStringLiteral("None"));
    }
}

// ---- options and status -----------------------------------------------------------------------

void EditorWindow::markModified() {
    doc_->setModified(true);
}

void EditorWindow::delayChanged(int seconds) {
    markModified();
    delayLabel_->setText(QStringLiteral(": ") + QString::number(seconds) + QStringLiteral(" Sec"));
    updateStatus();
}

void EditorWindow::autoAdvanceToggled(bool on) {
    markModified();
    delaySlider_->setVisible(on);
    delayLabel_->setVisible(on);
    delayScaleLabel_->setVisible(on);
    updateStatus();
}

void EditorWindow::updateOptionsMenu() {
    propertiesAction_->setEnabled(doc_->slideCount() >= 2);
    viewImageAction_->setEnabled(!slideList_->selectedItems().isEmpty() ||
                                 !sourceList_->selectedItems().isEmpty());
}

void EditorWindow::chooseBackgroundColour() {
    const std::optional<quint32> stored = ColorRef::parse(doc_->settingsLine(1));
    const QColor initial = ColorRef::toColor(stored.value_or(ColorRef::kButtonFace), palette());
    // Whatever the dialog gives back, a cancelled one included, is stored, and the show counts as
    // changed.
    const QColor chosen = dialogs_.chooseColour(initial);
    doc_->setSettingsLine(1, QString::number(static_cast<qint32>(ColorRef::fromColor(chosen))));
    backgroundColorButton_->setIcon(swatchIcon(chosen));
    markModified();
}

void EditorWindow::setPanel(int panel, const QString& text) {
    statusPanels_[panel]->setText(text);
}

void EditorWindow::updateStatus() {
    QString bad;
    const std::optional<int> seconds =
        ShowSummary::estimatedSeconds(doc_->timings(), delaySlider_->value(), &bad);
    if (!seconds) {
        messages_.error(QLatin1Char('\'') + bad + QStringLiteral("' is not a valid integer value"));
        return;
    }
    setPanel(0, QStringLiteral("Slides: ") + QString::number(doc_->slideCount()));
    setPanel(1, QStringLiteral("Tracks: ") + QString::number(doc_->musicTracks().size()));
    setPanel(2, ShowSummary::durationText(*seconds, autoAdvanceBox_->isChecked(), loopBox_->isChecked()));
}

ShowSettings EditorWindow::settings() const {
    return ShowSettings{delaySlider_->value(), musicBox_->isChecked(), fitToWindowBox_->isChecked(),
                        autoAdvanceBox_->isChecked(), loopBox_->isChecked()};
}

void EditorWindow::setSettings(const ShowSettings& s) {
    delaySlider_->setValue(s.delay); // the slider keeps it within 3 to 90
    musicBox_->setChecked(s.musicEnabled);
    fitToWindowBox_->setChecked(s.fitToWindow);
    autoAdvanceBox_->setChecked(s.autoAdvance);
    loopBox_->setChecked(s.loop);
}

void EditorWindow::applyTransitionSetting() {
    transitionsAction_->setChecked(doc_->transitionSetting());
}

void EditorWindow::showGuide() {
    if (!help_.showTopic(guideFile_, QStringLiteral("INTRO")))
        messages_.error(QStringLiteral("Unable to open ") + fileNamePart(guideFile_) + QStringLiteral("."));
}

void EditorWindow::showContextHelp() {
    // The guide's part for what has the focus: the lists and the tree, the tracks button, the
    // options, or the window as a whole.
    int context = 200;
    const QWidget* focus = QApplication::focusWidget();
    auto within = [focus](const QWidget* area) {
        return focus && area && (focus == area || area->isAncestorOf(focus));
    };
    if (within(folderTree_) || within(sourceList_) || within(slideList_) || within(placesBox_))
        context = 220;
    else if (within(selectTracksButton_))
        context = 230;
    else if (within(findChild<QWidget*>(QStringLiteral("optionsPanel"))))
        context = 240;
    showHelp(context);
}

void EditorWindow::showHelp(int context) {
    if (!help_.showContext(guideFile_, context))
        messages_.error(QStringLiteral("Unable to open ") + fileNamePart(guideFile_) + QStringLiteral("."));
}

// ---- the show window's host -------------------------------------------------------------------

int EditorWindow::defaultDelaySeconds() const {
    return delaySlider_->value();
}

bool EditorWindow::musicEnabled() const {
    return musicBox_->isChecked();
}

bool EditorWindow::fitToWindow() const {
    return fitToWindowBox_->isChecked();
}

bool EditorWindow::autoAdvance() const {
    return autoAdvanceBox_->isChecked();
}

bool EditorWindow::loop() const {
    return loopBox_->isChecked();
}

bool EditorWindow::transitionEffects() const {
    return transitionsAction_->isChecked();
}

bool EditorWindow::showCaptions() const {
    return captionsAction_->isChecked();
}

bool EditorWindow::statusBarVisible() const {
    return statusBarAction_->isChecked();
}

bool EditorWindow::controlButtonsVisible() const {
    return controlButtonsAction_->isChecked();
}

void EditorWindow::setMusicEnabled(bool on) {
    musicBox_->setChecked(on);
}

void EditorWindow::setAutoAdvance(bool on) {
    autoAdvanceBox_->setChecked(on);
}

void EditorWindow::setShowCaptions(bool on) {
    captionsAction_->setChecked(on);
}

void EditorWindow::showEditor() {
    // Back from a show: the lists and the preview stay as the show left them.
    returningFromShow_ = true;
    show();
    returningFromShow_ = false;
}

void EditorWindow::hideEditor() {
    hide();
}

void EditorWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous() || returningFromShow_)
        return;
    if (revealPending_)
        revealTimer_->start();
    refreshSlideList();
    previewFirstSource();
    updateStatus();
    updateButtons();
}

void EditorWindow::previewFirstSource() {
    if (sourceList_->count() > 0 && previewAction_->isChecked())
        showPreview(sourcePath(0), -1);
    else
        clearPreview();
}

bool EditorWindow::previewEnabled() const {
    return previewAction_->isChecked();
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    folderTree_->collapseAll();
    QMainWindow::closeEvent(event);
}

void EditorWindow::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void EditorWindow::dropEvent(QDropEvent* event) {
    // The first file dropped is opened as a show, whatever its name says; the opening judges it.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            emit fileDropped(url.toLocalFile());
            return;
        }
    }
}

// ---- commands carried out by other windows ----------------------------------------------------

void EditorWindow::editSlideProperties() {
    emit slidePropertiesRequested();
}

void EditorWindow::beginShow() {
    if (filesArriving())
        return;
    emit beginShowRequested();
}

void EditorWindow::selectAudioTracks() {
    emit trackSelectionRequested();
}

void EditorWindow::showImage(const QString& path, const QString& caption) {
    viewWaitsFor_.clear();
    if (files_ && files_->pending(path)) {
        // Viewed as soon as it is unpacked, which it is next.
        viewWaitsFor_ = path;
        viewWaitCaption_ = caption;
        files_->hurry(path);
        return;
    }
    emit viewImageRequested(path, caption);
}

void EditorWindow::showAbout() {
    emit aboutRequested();
}
