#pragma once

// The editor's two file lists and the drop-accepting header above the slide list. They only
// report what the user does; EditorWindow decides what it means.

#include <QLabel>
#include <QListWidget>

class QMimeData;

class EditorList : public QListWidget {
    Q_OBJECT
public:
    explicit EditorList(QWidget* parent = nullptr);

    // Whether drags that pass over the list are accepted (a drop is reported by dropped()).
    void setAcceptsDrops(bool on) { acceptsDrops_ = on; }
    // Lays the items out in this many columns, top to bottom and then across.
    void setColumnCount(int columns);

signals:
    // The user clicked an item or moved the current item with the keyboard; a change made by the
    // program is never reported.
    void userMovedCurrent();
    void focusEntered();
    // A double-click anywhere in the list, on an item or not.
    void doubleClicked();
    // A key the editor handles itself (Escape, Delete, Return, Enter); the list has done nothing.
    void commandKey(int key);
    void dropped(const QMimeData* data, QObject* source);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;

private:
    void updateGrid();

    bool acceptsDrops_ = false;
    int columns_ = 1;
};

// A caption that takes whatever is dragged over it and does nothing with it.
class DropAcceptingLabel : public QLabel {
    Q_OBJECT
public:
    explicit DropAcceptingLabel(const QString& text, QWidget* parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
