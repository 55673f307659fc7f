// Orvanne: makes and plays slide shows.
//
//   orvanne                    the editor
//   orvanne SHOW.cjf           the editor, opening SHOW.cjf
//   orvanne --play SHOW.cjf    plays a show in the show window and ends with it

#include "DialogMessages.h"
#include "EditorApp.h"
#include "OrvanneApplication.h"
#include "PlayOnly.h"
#include "QuietQtMessages.h"
#include "QuitOnSignal.h"
#include "audio/AudioEngine.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <cstdio>

namespace {
const char* kUsage = "usage: orvanne\n"
                     "       orvanne SHOW.cjf\n"
                     "       orvanne --play SHOW.cjf\n"
                     "Without arguments: the editor, to make and play shows.\n"
                     "With a show file: the editor, opening that show.\n"
                     "With --play: plays a show in the show window and ends when the show ends, is\n"
                     "stopped or its window is closed. Space or n: next slide; b: back; p: pause or\n"
                     "resume; F11: full screen; Esc: end.\n";
} // namespace

int main(int argc, char** argv) {
    // The arguments are read before the display is opened, so that --help works without one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption playOption(QStringLiteral("play"), QString(), QStringLiteral("SHOW"));
    parser.addOptions({help, version, playOption});
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "orvanne: %s (try --help)\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("orvanne %s\n", ORVANNE_VERSION);
        return 0;
    }
    const QString play = parser.value(playOption);
    // The editor opens the first show named; further arguments are passed over.
    const QString open = parser.positionalArguments().value(0);

    quietenQtSessionWarnings();
    OrvanneApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvanne"));
    QApplication::setApplicationName(QStringLiteral("Orvanne"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANNE_VERSION));
    // The desktop knows the program by its entry; window titles stay exactly the program's own.
    QGuiApplication::setDesktopFileName(QStringLiteral("orvanne"));
    QLocale::setDefault(QLocale::system().name() == QLatin1String("C")
                            ? QLocale(QLocale::English, QLocale::UnitedStates)
                            : QLocale::system());
    QuitOnSignal quitOnSignal;
    DialogMessages messages;
    app.setMessages(&messages);
    AudioEngine engine(AudioEngine::Output::Device);
    if (!play.isEmpty())
        return playShowFile(play, messages, engine);
    return runEditor(messages, engine, open);
}
