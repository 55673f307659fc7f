#include "ImageViewerWindow.h"

#include "BusyCursor.h"
#include "ElidingLabel.h"
#include "PathNames.h"
#include "PictureWidget.h"
#include "PrintPreviewWindow.h"
#include "UserMessages.h"
#include "ViewerLayout.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kToolStripHeight = 37;
constexpr int kZoomKeyStep = 25;
// One notch of an ordinary mouse wheel.
constexpr int kWheelNotch = 120;

// A printer drawn in a few strokes, for desktops whose icon theme has none.
QIcon drawnPrinterIcon() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1.2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(7.5, 2.5, 9, 7)); // the sheet going in
    painter.setBrush(QColor(150, 150, 155));
    painter.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 2, 2); // the body
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(6.5, 14.5, 11, 7)); // the sheet coming out
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.drawLine(QPointF(8.5, 17.5), QPointF(15.5, 17.5));
    painter.drawLine(QPointF(8.5, 19.5), QPointF(13.5, 19.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 180, 75));
    painter.drawEllipse(QPointF(18.5, 11), 1, 1); // the power light
    painter.end();
    return QIcon(pixmap);
}

} // namespace

ImageViewerWindow::ImageViewerWindow(UserMessages& messages, PrintPreviewWindow& preview, QWidget* parent)
    : QDialog(parent), messages_(messages), preview_(preview) {
    setObjectName(QStringLiteral("imageViewerWindow"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Orvanne"));

    toolStrip_ = new QWidget(this);
    toolStrip_->setObjectName(QStringLiteral("toolStrip"));
    toolStrip_->setFixedHeight(kToolStripHeight);

    zoomSlider_ = new QSlider(Qt::Horizontal, toolStrip_);
    zoomSlider_->setObjectName(QStringLiteral("zoomSlider"));
    zoomSlider_->setAccessibleName(QStringLiteral("Zoom"));
    zoomSlider_->setRange(kMinZoom, kMaxZoom);
    zoomSlider_->setValue(kDefaultZoom);
    zoomSlider_->setSingleStep(5);
    zoomSlider_->setPageStep(25);
    zoomSlider_->setTickInterval(25);
    zoomSlider_->setTickPosition(QSlider::TicksBelow);
    zoomSlider_->setFixedWidth(150);
    zoomLabel_ = new QLabel(QStringLiteral("Zoom: 100%"), toolStrip_);
    zoomLabel_->setObjectName(QStringLiteral("zoomLabel"));
    zoomLabel_->setAlignment(Qt::AlignCenter);

    printButton_ = new QToolButton(toolStrip_);
    printButton_->setObjectName(QStringLiteral("printButton"));
    printButton_->setIcon(QIcon::fromTheme(QStringLiteral("document-print"), drawnPrinterIcon()));
    printButton_->setIconSize(QSize(24, 24));
    printButton_->setToolTip(QStringLiteral("Print"));
    printButton_->setAccessibleName(QStringLiteral("Print"));
    printButton_->setEnabled(false);

    fileLabel_ = new ElidingLabel(Qt::ElideMiddle, toolStrip_);
    fileLabel_->setObjectName(QStringLiteral("fileLabel"));
    fileLabel_->setFullText(QStringLiteral("File: "));
    captionLabel_ = new ElidingLabel(Qt::ElideRight, toolStrip_);
    captionLabel_->setObjectName(QStringLiteral("captionLabel"));
    captionLabel_->setFullText(QStringLiteral("Caption: "));

    auto* zoomColumn = new QVBoxLayout;
    zoomColumn->setSpacing(0);
    zoomColumn->addWidget(zoomSlider_);
    zoomColumn->addWidget(zoomLabel_);
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(0);
    textColumn->addWidget(fileLabel_);
    textColumn->addWidget(captionLabel_);
    auto* strip = new QHBoxLayout(toolStrip_);
    strip->setContentsMargins(6, 0, 6, 0);
    strip->addLayout(zoomColumn);
    strip->addWidget(printButton_);
    strip->addSpacing(6);
    strip->addLayout(textColumn, 1);

    imageScroll_ = new QScrollArea(this);
    imageScroll_->setObjectName(QStringLiteral("imageScroll"));
    imageScroll_->setAccessibleName(QStringLiteral("Picture"));
    // No frame: the scroll bars then appear exactly when the picture is larger than the area.
    imageScroll_->setFrameShape(QFrame::NoFrame);
    imageScroll_->setWidgetResizable(false);
    imageScroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("imageContent"));
    picture_ = new PictureWidget(messages_, content_);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setAccessibleName(QStringLiteral("Picture"));
    picture_->setStretch(true);
    picture_->hide();
    imageScroll_->setWidget(content_);
    imageScroll_->viewport()->installEventFilter(this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(toolStrip_);
    column->addWidget(imageScroll_, 1);

    auto addCommand = [this](const char* name, const QString& text, const QList<QKeySequence>& keys) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        addAction(action);
        return action;
    };
    connect(addCommand("zoomInAction", QStringLiteral("Zoom In"),
                       {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)}),
            &QAction::triggered, this, &ImageViewerWindow::zoomIn);
    connect(addCommand("zoomOutAction", QStringLiteral("Zoom Out"), {QKeySequence::ZoomOut}),
            &QAction::triggered, this, &ImageViewerWindow::zoomOut);
    connect(
        addCommand("resetZoomAction", QStringLiteral("Actual Size"), {QKeySequence(Qt::CTRL | Qt::Key_0)}),
        &QAction::triggered, this, &ImageViewerWindow::resetZoom);
    connect(addCommand("printAction", QStringLiteral("Print"), {QKeySequence::Print}), &QAction::triggered,
            this, &ImageViewerWindow::printPreview);
    connect(addCommand("helpAction", QStringLiteral("Help"), {QKeySequence::HelpContents}),
            &QAction::triggered, this, &ImageViewerWindow::showContextHelp);

    connect(zoomSlider_, &QSlider::valueChanged, this, &ImageViewerWindow::zoomChanged);
    connect(printButton_, &QToolButton::clicked, this, &ImageViewerWindow::printPreview);

    resize(620, 475);
    centreOnScreen(*this);
}

