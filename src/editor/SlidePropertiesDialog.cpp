#include "SlidePropertiesDialog.h"

#include "BusyCursor.h"
#include "FileDialogs.h"
#include "MediaPlayer.h"
#include "PathNames.h"
#include "PictureWidget.h"
#include "ShowDocument.h"
#include "SlideTime.h"
#include "SlideTimes.h"
#include "UserMessages.h"
#include "WindowPlacement.h"

#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString kSoundFilter = QStringLiteral("midi files (*.mid);;wav files(*.wav)");
const QString kWavFilter = QStringLiteral("wav files(*.wav)");
const QString kTimingMessage = QStringLiteral("Please enter only numeric values between 0 and 600");

bool namesAFile(const QString& text) {
    return !text.isEmpty() && QFileInfo(text).isFile();
}

// A caption is one line of a list file: pasted line breaks become spaces, or every later caption
// would be read against the wrong slide.
QString oneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2028) || c == QChar(0x2029))
            c = QLatin1Char(' ');
    return text;
}

QToolButton* hintButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setAutoRaise(false);
    return button;
}

} // namespace

SlidePropertiesDialog::SlidePropertiesDialog(ShowDocument& document, UserMessages& messages,
                                             FileDialogs& dialogs, AudioEngine& engine, QWidget* parent)
    : QDialog(parent), doc_(document), messages_(messages), dialogs_(dialogs),
      soundPlayer_(new MediaPlayer(engine, this)) {
    setObjectName(QStringLiteral("slidePropertiesDialog"));
    setWindowTitle(QStringLiteral("Slide Properties"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    soundPlayer_->setObjectName(QStringLiteral("soundPlayer"));

    // The slide's position: "Slide [3] of 5".
    auto* slideLabel = new QLabel(QStringLiteral("Slide"), this);
    positionEdit_ = new QLineEdit(this);
    positionEdit_->setObjectName(QStringLiteral("positionEdit"));
    positionEdit_->setAccessibleName(QStringLiteral("Slide"));
    positionEdit_->setMaxLength(6);
    positionEdit_->setFixedWidth(48);
    positionEdit_->setAlignment(Qt::AlignRight);
    slideLabel->setBuddy(positionEdit_);
    slideTotalLabel_ = new QLabel(this);
    slideTotalLabel_->setObjectName(QStringLiteral("slideTotalLabel"));
    auto* positionRow = new QHBoxLayout;
    positionRow->addWidget(slideLabel);
    positionRow->addWidget(positionEdit_);
    positionRow->addWidget(slideTotalLabel_);
    positionRow->addStretch();

    // The preview: the picture in a sunken panel, its file name under it. The panel's own text
    // says when the picture cannot be read.
    previewPanel_ = new QFrame(this);
    previewPanel_->setObjectName(QStringLiteral("previewPanel"));
    previewPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    previewPanel_->setFixedSize(212, 164);
    previewPanel_->setAccessibleName(QStringLiteral("Preview"));
    previewPicture_ = new PictureWidget(messages, previewPanel_);
    previewPicture_->setObjectName(QStringLiteral("previewPicture"));
    previewPicture_->setAccessibleName(QStringLiteral("Preview picture"));
    previewPicture_->setGeometry(6, 6, 200, 152);
    previewPicture_->setStretchRatio(true);
    previewPicture_->setCenter(true);
    previewPicture_->setColor(palette().color(QPalette::Button));
    previewPicture_->setDecodeSize(previewPicture_->size());
    previewPanelText_ = new QLabel(previewPanel_);
    previewPanelText_->setObjectName(QStringLiteral("previewPanelText"));
    previewPanelText_->setAlignment(Qt::AlignCenter);
    previewPanelText_->setWordWrap(true);
    previewPanelText_->setGeometry(4, 52, 204, 60);
    previewPanelText_->hide();
    previewFileLabel_ = new QLabel(this);
    previewFileLabel_->setObjectName(QStringLiteral("previewFileLabel"));
    previewFileLabel_->setAlignment(Qt::AlignCenter);
    previewFileLabel_->setFixedWidth(previewPanel_->width());
    auto* previewColumn = new QVBoxLayout;
    previewColumn->addWidget(previewPanel_);
    previewColumn->addWidget(previewFileLabel_);
    previewColumn->addStretch();

    // The fields.
    auto* captionLabel = new QLabel(QStringLiteral("Slide Caption:"), this);
    captionEdit_ = new QLineEdit(this);
    captionEdit_->setObjectName(QStringLiteral("captionEdit"));
    captionEdit_->setAccessibleName(QStringLiteral("Slide Caption"));
    captionLabel->setBuddy(captionEdit_);

    auto* soundLabel = new QLabel(QStringLiteral("Audio File:"), this);
    soundEdit_ = new QLineEdit(this);
    soundEdit_->setObjectName(QStringLiteral("soundEdit"));
    soundEdit_->setAccessibleName(QStringLiteral("Audio File"));
    soundEdit_->setMinimumWidth(220);
    soundLabel->setBuddy(soundEdit_);
    playButton_ = hintButton(this, "playButton", QStyle::SP_MediaPlay, QStringLiteral("Play File"));
    stopButton_ = hintButton(this, "stopButton", QStyle::SP_MediaStop, QStringLiteral("Stop"));
    chooseSoundButton_ =
        hintButton(this, "chooseSoundButton", QStyle::SP_DirOpenIcon, QStringLiteral("Import File"));
    playButton_->setEnabled(false);
    stopButton_->hide();
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(soundEdit_, 1);
    // Play and stop take turns in the same place.
    soundRow->addWidget(playButton_);
    soundRow->addWidget(stopButton_);
    soundRow->addWidget(chooseSoundButton_);

    auto* timingLabel = new QLabel(QStringLiteral("Custom Timing:"), this);
    timingEdit_ = new QLineEdit(this);
    timingEdit_->setObjectName(QStringLiteral("timingEdit"));
    timingEdit_->setAccessibleName(QStringLiteral("Custom Timing"));
    timingEdit_->setFixedWidth(64);
    timingEdit_->setAlignment(Qt::AlignRight);
    timingLabel->setBuddy(timingEdit_);
    auto* secondsLabel = new QLabel(QStringLiteral("sec"), this);
    auto* timingRow = new QHBoxLayout;
    timingRow->addWidget(timingLabel);
    timingRow->addWidget(timingEdit_);
    timingRow->addWidget(secondsLabel);
    timingRow->addStretch();

    auto* fields = new QVBoxLayout;
    fields->addWidget(captionLabel);
    fields->addWidget(captionEdit_);
    fields->addSpacing(8);
    fields->addWidget(soundLabel);
    fields->addLayout(soundRow);
    fields->addSpacing(8);
    fields->addLayout(timingRow);
    fields->addStretch();

    auto* body = new QHBoxLayout;
    body->addLayout(previewColumn);
    body->addSpacing(12);
    body->addLayout(fields, 1);

    previousButton_ = new QPushButton(QStringLiteral("<<"), this);
    previousButton_->setObjectName(QStringLiteral("previousButton"));
    previousButton_->setToolTip(QStringLiteral("Previous Slide"));
    previousButton_->setAccessibleName(QStringLiteral("Previous Slide"));
    previousButton_->setAutoDefault(false);
    nextButton_ = new QPushButton(QStringLiteral(">>"), this);
    nextButton_->setObjectName(QStringLiteral("nextButton"));
    nextButton_->setToolTip(QStringLiteral("Next Slide"));
    nextButton_->setAccessibleName(QStringLiteral("Next Slide"));
    nextButton_->setAutoDefault(false);
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previousButton_);
    buttons->addWidget(nextButton_);
    buttons->addStretch();
    buttons->addWidget(okButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(positionRow);
    layout->addLayout(body);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QList<QWidget*> tabOrder = {positionEdit_, captionEdit_,       soundEdit_,  playButton_,
                                      stopButton_,   chooseSoundButton_, timingEdit_, previousButton_,
                                      nextButton_,   okButton_};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    for (QLineEdit* edit : {positionEdit_, timingEdit_, soundEdit_})
        edit->installEventFilter(this);

    connect(previousButton_, &QPushButton::clicked, this, [this] { step(-1); });
    connect(nextButton_, &QPushButton::clicked, this, [this] { step(1); });
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(soundEdit_, &QLineEdit::textChanged, this, &SlidePropertiesDialog::soundEdited);
    connect(chooseSoundButton_, &QToolButton::clicked, this, &SlidePropertiesDialog::chooseSound);
    connect(playButton_, &QToolButton::clicked, this, &SlidePropertiesDialog::play);
    connect(stopButton_, &QToolButton::clicked, this, &SlidePropertiesDialog::stop);
    connect(
        soundPlayer_, &MediaPlayer::notified, this,
        [this](MediaPlayer::NotifyResult result, quint64 playId) { playerNotified(int(result), playId); });

    auto* nextKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    connect(nextKey, &QShortcut::activated, this, [this] { step(1); });
    auto* previousKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    connect(previousKey, &QShortcut::activated, this, [this] { step(-1); });
}

SlidePropertiesDialog::~SlidePropertiesDialog() = default;

void SlidePropertiesDialog::prepare(int currentSlide, int delaySeconds, const QString& audioImportFolder,
                                    const QString& musicFolder) {
    delaySeconds_ = delaySeconds;
    audioImportFolder_ = audioImportFolder;
    musicFolder_ = musicFolder;
    pendingRules_.clear();
    currentSlide_ = (currentSlide >= 0 && currentSlide < doc_.slideCount()) ? currentSlide : 0;
    slideTotalLabel_->setText(QStringLiteral("of ") + QString::number(doc_.slideCount()));
    showPlayButton(false);
    adjustSize();
    centreOnScreen(*this);
    nextButton_->setFocus();
    loadSlideFields(currentSlide_);
}

void SlidePropertiesDialog::edit(int currentSlide, int delaySeconds, const QString& audioImportFolder,
                                 const QString& musicFolder) {
    if (doc_.slideCount() == 0)
        return;
    prepare(currentSlide, delaySeconds, audioImportFolder, musicFolder);
    exec();
}

// ---- the slide's fields ----------------------------------------------------------------------

void SlidePropertiesDialog::loadSlideFields(int index) {
    const Slide slide = doc_.slide(index);
    previewImage(slide.imagePath);
    positionEdit_->setText(QString::number(index + 1));
    captionEdit_->setText(slide.caption);
    if (namesAFile(slide.soundPath.trimmed())) {
        soundEdit_->setText(slide.soundPath);
        playButton_->setEnabled(true);
    } else {
        soundEdit_->clear();
        playButton_->setEnabled(false);
    }
    // A blank or damaged time shows as an empty field, which stores as the default delay: the
    // field never carries the previous slide's time over.
    timingEdit_->setText(SlideTimes::secondsText(slide.timing, locale_));
}

void SlidePropertiesDialog::storeSlideFields(int index) {
    if (index < 0 || index >= doc_.slideCount())
        return;
    doc_.setSoundPath(index, soundEdit_->text().trimmed());
    doc_.setCaption(index, oneLine(captionEdit_->text()));
    doc_.setTiming(index, SlideTime::fromSeconds(timingEdit_->text(), locale_));
}

void SlidePropertiesDialog::previewImage(const QString& path) {
    BusyCursor busy;
    previewPanelText_->clear();
    previewPanelText_->hide();
    QString error;
    if (!previewPicture_->loadFile(path, &error) && (!error.isEmpty() || !QFileInfo(path).isFile())) {
        // A file that is gone or a damaged metafile: said on the panel. Other damage has been
        // reported by the decoder and leaves the picture empty.
        previewPicture_->clearPicture();
        previewPanelText_->setText(QStringLiteral("Cannot read: ") + fileNamePart(path));
        previewPanelText_->show();
        return;
    }
    previewFileLabel_->setText(fileNamePart(path));
}

bool SlidePropertiesDialog::timingCheck() const {
    return SlideTime::isAcceptable(timingEdit_->text(), locale_);
}

bool SlidePropertiesDialog::closeChecks() {
    if (!timingCheck()) {
        timingRefused();
        return false;
    }
    soundEdit_->setText(soundEdit_->text().trimmed());
    if (soundEdit_->text().isEmpty()) {
        playButton_->setEnabled(false);
    } else if (!namesAFile(soundEdit_->text())) {
        soundMissing();
        return false;
    }
    return true;
}

void SlidePropertiesDialog::step(int delta) {
    const int count = doc_.slideCount();
    if (count == 0)
        return;
    // What the closing checks refuse is not stored: the user stays on the slide to put it right.
    if (!runPendingRules() || !closeChecks())
        return;
    storeSlideFields(currentSlide_);
    currentSlide_ = ((currentSlide_ + delta) % count + count) % count;
    loadSlideFields(currentSlide_);
}

void SlidePropertiesDialog::done(int result) {
    if (isVisible()) {
        if (!runPendingRules() || !closeChecks())
            return;
        storeSlideFields(currentSlide_);
    }
    soundPlayer_->close();
    showPlayButton(false);
    QDialog::done(result);
}

// ---- the rules run when the focus leaves a field ---------------------------------------------

bool SlidePropertiesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && isVisible() && !ruleRunning_) {
        // Only a move to another control of the dialog counts: not the window losing the focus
        // to a message box, a menu or another program.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            reason != Qt::MenuBarFocusReason) {
            if (watched == positionEdit_)
                scheduleRule(Rule::Position);
            else if (watched == timingEdit_)
                scheduleRule(Rule::Timing);
            else if (watched == soundEdit_)
                scheduleRule(Rule::Sound);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SlidePropertiesDialog::scheduleRule(Rule rule) {
    // Run once the focus has settled on its new control, in the order the fields were left.
    if (!pendingRules_.contains(rule))
        pendingRules_.append(rule);
    QTimer::singleShot(0, this, [this] {
        if (!ruleRunning_)
            runQueuedRules();
    });
}

bool SlidePropertiesDialog::runQueuedRules() {
    while (!pendingRules_.isEmpty()) {
        if (!runRule(pendingRules_.takeFirst())) {
            // The focus is back in a field the user has to put right: the rest waits for it.
            pendingRules_.clear();
            return false;
        }
    }
    return true;
}

bool SlidePropertiesDialog::runPendingRules() {
    if (ruleRunning_)
        return false;
    const bool positionQueued = pendingRules_.contains(Rule::Position);
    if (!runQueuedRules())
        return false;
    // A position typed and then Enter (or a key of the dialog) moves the slide first.
    if (!positionQueued && focusWidget() == positionEdit_)
        return runRule(Rule::Position);
    return true;
}

bool SlidePropertiesDialog::runRule(Rule rule) {
    ruleRunning_ = true;
    bool accepted = true;
    switch (rule) {
    case Rule::Position:
        accepted = positionRule();
        break;
    case Rule::Timing:
        accepted = timingRule();
        break;
    case Rule::Sound:
        accepted = soundRule();
        break;
    case Rule::None:
        break;
    }
    ruleRunning_ = false;
    return accepted;
}

bool SlidePropertiesDialog::positionRule() {
    doc_.setModified(true);
    bool ok = false;
    const int p = positionEdit_->text().trimmed().toInt(&ok) - 1;
    if (!ok) {
        positionEdit_->setFocus();
        positionEdit_->selectAll();
        return false;
    }
    if (p < 0 || p >= doc_.slideCount()) {
        positionEdit_->setText(QString::number(currentSlide_ + 1));
        return true;
    }
    if (p != currentSlide_) {
        // The other fields go with the slide: the next store writes them at its new place.
        doc_.moveSlide(currentSlide_, p);
        currentSlide_ = p;
        previewImage(doc_.slide(p).imagePath);
    }
    return true;
}

bool SlidePropertiesDialog::timingRule() {
    doc_.setModified(true);
    if (timingCheck())
        return true;
    timingRefused();
    return timingCheck();
}

bool SlidePropertiesDialog::soundRule() {
    doc_.setModified(true);
    soundEdit_->setText(soundEdit_->text().trimmed());
    if (soundEdit_->text().isEmpty()) {
        playButton_->setEnabled(false);
        return true;
    }
    if (namesAFile(soundEdit_->text())) {
        playButton_->setEnabled(true);
        return true;
    }
    soundMissing();
    return false;
}

void SlidePropertiesDialog::timingRefused() {
    const bool wasRunning = std::exchange(ruleRunning_, true);
    if (messages_.ask(MessageKind::Error, MessageButtons::RetryCancel, kTimingMessage) ==
        MessageAnswer::Retry) {
        timingEdit_->setFocus();
        timingEdit_->selectAll();
    } else {
        timingEdit_->clear();
    }
    ruleRunning_ = wasRunning;
}

void SlidePropertiesDialog::soundMissing() {
    const bool wasRunning = std::exchange(ruleRunning_, true);
    messages_.error(QStringLiteral("Unable to locate file: ") + soundEdit_->text());
    soundEdit_->setFocus();
    ruleRunning_ = wasRunning;
}

// ---- the sound ---------------------------------------------------------------------------------

void SlidePropertiesDialog::soundEdited(const QString& text) {
    playButton_->setEnabled(namesAFile(text));
}

void SlidePropertiesDialog::chooseSound() {
    doc_.setModified(true);
    const QString folder = audioImportFolder_.isEmpty() ? musicFolder_ : audioImportFolder_;
    const QString path = dialogs_.openFile(QStringLiteral("Import File"), folder, kSoundFilter, kWavFilter);
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        playButton_->setEnabled(false);
        return;
    }
    playButton_->setEnabled(true);
    soundEdit_->setText(path);

    const std::optional<int> slideSeconds = SlideTimes::wholeSeconds(timingEdit_->text(), locale_);
    if (!slideSeconds) {
        // A time that is no number gives way to the default delay.
        timingEdit_->setText(SlideTimes::secondsText(QStringLiteral("0"), locale_));
        storeSlideFields(currentSlide_);
        loadSlideFields(currentSlide_);
        return;
    }
    stopPreview();
    soundPlayer_->setFileName(path.trimmed());
    if (!soundPlayer_->open()) {
        // The slide keeps its time; the user learns the sound will not play.
        soundPlayer_->close();
        messages_.error(QStringLiteral("Unable to play: ") + path);
        return;
    }
    const qint64 lengthMs = soundPlayer_->length();
    soundPlayer_->close();
    // A sound longer than the slide stretches it to the sound's whole seconds plus one.
    if (const std::optional<int> seconds =
            SlideTimes::stretchedSeconds(*slideSeconds, delaySeconds_, lengthMs)) {
        timingEdit_->setText(QString::number(*seconds));
        storeSlideFields(currentSlide_);
        loadSlideFields(currentSlide_);
    }
}

void SlidePropertiesDialog::play() {
    soundPlayer_->setFileName(soundEdit_->text().trimmed());
    if (!soundPlayer_->open() || !soundPlayer_->play()) {
        soundPlayer_->close();
        messages_.error(QStringLiteral("Unable to play: ") + soundEdit_->text());
        return;
    }
    showPlayButton(true);
}

void SlidePropertiesDialog::stop() {
    soundPlayer_->stop();
    soundPlayer_->close();
    showPlayButton(false);
}

void SlidePropertiesDialog::stopPreview() {
    if (stopButton_->isVisibleTo(this))
        stop();
}

void SlidePropertiesDialog::playerNotified(int result, quint64 playId) {
    // Only a play that ran to its end; a stopped or replaced one has been dealt with already.
    if (result != int(MediaPlayer::NotifyResult::Successful) || playId != soundPlayer_->lastPlayId())
        return;
    soundPlayer_->close();
    showPlayButton(false);
}

void SlidePropertiesDialog::showPlayButton(bool playing) {
    const bool hadFocus = playButton_->hasFocus() || stopButton_->hasFocus();
    playButton_->setVisible(!playing);
    stopButton_->setVisible(playing);
    if (hadFocus)
        (playing ? stopButton_ : playButton_)->setFocus();
}
