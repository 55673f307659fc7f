#pragma once

#include <QString>

// Every modal question or notice the program puts to the user goes through this seam, so that
// logic never opens a message box itself and tests can read the exact words the user would see.

enum class MessageKind { Warning, Error, Confirmation, Information, Plain };
enum class MessageButtons { Ok, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel, Retry };

class UserMessages {
public:
    virtual ~UserMessages() = default;
    virtual MessageAnswer ask(MessageKind kind, MessageButtons buttons, const QString& text) = 0;

    void error(const QString& text) { ask(MessageKind::Error, MessageButtons::Ok, text); }
    void warning(const QString& text) { ask(MessageKind::Warning, MessageButtons::Ok, text); }
    void information(const QString& text) { ask(MessageKind::Information, MessageButtons::Ok, text); }
    void plain(const QString& text) { ask(MessageKind::Plain, MessageButtons::Ok, text); }
};

// For work done where no one can answer a box (a command-line tool decoding pictures): every
// message is dropped and every question gets OK.
class SilentMessages : public UserMessages {
public:
    MessageAnswer ask(MessageKind, MessageButtons, const QString&) override { return MessageAnswer::Ok; }
};

// Passes every message on and counts them, for callers that must know whether the user has been
// told anything.
class CountingMessages : public UserMessages {
public:
    explicit CountingMessages(UserMessages& inner) : inner_(inner) {}
    MessageAnswer ask(MessageKind kind, MessageButtons buttons, const QString& text) override {
        ++count;
        return inner_.ask(kind, buttons, text);
    }
    int count = 0;

private:
    UserMessages& inner_;
};
