#include "ShowWindow.h"

#include "ColorRef.h"
#include "ElidingLabel.h"
#include "ImageCache.h"
#include "ImageDecoder.h"
#include "PathNames.h"
#include "Picture.h"
#include "PictureWidget.h"
#include "ShowAudio.h"
#include "ShowController.h"
#include "ShowDocument.h"
#include "ShowHost.h"
#include "ShowTexts.h"
#include "ShowUnpack.h"
#include "SlideComposer.h"
#include "TransitionHost.h"
#include "UserMessages.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kPointerHideMs = 2000;
constexpr int kHelpContext = 250;
constexpr int kStatusWidths[3] = {75, 175, 50};

const QString kMusicOff = QStringLiteral("&Music Off");
const QString kMusicOn = QStringLiteral("&Music On");
const QString kHideCaption = QStringLiteral("&Hide Caption");
const QString kShowCaption = QStringLiteral("Show &Caption");

QAction* makeAction(QWidget* owner, const char* name, const QString& text) {
    auto* action = new QAction(text, owner);
    action->setObjectName(QLatin1String(name));
    return action;
}

QToolButton* makeButton(QWidget* parent, const char* name, QAction* action, QStyle::StandardPixmap icon,
                        const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setDefaultAction(action);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setToolTip(hint);
    // The button shows only its icon: screen readers and UI automation find it by its hint.
    button->setAccessibleName(hint);
    button->setFixedSize(23, 22);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

ShowWindow::ShowWindow(ShowHost& host, AudioEngine& engine, QWidget* parent)
    : ShowWindow(host, engine, std::make_unique<ImageCache>(4), parent) {}

ShowWindow::ShowWindow(ShowHost& host, AudioEngine& engine, std::unique_ptr<ImageCache> cache,
                       QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host), controller_(new ShowController(host, engine, this)),
      cache_(std::move(cache)) {
    setObjectName(QStringLiteral("showWindow"));
    setFocusPolicy(Qt::StrongFocus);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("statusBar"));
    statusBar_->setSizeGripEnabled(false);
    const char* initial[3] = {"Run", "Slide:", ""};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new ElidingLabel(i == 2 ? Qt::ElideMiddle : Qt::ElideRight, statusBar_);
        panel->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        panel->setFullText(QLatin1String(initial[i]));
        if (i < 2) {
            panel->setFixedWidth(kStatusWidths[i]);
            panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
            statusBar_->addWidget(panel);
        } else {
            // The last panel reaches to the window's right edge, as status bars do: the file name
            // is elided only when the window is too narrow for it.
            panel->setMinimumWidth(kStatusWidths[i]);
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            statusBar_->addWidget(panel, 1);
        }
        statusPanels_[i] = panel;
    }

    scrollArea_ = new QScrollArea(this);
    scrollArea_->setObjectName(QStringLiteral("scrollArea"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    scrollArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrollArea_->setAccessibleName(tr("Slide"));
    slideView_ = new PictureWidget(host.messages());
    slideView_->setObjectName(QStringLiteral("slideView"));
    slideView_->setAccessibleName(tr("Slide"));
    scrollArea_->setWidget(slideView_);
    scrollArea_->setWidgetResizable(true);

    unreadableLabel_ = new ElidingLabel(Qt::ElideMiddle, this);
    unreadableLabel_->setObjectName(QStringLiteral("unreadableLabel"));
    unreadableLabel_->setAlignment(Qt::AlignCenter);
    unreadableLabel_->setAutoFillBackground(true);
    unreadableLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    unreadableLabel_->hide();

    captionLabel_ = new ElidingLabel(Qt::ElideRight, this);
    captionLabel_->setObjectName(QStringLiteral("captionLabel"));
    captionLabel_->setFixedHeight(24);
    captionLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    captionLabel_->setLineWidth(2);
    captionLabel_->setAlignment(Qt::AlignCenter);
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPixelSize(16);
    captionFont.setBold(true);
    captionLabel_->setFont(captionFont);

    pauseAction_ = makeAction(this, "pauseAction", QStringLiteral("&Pause"));
    resumeAction_ = makeAction(this, "resumeAction", QStringLiteral("&Resume"));
    resumeAction_->setEnabled(false);
    backAction_ = makeAction(this, "backAction", QStringLiteral("&Back"));
    nextAction_ = makeAction(this, "nextAction", QStringLiteral("&Next"));
    captionAction_ = makeAction(this, "captionAction", kHideCaption);
    captionAction_->setCheckable(true);
    musicAction_ = makeAction(this, "musicAction", kMusicOff);
    musicAction_->setCheckable(true);
    stopAction_ = makeAction(this, "stopAction", QStringLiteral("&Stop Show"));
    togglePauseAction_ = makeAction(this, "togglePauseAction", tr("Pause"));
    togglePauseAction_->setCheckable(true);
    connect(pauseAction_, &QAction::triggered, this, &ShowWindow::pause);
    connect(resumeAction_, &QAction::triggered, this, &ShowWindow::resume);
    connect(backAction_, &QAction::triggered, this, &ShowWindow::back);
    connect(nextAction_, &QAction::triggered, this, &ShowWindow::next);
    connect(captionAction_, &QAction::triggered, this, &ShowWindow::toggleCaption);
    connect(musicAction_, &QAction::triggered, this, &ShowWindow::toggleMusic);
    connect(stopAction_, &QAction::triggered, this, &ShowWindow::stop);
    connect(togglePauseAction_, &QAction::triggered, this, &ShowWindow::togglePause);

    controlBar_ = new QFrame(this);
    controlBar_->setObjectName(QStringLiteral("controlBar"));
    controlBar_->setFixedHeight(29);
    static_cast<QFrame*>(controlBar_)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    backButton_ =
        makeButton(controlBar_, "backButton", backAction_, QStyle::SP_MediaSeekBackward, tr("Back"));
    nextButton_ = makeButton(controlBar_, "nextButton", nextAction_, QStyle::SP_MediaSeekForward, tr("Next"));
    pauseButton_ =
        makeButton(controlBar_, "pauseButton", togglePauseAction_, QStyle::SP_MediaPause, tr("Pause"));
    stopButton_ = makeButton(controlBar_, "stopButton", stopAction_, QStyle::SP_MediaStop, tr("Stop"));
    auto* buttons = new QHBoxLayout(controlBar_);
    buttons->setContentsMargins(0, 2, 0, 2);
    buttons->setSpacing(12);
    buttons->addStretch();
    for (QToolButton* button : {backButton_, nextButton_, pauseButton_, stopButton_})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* picture = new QGridLayout;
    picture->setContentsMargins(0, 0, 0, 0);
    picture->addWidget(scrollArea_, 0, 0);
    picture->addWidget(unreadableLabel_, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(statusBar_);
    layout->addLayout(picture, 1);
    layout->addWidget(captionLabel_);
    layout->addWidget(controlBar_);

    slideMenu_ = new QMenu(this);
    slideMenu_->setObjectName(QStringLiteral("slideMenu"));
    slideMenu_->addActions(
        {pauseAction_, resumeAction_, backAction_, nextAction_, captionAction_, musicAction_, stopAction_});
    connect(slideMenu_, &QMenu::aboutToShow, this, &ShowWindow::updateMenu);

    // Every part of the window reports the pointer's movement, for hiding it over a running show,
    // and the picture reports clicks.
    setMouseTracking(true);
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w == slideMenu_)
            continue;
        w->installEventFilter(this);
        w->setMouseTracking(true);
    }

    controller_->setObjectName(QStringLiteral("controller"));
    connect(controller_, &ShowController::slideChanged, this, &ShowWindow::showSlide);
    connect(controller_, &ShowController::stateChanged, this, &ShowWindow::stateChanged);
    connect(controller_, &ShowController::finished, this, &ShowWindow::returnToEditor);
    connect(&controller_->audio(), &ShowAudio::fileLost, this, &ShowWindow::stopForLostFile,
            Qt::QueuedConnection);

    recomposeTimer_ = new QTimer(this);
    recomposeTimer_->setSingleShot(true);
    recomposeTimer_->setInterval(100);
    connect(recomposeTimer_, &QTimer::timeout, this, &ShowWindow::recompose);

    transitions_ = new TransitionHost(host.messages(), this);
    transitions_->setObjectName(QStringLiteral("transitions"));
    transitions_->setTarget(slideView_);
    transitions_->setPace(5);
    transitions_->setBandThickness(1);
    connect(transitions_, &TransitionHost::finished, this, &ShowWindow::transitionFinished);

    // The pointer hides over a playing show after two seconds without movement.
    pointerTimer_ = new QTimer(this);
    pointerTimer_->setSingleShot(true);
    pointerTimer_->setInterval(kPointerHideMs);
    connect(pointerTimer_, &QTimer::timeout, this, [this] {
        if (isVisible())
            setCursor(Qt::BlankCursor);
    });

    resize(initialSize());
}

