#include "ShowFileCommands.h"

#include "BusyCursor.h"

#include "EditorWindow.h"
#include "FileDialogs.h"
#include "PathNames.h"
#include "ProgressReport.h"
#include "RecentFiles.h"
#include "ShowDocument.h"
#include "ShowTexts.h"
#include "ShowUnpack.h"
#include "WorkFolder.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

const QString kFilter = QStringLiteral("combined JPEG file (*.cjf)");
const QString kStillLoading =
    QStringLiteral("The show is still being loaded. Please wait until loading is complete, then save again.");

QAction* makeAction(QObject* owner, const char* name, const QString& text, const QKeySequence& keys = {}) {
    auto* action = new QAction(text, owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    return action;
}

} // namespace

ShowFileCommands::ShowFileCommands(EditorWindow& editor, FileDialogs& dialogs,
                                   const ShowFileServices& services, RecentFiles& recent,
                                   const QString& workFolder, QObject* parent)
    : QObject(parent), editor_(editor), dialogs_(dialogs), services_(services), recent_(recent),
      workFolder_(workFolder) {
    buildMenu();
    rebuildRecentMenu();
    setTitles();
}

ShowFileCommands::~ShowFileCommands() = default;

QString ShowFileCommands::showName(const QString& fileName) {
    QString name = QFileInfo(fileName).fileName();
    if (name.endsWith(QLatin1String(".cjf"), Qt::CaseInsensitive) && name.size() > 4)
        name.chop(4);
    return name;
}

