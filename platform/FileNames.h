#pragma once

#include <QByteArray>
#include <QString>

// Files the program writes at a person's request (an exported schedule, a
// chart picture): the name it suggests and the one way it writes them.
namespace calvora::platform {

// A file name from a name a person typed (a mortgage's name): characters no
// file system takes become "_"; an empty name gives fallback.
QString fileNamePart(QString name, const QString &fallback);

// Where a save dialog first points: the person's documents folder (the home
// folder when there is none) with this file name.
QString suggestedSavePath(const QString &fileName);

// Writes bytes to path beside the file and puts them in its place only when
// whole: a full disk or a lost folder never leaves half a file behind, and
// an old file stays as it was. Throws "Cannot write the <what> to <path>:
// <reason>".
void writeWholeFile(const QString &path, const QByteArray &bytes, const QString &what);

} // namespace calvora::platform
