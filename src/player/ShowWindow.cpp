#include "ShowWindow.h"

#include "ColorRef.h"
#include "ElidingLabel.h"
#include "ImageCache.h"
#include "ImageLoadError.h"
#include "PathNames.h"
#include "PictureWidget.h"
#include "ShowAudio.h"
#include "ShowDocument.h"
#include "ShowHost.h"
#include "ShowTexts.h"
#include "SlideComposer.h"
#include "SlideTime.h"
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
    : QWidget(parent, Qt::Window), host_(host), audio_(std::make_unique<ShowAudio>(host, engine)),
      cache_(std::make_unique<ImageCache>(4)) {
    setObjectName(QStringLiteral("showWindow"));
    setFocusPolicy(Qt::StrongFocus);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("statusBar"));
    statusBar_->setSizeGripEnabled(false);
    const char* initial[3] = {"Run", "Slide:", ""};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new ElidingLabel(i == 2 ? Qt::ElideMiddle : Qt::ElideRight, statusBar_);
        panel->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        panel->setFixedWidth(kStatusWidths[i]);
        panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        panel->setFullText(QLatin1String(initial[i]));
        statusBar_->addWidget(panel);
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
    loader_ = new PictureWidget(host.messages(), this);
    loader_->setObjectName(QStringLiteral("loader"));
    loader_->hide();
    loader_->setCache(cache_.get());

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
    backButton_ = makeButton(controlBar_, "backButton", backAction_, QStyle::SP_MediaSeekBackward, tr("Back"));
    nextButton_ = makeButton(controlBar_, "nextButton", nextAction_, QStyle::SP_MediaSeekForward, tr("Next"));
    pauseButton_ = makeButton(controlBar_, "pauseButton", togglePauseAction_, QStyle::SP_MediaPause, tr("Pause"));
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
    slideMenu_->addActions({pauseAction_, resumeAction_, backAction_, nextAction_, captionAction_, musicAction_,
                            stopAction_});
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

    advanceTimer_ = new QTimer(this);
    advanceTimer_->setObjectName(QStringLiteral("advanceTimer"));
    connect(advanceTimer_, &QTimer::timeout, this, &ShowWindow::advance);

    transitions_ = new TransitionHost(host.messages(), this);
    transitions_->setObjectName(QStringLiteral("transitions"));
    transitions_->setTarget(slideView_);
    transitions_->setPace(5);
    transitions_->setBandThickness(1);

    // The pointer hides over a playing show after two seconds without movement.
    pointerTimer_ = new QTimer(this);
    pointerTimer_->setSingleShot(true);
    pointerTimer_->setInterval(kPointerHideMs);
    connect(pointerTimer_, &QTimer::timeout, this, [this] {
        if (isVisible())
            setCursor(Qt::BlankCursor);
    });

    resize(620, 470);
}

ShowWindow::~ShowWindow() = default;

bool ShowWindow::isAdvancing() const {
    return advanceTimer_->isActive();
}

QString ShowWindow::statusText(int panel) const {
    return static_cast<ElidingLabel*>(statusPanels_[panel])->fullText();
}

void ShowWindow::setStatus(int panel, const QString& text) {
    static_cast<ElidingLabel*>(statusPanels_[panel])->setFullText(text);
}

void ShowWindow::armTimer(bool armed) {
    if (armed)
        advanceTimer_->start();
    else
        advanceTimer_->stop();
}

void ShowWindow::startShow() {
    statusBar_->setVisible(host_.statusBarVisible());
    controlBar_->setVisible(host_.controlButtonsVisible());
    const bool advancing = host_.autoAdvance();
    armTimer(advancing);
    togglePauseAction_->setChecked(!advancing);
    updateMenu();
    nextSlide_ = 0;
    reportedTimings_.clear();
    running_ = true;
    // The paint mode follows fit to window, so a resized window shows the slide stretched until
    // the next one is composed for the new size.
    slideView_->setStretch(host_.fitToWindow());
    if (screenSize_.isEmpty() && QGuiApplication::primaryScreen())
        move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());
    show();
    activateWindow();
    host_.hideEditor();
    audio_->startMusic();
    advance();
    // The advance leaves the timer armed; a show that starts paused waits for the user.
    armTimer(advancing && running_);
    showPointer();
}

