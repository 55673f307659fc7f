#pragma once

// What assistive technology (AT-SPI) reads as a control's name, and the controls of a window
// that it would find without one.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QStringList>
#include <QWidget>

inline QString accessibleName(QWidget& widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// The visible controls under root that have no accessible name, as "Class objectName".
inline QStringList unnamedControls(QWidget& root) {
    QStringList unnamed;
    for (QWidget* widget : root.findChildren<QWidget*>()) {
        // Scroll bars are named by Qt itself, by their direction.
        if (!widget->isVisible() || widget->objectName().startsWith(QLatin1String("qt_")) ||
            qobject_cast<QScrollBar*>(widget))
            continue;
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                             qobject_cast<QAbstractItemView*>(widget) ||
                             qobject_cast<QAbstractSlider*>(widget) ||
                             qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QComboBox*>(widget);
        if (control && accessibleName(*widget).isEmpty())
            unnamed << QLatin1String(widget->metaObject()->className()) + QLatin1Char(' ') +
                           widget->objectName();
    }
    return unnamed;
}
