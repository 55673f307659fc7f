#pragma once

#include <QColor>
#include <QString>

// The file and colour choosers the program puts in front of the user, behind one seam so that
// logic never opens a dialog itself and tests can answer for the user.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // A solid colour, starting from initial. Cancelling gives initial back: the caller cannot
    // tell the two apart, and does not need to.
    virtual QColor chooseColour(const QColor& initial) = 0;
};
