#pragma once

#include <QStringList>

// orvanne-cjf: reads, unpacks and builds combined show files with the program's own code.
// Exit codes: 0 success; 1 the program refused the show (its message on stderr); 2 bad arguments
// or an unreadable input file.
namespace CjfTool {
int run(const QStringList& arguments);
} // namespace CjfTool
