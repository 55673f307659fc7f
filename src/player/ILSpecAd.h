#pragma once

// The transition host: holds the effect settings and the frame to paint in next, and runs one
// effect onto a target image control, after which the frame becomes that control's picture.

#include "Picture.h"
#include "PictureWidget.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>

class UserMessages;
class TransitionCanvas;

enum TFXMethod : quint8 { FXNone, FXHorizontal, FXVertical, FXDiagonal, FXDiagonalSquares, FXRectangles };

// The host's companion picture control. It is created with the host and never given a window,
// so it is never seen; it keeps its settings and knows how it would paint.
class TEffectAddOn {
public:
    enum CopyFlag { C_DEL = 1, C_ANTIALIAS = 2 };
    enum Dither { IL_NONE, IL_BAYER };

    QImage Picture;
    bool AutoSize = false;
    bool Stretch = false;
    bool Center = false;
    int B_W_CopyFlags = C_DEL | C_ANTIALIAS;
    bool ILUndo = true;
    Dither ReduceDither = IL_BAYER;
    QColor RotateBackColor;
    TFXMethod FXMethod = FXNone;
    int FXDelay = 25;
    int FXColRowThick = 4;
    QRect geometry{0, 0, 105, 105};
    QColor color;
    bool visible = true;

    // Where the picture lands: stretched to the client area, else centred, else at the top-left.
    QRect pictureRect() const;
    // AutoSize takes the picture's size.
    void applyAutoSize();
    // Opaque when a picture covers the whole area.
    bool isOpaque() const;
};

class TEdge : public QObject {
    Q_OBJECT
public:
    explicit TEdge(UserMessages& messages, QObject* parent = nullptr);
    ~TEdge() override;

    // The three kinds of target; QPointer clears a reference when its control is destroyed.
    QPointer<PictureWidget> sMultiMedia;
    QPointer<PictureWidget> sMultiImage;
    QPointer<PictureWidget> sImageImLib;
    TFXMethod FXMethod = FXNone;
    int FXDelay = 25;
    int FXColRowThick = 4;

    // The picture to paint in next; empty between runs.
    QImage& frame() { return frame_; }
    TEffectAddOn& addOn() { return addOn_; }

    // Replaces the wall clock and the on-screen canvas, for tests: the factory is given the target
    // and the bitmap and returns the canvas the effect paints on (null: the real one).
    using CanvasFactory = std::function<std::unique_ptr<TransitionCanvas>(PictureWidget&, const QImage&)>;
    void setCanvasFactory(CanvasFactory factory) { canvasFactory_ = std::move(factory); }

private:
    friend void RunTransition(TEdge& host);

    UserMessages& messages_;
    QImage frame_;
    TEffectAddOn addOn_;
    CanvasFactory canvasFactory_;
};

// Paints the host's frame onto its target through the chosen effect and makes it the target's
// picture. Returns at once when there is no frame. An error inside passes on to the caller after
// the frame has been emptied and the cursor restored.
void RunTransition(TEdge& host);

// The canvas over a real image control: a child window covering the control shows the surface
// while the effect runs and is removed afterwards.
std::unique_ptr<TransitionCanvas> makeScreenCanvas(PictureWidget& target, const QImage& bitmap);
