#include "uShow.h"

#include "ColorRef.h"
#include "ILSpecAd.h"
#include "ImageCache.h"
#include "ImageLoadError.h"
#include "ShowDocument.h"
#include "PathNames.h"
#include "PlaceImage.h"
#include "ShowAudio.h"
#include "ShowHost.h"
#include "PictureWidget.h"
#include "UserMessages.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
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

QToolButton* speedButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setFixedSize(23, 22);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

TfmShow::TfmShow(ShowHost& host, AudioEngine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host), audio_(std::make_unique<ShowAudio>(host, engine)),
      cache_(std::make_unique<ImageCache>(4)) {
    setObjectName(QStringLiteral("fmShow"));
    setFocusPolicy(Qt::StrongFocus);

    sbShowStatus = new QStatusBar(this);
    sbShowStatus->setObjectName(QStringLiteral("sbShowStatus"));
    sbShowStatus->setSizeGripEnabled(false);
    const int widths[3] = {75, 175, 50};
    const char* initial[3] = {"Run", "Slide:", ""};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(QLatin1String(initial[i]), sbShowStatus);
        panels_[i]->setMinimumWidth(widths[i]);
        sbShowStatus->addWidget(panels_[i], i == 2 ? 1 : 0);
    }

    ImageScroll = new QScrollArea(this);
    ImageScroll->setObjectName(QStringLiteral("ImageScroll"));
    ImageScroll->setFrameShape(QFrame::NoFrame);
    ImageScroll->setFocusPolicy(Qt::NoFocus);
    ImageScroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    jpgImage = new PictureWidget(host.messages());
    jpgImage->setObjectName(QStringLiteral("jpgImage"));
    ImageScroll->setWidget(jpgImage);
    ImageScroll->setWidgetResizable(true);
    jpgImage2 = new PictureWidget(host.messages(), this);
    jpgImage2->setObjectName(QStringLiteral("jpgImage2"));
    jpgImage2->hide();
    jpgImage2->setCache(cache_.get());

    pnNoPicFound = new QLabel(this);
    pnNoPicFound->setObjectName(QStringLiteral("pnNoPicFound"));
    pnNoPicFound->setAlignment(Qt::AlignCenter);
    pnNoPicFound->setWordWrap(true);
    pnNoPicFound->setAutoFillBackground(true);
    pnNoPicFound->hide();

    pnCaption = new QLabel(this);
    pnCaption->setObjectName(QStringLiteral("pnCaption"));
    pnCaption->setFixedHeight(24);
    pnCaption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnCaption->setLineWidth(2);
    pnCaption->setAlignment(Qt::AlignCenter);
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPixelSize(16);
    captionFont.setBold(true);
    pnCaption->setFont(captionFont);

    pnBottom = new QFrame(this);
    pnBottom->setObjectName(QStringLiteral("pnBottom"));
    pnBottom->setFixedHeight(29);
    pnBottom->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnButtons = new QWidget(pnBottom);
    pnButtons->setObjectName(QStringLiteral("pnButtons"));
    pnButtons->setFixedSize(145, 25);
    btBack = speedButton(pnButtons, "btBack", QStyle::SP_MediaSeekBackward, tr("Back"));
    btFor = speedButton(pnButtons, "btFor", QStyle::SP_MediaSeekForward, tr("Next"));
    btPause = speedButton(pnButtons, "btPause", QStyle::SP_MediaPause, tr("Pause"));
    btPause->setCheckable(true);
    btStop = speedButton(pnButtons, "btStop", QStyle::SP_MediaStop, tr("Stop"));
    int x = 4;
    for (QToolButton* b : {btBack, btFor, btPause, btStop}) {
        b->move(x, 2);
        x += 35;
    }
    pnBottom->installEventFilter(this);

    auto* picture = new QGridLayout;
    picture->setContentsMargins(0, 0, 0, 0);
    picture->addWidget(ImageScroll, 0, 0);
    picture->addWidget(pnNoPicFound, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sbShowStatus);
    layout->addLayout(picture, 1);
    layout->addWidget(pnCaption);
    layout->addWidget(pnBottom);

    popSlideMenu = new QMenu(this);
    popSlideMenu->setObjectName(QStringLiteral("popSlideMenu"));
    Pause1 = popSlideMenu->addAction(QStringLiteral("&Pause"), this, &TfmShow::Pause1Click);
    Resume1 = popSlideMenu->addAction(QStringLiteral("&Resume"), this, &TfmShow::Resume1Click);
    Resume1->setEnabled(false);
    Back1 = popSlideMenu->addAction(QStringLiteral("&Back"), this, &TfmShow::Back1Click);
    Next1 = popSlideMenu->addAction(QStringLiteral("&Next"), this, &TfmShow::Next1Click);
    HideCaption1 =
        popSlideMenu->addAction(QStringLiteral("&Hide Caption"), this, &TfmShow::HideCaption1Click);
    MusicOn1 = popSlideMenu->addAction(QStringLiteral("&Music Off"), this, &TfmShow::MusicOn1Click);
    StopShow1 = popSlideMenu->addAction(QStringLiteral("&Stop Show"), this, &TfmShow::StopShow1Click);
    connect(popSlideMenu, &QMenu::aboutToShow, this, &TfmShow::popSlideMenuPopup);
    for (QWidget* w : {static_cast<QWidget*>(ImageScroll->viewport()), static_cast<QWidget*>(jpgImage),
                       static_cast<QWidget*>(pnNoPicFound)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { popSlideMenu->popup(w->mapToGlobal(at)); });
    }
    // Every part of the window reports the pointer's movement, for hiding it over a running show.
    setMouseTracking(true);
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w == popSlideMenu)
            continue;
        w->installEventFilter(this);
        w->setMouseTracking(true);
    }

    connect(btBack, &QToolButton::clicked, this, &TfmShow::Back1Click);
    connect(btFor, &QToolButton::clicked, this, &TfmShow::Next1Click);
    connect(btPause, &QToolButton::clicked, this, &TfmShow::btPauseClick);
    connect(btStop, &QToolButton::clicked, this, &TfmShow::btStopClick);

    ShowTimer = new QTimer(this);
    ShowTimer->setObjectName(QStringLiteral("ShowTimer"));
    ShowTimer->setSingleShot(false);
    connect(ShowTimer, &QTimer::timeout, this, &TfmShow::ShowTimerTimer);

    Edge = new TEdge(host.messages(), this);
    Edge->sMultiImage = jpgImage;
    Edge->FXDelay = 5;
    Edge->FXColRowThick = 1;

    // The pointer hides over a playing show after two seconds without movement.
    pointerTimer_ = new QTimer(this);
    pointerTimer_->setSingleShot(true);
    pointerTimer_->setInterval(kPointerHideMs);
    connect(pointerTimer_, &QTimer::timeout, this, [this] {
        if (isVisible())
            setCursor(Qt::BlankCursor);
    });

    resize(620, 470);
    FormCreate();
}

