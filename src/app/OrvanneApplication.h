#pragma once

#include <QApplication>

class UserMessages;

// The application object, with the program-wide error handler: an error that no command handled
// is shown in an error box and the program goes on. The device-not-ready error of an empty
// removable drive ("I/O error 21") is passed over without a word.
class OrvanneApplication : public QApplication {
    Q_OBJECT
public:
    OrvanneApplication(int& argc, char** argv);

    // Where the errors are shown; until it is set they are written to standard error.
    void setMessages(UserMessages* messages) { messages_ = messages; }
    bool notify(QObject* receiver, QEvent* event) override;

    // What the handler does with an error's text: shows it, except for the one it passes over.
    static void reportError(UserMessages* messages, const QString& text);

private:
    UserMessages* messages_ = nullptr;
};
