#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

// Puts a window in the middle of the primary screen's free area.
inline void centreOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}
