#include "MusicFiles.h"

#include "PathNames.h"

#include <QDir>

namespace MusicFiles {

namespace {
const QStringList& patterns() {
    static const QStringList names = {QStringLiteral("*.wav"), QStringLiteral("*.mid")};
    return names;
}
} // namespace

bool isSoundName(const QString& name) {
    return QDir::match(patterns(), name) && !name.startsWith(QLatin1Char('.')) &&
           !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'));
}

QStringList list(const QString& folder) {
    QStringList names = sortedFileNames(folder, patterns());
    names.removeIf([](const QString& name) { return !isSoundName(name); });
    return names;
}

} // namespace MusicFiles
