#include "CjfTool.h"
#include "QuietQtMessages.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
    // The tool draws and decodes pictures but never opens a window: it runs without a display.
    quietenQtSessionWarnings();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvanne-cjf"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return CjfTool::run(app.arguments());
}