ImageViewerWindow::~ImageViewerWindow() = default;

int ImageViewerWindow::zoom() const {
    return zoomSlider_->value();
}

const Picture& ImageViewerWindow::picture() const {
    return picture_->picture();
}

void ImageViewerWindow::showImage(const QString& path, const QString& caption) {
    fileName_ = fileNamePart(path);
    picture_->hide();
    picture_->move(0, 0);
    QString error;
    {
        const BusyCursor busy;
        picture_->loadFile(path, &error);
    }
    if (!error.isEmpty()) {
        // A damaged metafile or icon: told in an error box, as any error nobody handles would
        // be, and there is nothing to view.
        messages_.error(error);
        return;
    }
    // A file that went away since the caller looked leaves an empty picture: the window opens
    // on nothing, with nothing to print.
    printButton_->setEnabled(!picture().isEmpty());
    captionLabel_->setFullText(QStringLiteral("Caption: ") + caption);
    fileLabel_->setFullText(QStringLiteral("File: ") + fileName_);
    setWindowTitle(QStringLiteral("Orvanne - ") + fileName_);
    relayout();
    picture_->show();
    show();
    activateWindow();
}

void ImageViewerWindow::setZoom(int percent) {
    zoomSlider_->setValue(std::clamp(percent, kMinZoom, kMaxZoom));
}

void ImageViewerWindow::zoomIn() {
    setZoom(zoom() + kZoomKeyStep);
}

void ImageViewerWindow::zoomOut() {
    setZoom(zoom() - kZoomKeyStep);
}

void ImageViewerWindow::resetZoom() {
    setZoom(kDefaultZoom);
}

void ImageViewerWindow::zoomChanged(int percent) {
    zoomLabel_->setText(QStringLiteral("Zoom: ") + QString::number(percent) + QStringLiteral("%"));
    relayout();
}

void ImageViewerWindow::relayout() {
    const QRect placed = viewerImageRect(picture().size(), zoom(), size());
    // A widget can be no larger than this; a picture that would be is cut at the far edge.
    const int right = std::min(placed.left() + placed.width(), QWIDGETSIZE_MAX);
    const int bottom = std::min(placed.top() + placed.height(), QWIDGETSIZE_MAX);
    picture_->setGeometry(placed.left(), placed.top(), right - placed.left(), bottom - placed.top());
    // The content ends where the picture does, so the scroll bars appear exactly when the picture
    // is larger than the area that shows it.
    content_->resize(right, bottom);
}

void ImageViewerWindow::printPreview() {
    if (picture().isEmpty())
        return;
    preview_.preview(picture(), fileName_);
}

void ImageViewerWindow::showContextHelp() {
    // The zoom's part of the guide is the one that explains the viewer.
    if (help_)
        help_(kZoomHelpContext);
}

void ImageViewerWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    relayout();
}

bool ImageViewerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imageScroll_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            // Touchpads send many small turns: a zoom step for each whole notch.
            wheelAngle_ += wheel->angleDelta().y();
            const int notches = wheelAngle_ / kWheelNotch;
            wheelAngle_ -= notches * kWheelNotch;
            if (notches != 0)
                setZoom(zoom() + notches * kZoomKeyStep);
            return true;
        }
        wheelAngle_ = 0;
    }
    return QDialog::eventFilter(watched, event);
}
