#pragma once

#include "ProgressReport.h"

#include <QWidget>

class QProgressBar;

// The small stay-on-top window with one bar that shows how far a save or an open is.
class ProgressWindow : public QWidget, public ProgressReport {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void report(const QString& title, int percent) override;
    void finish() override;

private:
    QProgressBar* bar_;
};