TfmShow::~TfmShow() = default;

void TfmShow::FormCreate() {
    NextSlide = 0;
    EffectCounter = 0;
    MusicEnabled = true;
}

int TfmShow::TrackIndex() const {
    return audio_->TrackIndex();
}
void TfmShow::setTrackIndex(int index) {
    audio_->setTrackIndex(index);
}

QString TfmShow::statusText(int panel) const {
    return panels_[panel]->text();
}
void TfmShow::setStatus(int panel, const QString& text) {
    panels_[panel]->setText(text);
}

void TfmShow::armTimer(bool armed) {
    if (armed)
        ShowTimer->start();
    else
        ShowTimer->stop();
}

void TfmShow::startShow() {
    sbShowStatus->setVisible(host_.statusBarVisible());
    pnBottom->setVisible(host_.controlButtonsVisible());
    const bool advance = host_.autoAdvance();
    armTimer(advance);
    btPause->setChecked(!advance);
    NextSlide = 0;
    reportedTimings_.clear();
    // The paint mode follows "Fit Image to Window", so a resized window shows the slide stretched
    // until the next one is composed for the new size.
    jpgImage->setStretch(host_.fitToWindow());
    if (screenSize_.isEmpty() && QGuiApplication::primaryScreen())
        move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());
    show();
    activateWindow();
    host_.hideEditor();
    audio_->startMusic(MusicEnabled);
    ShowTimerTimer();
    // The advance step leaves the timer armed; a show that starts paused waits for the user.
    armTimer(advance && isVisible());
    showPointer();
}