ShowWindow::~ShowWindow() {
    // The transition's overlay and the controller's players go before the widgets they serve.
    transitions_->finish();
}

QString ShowWindow::statusText(int panel) const {
    return statusPanels_[panel]->fullText();
}

void ShowWindow::setStatus(int panel, const QString& text) {
    statusPanels_[panel]->setFullText(text);
}

void ShowWindow::startShow() {
    statusBar_->setVisible(host_.statusBarVisible());
    controlBar_->setVisible(host_.controlButtonsVisible());
    togglePauseAction_->setChecked(!host_.autoAdvance());
    // The paint mode follows fit to window, so a resized window shows the slide stretched until
    // the next one is composed for the new size.
    slideView_->setStretch(host_.fitToWindow());
    if (screenSize_.isEmpty() && QGuiApplication::primaryScreen())
        move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());
    cache_->setArrivals(host_.unpacking());
    prefetchFirstSlide();
    show();
    activateWindow();
    host_.hideEditor();
    stoppedForLostFile_ = false;
    waitingSlide_ = -1;
    if (ShowUnpack* files = host_.unpacking()) {
        connect(files, &ShowUnpack::arrived, this, &ShowWindow::showFileHandled, Qt::UniqueConnection);
        connect(files, &ShowUnpack::lost, this, &ShowWindow::showFileHandled, Qt::UniqueConnection);
    }
    controller_->start();
    updateMenu();
    showPointer();
}

