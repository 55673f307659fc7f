#include "TransitionHost.h"

#include "PictureWidget.h"
#include "TransitionEffects.h"
#include "UserMessages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QThread>
#include <QWidget>

namespace {

// Covers the target while an effect runs and shows the effect's surface; repaint() paints at
// once, since the effect holds the user-interface thread until it is done.
class OverlayWidget : public QWidget {
public:
    explicit OverlayWidget(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    QImage surface;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.drawImage(event->rect(), surface, event->rect());
    }
};

class ScreenCanvas : public TransitionCanvas {
public:
    ScreenCanvas(PictureWidget& target, const QImage& bitmap) : overlay_(new OverlayWidget(&target)) {
        // Start from what the widget shows now, so the new frame is painted over the old one.
        QImage now(bitmap.size(), QImage::Format_RGB32);
        now.fill(target.color().isValid() ? target.color() : QColor(Qt::black));
        {
            QPainter p(&now);
            target.render(&p, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        }
        overlay_->surface = now;
        overlay_->setGeometry(0, 0, bitmap.width(), bitmap.height());
        overlay_->show();
        overlay_->raise();
        clock_.start();
        last_ = 0;
    }
    ~ScreenCanvas() override { delete overlay_; }

    QImage& surface() override { return overlay_->surface; }
    void flush(const QRect& dirty) override {
        if (!dirty.isEmpty() && overlay_->isVisible())
            overlay_->repaint(dirty);
    }
    qint64 elapsedMs() override { return clock_.elapsed(); }
    void nextFrame() override {
        const qint64 due = last_ + 16;
        const qint64 now = clock_.elapsed();
        if (due > now)
            QThread::msleep(static_cast<unsigned long>(due - now));
        last_ = clock_.elapsed();
    }

private:
    OverlayWidget* overlay_;
    QElapsedTimer clock_;
    qint64 last_;
};

std::unique_ptr<TransitionCanvas> makeScreenCanvas(PictureWidget& target, const QImage& bitmap) {
    return std::make_unique<ScreenCanvas>(target, bitmap);
}

} // namespace

TransitionHost::TransitionHost(UserMessages& messages, QObject* parent) : QObject(parent), messages_(messages) {}

TransitionHost::~TransitionHost() = default;

void TransitionHost::run(const QImage& frame) {
    if (frame.isNull())
        return;
    // Pending paints and notices are let through once, as before every effect; keys and clicks
    // wait for the slide to be on screen, so that no command runs in the middle of a step.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });

    PictureWidget* target = target_.data();
    if (!target) {
        messages_.plain(QStringLiteral("No Image Component assigned yet"));
        return;
    }
    // A stretching widget is painted at its own size.
    QImage bitmap = frame;
    if (target->stretch() && !target->size().isEmpty() && target->size() != frame.size())
        bitmap = frame.scaled(target->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_RGB32);

    std::unique_ptr<TransitionCanvas> canvas =
        canvasFactory_ ? canvasFactory_(*target, bitmap) : makeScreenCanvas(*target, bitmap);
    switch (effect_) {
    case TransitionEffect::Rows:
        revealRows(*canvas, bitmap, bandThickness_, pace_);
        break;
    case TransitionEffect::Columns:
        revealColumns(*canvas, bitmap, bandThickness_, pace_);
        break;
    case TransitionEffect::Diagonals:
        revealDiagonals(*canvas, bitmap, bandThickness_, pace_);
        break;
    case TransitionEffect::Squares:
        revealSquares(*canvas, bitmap, bandThickness_, pace_);
        break;
    case TransitionEffect::Rings:
        revealRings(*canvas, bitmap, pace_);
        break;
    case TransitionEffect::None:
        messages_.plain(QStringLiteral("No Transition effect assigned yet!"));
        break;
    }
    canvas.reset();
    target->setImage(bitmap);
}
