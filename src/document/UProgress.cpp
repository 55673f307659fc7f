#include "UProgress.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

TfmProgress::TfmProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      pbFileOp(new QProgressBar(this)) {
    setObjectName(QStringLiteral("fmProgress"));
    pbFileOp->setObjectName(QStringLiteral("pbFileOp"));
    pbFileOp->setRange(0, 100);
    pbFileOp->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pbFileOp);
    resize(360, 60);
}

void TfmProgress::report(const QString& title, int percent) {
    if (!isVisible()) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        show();
    }
    setWindowTitle(title);
    pbFileOp->setValue(percent);
    // The operations run on the user-interface thread: paint now, or the bar never moves.
    repaint();
}

void TfmProgress::finish() {
    hide();
}
