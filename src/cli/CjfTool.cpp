#include "CjfTool.h"

#include "CjfCommands.h"

#include <cstdio>

namespace {

const char* kUsage = "usage: orvanne-cjf COMMAND [ARGS]\n"
                     "\n"
                     "Commands:\n"
                     "  info [--json] SHOW.cjf      print what a show holds\n"
                     "  extract SHOW.cjf DIR        unpack every file of a show into DIR\n"
                     "  create OUT.cjf [OPTIONS] [IMAGE]...\n"
                     "                              build a show from pictures, sounds and music\n"
                     "  frames SHOW.cjf OUTDIR [--size WxH]\n"
                     "                              write each slide as the show composes it, as PNG\n"
                     "  probe FILE...               the kind and length of sound files, one JSON line each\n"
                     "\n"
                     "Run 'orvanne-cjf COMMAND --help' for the options of a command.\n";

} // namespace

namespace CjfTool {

int run(const QStringList& arguments) {
    if (arguments.size() < 2 || arguments[1] == QLatin1String("--help") ||
        arguments[1] == QLatin1String("-h")) {
        std::fputs(kUsage, arguments.size() < 2 ? stderr : stdout);
        return arguments.size() < 2 ? 2 : 0;
    }
    const QString command = arguments[1];
    const QStringList rest = arguments.mid(2);
    if (command == QLatin1String("info"))
        return CjfCommands::info(rest);
    if (command == QLatin1String("extract"))
        return CjfCommands::extract(rest);
    if (command == QLatin1String("create"))
        return CjfCommands::create(rest);
    if (int code = CjfCommands::other(command, rest); code >= 0)
        return code;
    std::fprintf(stderr, "orvanne-cjf: unknown command '%s' (try --help)\n", qPrintable(command));
    return 2;
}

} // namespace CjfTool
