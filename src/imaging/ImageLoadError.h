#pragma once

#include <QString>

#include <stdexcept>

// Thrown when a metafile or an icon is damaged. These two formats go through the standard picture
// loader, which reports failure by raising rather than by showing messages of its own; the caller
// decides what the user sees.
class ImageLoadError : public std::runtime_error {
public:
    explicit ImageLoadError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    QString text() const { return text_; }

private:
    QString text_;
};
