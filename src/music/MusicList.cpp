#include "MusicList.h"

#include "MusicFiles.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

MusicList::MusicList(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

bool MusicList::anySelected() const {
    return selectionModel() && selectionModel()->hasSelection();
}

void MusicList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    emit clickedAnywhere();
}

void MusicList::keyPressEvent(QKeyEvent* event) {
    if (commandKeys_.contains(event->keyCombination())) {
        // Taken here, so that Enter never reaches the dialog's default button.
        event->accept();
        emit commandKey(event->keyCombination());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void MusicList::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    emit focusEntered();
}

bool MusicList::accepts(const QDropEvent* event) const {
    return acceptsDrop_ && acceptsDrop_(event->mimeData(), event->source());
}

void MusicList::dragEnterEvent(QDragEnterEvent* event) {
    if (!accepts(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MusicList::dragMoveEvent(QDragMoveEvent* event) {
    if (!accepts(event)) {
        event->ignore();
        return;
    }
    // The line between entries shows where the drop lands.
    QListWidget::dragMoveEvent(event);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MusicList::dropEvent(QDropEvent* event) {
    if (!accepts(event)) {
        event->ignore();
        return;
    }
    // The dialog changes the lists itself; the drag's source keeps its items.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setState(NoState);
    viewport()->update();
    emit dropped(event->mimeData(), event->source(), event->position().toPoint());
}

void MusicList::startDrag(Qt::DropActions) {
    // Never a move: a list item is not a file, and the source list must never lose its entries.
    QListWidget::startDrag(Qt::CopyAction);
}

QStringList MusicList::mimeTypes() const {
    return {MusicFiles::kMimeType};
}

QMimeData* MusicList::mimeData(const QList<QListWidgetItem*>& items) const {
    auto* mime = new QMimeData;
    QStringList paths;
    QList<QUrl> urls;
    for (const QListWidgetItem* item : items) {
        const QString path = item->data(Qt::UserRole).toString();
        paths << path;
        if (offersFiles_ && !path.isEmpty())
            urls << QUrl::fromLocalFile(path);
    }
    // Another program may take the files themselves.
    mime->setData(MusicFiles::kMimeType, paths.join(QLatin1Char('\n')).toUtf8());
    if (!urls.isEmpty())
        mime->setUrls(urls);
    return mime;
}
