#include "ConsoleMessages.h"

#include <cstdio>

MessageAnswer ConsoleMessages::ask(MessageKind, MessageButtons buttons, const QString& text) {
    shown_.append(text);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::YesNoCancel:
    case MessageButtons::RetryCancel:
        return MessageAnswer::Cancel;
    }
    return MessageAnswer::Ok;
}
