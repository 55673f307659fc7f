#pragma once

#include "FileDialogs.h"

class QWidget;

// The choosers on screen, as Qt draws them.
class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    QColor chooseColour(const QColor& initial) override;

private:
    QWidget* parent_;
};