void ShowWindow::prefetchFirstSlide() {
    const ShowDocument& doc = host_.document();
    if (doc.slideCount() == 0)
        return;
    // The picture area's size as it will be once the window is on screen.
    if (layout())
        layout()->activate();
    cache_->prefetch(doc.slide(0).imagePath, decodeSize());
}

void ShowWindow::prepareToShow() {
    // The background colour is on screen from the first paint, before any slide is ready.
    slideView_->clearPicture();
    slideView_->resize(scrollArea_->viewport()->size());
    setWindowTitle(QStringLiteral("SlideShow") + host_.editorTitle().mid(7));
    const QColor background =
        ColorRef::backgroundFromSettingsLine(host_.document().settingsLine(1), QApplication::palette());
    QPalette palette = scrollArea_->palette();
    palette.setColor(QPalette::Window, background);
    scrollArea_->setPalette(palette);
    scrollArea_->viewport()->setPalette(palette);
    scrollArea_->viewport()->setAutoFillBackground(true);
    slideView_->setColor(background);
}

void ShowWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        prepareToShow();
}

QSize ShowWindow::screenSize() const {
    if (!screenSize_.isEmpty())
        return screenSize_;
    const QScreen* s = screen();
    return s ? s->size() : scrollArea_->maximumViewportSize();
}

QSize ShowWindow::decodeSize() const {
    return host_.fitToWindow() ? scrollArea_->maximumViewportSize() : QSize();
}