void ShowFileCommands::buildMenu() {
    QMenu* menu = editor_.fileMenu();
    // The actions belong to the editor's window, where its keys act and where they are found.
    newShowAction_ =
        makeAction(&editor_, "newShowAction", QStringLiteral("&Create New Show"), QKeySequence::New);
    openAction_ =
        makeAction(&editor_, "openAction", QStringLiteral("&Open Existing Show"), QKeySequence::Open);
    saveAction_ = makeAction(&editor_, "saveAction", QStringLiteral("&Save Slide Show"), QKeySequence::Save);
    saveAsAction_ = makeAction(&editor_, "saveAsAction", QStringLiteral("Save &As"),
                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    beginShowAction_ = makeAction(&editor_, "beginShowAction", QStringLiteral("&Begin Slide Show"),
                                  QKeySequence(Qt::Key_F5));
    exitAction_ =
        makeAction(&editor_, "exitAction", QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    openAction_->setIcon(editor_.style()->standardIcon(QStyle::SP_DialogOpenButton));
    saveAction_->setIcon(editor_.style()->standardIcon(QStyle::SP_DialogSaveButton));
    menu->addActions({newShowAction_, openAction_, saveAction_, saveAsAction_});
    recentMenu_ = menu->addMenu(QStringLiteral("&Recent Files"));
    recentMenu_->setObjectName(QStringLiteral("recentMenu"));
    menu->addSeparator();
    menu->addAction(beginShowAction_);
    menu->addSeparator();
    menu->addAction(exitAction_);
    connect(menu, &QMenu::aboutToShow, this, [this] {
        recentMenu_->setEnabled(!recent_.entries().isEmpty());
        auto* begin = editor_.findChild<QAbstractButton*>(QStringLiteral("beginShowButton"));
        beginShowAction_->setEnabled(begin && begin->isEnabled());
    });
    connect(newShowAction_, &QAction::triggered, this, [this] { newShow(); });
    connect(openAction_, &QAction::triggered, this, [this] { open(); });
    connect(saveAction_, &QAction::triggered, this, [this] { save(false); });
    connect(saveAsAction_, &QAction::triggered, this, [this] { save(true); });
    if (auto* begin = editor_.findChild<QAbstractButton*>(QStringLiteral("beginShowButton"))) {
        begin->installEventFilter(this);
        beginShowAction_->setEnabled(begin->isEnabled());
    }
    connect(beginShowAction_, &QAction::triggered, this, [this] {
        if (auto* begin = editor_.findChild<QAbstractButton*>(QStringLiteral("beginShowButton")))
            begin->click();
    });
    connect(exitAction_, &QAction::triggered, &editor_, &QWidget::close);

    auto toolButton = [this](const char* name, QAction* action, const QString& hint) {
        auto* button = new QToolButton(editor_.toolBar());
        button->setObjectName(QLatin1String(name));
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setToolTip(hint);
        // It shows only its icon: screen readers and UI automation find it by its hint.
        button->setAccessibleName(hint);
        button->setAutoRaise(true);
        return button;
    };
    openButton_ = toolButton("openButton", openAction_, QStringLiteral("Open Slide Show"));
    saveButton_ = toolButton("saveButton", saveAction_, QStringLiteral("Save Slide Show"));
    QToolBar* bar = editor_.toolBar();
    QAction* first = bar->actions().value(0);
    bar->insertWidget(first, openButton_);
    bar->insertWidget(first, saveButton_);
    bar->insertSeparator(first);
}

void ShowFileCommands::rebuildRecentMenu() {
    recentMenu_->clear();
    for (const QString& path : recent_.entries()) {
        // "&" would mark a shortcut in a menu: doubled, it shows as itself.
        QAction* item = recentMenu_->addAction(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
        connect(item, &QAction::triggered, this, [this, path] { open(path); });
    }
    recentMenu_->setEnabled(!recent_.entries().isEmpty());
}

void ShowFileCommands::setTitles() {
    const QString fileName = editor_.document().fileName();
    const QString name = fileName.isEmpty() ? QStringLiteral("Untitled") : showName(fileName);
    const QString editorTitle = QStringLiteral("Orvanne - ") + name;
    const QString showTitle = QStringLiteral("SlideShow: ") + name;
    editor_.setWindowTitle(editorTitle);
    emit titlesChanged(editorTitle, showTitle);
}

QString ShowFileCommands::startFolder() const {
    const QString fileName = editor_.document().fileName();
    if (!fileName.isEmpty())
        return QFileInfo(fileName).absolutePath();
    if (!lastFolder_.isEmpty() && QFileInfo(lastFolder_).isDir())
        return lastFolder_;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString ShowFileCommands::untitledName() const {
    const QString fileName = editor_.document().fileName();
    return fileName.isEmpty() ? QStringLiteral("Untitled.cjf") : fileNamePart(fileName);
}

ShowFileCommands::SaveOutcome ShowFileCommands::save(bool saveAs) {
    ShowDocument& doc = editor_.document();
    if (doc.slideCount() == 0) {
        services_.messages.warning(ShowFiles::kNoSlidesMessage);
        return SaveOutcome::NoSlides;
    }
    // Saving packs the files in the working folder; one still in the show file would be missing.
    if (unpack_ && !unpack_->isFinished()) {
        services_.messages.warning(kStillLoading);
        return SaveOutcome::Failed;
    }
    QString target = doc.fileName();
    if (target.isEmpty() || saveAs) {
        const QString title = saveAs ? QStringLiteral("Save SlideShow As") : QStringLiteral("Save SlideShow");
        QString start =
            doc.fileName().isEmpty() ? joinPath(startFolder(), QStringLiteral("untitled")) : doc.fileName();
        for (;;) {
            target = dialogs_.saveFile(title, start, kFilter, QStringLiteral("cjf"));
            if (target.isEmpty()) {
                doc.setModified(true);
                return SaveOutcome::Cancelled;
            }
            target = QFileInfo(target).absoluteFilePath();
            if (!QFileInfo::exists(target))
                break;
            const MessageAnswer replace = services_.messages.ask(
                MessageKind::Confirmation, MessageButtons::YesNo,
                QStringLiteral("Overwrite existing file: ") + fileNamePart(target) + QStringLiteral("?"));
            if (replace == MessageAnswer::Yes)
                break;
            start = target;
        }
    }

    ShowFiles::SaveResult result;
    {
        const BusyCursor busy;
        result = ShowFiles::save(doc, editor_.settings(), workFolder_, target, services_);
    }
    if (result != ShowFiles::SaveResult::Saved) {
        // The old file is intact and the show still has its changes.
        doc.setModified(true);
        return SaveOutcome::Failed;
    }
    doc.setFileName(target);
    doc.setModified(false);
    lastFolder_ = QFileInfo(target).absolutePath();
    setTitles();
    recent_.add(target);
    rebuildRecentMenu();
    return SaveOutcome::Saved;
}

MessageAnswer ShowFileCommands::askToSaveChanges() {
    ShowDocument& doc = editor_.document();
    const MessageAnswer answer =
        services_.messages.ask(MessageKind::Confirmation, MessageButtons::YesNoCancel,
                               QStringLiteral("Save Changes to ") + untitledName() + QStringLiteral("?"));
    switch (answer) {
    case MessageAnswer::Yes:
        if (save(false) == SaveOutcome::Failed)
            return MessageAnswer::Cancel;
        return MessageAnswer::Yes;
    case MessageAnswer::No:
        doc.setModified(false);
        return MessageAnswer::No;
    default:
        doc.setModified(true);
        return MessageAnswer::Cancel;
    }
}

bool ShowFileCommands::open(const QString& given) {
    ShowDocument& doc = editor_.document();
    if (doc.isModified() && askToSaveChanges() == MessageAnswer::Cancel)
        return false;
    QString path = given;
    if (path.isEmpty()) {
        path = dialogs_.openFile(QStringLiteral("Open Slideshow"), startFolder(), kFilter, kFilter);
        if (path.isEmpty())
            return false;
    }
    path = QFileInfo(path).absoluteFilePath();

    CombinedContents contents;
    ShowFiles::OpenResult result;
    std::unique_ptr<ShowUnpack> media;
    {
        const BusyCursor busy;
        // The show that is open may still be unpacking into the folder the new one goes to.
        if (unpack_)
            unpack_->stop();
        result = ShowFiles::open(path, doc, workFolder_, services_, &contents, &media);
    }
    // A show that stays open goes on unpacking.
    const auto goOn = [this] {
        if (unpack_ && !unpack_->isFinished())
            unpack_->start();
    };
    switch (result) {
    case ShowFiles::OpenResult::Opened:
        break;
    case ShowFiles::OpenResult::NotFound:
        // A recent file that is gone leaves the list.
        recent_.remove(path);
        rebuildRecentMenu();
        goOn();
        return false;
    case ShowFiles::OpenResult::NoSpace:
        goOn();
        return false;
    case ShowFiles::OpenResult::ReadFailed:
        // What was read is no show: start a new one, without offering to save the half-read lists.
        newShow(false);
        return false;
    }

    startUnpacking(std::move(media), path);
    editor_.setSettings(contents.header.settings());
    editor_.showFolder(workFolder_);
    doc.setFileName(path);
    lastFolder_ = QFileInfo(path).absolutePath();
    setTitles();
    editor_.refreshSlideList();
    editor_.updateStatus();
    editor_.updateButtons();
    recent_.add(path);
    rebuildRecentMenu();
    editor_.applyTransitionSetting();
    // The header's settings went to the controls as changes; the show as opened has none.
    doc.setModified(false);
    if (doc.slideCount() > 0 && editor_.previewEnabled()) {
        editor_.selectFirstSlide();
        editor_.showPreview(doc.slide(0).imagePath, 0);
    } else {
        editor_.clearPreview();
    }
    return true;
}

void ShowFileCommands::startUnpacking(std::unique_ptr<ShowUnpack> media, const QString& path) {
    stopUnpacking();
    unpack_ = std::move(media);
    ShowUnpack* files = unpack_.get();
    // The progress window shows how far the pictures and sounds are; it keeps nobody from
    // editing the slides meanwhile.
    const QString title = QStringLiteral("Loading:  ") + fileNamePart(path);
    const auto report = [this, files, title] {
        if (files->fileCount() > 0)
            services_.progress.report(title, files->handledCount() * 100 / files->fileCount());
    };
    connect(files, &ShowUnpack::arrived, this, report);
    connect(files, &ShowUnpack::lost, this, report);
    connect(files, &ShowUnpack::finished, this, &ShowFileCommands::unpackingFinished);
    editor_.setUnpacking(files);
    if (files->fileCount() > 0)
        services_.progress.report(title, 0);
    files->start();
}

void ShowFileCommands::stopUnpacking() {
    if (!unpack_)
        return;
    editor_.setUnpacking(nullptr);
    unpack_.reset(); // stops the worker
    services_.progress.finish();
}

void ShowFileCommands::unpackingFinished() {
    services_.progress.finish();
    if (!unpack_ || !unpack_->isFinished())
        return;
    editor_.updateButtons();
    if (unpack_->hasFailed()) {
        // As a show that cannot be read at all: the user is told, and a new show begins.
        services_.messages.error(unpack_->failureText());
        newShow(false);
    }
}

bool ShowFileCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        if (auto* begin = qobject_cast<QAbstractButton*>(watched))
            beginShowAction_->setEnabled(begin->isEnabled());
    return QObject::eventFilter(watched, event);
}

void ShowFileCommands::newShow() {
    newShow(true);
}

void ShowFileCommands::newShow(bool askFirst) {
    ShowDocument& doc = editor_.document();
    if (askFirst && doc.isModified() && askToSaveChanges() == MessageAnswer::Cancel)
        return;
    doc.setFileName(QString());
    editor_.clearPreview();
    setTitles();
    stopUnpacking();
    WorkFolder::empty(workFolder_);
    doc.clear();
    doc.resetSettings();
    editor_.applyTransitionSetting();
    editor_.refreshSlideList();
    editor_.updateStatus();
    editor_.updateButtons();
    editor_.rereadSources();
    editor_.previewFirstSource();
}

bool ShowFileCommands::confirmClose() {
    if (services_.messages.ask(MessageKind::Confirmation, MessageButtons::YesNo,
                               QStringLiteral("Quit Orvanne?")) != MessageAnswer::Yes)
        return false;
    ShowDocument& doc = editor_.document();
    if (doc.isModified()) {
        const MessageAnswer answer =
            services_.messages.ask(MessageKind::Confirmation, MessageButtons::YesNo,
                                   QStringLiteral("Save Changes to ") + untitledName() + QStringLiteral("?"));
        if (answer == MessageAnswer::Yes && save(false) == SaveOutcome::Failed)
            return false;
    }
    return true;
}
