#include "ProgressWindow.h"

#include "WindowPlacement.h"

#include <QProgressBar>
#include <QVBoxLayout>

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      bar_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("progressWindow"));
    bar_->setObjectName(QStringLiteral("bar"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    resize(360, 60);
}

void ProgressWindow::report(const QString& title, int percent) {
    if (!isVisible()) {
        centreOnScreen(*this);
        show();
    }
    setWindowTitle(title);
    bar_->setValue(percent);
    bar_->setAccessibleName(title);
    // The operations run on the user-interface thread: paint now, or the bar never moves.
    repaint();
}

void ProgressWindow::finish() {
    hide();
}
