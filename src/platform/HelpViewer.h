#pragma once

#include <QString>

// Opens the program's guide for the user.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Opens guideFile at topic; false when it could not be shown.
    virtual bool showTopic(const QString& guideFile, const QString& topic) = 0;
    // Opens guideFile at the part that explains a window or control (its help context number).
    bool showContext(const QString& guideFile, int context) {
        return showTopic(guideFile, QStringLiteral("context-%1").arg(context));
    }
};

// The guide is an HTML file: the desktop's browser opens it at the topic's anchor.
class DesktopHelpViewer : public HelpViewer {
public:
    bool showTopic(const QString& guideFile, const QString& topic) override;
};