void ShowWindow::prepareToShow() {
    slideView_->clearPicture();
    slideView_->resize(scrollArea_->viewport()->size());
    setWindowTitle(QStringLiteral("SlideShow") + host_.editorTitle().mid(7));
    const QColor background =
        ColorRef::backgroundFromSettingsLine(host_.document().settingsLines.value(0), QApplication::palette());
    QPalette palette = scrollArea_->palette();
    palette.setColor(QPalette::Window, background);
    scrollArea_->setPalette(palette);
    scrollArea_->viewport()->setPalette(palette);
    scrollArea_->viewport()->setAutoFillBackground(true);
    slideView_->setColor(background);
    loader_->setColor(background);
}

void ShowWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        prepareToShow();
}

int ShowWindow::slideTime(int index) {
    const QString entry = host_.document().timings.value(index);
    if (const std::optional<int> ms = SlideTime::milliseconds(entry))
        return *ms;
    // A damaged time would stall the show on this slide for good; say so once and use the
    // default delay instead.
    if (!reportedTimings_.contains(index)) {
        reportedTimings_.insert(index);
        host_.messages().error(QLatin1Char('\'') + entry + QStringLiteral("' is not a valid integer value"));
    }
    return 0;
}

bool ShowWindow::deferredDuringStep(void (ShowWindow::*command)()) {
    if (!stepping_)
        return false;
    QTimer::singleShot(0, this, command);
    return true;
}

void ShowWindow::advance() {
    if (deferredDuringStep(&ShowWindow::advance))
        return;
    if (!running_)
        return;
    stepping_ = true;
    const auto done = qScopeGuard([this] { stepping_ = false; });
    armTimer(false);
    audio_->cutSlideSound();
    ShowDocument& doc = host_.document();
    const int n = doc.slideCount();
    if (nextSlide_ >= n && host_.loop())
        nextSlide_ = 0;
    if (nextSlide_ >= n) {
        // The show has run out: back to the editor with the first slide selected.
        nextSlide_ = 0;
        slideView_->clearPicture();
        returnToEditor(true);
        return;
    }
    const int i = nextSlide_;
    const QString path = doc.imagePaths.value(i);
    const int t = slideTime(i);
    advanceTimer_->setInterval(t != 0 ? t : host_.defaultDelaySeconds() * 1000);
    updateStatusBar(path);
    showSlide(path);
    // The show may have been left while the slide was painted in (the transition lets window
    // messages through once); a stopped show starts no sound and no timer.
    if (!running_)
        return;
    if (host_.musicEnabled())
        audio_->playSlideSound(doc.soundPaths.value(i));
    nextSlide_ = i + 1;
    prefetchNext();
    armTimer(true);
}

void ShowWindow::returnToEditor(bool selectFirst) {
    if (!running_)
        return;
    running_ = false;
    armTimer(false);
    // A failure closing either player is of no consequence here.
    audio_->closeBoth();
    hide();
    host_.showEditor();
    if (selectFirst) {
        host_.selectFirstSlide();
        host_.showPreview(host_.document().imagePaths.value(0), 0);
    }
    emit finished();
}

QSize ShowWindow::decodeSize() const {
    return host_.fitToWindow() ? scrollArea_->viewport()->size() : QSize();
}

void ShowWindow::prefetchNext() {
    const ShowDocument& doc = host_.document();
    int next = nextSlide_;
    if (next >= doc.slideCount() && host_.loop())
        next = 0;
    if (next < doc.slideCount())
        cache_->prefetch(doc.imagePaths[next], decodeSize());
}

void ShowWindow::updateStatusBar(const QString& path) {
    setStatus(0, host_.autoAdvance() ? QStringLiteral("Playing") : QStringLiteral("Paused"));
    setStatus(1, ShowTexts::slideOf(nextSlide_ + 1, host_.document().slideCount()));
    setStatus(2, fileNamePart(path));
}

