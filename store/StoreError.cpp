#include "StoreError.h"

#include <QSqlError>

namespace calvora::store {

namespace {

QString describe(const QString &what, const QSqlError &error)
{
    QString detail = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    // SQLITE_BUSY (5) and SQLITE_LOCKED (6): another program is writing.
    const QString code = error.nativeErrorCode();
    if (code == QLatin1String("5") || code == QLatin1String("6"))
        detail = QStringLiteral("the database file is in use by another program (%1); try again in a moment")
                     .arg(detail);
    return what + QStringLiteral(": ") + detail;
}

} // namespace

StoreError::StoreError(const QString &message) : Error(message.toStdString()) {}

StoreError::StoreError(const QString &what, const QSqlError &error) : StoreError(describe(what, error))
{
    const QString code = error.nativeErrorCode();
    m_locked = code == QLatin1String("5") || code == QLatin1String("6");
}

QString messageOf(const std::exception &e) { return QString::fromUtf8(e.what()); }

} // namespace calvora::store
