#include "ILSpecAd.h"

#include "TransitionEffects.h"
#include "UserMessages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
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
        // Start from what the control shows now, so the new frame is painted over the old one.
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

// Restores the cursor and empties the frame however the run ends.
struct RunGuard {
    TEdge& host;
    QImage& frame;
    QImage work;
    ~RunGuard() {
        work = QImage();
        frame = QImage();
        QApplication::restoreOverrideCursor();
    }
};

} // namespace

QRect TEffectAddOn::pictureRect() const {
    const QRect client(0, 0, geometry.width(), geometry.height());
    if (Picture.isNull())
        return QRect();
    if (Stretch)
        return client;
    if (Center) {
        QRect r(QPoint(), Picture.size());
        r.moveCenter(client.center());
        return r;
    }
    return QRect(QPoint(), Picture.size());
}

void TEffectAddOn::applyAutoSize() {
    if (AutoSize && !Picture.isNull())
        geometry.setSize(Picture.size());
}

bool TEffectAddOn::isOpaque() const {
    return !Picture.isNull() && pictureRect().contains(QRect(0, 0, geometry.width(), geometry.height()));
}

TEdge::TEdge(UserMessages& messages, QObject* parent) : QObject(parent), messages_(messages) {
    // The companion lives at 0,0, 10 x 10, in the button-face colour, and has no window.
    addOn_.geometry = QRect(0, 0, 10, 10);
    addOn_.color = QApplication::palette().color(QPalette::Button);
    addOn_.RotateBackColor = addOn_.color;
}

TEdge::~TEdge() = default;

std::unique_ptr<TransitionCanvas> makeScreenCanvas(PictureWidget& target, const QImage& bitmap) {
    return std::make_unique<ScreenCanvas>(target, bitmap);
}

void RunTransition(TEdge& host) {
    if (host.frame_.isNull())
        return;
    // Pending paints and notices are let through once, as before every effect; keys and clicks
    // wait for the slide to be on screen, so that no command runs in the middle of a step.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RunGuard guard{host, host.frame_, QImage()};

    PictureWidget* target = nullptr;
    for (PictureWidget* candidate :
         {host.sImageImLib.data(), host.sMultiImage.data(), host.sMultiMedia.data()})
        if (candidate)
            target = candidate;
    if (!target) {
        host.messages_.plain(QStringLiteral("No Image Component assigned yet"));
        return;
    }

    const QSize targetSize = target->size();
    if (target->stretch() && !targetSize.isEmpty()) {
        guard.work = host.frame_.scaled(targetSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);
    }
    const QImage& bitmap = guard.work.isNull() ? host.frame_ : guard.work;

    std::unique_ptr<TransitionCanvas> canvas =
        host.canvasFactory_ ? host.canvasFactory_(*target, bitmap) : makeScreenCanvas(*target, bitmap);
    switch (host.FXMethod) {
    case FXHorizontal:
        FXSkipHorizontal(*canvas, bitmap, host.FXColRowThick, host.FXDelay);
        break;
    case FXVertical:
        FXSkipVertical(*canvas, bitmap, host.FXColRowThick, host.FXDelay);
        break;
    case FXDiagonal:
        FXSkipDiagonals(*canvas, bitmap, host.FXColRowThick, host.FXDelay);
        break;
    case FXDiagonalSquares:
        FXSkipDiagonalSquares(*canvas, bitmap, host.FXColRowThick, host.FXDelay);
        break;
    case FXRectangles:
        FXSkipRectangles(*canvas, bitmap, host.FXDelay);
        break;
    default:
        host.messages_.plain(QStringLiteral("No Transition effect assigned yet!"));
        break;
    }

    // The painted bitmap becomes the picture of every target that is set.
    for (PictureWidget* each : {host.sImageImLib.data(), host.sMultiImage.data(), host.sMultiMedia.data()})
        if (each)
            each->setImage(bitmap);
    canvas.reset();
}
