#include "EditorLists.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

EditorList::EditorList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
}

void EditorList::setColumnCount(int columns) {
    columns_ = std::max(1, columns);
    if (columns_ > 1) {
        setFlow(QListView::TopToBottom);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
    }
    updateGrid();
}

void EditorList::updateGrid() {
    if (columns_ <= 1)
        return;
    const int rowHeight = fontMetrics().height() + 4;
    setGridSize(QSize(std::max(40, viewport()->width() / columns_ - 1), rowHeight));
}

void EditorList::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    updateGrid();
}

void EditorList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (itemAt(event->position().toPoint()))
        emit userMovedCurrent();
}

void EditorList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

void EditorList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit commandKey(event->key());
        return;
    default:
        break;
    }
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before)
        emit userMovedCurrent();
}

void EditorList::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    emit focusEntered();
}

void EditorList::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptsDrops_)
        event->acceptProposedAction();
    else
        QListWidget::dragEnterEvent(event);
}

void EditorList::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptsDrops_)
        event->acceptProposedAction();
    else
        QListWidget::dragMoveEvent(event);
}

void EditorList::dropEvent(QDropEvent* event) {
    if (!acceptsDrops_) {
        QListWidget::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit dropped(event->mimeData(), event->source());
}

QMimeData* EditorList::mimeData(const QList<QListWidgetItem*>& items) const {
    // The files themselves travel too, so they can be dropped in other programs.
    QMimeData* mime = QListWidget::mimeData(items);
    QList<QUrl> urls;
    for (const QListWidgetItem* item : items) {
        const QString path = item->data(Qt::UserRole).toString();
        if (!path.isEmpty())
            urls << QUrl::fromLocalFile(path);
    }
    if (mime && !urls.isEmpty())
        mime->setUrls(urls);
    return mime;
}

DropAcceptingLabel::DropAcceptingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAcceptDrops(true);
}

void DropAcceptingLabel::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
}

void DropAcceptingLabel::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void DropAcceptingLabel::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
}
