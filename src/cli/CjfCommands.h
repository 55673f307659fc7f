#pragma once

#include <QString>
#include <QStringList>

// The commands of orvanne-cjf; each takes the arguments after its name and returns the exit code.
namespace CjfCommands {
int info(const QStringList& args);
int extract(const QStringList& args);
int create(const QStringList& args);
int frames(const QStringList& args);
// Commands served by other parts of the program; -1 when name is none of them.
int other(const QString& name, const QStringList& args);

// Shared by the commands: a one-line message on stderr, then exit code 2.
int usageError(const QString& text);
bool wantsHelp(const QStringList& args);
} // namespace CjfCommands
