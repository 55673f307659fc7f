#include "QuietQtMessages.h"

#include <QString>
#include <QtGlobal>

namespace {
QtMessageHandler previous = nullptr;

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")) ||
        message.startsWith(QLatin1String("QStandardPaths: runtime directory")))
        return;
    if (previous)
        previous(type, context, message);
}
} // namespace

void quietenQtSessionWarnings() {
    previous = qInstallMessageHandler(handler);
}
