#pragma once

#include "PrinterDevice.h"

#include <QList>
#include <QPainter>
#include <QPicture>
#include <QRect>
#include <QStringList>

#include <functional>

// A printer with a page of 4800 x 6600 pixels (6600 x 4800 in landscape) that records each call
// of a job and can be told to fail at any step. Drawing really paints, into a QPicture, so a
// test can see that something was drawn without any pixel memory of page size.
class FakePrinterDevice : public PrinterDevice {
public:
    enum class Step { None, Begin, Draw, End };

    Orientation orientation() const override { return orientation_; }
    void setOrientation(Orientation orientation) override {
        orientation_ = orientation;
        calls << (orientation == Orientation::Landscape ? QStringLiteral("landscape")
                                                        : QStringLiteral("portrait"));
    }
    QSize pageSize() const override {
        if (page.isEmpty())
            return page;
        return orientation_ == Orientation::Landscape ? page.transposed() : page;
    }
    bool setup(QWidget*) override {
        calls << QStringLiteral("setup");
        if (onSetup)
            onSetup(*this);
        return setupConfirms;
    }
    bool needsFileName() const override { return printsToFile && fileName.isEmpty(); }
    void setJobFileName(const QString& path) override { jobFile = path; }
    void setDocumentName(const QString& name) override { documentName = name; }

    bool begin() override {
        calls << QStringLiteral("begin");
        if (failAt == Step::Begin)
            return fail();
        return true;
    }
    bool draw(const QRect& target, const Painting& paint) override {
        calls << QStringLiteral("draw");
        drawnInto << target;
        if (onDraw)
            onDraw();
        QPainter painter(&drawing);
        paint(painter, target);
        painter.end();
        if (failAt == Step::Draw)
            return fail();
        return true;
    }
    bool end() override {
        calls << QStringLiteral("end");
        if (failAt == Step::End)
            return fail();
        jobFiles << jobFile;
        jobFile.clear();
        return true;
    }
    void abort() override {
        calls << QStringLiteral("abort");
        jobFile.clear();
    }
    QString errorText() const override { return error; }

    // The page of the portrait orientation.
    QSize page{4800, 6600};
    Step failAt = Step::None;
    bool setupConfirms = true;
    std::function<void(FakePrinterDevice&)> onSetup;
    std::function<void()> onDraw;
    // Like a machine without a printer: jobs go to a PDF file, which must be named first, unless
    // the set-up chose one (fileName).
    bool printsToFile = false;
    QString fileName;

    QStringList calls;
    QList<QRect> drawnInto;
    QPicture drawing;
    QString documentName;
    QString jobFile;
    // The file each finished job went to (empty: the printer itself).
    QStringList jobFiles;
    QString error;

private:
    bool fail() {
        error = QStringLiteral("the fake printer failed");
        return false;
    }

    Orientation orientation_ = Orientation::Portrait;
};
