#include "TransitionHost.h"

#include "UserMessages.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

// Covers the target while an effect runs and shows the effect's surface; only the part that
// changed is painted at each frame.
class OverlayWidget : public QWidget {
public:
    OverlayWidget(QWidget* parent, const QImage* surface) : QWidget(parent), surface_(surface) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.drawImage(event->rect(), *surface_, event->rect());
    }

private:
    const QImage* surface_;
};

// About sixty frames a second.
constexpr int kFrameMs = 16;

} // namespace

TransitionHost::TransitionHost(UserMessages& messages, QObject* parent)
    : QObject(parent), messages_(messages), ticker_(new QTimer(this)) {
    ticker_->setTimerType(Qt::PreciseTimer);
    ticker_->setInterval(kFrameMs);
    connect(ticker_, &QTimer::timeout, this, &TransitionHost::tick);
}

TransitionHost::~TransitionHost() {
    delete overlay_.data();
}

void TransitionHost::setTarget(PictureWidget* target) {
    finish();
    target_ = target;
}

void TransitionHost::run(const QImage& frame) {
    finish();
    if (frame.isNull())
        return;
    PictureWidget* target = target_.data();
    if (!target) {
        messages_.plain(QStringLiteral("No Image Component assigned yet"));
        emit finished();
        return;
    }
    // A stretching widget is painted at its own size.
    QImage bitmap = frame;
    if (target->stretch() && !target->size().isEmpty() && target->size() != frame.size())
        bitmap = frame.scaled(target->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (effect_ == TransitionEffect::None) {
        messages_.plain(QStringLiteral("No Transition effect assigned yet!"));
        target->setImage(bitmap);
        emit finished();
        return;
    }

    // The effect starts from what the widget shows now: its own frame when it holds one of this
    // size (the slide before), else whatever a rendering of it gives.
    QImage before = target->picture().raster();
    if (target->picture().isVector() || before.size() != bitmap.size() || target->size() != bitmap.size()) {
        before = QImage(bitmap.size(), QImage::Format_RGB32);
        before.fill(target->color().isValid() ? target->color() : QColor(Qt::black));
        QPainter p(&before);
        // Only the part the frame covers: the widget may be far larger (a picture at its
        // natural size, shown through a scroll area).
        target->render(&p, QPoint(), QRegion(QRect(QPoint(), bitmap.size())), QWidget::DrawWindowBackground);
    }
    reveal_ = std::make_unique<Reveal>(effect_, before, bitmap, bandThickness_, pace_);
    auto* overlay = new OverlayWidget(target, &reveal_->surface());
    overlay->setGeometry(0, 0, bitmap.width(), bitmap.height());
    overlay->show();
    overlay->raise();
    overlay_ = overlay;
    started_.start();
    ticker_->start();
}

void TransitionHost::tick() {
    if (!reveal_)
        return;
    const qint64 elapsed = clock_ ? clock_() : started_.elapsed();
    const QRect dirty = reveal_->advanceTo(elapsed);
    if (overlay_ && !dirty.isEmpty())
        overlay_->update(dirty);
    if (reveal_->isDone())
        complete();
}

void TransitionHost::finish() {
    if (!reveal_)
        return;
    reveal_->finish();
    complete();
}

void TransitionHost::complete() {
    ticker_->stop();
    const QImage frame = reveal_->surface();
    reveal_.reset();
    delete overlay_.data();
    if (target_)
        target_->setImage(frame);
    emit finished();
}