void TfmShow::FormShow() {
    jpgImage->clearPicture();
    jpgImage->resize(ImageScroll->viewport()->size());
    setWindowTitle(QStringLiteral("SlideShow") + host_.mainCaption().mid(7));
    const QColor background =
        ColorRef::backgroundFromSettingsLine(host_.document().settingsLines.value(0), QApplication::palette());
    QPalette palette = ImageScroll->palette();
    palette.setColor(QPalette::Window, background);
    ImageScroll->setPalette(palette);
    ImageScroll->viewport()->setPalette(palette);
    ImageScroll->viewport()->setAutoFillBackground(true);
    jpgImage->setColor(background);
    jpgImage2->setColor(background);
}

void TfmShow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

int TfmShow::slideTime(int index) {
    const QString entry = host_.document().timings.value(index);
    bool ok = false;
    const int ms = entry.toInt(&ok, 10);
    if (ok && ms >= 0)
        return ms;
    // A damaged time would stall the show on this slide for good; say so once and use the
    // default delay instead.
    if (!reportedTimings_.contains(index)) {
        reportedTimings_.insert(index);
        host_.messages().error(QLatin1Char('\'') + entry + QStringLiteral("' is not a valid integer value"));
    }
    return 0;
}

bool TfmShow::deferredDuringStep(void (TfmShow::*command)()) {
    if (!stepping_)
        return false;
    QTimer::singleShot(0, this, command);
    return true;
}

void TfmShow::ShowTimerTimer() {
    if (deferredDuringStep(&TfmShow::ShowTimerTimer))
        return;
    stepping_ = true;
    const auto done = qScopeGuard([this] { stepping_ = false; });
    armTimer(false);
    audio_->cutSlideSound();
    ShowDocument& doc = host_.document();
    const int n = doc.slideCount();
    if (NextSlide >= n && host_.loop())
        NextSlide = 0;
    if (NextSlide >= n) {
        // The show has run out: back to the editor with the first slide selected.
        NextSlide = 0;
        jpgImage->clearPicture();
        armTimer(false);
        audio_->closeMusic();
        handBackToEditor();
        return;
    }
    const int i = NextSlide;
    const QString path = doc.imagePaths.value(i);
    const int t = slideTime(i);
    ShowTimer->setInterval(t != 0 ? t : host_.delayPosition() * 1000);
    UpdateShowStatus(path);
    DisplaySlide(path);
    // The window may have been closed while the slide was painted in (the transition lets
    // window messages through once); a stopped show starts no sound and no timer.
    if (!isVisible())
        return;
    if (host_.musicEnabled())
        audio_->PlaySlideAudio(doc.soundPaths.value(i));
    NextSlide = i + 1;
    prefetchNext();
    armTimer(true);
}

void TfmShow::handBackToEditor() {
    hide();
    host_.showEditor();
    host_.selectFirstSlide();
    host_.showPreview(host_.document().imagePaths.value(0), 0);
}

QSize TfmShow::decodeSize() const {
    return host_.fitToWindow() ? ImageScroll->viewport()->size() : QSize();
}

