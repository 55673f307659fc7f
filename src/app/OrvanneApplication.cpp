#include "OrvanneApplication.h"

#include "UserMessages.h"

#include <cstdio>
#include <exception>

OrvanneApplication::OrvanneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool OrvanneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        reportError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportError(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

void OrvanneApplication::reportError(const QString& text) {
    if (text == QLatin1String("I/O error 21"))
        return;
    if (messages_)
        messages_->error(text);
    else
        std::fprintf(stderr, "orvanne: %s\n", qPrintable(text));
}
