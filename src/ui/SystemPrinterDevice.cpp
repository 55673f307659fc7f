#include "SystemPrinterDevice.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPushButton>

SystemPrinterDevice::SystemPrinterDevice() = default;

SystemPrinterDevice::~SystemPrinterDevice() {
    if (painter_ && painter_->isActive())
        abort();
}

PrinterDevice::Orientation SystemPrinterDevice::orientation() const {
    return printer_.pageLayout().orientation() == QPageLayout::Landscape ? Orientation::Landscape
                                                                         : Orientation::Portrait;
}

void SystemPrinterDevice::setOrientation(Orientation orientation) {
    printer_.setPageOrientation(orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                      : QPageLayout::Portrait);
}

QSize SystemPrinterDevice::pageSize() const {
    // The painter of a job starts at the printable area's top-left corner, so this is the whole
    // surface a job can draw on.
    return printer_.pageLayout().paintRectPixels(printer_.resolution()).size();
}

bool SystemPrinterDevice::setup(QWidget* parent) {
    QPrintDialog dialog(&printer_, parent);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    // The dialog only sets the printer up; printing is the preview's own button.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("&OK"));
    return dialog.exec() == QDialog::Accepted;
}

bool SystemPrinterDevice::printsToFile() const {
    return printer_.outputFormat() == QPrinter::PdfFormat;
}

bool SystemPrinterDevice::needsFileName() const {
    return printsToFile() && printer_.outputFileName().isEmpty();
}

bool SystemPrinterDevice::begin() {
    error_.clear();
    if (!jobFile_.isEmpty()) {
        fileBeforeJob_ = printer_.outputFileName();
        jobFileSet_ = true;
        printer_.setOutputFileName(jobFile_);
        jobFile_.clear();
    }
    writing_ = printsToFile() ? printer_.outputFileName() : QString();
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&printer_)) {
        // Nothing was opened, so there is nothing to remove.
        error_ = printsToFile() ? QStringLiteral("Cannot write ") + writing_
                                : QStringLiteral("The printer did not accept the job");
        writing_.clear();
        painter_.reset();
        finishJob();
        return false;
    }
    return true;
}

bool SystemPrinterDevice::draw(const QRect& target, const Painting& paint) {
    if (!painter_ || !painter_->isActive()) {
        error_ = QStringLiteral("No job has begun");
        return false;
    }
    painter_->save();
    paint(*painter_, target);
    painter_->restore();
    if (printer_.printerState() == QPrinter::Error) {
        error_ = QStringLiteral("The printer reported an error while drawing");
        return false;
    }
    return true;
}

bool SystemPrinterDevice::end() {
    if (!painter_ || !painter_->isActive()) {
        error_ = QStringLiteral("No job has begun");
        return false;
    }
    const bool ended = painter_->end();
    if (!ended || printer_.printerState() == QPrinter::Error) {
        error_ = QStringLiteral("The printer could not finish the job");
        return false;
    }
    painter_.reset();
    writing_.clear();
    finishJob();
    return true;
}

void SystemPrinterDevice::abort() {
    if (painter_) {
        if (painter_->isActive()) {
            printer_.abort();
            painter_->end();
        }
        painter_.reset();
    }
    if (!writing_.isEmpty() && QFile::exists(writing_))
        QFile::remove(writing_);
    writing_.clear();
    finishJob();
}

void SystemPrinterDevice::finishJob() {
    if (jobFileSet_) {
        printer_.setOutputFileName(fileBeforeJob_);
        jobFileSet_ = false;
    }
}