void TfmShow::prefetchNext() {
    const ShowDocument& doc = host_.document();
    int next = NextSlide;
    if (next >= doc.slideCount() && host_.loop())
        next = 0;
    if (next < doc.slideCount())
        cache_->prefetch(doc.imagePaths[next], decodeSize());
}

void TfmShow::UpdateShowStatus(const QString& path) {
    const int n = host_.document().slideCount();
    setStatus(0, host_.autoAdvance() ? QStringLiteral("Playing") : QStringLiteral("Paused"));
    setStatus(1, QStringLiteral("Slide: %1 of %2").arg(NextSlide + 1).arg(n));
    setStatus(2, fileNamePart(path));
}

bool TfmShow::DisplaySlide(const QString& path) {
    const int i = NextSlide;
    const int n = host_.document().slideCount();
    const QString caption = host_.document().captions.value(i).trimmed();
    pnCaption->setText(caption);
    pnCaption->setVisible(host_.showCaptions() && !caption.isEmpty());
    if (host_.transitionEffects()) {
        if (++EffectCounter > 3)
            EffectCounter = 1;
    } else {
        EffectCounter = 0;
    }
    FitToWindow = host_.fitToWindow();

    bool ok = false;
    try {
        jpgImage2->setDecodeSize(decodeSize());
        jpgImage2->loadFile(path);
        ImageScroll->horizontalScrollBar()->setValue(0);
        ImageScroll->verticalScrollBar()->setValue(0);
        ok = PlaceImage(*jpgImage2, *jpgImage, *Edge, FitToWindow, EffectCounter,
                        ImageScroll->palette().color(QPalette::Window), screenSize_);
    } catch (const ImageLoadError& error) {
        // A damaged metafile or icon: say what the decoder said, then treat the slide as
        // unreadable rather than stalling the show on it.
        host_.messages().error(error.text());
    }
    if (ok) {
        pnNoPicFound->hide();
        return true;
    }
    pnNoPicFound->setText(QStringLiteral("Cannot read: ") + path);
    pnNoPicFound->show();
    pnNoPicFound->raise();
    setStatus(0, QStringLiteral("Slide: %1 of %2").arg(i + 1).arg(n));
    setStatus(1, QStringLiteral("***"));
    return false;
}

void TfmShow::Next1Click() {
    if (deferredDuringStep(&TfmShow::Next1Click))
        return;
    const bool armed = ShowTimer->isActive();
    armTimer(false);
    ShowTimerTimer();
    // Past the last slide of a show that does not loop the step has ended the show; a hidden
    // window keeps its timer disarmed.
    armTimer(armed && isVisible());
}

void TfmShow::Back1Click() {
    if (deferredDuringStep(&TfmShow::Back1Click))
        return;
    const bool armed = ShowTimer->isActive();
    armTimer(false);
    const int n = host_.document().slideCount();
    for (int k = 0; k < 2; ++k) {
        if (--NextSlide < 0)
            NextSlide = n - 1;
    }
    ShowTimerTimer();
    armTimer(armed && isVisible());
}

void TfmShow::Pause1Click() {
    if (deferredDuringStep(&TfmShow::Pause1Click))
        return;
    armTimer(false);
    setStatus(0, QStringLiteral("Paused"));
    host_.setAutoAdvance(false);
    Resume1->setEnabled(true);
    Pause1->setEnabled(false);
}

void TfmShow::Resume1Click() {
    if (deferredDuringStep(&TfmShow::Resume1Click))
        return;
    host_.setAutoAdvance(true);
    armTimer(true);
    ShowTimerTimer();
    Resume1->setEnabled(false);
    Pause1->setEnabled(true);
}

void TfmShow::btPauseClick() {
    if (deferredDuringStep(&TfmShow::btPauseClick))
        return;
    if (host_.autoAdvance()) {
        btPause->setChecked(true);
        Pause1Click();
    } else {
        btPause->setChecked(false);
        Resume1Click();
    }
}

