#include "QtFileDialogs.h"

#include <QColorDialog>

QColor QtFileDialogs::chooseColour(const QColor& initial) {
    QColorDialog dialog(initial, parent_);
    dialog.setOption(QColorDialog::ShowAlphaChannel, false);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedColor() : initial;
}