void ShowWindow::prefetchNext() {
    const ShowDocument& doc = host_.document();
    int next = controller_->nextSlide();
    if (next >= doc.slideCount() && host_.loop())
        next = 0;
    if (next >= doc.slideCount())
        return;
    // A picture still being unpacked is decoded once it is there.
    cache_->prefetch(doc.slide(next).imagePath, decodeSize());
}

void ShowWindow::updateStatusBar(const QString& path, int index) {
    setStatus(0, host_.autoAdvance() ? QStringLiteral("Playing") : QStringLiteral("Paused"));
    setStatus(1, ShowTexts::slideOf(index + 1, host_.document().slideCount()));
    setStatus(2, fileNamePart(path));
}

namespace {

// What of a scroll area will be visible once content of the given size is in it: scroll bars take
// their room only where the content needs them (and one scroll bar can make the other needed).
// The scroll area itself shows them only after its next layout, too late for the slide at hand.
QSize visibleArea(const QScrollArea& scroll, QSize content) {
    const QSize area = scroll.maximumViewportSize();
    const int barHeight = scroll.horizontalScrollBar()->sizeHint().height();
    const int barWidth = scroll.verticalScrollBar()->sizeHint().width();
    bool needH = content.width() > area.width();
    bool needV = content.height() > area.height();
    if (needH && !needV)
        needV = content.height() > area.height() - barHeight;
    if (needV && !needH)
        needH = content.width() > area.width() - barWidth;
    return QSize(area.width() - (needV ? barWidth : 0), area.height() - (needH ? barHeight : 0));
}

} // namespace

bool ShowWindow::slideFilesPresent(int index) {
    ShowUnpack* files = host_.unpacking();
    if (!files)
        return true;
    const Slide slide = host_.document().slide(index);
    const QStringList needed =
        slide.hasSound() ? QStringList{slide.imagePath, slide.soundPath} : QStringList{slide.imagePath};
    bool present = true;
    for (const QString& path : needed) {
        switch (files->state(path)) {
        case ShowUnpack::State::Present:
            break;
        case ShowUnpack::State::Lost:
            QTimer::singleShot(0, this, &ShowWindow::stopForLostFile);
            return false;
        case ShowUnpack::State::Coming:
            files->hurry(path);
            present = false;
            break;
        }
    }
    return present;
}

void ShowWindow::showFileHandled(const QString&) {
    if (!controller_->isActive())
        return;
    if (waitingSlide_ >= 0) {
        const int index = waitingSlide_;
        showSlide(index);
    } else {
        prefetchNext();
    }
}

void ShowWindow::stopForLostFile() {
    if (stoppedForLostFile_ || !controller_->isActive())
        return;
    stoppedForLostFile_ = true;
    if (ShowUnpack* files = host_.unpacking())
        host_.messages().error(files->failureText());
    stop();
}

void ShowWindow::showSlide(int index) {
    transitions_->finish();
    // The previous slide stays on screen until this one's files are unpacked.
    waitingSlide_ = -1;
    if (!slideFilesPresent(index)) {
        waitingSlide_ = index;
        return;
    }
    const Slide slide = host_.document().slide(index);
    updateStatusBar(slide.imagePath, index);
    const QString caption = slide.caption.trimmed();
    captionLabel_->setFullText(caption);
    captionLabel_->setVisible(host_.showCaptions() && !caption.isEmpty());
    if (host_.transitionEffects()) {
        if (++effectCounter_ > 3)
            effectCounter_ = 1;
    } else {
        effectCounter_ = 0;
    }
    // The caption bar may just have appeared or gone: the picture area takes its size now, so
    // that the slide is composed for the size it is shown at.
    if (layout())
        layout()->activate();

    const DecodeResult decoded = cache_->take(slide.imagePath, decodeSize());
    if (!decoded.errorText.isEmpty())
        host_.messages().error(decoded.errorText);
    if (!decoded.failedMessage.isEmpty())
        host_.messages().information(decoded.failedMessage);
    const ComposedSlide composed = compose(decoded.picture);
    // The show's first slide is what the user waits for; the rest of the show file is unpacked
    // once it is drawn.
    if (ShowUnpack* files = host_.unpacking())
        QTimer::singleShot(0, files, &ShowUnpack::release);
    prefetchNext();
    if (!composed.ok()) {
        shownSlide_ = -1;
        showUnreadable(index, slide.imagePath);
        controller_->slideShown();
        return;
    }
    unreadableLabel_->hide();
    shownSlide_ = index;
    placeFrame(composed);

    const TransitionEffect effect = effectForCycle(effectCounter_);
    transitions_->setEffect(effect);
    if (effect != TransitionEffect::None) {
        if (!host_.fitToWindow())
            afterTransition_.emplace(composed, decoded.picture);
        transitions_->run(composed.frame); // its finished() tells the controller
    } else {
        showComposed(composed, decoded.picture);
        controller_->slideShown();
    }
}

