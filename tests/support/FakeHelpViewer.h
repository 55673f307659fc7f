#pragma once

#include "HelpViewer.h"

#include <QList>
#include <QPair>

// Records what the program asked to show and says whether it could.
class FakeHelpViewer : public HelpViewer {
public:
    bool showTopic(const QString& guideFile, const QString& topic) override {
        shown.append({guideFile, topic});
        return works;
    }
    bool works = true;
    QList<QPair<QString, QString>> shown;
};
