#include "CjfTool.h"
#include "QuietQtMessages.h"

#include <QGuiApplication>
#include <QLocale>

int main(int argc, char** argv) {
    // The tool draws and decodes pictures (metafile text needs fonts) but never opens a window: it
    // runs without a display.
    quietenQtSessionWarnings();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("orvanne-cjf"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return CjfTool::run(app.arguments());
}
