#pragma once

// Paints a new frame onto the show's picture widget through one of the transition effects, then
// makes the frame that widget's picture.

#include "PictureWidget.h"

#include <QImage>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class TransitionCanvas;
class UserMessages;

enum class TransitionEffect : quint8 { None, Rows, Columns, Diagonals, Squares, Rings };

class TransitionHost : public QObject {
    Q_OBJECT
public:
    explicit TransitionHost(UserMessages& messages, QObject* parent = nullptr);
    ~TransitionHost() override;

    // The widget the effects paint on; forgotten when it is destroyed.
    void setTarget(PictureWidget* target) { target_ = target; }
    PictureWidget* target() const { return target_; }

    TransitionEffect effect() const { return effect_; }
    void setEffect(TransitionEffect effect) { effect_ = effect; }
    // How fast an effect runs (pace x 120 ms) and how thick its bands are, in pixels.
    int pace() const { return pace_; }
    void setPace(int pace) { pace_ = pace; }
    int bandThickness() const { return bandThickness_; }
    void setBandThickness(int pixels) { bandThickness_ = pixels; }

    // Paints frame onto the target through the effect and makes it the target's picture. A null
    // frame does nothing. Without a target the frame is dropped with a message; without an effect
    // the frame becomes the picture after a message.
    void run(const QImage& frame);

    // Replaces the wall clock and the on-screen canvas, for tests: the factory is given the target
    // and the bitmap and returns the canvas the effect paints on.
    using CanvasFactory = std::function<std::unique_ptr<TransitionCanvas>(PictureWidget&, const QImage&)>;
    void setCanvasFactory(CanvasFactory factory) { canvasFactory_ = std::move(factory); }

private:
    UserMessages& messages_;
    QPointer<PictureWidget> target_;
    TransitionEffect effect_ = TransitionEffect::None;
    int pace_ = 25;
    int bandThickness_ = 4;
    CanvasFactory canvasFactory_;
};
