#include "ShowManifest.h"

#include "ShowDocument.h"
#include "SlideTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool readable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

} // namespace

namespace ShowManifest {

bool read(const QString& path, ShowDocument& doc, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read ") + QFileInfo(path).absoluteFilePath());
    const QDir base = QFileInfo(path).absoluteDir();
    const QString name = QFileInfo(path).fileName();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));

    QList<Slide> added;
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const QString where = name + QLatin1Char(':') + QString::number(n + 1) + QStringLiteral(": ");
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() > 4)
            return fail(where + QStringLiteral("more than four fields"));
        if (fields[0].isEmpty())
            return fail(where + QStringLiteral("no image"));
        const QString image = QDir::cleanPath(base.absoluteFilePath(fields[0]));
        if (!readable(image))
            return fail(where + QStringLiteral("cannot read ") + image);
        const QString seconds = fields.value(1);
        if (!SlideTime::isAcceptable(seconds))
            return fail(where + QStringLiteral("seconds must be a number from 0 to 600, not ") + seconds);
        QString sound = fields.value(3);
        if (!sound.trimmed().isEmpty()) {
            sound = QDir::cleanPath(base.absoluteFilePath(sound));
            if (!readable(sound))
                return fail(where + QStringLiteral("cannot read ") + sound);
        }
        added.append(
            Slide{image, seconds.trimmed().isEmpty() ? QStringLiteral("0") : SlideTime::fromSeconds(seconds),
                  fields.value(2), sound});
    }
    doc.setSlides(doc.slides() + added);
    return true;
}

} // namespace ShowManifest
