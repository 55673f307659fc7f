#include "EditorSession.h"

#include "AboutBox.h"
#include "AppFolders.h"
#include "EditorWindow.h"
#include "ImageViewerWindow.h"
#include "MusicAdvisoryDialog.h"
#include "PrintPreviewWindow.h"
#include "ProgressWindow.h"
#include "RecentFiles.h"
#include "ShowDocument.h"
#include "ShowFileCommands.h"
#include "ShowFiles.h"
#include "ShowLauncher.h"
#include "ShowWindow.h"
#include "SlidePropertiesDialog.h"
#include "SystemPrinterDevice.h"
#include "TrackSelectionDialog.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSettings>
#include <QTimer>

namespace {
const QString kGeometryKey = QStringLiteral("editor/geometry");
const QString kViewerGeometryKey = QStringLiteral("viewer/geometry");
} // namespace

EditorSession::EditorSession(const EditorServices& services, const QString& workFolder,
                             const QString& guideFile)
    : services_(services),
      folders_(services.musicFolder.isEmpty() ? AppFolders::standardMusicFolder() : services.musicFolder),
      recent_(std::make_unique<RecentFiles>(services.settings)) {
    recent_->load();
    // The windows, in the order the program has always made them; only the editor is shown.
    editor_ = std::make_unique<EditorWindow>(services.messages, services.dialogs, services.help, guideFile);
    slideProperties_ = std::make_unique<SlidePropertiesDialog>(
        editor_->document(), services.messages, services.dialogs, services.engine, editor_.get());
    musicAdvisory_ = std::make_unique<MusicAdvisoryDialog>(editor_.get());
    trackSelection_ = std::make_unique<TrackSelectionDialog>(
        editor_->document(), folders_, services.messages, services.files, services.engine,
        [this] { editor_->updateStatus(); }, editor_.get());
    show_ = std::make_unique<ShowWindow>(*editor_, services.engine);
    {
        // The viewer and its print preview; the viewer holds the preview, so the preview is
        // made first.
        if (!services.printer)
            systemPrinter_ = std::make_unique<SystemPrinterDevice>();
        PrinterDevice& printer = services.printer ? *services.printer : *systemPrinter_;
        printPreview_ =
            std::make_unique<PrintPreviewWindow>(services.messages, printer, services.dialogs, editor_.get());
        viewer_ = std::make_unique<ImageViewerWindow>(services.messages, *printPreview_, editor_.get());
        const auto help = [this](int context) { editor_->showHelp(context); };
        printPreview_->setHelp(help);
        viewer_->setHelp(help);
        connect(editor_.get(), &EditorWindow::viewImageRequested, viewer_.get(),
                &ImageViewerWindow::showImage);
        // The viewer opens where, and as large as, the user left it.
        const QByteArray viewerGeometry = services.settings.value(kViewerGeometryKey).toByteArray();
        if (!viewerGeometry.isEmpty())
            viewer_->restoreGeometry(viewerGeometry);
    }
    progress_ = std::make_unique<ProgressWindow>();
    editor_->setShowWindow(show_.get());
    musicAdvisory_->setSelectTracks([this] { editor_->selectAudioTracks(); });
    trackSelection_->setHelp([this](int context) { editor_->showHelp(context); });
    launcher_ = std::make_unique<ShowLauncher>(*editor_, *show_, *musicAdvisory_);
    commands_ = new ShowFileCommands(*editor_, services.dialogs,
                                     ShowFileServices{services.messages, *progress_, services.disk}, *recent_,
                                     workFolder, this);

    connect(commands_, &ShowFileCommands::titlesChanged, show_.get(),
            [this](const QString&, const QString& showTitle) { show_->setWindowTitle(showTitle); });
    connect(editor_.get(), &EditorWindow::beginShowRequested, this, [this] { launcher_->beginShow(); });
    connect(editor_.get(), &EditorWindow::slidePropertiesRequested, this,
            &EditorSession::editSlideProperties);
    connect(editor_.get(), &EditorWindow::trackSelectionRequested, this,
            [this] { trackSelection_->chooseTracks(); });
    connect(editor_.get(), &EditorWindow::aboutRequested, this, [this] {
        // A new box for each use; it goes when it closes.
        auto* box = new AboutBox(AboutBox::Mode::About, editor_.get());
        box->open();
    });
    connect(editor_.get(), &EditorWindow::fileDropped, this,
            [this](const QString& path) { commands_->open(path); });
    editor_->setCloseGuard([this] { return commands_->confirmClose(); });
    // The desktop session ending asks the same questions; No keeps it from ending.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (!editor_->isVisible())
            return;
        if (manager.allowsInteraction()) {
            const bool ok = commands_->confirmClose();
            manager.release();
            if (!ok)
                manager.cancel();
        }
    });

    editor_->restoreGeometry(services.settings.value(kGeometryKey).toByteArray());
}

EditorSession::~EditorSession() {
    services_.settings.setValue(kGeometryKey, editor_->saveGeometry());
    services_.settings.setValue(kViewerGeometryKey, viewer_->saveGeometry());
    // The show window reads the editor while it exists: it goes first.
    show_.reset();
}

void EditorSession::editSlideProperties() {
    if (editor_->document().slideCount() == 0)
        return;
    // Sounds for slides are picked from the music library first.
    slideProperties_->edit(editor_->currentSlideIndex(), editor_->defaultDelaySeconds(),
                           folders_.audioImportFolder(), folders_.musicFolder());
    // Positions may have changed.
    editor_->document().setModified(true);
    editor_->refreshSlideList();
    editor_->updateStatus();
}

void EditorSession::start(const QString& argument) {
    editor_->show();
    // Once the window is on screen: the splash, then the show named on the command line.
    const QString path = argument.isEmpty() ? QString() : QFileInfo(argument).absoluteFilePath();
    QTimer::singleShot(0, this, [this, path] {
        services_.splash(editor_.get(), [this, path] {
            editor_->document().setModified(false);
            if (!path.isEmpty())
                commands_->open(path);
            emit started();
        });
    });
}

void EditorSession::showSplash(QWidget* parent, std::function<void()> done) {
    auto* splash = new AboutBox(AboutBox::Mode::Splash, parent);
    QObject::connect(splash, &QDialog::finished, parent, [done = std::move(done)] { done(); });
    splash->open();
}
