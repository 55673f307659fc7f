#pragma once

#include "UserMessages.h"

#include <QStringList>

// Messages for the command-line tools: each text goes to standard error on a line of its own.
// Questions get their cautious answer, since nobody is there to click.
class ConsoleMessages : public UserMessages {
public:
    MessageAnswer ask(MessageKind kind, MessageButtons buttons, const QString& text) override;
    const QStringList& shown() const { return shown_; }

private:
    QStringList shown_;
};
