#pragma once

#include "CombinedFileReader.h"
#include "OwnedWorkFolder.h"
#include "ShowDocument.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

class QCommandLineParser;

// The commands of orvanne-cjf; each takes the arguments after its name and returns the exit code.
namespace CjfCommands {
int info(const QStringList& args);
int extract(const QStringList& args);
int create(const QStringList& args);
int frames(const QStringList& args);
// Commands served by other parts of the program; -1 when name is none of them.
int other(const QString& name, const QStringList& args);

// A show opened as the program opens it, into a scratch working folder that goes with it.
struct OpenedShow {
    OpenedShow();
    ~OpenedShow();
    // 0 when the show is open; otherwise the exit code, the reason already on stderr.
    int open(const QString& path);

    std::unique_ptr<QTemporaryDir> parent;
    OwnedWorkFolder workFolder;
    QString work;
    ShowDocument doc;
    CombinedContents contents;
};

// Shared by the commands: a one-line message on stderr, then exit code 2.
int usageError(const QString& text);
// Parses a command's arguments into parser (its options already added, --help added here). An exit
// code when the command is done: 0 after printing usage for --help, 2 after a one-line complaint.
std::optional<int> parse(QCommandLineParser& parser, const QString& command, const QStringList& args,
                         const char* usage);
} // namespace CjfCommands
