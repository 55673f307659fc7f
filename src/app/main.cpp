// Orvanne: makes and plays slide shows.
//
//   orvanne --play SHOW.cjf    plays a show in the show window and ends with it

#include "DialogMessages.h"
#include "PlayOnly.h"
#include "QuietQtMessages.h"
#include "QuitOnSignal.h"
#include "audio/AudioEngine.h"

#include <QApplication>
#include <QLocale>
#include <cstdio>

int main(int argc, char** argv) {
    quietenQtSessionWarnings();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanne"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvanne"));
    QLocale::setDefault(QLocale::system().name() == QLatin1String("C")
                            ? QLocale(QLocale::English, QLocale::UnitedStates)
                            : QLocale::system());
    const QStringList args = app.arguments();
    QString show;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            std::printf("usage: orvanne --play SHOW.cjf\n"
                        "Plays a show in the show window and ends when the show ends, is stopped or\n"
                        "its window is closed. Space or n: next slide; b: back; p: pause or resume;\n"
                        "F11: full screen; Esc: end.\n");
            return 0;
        }
        if (args[i] == QLatin1String("--play") && i + 1 < args.size())
            show = args[++i];
        else if (!args[i].startsWith(QLatin1String("--")) && show.isEmpty())
            show = args[i];
        else {
            std::fprintf(stderr, "orvanne: unknown argument %s (try --help)\n", qPrintable(args[i]));
            return 2;
        }
    }
    if (show.isEmpty()) {
        std::fprintf(stderr, "usage: orvanne --play SHOW.cjf\n");
        return 2;
    }
    QuitOnSignal quitOnSignal;
    DialogMessages messages;
    AudioEngine engine(AudioEngine::Output::Device);
    return playShowFile(show, messages, engine);
}