bool ShowWindow::showSlide(const QString& path) {
    const int i = nextSlide_;
    const int n = host_.document().slideCount();
    const QString caption = host_.document().captions.value(i).trimmed();
    captionLabel_->setFullText(caption);
    captionLabel_->setVisible(host_.showCaptions() && !caption.isEmpty());
    if (host_.transitionEffects()) {
        if (++effectCounter_ > 3)
            effectCounter_ = 1;
    } else {
        effectCounter_ = 0;
    }

    bool ok = false;
    try {
        loader_->setDecodeSize(decodeSize());
        loader_->loadFile(path);
        scrollArea_->horizontalScrollBar()->setValue(0);
        scrollArea_->verticalScrollBar()->setValue(0);
        ok = presentSlide(*loader_, *slideView_, *transitions_, host_.fitToWindow(), effectCounter_,
                          scrollArea_->palette().color(QPalette::Window), screenSize_);
    } catch (const ImageLoadError& error) {
        // A damaged metafile or icon: say what the decoder said, then treat the slide as
        // unreadable rather than stalling the show on it.
        host_.messages().error(error.text());
    }
    if (ok) {
        unreadableLabel_->hide();
        return true;
    }
    unreadableLabel_->setFullText(QStringLiteral("Cannot read: ") + path);
    unreadableLabel_->show();
    unreadableLabel_->raise();
    setStatus(0, ShowTexts::slideOf(i + 1, n));
    setStatus(1, QStringLiteral("***"));
    return false;
}

void ShowWindow::next() {
    if (deferredDuringStep(&ShowWindow::next))
        return;
    if (!running_)
        return;
    const bool armed = advanceTimer_->isActive();
    armTimer(false);
    advance();
    // Past the last slide of a show that does not loop the step has ended the show; a hidden
    // window keeps its timer disarmed.
    armTimer(armed && running_);
}

void ShowWindow::back() {
    if (deferredDuringStep(&ShowWindow::back))
        return;
    if (!running_)
        return;
    const bool armed = advanceTimer_->isActive();
    armTimer(false);
    const int n = host_.document().slideCount();
    for (int k = 0; k < 2; ++k) {
        if (--nextSlide_ < 0)
            nextSlide_ = n - 1;
    }
    advance();
    armTimer(armed && running_);
}

void ShowWindow::pause() {
    if (deferredDuringStep(&ShowWindow::pause))
        return;
    if (!running_)
        return;
    armTimer(false);
    setStatus(0, QStringLiteral("Paused"));
    host_.setAutoAdvance(false);
    togglePauseAction_->setChecked(true);
    updateMenu();
}

void ShowWindow::resume() {
    if (deferredDuringStep(&ShowWindow::resume))
        return;
    if (!running_)
        return;
    host_.setAutoAdvance(true);
    togglePauseAction_->setChecked(false);
    armTimer(true);
    advance();
    updateMenu();
}

void ShowWindow::togglePause() {
    if (deferredDuringStep(&ShowWindow::togglePause))
        return;
    if (host_.autoAdvance())
        pause();
    else
        resume();
}

void ShowWindow::stop() {
    if (deferredDuringStep(&ShowWindow::stop))
        return;
    nextSlide_ = 0;
    returnToEditor(true);
}

void ShowWindow::closeEvent(QCloseEvent* event) {
    returnToEditor(true);
    QWidget::closeEvent(event);
}

void ShowWindow::runKeyCommand(QChar key) {
    if (stepping_) {
        QTimer::singleShot(0, this, [this, key] { runKeyCommand(key); });
        return;
    }
    if (key.unicode() == 27) {
        // Esc leaves the editor's selection and preview as they are.
        nextSlide_ = 0;
        returnToEditor(false);
        return;
    }
    if (key == QLatin1Char('p') || key == QLatin1Char('P')) {
        if (advanceTimer_->isActive())
            pauseAction_->trigger();
        else
            resumeAction_->trigger();
    }
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
    musicAction_->setEnabled(!host_.document().musicTracks.isEmpty());
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
    audio_->setMusicOn(!host_.musicEnabled());
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
    if (event->type() == QEvent::MouseMove) {
        showPointer();
    } else if (event->type() == QEvent::MouseButtonPress) {
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
