#include "HelpViewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool DesktopHelpViewer::showTopic(const QString& guideFile, const QString& topic) {
    const QFileInfo info(guideFile);
    if (!info.isFile() || !info.isReadable())
        return false;
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setFragment(topic);
    return QDesktopServices::openUrl(url);
}
