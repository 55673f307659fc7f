#pragma once

#include "FileDialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Answers the program's choosers from queues and records what each was started with. An empty
// queue is a cancelled dialog.
class ScriptedFileDialogs : public FileDialogs {
public:
    struct Asked {
        QString title;
        QString start;
        QString filter;
        QString suffix;
        QString selectedFilter;
    };

    QColor chooseColour(const QColor& initial) override {
        colourStarts.append(initial);
        return colours.isEmpty() ? initial : colours.dequeue();
    }
    QString openFile(const QString& title, const QString& folder, const QString& filter,
                     const QString& selectedFilter) override {
        opens.append({title, folder, filter, QString(), selectedFilter});
        return openAnswers.isEmpty() ? QString() : openAnswers.dequeue();
    }
    QString saveFile(const QString& title, const QString& startPath, const QString& filter,
                     const QString& defaultSuffix) override {
        saves.append({title, startPath, filter, defaultSuffix, QString()});
        return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
    }

    QQueue<QColor> colours;
    QList<QColor> colourStarts;
    QQueue<QString> openAnswers;
    QQueue<QString> saveAnswers;
    QList<Asked> opens;
    QList<Asked> saves;
};
