#pragma once

#include "FileDialogs.h"

class QWidget;

// The choosers on screen, as Qt draws them.
class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    QColor chooseColour(const QColor& initial) override;
    QString openFile(const QString& title, const QString& folder, const QString& filter,
                     const QString& selectedFilter) override;
    QString saveFile(const QString& title, const QString& startPath, const QString& filter,
                     const QString& defaultSuffix) override;

private:
    QWidget* parent_;
};
