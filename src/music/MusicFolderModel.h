#pragma once

// The folder tree of the music library: folders only, hidden ones too. A folder renamed in
// place is renamed through the file operations, which tell the user when that fails; the model
// itself never moves or renames anything.

#include <QFileSystemModel>

class ShellFileOperations;

class MusicFolderModel : public QFileSystemModel {
    Q_OBJECT
public:
    explicit MusicFolderModel(ShellFileOperations& operations, QObject* parent = nullptr);

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    // Drops are the dialog's business: the model takes none.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    void folderRenamed(const QString& oldPath, const QString& newPath);

private:
    ShellFileOperations& operations_;
};
