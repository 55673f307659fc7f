#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;
class QWidget;

// The printer as the print preview sees it: its orientation, the printable part of a page, the
// system's set-up dialog and one job of one page. Everything is measured in the printer's own
// pixels, with the origin at the top-left corner of the printable area. What is printed is drawn
// by the caller through a painter, so this layer knows nothing of pictures.
class PrinterDevice {
public:
    enum class Orientation { Portrait, Landscape };
    // Draws into target on the painter the job hands over.
    using Painting = std::function<void(QPainter& painter, const QRect& target)>;

    virtual ~PrinterDevice() = default;

    virtual Orientation orientation() const = 0;
    virtual void setOrientation(Orientation orientation) = 0;
    // The printable area of one page in the current orientation; empty when the printer cannot
    // say.
    virtual QSize pageSize() const = 0;
    // The system's printer set-up (printer, paper, orientation, a file to print to); true when the
    // user confirmed it.
    virtual bool setup(QWidget* parent) = 0;

    // True when a job would be written to a file that nobody has named yet: there is no printer
    // and the set-up never chose a file.
    virtual bool needsFileName() const = 0;
    // The file the next job is written to; the job after it asks again.
    virtual void setJobFileName(const QString& path) = 0;
    // The name the job carries in the printer's queue (and a PDF's title).
    virtual void setDocumentName(const QString& name) = 0;

    // One job: begin, draw, end. After a failure of draw or end, abort() throws the job away and
    // removes whatever file it had written.
    virtual bool begin() = 0;
    virtual bool draw(const QRect& target, const Painting& paint) = 0;
    virtual bool end() = 0;
    virtual void abort() = 0;
    // Why the last step failed, for diagnostics.
    virtual QString errorText() const = 0;
};
