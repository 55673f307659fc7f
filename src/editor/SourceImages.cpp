#include "SourceImages.h"

#include "PathNames.h"

#include <QDir>

namespace SourceImages {

const QStringList& namePatterns() {
    static const QStringList patterns = {
        QStringLiteral("*.bmp"), QStringLiteral("*.jpg"),  QStringLiteral("*.pcx"), QStringLiteral("*.png"),
        QStringLiteral("*.wmf"), QStringLiteral("*.jpeg"), QStringLiteral("*.jpe"), QStringLiteral("*.gif"),
        QStringLiteral("*.tif"), QStringLiteral("*.tiff"), QStringLiteral("*.ico"), QStringLiteral("*.webp")};
    return patterns;
}

bool isImageName(const QString& name) {
    return QDir::match(namePatterns(), name);
}

QStringList list(const QString& folder) {
    return sortedFileNames(folder, namePatterns());
}

} // namespace SourceImages
