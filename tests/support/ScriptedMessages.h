#pragma once

#include "QtPrinters.h"

#include "UserMessages.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Records every message the code under test shows and answers questions from a queue
// (OK, or the first button, when the queue is empty).
class ScriptedMessages : public UserMessages {
public:
    struct Shown {
        MessageKind kind;
        MessageButtons buttons;
        QString text;
    };

    MessageAnswer ask(MessageKind kind, MessageButtons buttons, const QString& text) override {
        shown.append({kind, buttons, text});
        if (!answers.isEmpty())
            return answers.dequeue();
        switch (buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        case MessageButtons::RetryCancel:
            return MessageAnswer::Retry;
        }
        return MessageAnswer::Ok;
    }

    QStringList texts() const {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }

    QList<Shown> shown;
    QQueue<MessageAnswer> answers;
};