void ShowWindow::showComposed(const ComposedSlide& composed, const Picture& picture) {
    if (host_.fitToWindow())
        slideView_->setImage(composed.frame);
    else
        slideView_->setPlacedPicture(picture, QPoint(composed.placement.left, composed.placement.top));
}

void ShowWindow::transitionFinished() {
    // The transition leaves its frame on the widget; a natural-size slide is then shown placed,
    // so that the rest of it is drawn as the user scrolls.
    if (afterTransition_) {
        const auto [composed, picture] = std::move(*afterTransition_);
        afterTransition_.reset();
        showComposed(composed, picture);
    }
    controller_->slideShown();
}

ComposedSlide ShowWindow::compose(const Picture& picture) const {
    if (picture.isEmpty())
        return ComposedSlide();
    const bool fit = host_.fitToWindow();
    const QSize screen = screenSize();
    QSize visible = scrollArea_->maximumViewportSize();
    // Without fit the frame may need scroll bars, which take some of the visible area: the
    // picture is centred in what remains.
    if (!fit) {
        if (const auto placement = placeSlide(picture.size(), visible, screen, false))
            visible = visibleArea(*scrollArea_, placement->display);
    }
    const QColor background = scrollArea_->palette().color(QPalette::Window);
    return fit ? composeSlide(picture, visible, screen, true, background)
               : composeVisibleSlide(picture, visible, screen, background);
}

void ShowWindow::placeFrame(const ComposedSlide& composed) {
    // Dock the picture to the visible area, or size it for scrolling.
    const bool fit = host_.fitToWindow();
    scrollArea_->setWidgetResizable(fit);
    if (!fit)
        slideView_->move(0, 0);
    slideView_->resize(composed.placement.display);
    scrollArea_->horizontalScrollBar()->setValue(0);
    scrollArea_->verticalScrollBar()->setValue(0);
}

void ShowWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A window that changes size (the window manager placing it, the user dragging its frame)
    // gets its slide composed again for the new size once the resizing settles.
    if (controller_->isActive() && shownSlide_ >= 0)
        recomposeTimer_->start();
}

void ShowWindow::recompose() {
    if (!controller_->isActive() || shownSlide_ < 0 || !isVisible())
        return;
    transitions_->finish();
    const Picture picture = cache_->take(host_.document().slide(shownSlide_).imagePath, decodeSize()).picture;
    const ComposedSlide composed = compose(picture);
    if (!composed.ok())
        return;
    placeFrame(composed);
    showComposed(composed, picture);
}

void ShowWindow::showUnreadable(int index, const QString& path) {
    // The previous slide stays behind the panel.
    unreadableLabel_->setFullText(QStringLiteral("Cannot read: ") + path);
    unreadableLabel_->show();
    unreadableLabel_->raise();
    setStatus(0, ShowTexts::slideOf(index + 1, host_.document().slideCount()));
    setStatus(1, QStringLiteral("***"));
}

void ShowWindow::stateChanged(ShowController::State state) {
    togglePauseAction_->setChecked(state == ShowController::State::Paused);
    if (state == ShowController::State::Paused)
        setStatus(0, QStringLiteral("Paused"));
    updateMenu();
}

