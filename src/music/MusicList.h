#pragma once

// A list of sound files or tracks in the track selection dialog. It only reports what the user
// does (clicks, command keys, drops with their point); the dialog decides what it means.

#include <QListWidget>

#include <functional>

class MusicList : public QListWidget {
    Q_OBJECT
public:
    explicit MusicList(QWidget* parent = nullptr);

    // Which drags the list takes; none unless set.
    void setDropFilter(std::function<bool(const QMimeData* data, QObject* source)> accepts) {
        acceptsDrop_ = std::move(accepts);
    }
    // Whether the program's own drags start from this list (its items carry their full paths as
    // Qt::UserRole data).
    void setOffersFiles(bool on) { offersFiles_ = on; }
    // Keys the dialog handles itself: taken from the list before it acts on them.
    void setCommandKeys(const QList<QKeyCombination>& keys) { commandKeys_ = keys; }

    // Whether any entry is selected, current or not.
    bool anySelected() const;

signals:
    // A mouse button was released over the list, on an item or not.
    void clickedAnywhere();
    void focusEntered();
    void commandKey(QKeyCombination key);
    // Something was dropped at point (in the viewport's coordinates).
    void dropped(const QMimeData* data, QObject* source, const QPoint& point);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;

private:
    bool accepts(const QDropEvent* event) const;

    std::function<bool(const QMimeData*, QObject*)> acceptsDrop_;
    QList<QKeyCombination> commandKeys_;
    bool offersFiles_ = false;
};
