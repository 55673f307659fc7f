#pragma once

// Paints a new frame onto the show's picture widget through one of the transition effects, a
// little at every frame of the screen, and makes the frame that widget's picture when it is
// whole. Nothing waits: the effect runs on a timer while the program goes on.

#include "PictureWidget.h"
#include "TransitionEffects.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QTimer;
class UserMessages;

class TransitionHost : public QObject {
    Q_OBJECT
public:
    explicit TransitionHost(UserMessages& messages, QObject* parent = nullptr);
    ~TransitionHost() override;

    // The widget the effects paint on; forgotten when it is destroyed.
    void setTarget(PictureWidget* target);
    PictureWidget* target() const { return target_; }

    TransitionEffect effect() const { return effect_; }
    void setEffect(TransitionEffect effect) { effect_ = effect; }
    // How fast an effect runs (pace x 120 ms) and how thick its bands are, in pixels.
    int pace() const { return pace_; }
    void setPace(int pace) { pace_ = pace; }
    int bandThickness() const { return bandThickness_; }
    void setBandThickness(int pixels) { bandThickness_ = pixels; }

    // Starts painting frame onto the target through the effect and returns at once; finished()
    // follows when the frame is whole and is the target's picture. A transition still under way
    // is finished first. A null frame does nothing. Without a target the frame is dropped with a
    // message; without an effect it becomes the picture at once, after a message.
    void run(const QImage& frame);
    bool isRunning() const { return reveal_ != nullptr; }
    // Paints the rest of the transition under way at once (finished() follows before it returns).
    void finish();
    // Paints what is due now; the host's timer calls it about sixty times a second.
    void tick();

    // Replaces the wall clock (milliseconds since the transition started), for tests.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

signals:
    // The frame is whole on the target.
    void finished();

private:
    void complete();

    UserMessages& messages_;
    QPointer<PictureWidget> target_;
    TransitionEffect effect_ = TransitionEffect::None;
    int pace_ = 25;
    int bandThickness_ = 4;
    std::unique_ptr<Reveal> reveal_;
    QPointer<QWidget> overlay_;
    QTimer* ticker_;
    QElapsedTimer started_;
    std::function<qint64()> clock_;
};
