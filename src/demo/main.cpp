// orvanne-demo FOLDER: writes the built-in demo show's media and FOLDER/demo.cjf.

#include "DemoMedia.h"
#include "QuietQtMessages.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    quietenQtSessionWarnings();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 || args[1] == QLatin1String("--help")) {
        std::fprintf(
            stderr,
            "usage: orvanne-demo FOLDER\nWrites the demo show's pictures, sounds and FOLDER/demo.cjf.\n");
        return args.size() == 2 ? 0 : 2;
    }
    QString error;
    if (!DemoMedia::writeShow(args[1], &error)) {
        std::fprintf(stderr, "orvanne-demo: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s/demo.cjf\n", qPrintable(args[1]));
    return 0;
}
