#include "MusicFolderModel.h"

#include "MusicFiles.h"
#include "PathNames.h"
#include "ShellFileOperations.h"

#include <QFileInfo>
#include <QMimeData>

MusicFolderModel::MusicFolderModel(ShellFileOperations& operations, QObject* parent)
    : QFileSystemModel(parent), operations_(operations) {
    setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    // Read-only for Qt's own handling: renames go through setData below, moves never happen here.
    setReadOnly(true);
}

Qt::ItemFlags MusicFolderModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QFileSystemModel::flags(index) & ~Qt::ItemIsDragEnabled;
    if (index.isValid() && index.column() == 0 && isDir(index))
        flags |= Qt::ItemIsEditable | Qt::ItemIsDropEnabled;
    return flags;
}

bool MusicFolderModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0)
        return false;
    const QString oldPath = filePath(index);
    const QString newName = value.toString();
    if (newName.isEmpty() || newName == fileName(index))
        return false;
    if (!operations_.renameFolder(oldPath, newName))
        return false;
    emit folderRenamed(oldPath, joinPath(QFileInfo(oldPath).path(), newName));
    return true;
}

QStringList MusicFolderModel::mimeTypes() const {
    return {MusicFiles::kMimeType};
}

bool MusicFolderModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                       const QModelIndex& parent) const {
    return data && data->hasFormat(MusicFiles::kMimeType) && parent.isValid() && isDir(parent);
}

bool MusicFolderModel::dropMimeData(const QMimeData*, Qt::DropAction, int, int, const QModelIndex&) {
    return false;
}
