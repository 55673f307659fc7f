#include "OrvanneApplication.h"

#include "UserMessages.h"

#include <cstdio>
#include <exception>

OrvanneApplication::OrvanneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool OrvanneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        reportError(messages_, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportError(messages_, QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

void OrvanneApplication::reportError(UserMessages* messages, const QString& text) {
    if (text == QLatin1String("I/O error 21"))
        return;
    if (messages)
        messages->error(text);
    else
        std::fprintf(stderr, "orvanne: %s\n", qPrintable(text));
}