void ShowWindow::returnToEditor(ShowController::Ending ending) {
    transitions_->finish();
    recomposeTimer_->stop();
    shownSlide_ = -1;
    if (ending == ShowController::Ending::RanOut)
        slideView_->clearPicture();
    hide();
    host_.showEditor();
    // Esc leaves the editor's selection and preview as they are.
    if (ending != ShowController::Ending::Left) {
        host_.selectFirstSlide();
        host_.showPreview(host_.document().slide(0).imagePath, 0);
    }
    emit finished();
}

void ShowWindow::next() {
    transitions_->finish();
    controller_->next();
}

void ShowWindow::back() {
    transitions_->finish();
    controller_->back();
}

void ShowWindow::pause() {
    transitions_->finish();
    controller_->pause();
}

void ShowWindow::resume() {
    transitions_->finish();
    controller_->resume();
}

void ShowWindow::togglePause() {
    transitions_->finish();
    controller_->togglePause();
}

void ShowWindow::stop() {
    transitions_->finish();
    controller_->stop();
}

void ShowWindow::closeEvent(QCloseEvent* event) {
    transitions_->finish();
    controller_->stop();
    QWidget::closeEvent(event);
}

void ShowWindow::runKeyCommand(QChar key) {
    if (key.unicode() == 27) {
        transitions_->finish();
        controller_->leave();
        return;
    }
    if (key == QLatin1Char('p') || key == QLatin1Char('P'))
        togglePauseAction_->trigger();
    if (key == QLatin1Char(' ') || key == QLatin1Char('n') || key == QLatin1Char('N'))
        nextAction_->trigger();
    if (key == QLatin1Char('B') || key == QLatin1Char('b'))
        backAction_->trigger();
}

void ShowWindow::keyPressEvent(QKeyEvent* event) {
    showPointer();
    if (event->key() == Qt::Key_F11) {
        setWindowState(windowState() ^ Qt::WindowFullScreen);
        return;
    }
    if (event->key() == Qt::Key_F1) {
        host_.showHelp(kHelpContext);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        runKeyCommand(QChar(27));
        return;
    }
    const QString text = event->text();
    if (text.size() == 1)
        runKeyCommand(text[0]);
    else
        QWidget::keyPressEvent(event);
}

void ShowWindow::contextMenuEvent(QContextMenuEvent* event) {
    // Anywhere in the window: over the picture, the caption and the bars alike.
    slideMenu_->popup(event->globalPos());
}

void ShowWindow::updateMenu() {
    musicAction_->setEnabled(!host_.document().musicTracks().isEmpty());
    musicAction_->setChecked(host_.musicEnabled());
    musicAction_->setText(host_.musicEnabled() ? kMusicOff : kMusicOn);
    const bool advancing = host_.autoAdvance();
    pauseAction_->setEnabled(advancing);
    resumeAction_->setEnabled(!advancing);
    captionAction_->setChecked(host_.showCaptions());
    captionAction_->setText(host_.showCaptions() ? kHideCaption : kShowCaption);
}

void ShowWindow::toggleCaption() {
    const bool show = !host_.showCaptions();
    host_.setShowCaptions(show);
    // Shown on request even when this slide has no caption; the layout keeps the button bar below.
    captionLabel_->setVisible(show);
    updateMenu();
}

void ShowWindow::toggleMusic() {
    controller_->audio().setMusicOn(!host_.musicEnabled());
    updateMenu();
}

void ShowWindow::setPointerHideDelay(int ms) {
    pointerTimer_->setInterval(ms);
}

void ShowWindow::showPointer() {
    if (cursor().shape() == Qt::BlankCursor)
        unsetCursor();
    pointerTimer_->start();
}

bool ShowWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress) {
        showPointer();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        // A click on the picture moves on when the button is let go, as a button would.
        auto* release = static_cast<QMouseEvent*>(event);
        if (release->button() == Qt::LeftButton &&
            (watched == scrollArea_->viewport() || watched == slideView_) &&
            static_cast<QWidget*>(watched)->rect().contains(release->position().toPoint())) {
            nextAction_->trigger();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