void TfmShow::closePlayers() {
    // A failure closing either player is of no consequence here.
    audio_->closeBoth();
}

void TfmShow::btStopClick() {
    if (deferredDuringStep(&TfmShow::btStopClick))
        return;
    armTimer(false);
    NextSlide = 0;
    host_.showEditor();
    host_.selectFirstSlide();
    host_.showPreview(host_.document().imagePaths.value(0), 0);
    hide();
    closePlayers();
}

void TfmShow::StopShow1Click() {
    if (deferredDuringStep(&TfmShow::StopShow1Click))
        return;
    close();
}

void TfmShow::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

void TfmShow::FormClose() {
    armTimer(false);
    closePlayers();
    host_.showEditor();
    host_.selectFirstSlide();
    host_.showPreview(host_.document().imagePaths.value(0), 0);
}

void TfmShow::FormKeyPress(QChar key) {
    if (stepping_) {
        QTimer::singleShot(0, this, [this, key] { FormKeyPress(key); });
        return;
    }
    if (key.unicode() == 27) {
        armTimer(false);
        NextSlide = 0;
        host_.showEditor();
        hide();
        closePlayers();
        return;
    }
    if (key == QLatin1Char('p') || key == QLatin1Char('P')) {
        if (ShowTimer->isActive())
            Pause1Click();
        else
            Resume1Click();
    }
    if (key == QLatin1Char(' ') || key == QLatin1Char('n') || key == QLatin1Char('N'))
        Next1Click();
    if (key == QLatin1Char('B') || key == QLatin1Char('b'))
        Back1Click();
}

void TfmShow::keyPressEvent(QKeyEvent* event) {
    showPointer();
    if (event->key() == Qt::Key_F11) {
        setWindowState(windowState() ^ Qt::WindowFullScreen);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        FormKeyPress(QChar(27));
        return;
    }
    const QString text = event->text();
    if (text.size() == 1)
        FormKeyPress(text[0]);
    else
        QWidget::keyPressEvent(event);
}

void TfmShow::popSlideMenuPopup() {
    const bool tracks = !host_.document().musicTracks.isEmpty();
    MusicOn1->setEnabled(tracks);
    MusicOn1->setText(host_.musicEnabled() ? QStringLiteral("&Music Off") : QStringLiteral("&Music On"));
    const bool advance = host_.autoAdvance();
    Pause1->setEnabled(advance);
    Resume1->setEnabled(!advance);
    HideCaption1->setText(host_.showCaptions() ? QStringLiteral("&Hide Caption")
                                               : QStringLiteral("Show &Caption"));
}

void TfmShow::HideCaption1Click() {
    if (HideCaption1->text() == QLatin1String("&Hide Caption")) {
        host_.setShowCaptions(false);
        pnCaption->hide();
        HideCaption1->setText(QStringLiteral("Show &Caption"));
    } else {
        host_.setShowCaptions(true);
        pnCaption->show();
        // The layout keeps the button bar below the caption bar.
        HideCaption1->setText(QStringLiteral("&Hide Caption"));
    }
}

void TfmShow::MusicOn1Click() {
    MusicOn1->setText(audio_->MusicOn1Click(MusicOn1->text()));
}

void TfmShow::pnBottomResize() {
    pnButtons->move((pnBottom->width() - pnButtons->width()) / 2, 2);
}

void TfmShow::setPointerHideDelay(int ms) {
    pointerTimer_->setInterval(ms);
}

void TfmShow::showPointer() {
    if (cursor().shape() == Qt::BlankCursor)
        unsetCursor();
    pointerTimer_->start();
}

bool TfmShow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnBottom && event->type() == QEvent::Resize) {
        pnBottomResize();
    } else if (event->type() == QEvent::MouseMove) {
        showPointer();
    } else if (event->type() == QEvent::MouseButtonPress) {
        showPointer();
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton &&
            (watched == ImageScroll->viewport() || watched == jpgImage)) {
            Next1Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
