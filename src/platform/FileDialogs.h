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

    // A file to open, starting in folder, with the entry selectedFilter of filter (entries
    // separated by ";;") chosen; empty when the user cancels.
    virtual QString openFile(const QString& title, const QString& folder, const QString& filter,
                             const QString& selectedFilter) = 0;
    // A file to save to, starting at startPath (a folder and a proposed name); defaultSuffix is
    // added to a name typed without one. The dialog does not ask about replacing an existing
    // file: the caller asks in its own words. Empty when the user cancels.
    virtual QString saveFile(const QString& title, const QString& startPath, const QString& filter,
                             const QString& defaultSuffix) = 0;
};
