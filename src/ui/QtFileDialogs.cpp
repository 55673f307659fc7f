#include "QtFileDialogs.h"

#include <QColorDialog>
#include <QFileDialog>

QColor QtFileDialogs::chooseColour(const QColor& initial) {
    QColorDialog dialog(initial, parent_);
    dialog.setOption(QColorDialog::ShowAlphaChannel, false);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedColor() : initial;
}

QString QtFileDialogs::openFile(const QString& title, const QString& folder, const QString& filter,
                                const QString& selectedFilter) {
    QFileDialog dialog(parent_, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!selectedFilter.isEmpty())
        dialog.selectNameFilter(selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString QtFileDialogs::saveFile(const QString& title, const QString& startPath, const QString& filter,
                                const QString& defaultSuffix) {
    QFileDialog dialog(parent_, title, startPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}
