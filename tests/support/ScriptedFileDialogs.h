#pragma once

#include "FileDialogs.h"

#include <QList>
#include <QQueue>

// Answers the program's choosers from a queue and records what each was started with.
class ScriptedFileDialogs : public FileDialogs {
public:
    QColor chooseColour(const QColor& initial) override {
        colourStarts.append(initial);
        // An empty queue is a cancelled dialog.
        return colours.isEmpty() ? initial : colours.dequeue();
    }

    QQueue<QColor> colours;
    QList<QColor> colourStarts;
};
