#include "PrintPreviewWindow.h"

#include "BusyCursor.h"
#include "FileDialogs.h"
#include "PathNames.h"
#include "PictureWidget.h"
#include "UserMessages.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

const QString kPrintError = QStringLiteral("Error encountered during printing process.");
// The miniature is never more than about a hundred pixels: a copy this size is plenty to scale
// it from, and far cheaper than going back to a photograph of millions of pixels.
constexpr int kThumbnailBox = 256;
constexpr int kPanelSize = 125;

// A small copy of picture as it will look on white paper.
QImage thumbnailOf(const Picture& picture) {
    if (picture.isEmpty())
        return QImage();
    QSize size = picture.size();
    if (size.width() > kThumbnailBox || size.height() > kThumbnailBox)
        size = size.scaled(kThumbnailBox, kThumbnailBox, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    QImage paper(size, QImage::Format_RGB32);
    if (paper.isNull())
        return paper;
    paper.fill(Qt::white);
    QPainter painter(&paper);
    if (picture.isVector())
        picture.draw(painter, QRectF(paper.rect()));
    else
        // An averaging reduction: drawing a large photograph this small straight away would
        // sample a few of its pixels and show noise.
        painter.drawImage(paper.rect(),
                          picture.raster().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return paper;
}

} // namespace

PrintPreviewWindow::PrintPreviewWindow(UserMessages& messages, PrinterDevice& printer, FileDialogs& dialogs,
                                       QWidget* parent)
    : QDialog(parent), messages_(messages), printer_(printer), dialogs_(dialogs) {
    setObjectName(QStringLiteral("printPreviewWindow"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);

    headingLabel_ = new QLabel(QStringLiteral("Page Layout"), this);
    headingLabel_->setObjectName(QStringLiteral("headingLabel"));
    headingLabel_->setAlignment(Qt::AlignCenter);
    headingLabel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    headingLabel_->setMinimumHeight(22);

    pagePanel_ = new QFrame(this);
    pagePanel_->setObjectName(QStringLiteral("pagePanel"));
    pagePanel_->setAccessibleName(QStringLiteral("Page Layout"));
    pagePanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pagePanel_->setFixedSize(kPanelSize, kPanelSize);
    pagePanel_->setBackgroundRole(QPalette::Mid);
    pagePanel_->setAutoFillBackground(true);
    pageOutline_ = new QFrame(pagePanel_);
    pageOutline_->setObjectName(QStringLiteral("pageOutline"));
    pageOutline_->setFrameStyle(QFrame::Box | QFrame::Plain);
    // White paper with a black edge, whatever the desktop's colours.
    QPalette paper = pageOutline_->palette();
    paper.setColor(QPalette::Window, Qt::white);
    paper.setColor(QPalette::WindowText, Qt::black);
    pageOutline_->setPalette(paper);
    // Its own role: a child otherwise fills with the grey panel's.
    pageOutline_->setBackgroundRole(QPalette::Window);
    pageOutline_->setAutoFillBackground(true);
    miniature_ = new PictureWidget(messages, pagePanel_);
    miniature_->setObjectName(QStringLiteral("miniature"));
    miniature_->setAccessibleName(QStringLiteral("The picture on the page"));
    miniature_->setStretch(true);
    miniature_->setColor(Qt::white);
    miniature_->hide();

    scaleSlider_ = new QSlider(Qt::Horizontal, this);
    scaleSlider_->setObjectName(QStringLiteral("scaleSlider"));
    scaleSlider_->setAccessibleName(QStringLiteral("Scale"));
    scaleSlider_->setRange(25, 200);
    scaleSlider_->setValue(100);
    scaleSlider_->setSingleStep(5);
    scaleSlider_->setPageStep(25);
    scaleSlider_->setTickInterval(25);
    scaleSlider_->setTickPosition(QSlider::TicksBelow);
    auto* plusLabel = new QLabel(QStringLiteral("+"), this);
    plusLabel->setObjectName(QStringLiteral("plusLabel"));
    scaleLabel_ = new QLabel(QStringLiteral("Scale: 100%"), this);
    scaleLabel_->setObjectName(QStringLiteral("scaleLabel"));
    scaleLabel_->setAlignment(Qt::AlignCenter);

    printButton_ = new QPushButton(QStringLiteral("&Print"), this);
    printButton_->setObjectName(QStringLiteral("printButton"));
    printButton_->setDefault(true);
    printButton_->setMinimumHeight(44);
    setupButton_ = new QPushButton(QStringLiteral("&Setup..."), this);
    setupButton_->setObjectName(QStringLiteral("setupButton"));
    cancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    auto* orientationGroup = new QGroupBox(QStringLiteral("Orientation"), this);
    orientationGroup->setObjectName(QStringLiteral("orientationGroup"));
    portraitButton_ = new QRadioButton(QStringLiteral("Portrait"), orientationGroup);
    portraitButton_->setObjectName(QStringLiteral("portraitButton"));
    portraitButton_->setChecked(true);
    landscapeButton_ = new QRadioButton(QStringLiteral("Landscape"), orientationGroup);
    landscapeButton_->setObjectName(QStringLiteral("landscapeButton"));
    auto* orientationLayout = new QVBoxLayout(orientationGroup);
    orientationLayout->addWidget(portraitButton_);
    orientationLayout->addWidget(landscapeButton_);

    auto* sliderRow = new QHBoxLayout;
    sliderRow->setSpacing(2);
    sliderRow->addWidget(scaleSlider_, 1);
    sliderRow->addWidget(plusLabel);
    auto* pageColumn = new QVBoxLayout;
    pageColumn->addWidget(headingLabel_);
    pageColumn->addWidget(pagePanel_, 0, Qt::AlignHCenter);
    pageColumn->addLayout(sliderRow);
    pageColumn->addWidget(scaleLabel_);
    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addWidget(printButton_);
    buttonColumn->addWidget(setupButton_);
    buttonColumn->addWidget(cancelButton_);
    buttonColumn->addWidget(orientationGroup);
    buttonColumn->addStretch(1);
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(pageColumn);
    columns->addSpacing(8);
    columns->addLayout(buttonColumn);
    columns->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    centreOnScreen(*this);

    connect(scaleSlider_, &QSlider::valueChanged, this, &PrintPreviewWindow::scaleChanged);
    connect(printButton_, &QPushButton::clicked, this, &PrintPreviewWindow::printImage);
    connect(setupButton_, &QPushButton::clicked, this, &PrintPreviewWindow::printerSetup);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(portraitButton_, &QRadioButton::clicked, this,
            [this] { setOrientation(PrinterDevice::Orientation::Portrait); });
    connect(landscapeButton_, &QRadioButton::clicked, this,
            [this] { setOrientation(PrinterDevice::Orientation::Landscape); });

    auto* help = new QAction(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("helpAction"));
    help->setShortcut(QKeySequence::HelpContents);
    addAction(help);
    connect(help, &QAction::triggered, this, &PrintPreviewWindow::showContextHelp);
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

int PrintPreviewWindow::scale() const {
    return scaleSlider_->value();
}

void PrintPreviewWindow::preview(const Picture& picture, const QString& fileName) {
    picture_ = picture;
    fileName_ = fileName;
    thumbnail_ = thumbnailOf(picture_);
    layoutPage();
    printButton_->setFocus();
    show();
    activateWindow();
}

void PrintPreviewWindow::scaleChanged(int percent) {
    scaleLabel_->setText(QStringLiteral("Scale: ") + QString::number(percent) + QStringLiteral("%"));
    layoutPage();
}

void PrintPreviewWindow::setOrientation(PrinterDevice::Orientation orientation) {
    printer_.setOrientation(orientation);
    layoutPage();
}

void PrintPreviewWindow::printerSetup() {
    // Whatever the user did there (another printer, paper or orientation), the page is worked
    // out again, confirmed or not.
    printer_.setup(this);
    layoutPage();
}

void PrintPreviewWindow::layoutPage() {
    const bool landscape = printer_.orientation() == PrinterDevice::Orientation::Landscape;
    portraitButton_->setChecked(!landscape);
    landscapeButton_->setChecked(landscape);

    layout_ = printLayout(picture_.size(), printer_.pageSize(), scaleSlider_->value(), pagePanel_->size());
    pageOutline_->setGeometry(layout_.outline);
    pageOutline_->setVisible(layout_.outlineShown);
    if (layout_.miniatureShown) {
        miniature_->setGeometry(layout_.miniature);
        miniature_->setImage(miniatureImage(layout_.miniature.size()));
        miniature_->raise();
        miniature_->show();
    } else {
        miniature_->clearPicture();
        miniature_->hide();
    }
    printButton_->setEnabled(layout_.printable);
}

QImage PrintPreviewWindow::miniatureImage(const QSize& size) const {
    if (thumbnail_.isNull())
        return QImage();
    return thumbnail_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void PrintPreviewWindow::printImage() {
    if (!layout_.printable)
        return;
    if (printer_.needsFileName()) {
        const QString target = askForPdfName();
        if (target.isEmpty())
            return;
        printer_.setJobFileName(target);
    }
    bool printed = false;
    {
        const BusyCursor busy;
        printed = runJob();
    }
    if (!printed)
        messages_.error(kPrintError);
    accept();
}

bool PrintPreviewWindow::runJob() {
    printer_.setDocumentName(QStringLiteral("Orvanne - ") + fileName_);
    if (!printer_.begin())
        return false;
    // Drawn straight from the picture: metafiles stay vectors, and whatever is transparent in a
    // raster lies on white paper.
    const Picture picture = picture_;
    const bool drawn = printer_.draw(layout_.printRect, [&picture](QPainter& painter, const QRect& target) {
        painter.fillRect(target, Qt::white);
        picture.draw(painter, QRectF(target));
    });
    if (drawn && printer_.end())
        return true;
    printer_.abort();
    return false;
}

QString PrintPreviewWindow::askForPdfName() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    QString start = joinPath(folder, QFileInfo(fileName_).completeBaseName() + QStringLiteral(".pdf"));
    for (;;) {
        QString target = dialogs_.saveFile(QStringLiteral("Print to File"), start,
                                           QStringLiteral("PDF files (*.pdf)"), QStringLiteral("pdf"));
        if (target.isEmpty())
            return QString();
        target = QFileInfo(target).absoluteFilePath();
        if (!QFileInfo::exists(target))
            return target;
        const MessageAnswer replace = messages_.ask(MessageKind::Confirmation, MessageButtons::YesNo,
                                                    QStringLiteral("Overwrite existing file: ") +
                                                        fileNamePart(target) + QStringLiteral("?"));
        if (replace == MessageAnswer::Yes)
            return target;
        start = target;
    }
}

void PrintPreviewWindow::showContextHelp() {
    if (!help_)
        return;
    int context = kHelpContext;
    const QWidget* focus = focusWidget();
    // The miniature page and its heading take no keyboard focus: the pointer resting on them
    // asks about them.
    const QWidget* pointed = childAt(mapFromGlobal(QCursor::pos()));
    if (focus == scaleSlider_)
        context = kScaleHelpContext;
    else if (focus == setupButton_)
        context = kSetupHelpContext;
    else if (pointed &&
             (pointed == headingLabel_ || pointed == pagePanel_ || pagePanel_->isAncestorOf(pointed)))
        context = kPageHelpContext;
    help_(context);
}
