#include "FileNames.h"

#include "Errors.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

namespace calvora::platform {

QString fileNamePart(QString name, const QString &fallback)
{
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    for (QChar &c : name) {
        if (refused.contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    name = name.trimmed();
    return name.isEmpty() ? fallback : name;
}

QString suggestedSavePath(const QString &fileName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(fileName);
}

void writeWholeFile(const QString &path, const QByteArray &bytes, const QString &what)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw Error(QStringLiteral("Cannot write the %1 to %2: %3")
                        .arg(what, QDir::toNativeSeparators(path), file.errorString())
                        .toStdString());
    }
}

} // namespace calvora::platform
