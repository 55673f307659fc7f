#pragma once

#include "PrinterDevice.h"

#include <QPrinter>

#include <memory>

class QPainter;

// The system's current printer through Qt. With no printer installed Qt prints to PDF, and a job
// without a file name cannot begin: needsFileName() then says so, and the caller names the file.
class SystemPrinterDevice : public PrinterDevice {
public:
    SystemPrinterDevice();
    ~SystemPrinterDevice() override;

    // The printer itself, for callers that fix its resolution or output file.
    QPrinter& printer() { return printer_; }

    Orientation orientation() const override;
    void setOrientation(Orientation orientation) override;
    QSize pageSize() const override;
    bool setup(QWidget* parent) override;
    bool needsFileName() const override;
    void setJobFileName(const QString& path) override { jobFile_ = path; }
    void setDocumentName(const QString& name) override { printer_.setDocName(name); }
    bool begin() override;
    bool draw(const QRect& target, const Painting& paint) override;
    bool end() override;
    void abort() override;
    QString errorText() const override { return error_; }

private:
    bool printsToFile() const;
    // The job is over: the printer goes back to the file it had before the job's own.
    void finishJob();

    QPrinter printer_{QPrinter::HighResolution};
    std::unique_ptr<QPainter> painter_;
    QString jobFile_;
    QString fileBeforeJob_;
    bool jobFileSet_ = false;
    // The file the running job writes: a failed job leaves nothing half written behind.
    QString writing_;
    QString error_;
};
