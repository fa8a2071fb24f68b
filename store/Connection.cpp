#include "Connection.h"

#include "StoreError.h"

#include <QFileInfo>
#include <QSqlError>
#include <QUrl>
#include <QUuid>

namespace calvora::store {

Connection::Connection() : m_name(QStringLiteral("calvora-") + QUuid::createUuid().toString()) {}

Connection::~Connection()
{
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
}

void Connection::setDatabasePath(const QString &path) { m_path = path; }

QSqlDatabase Connection::database() const { return QSqlDatabase::database(m_name, false); }

void Connection::acquire()
{
    if (m_users > 0) {
        ++m_users;
        return;
    }
    const QFileInfo file(m_path);
    if (m_path.isEmpty() || !file.exists())
        throw StoreError(QStringLiteral("The database file %1 was not found. The program does not create it; "
                                        "put the file beside the program (calvora-newdb writes a fresh one).")
                             .arg(m_path.isEmpty() ? QStringLiteral("(no path)") : file.absoluteFilePath()));
    if (!file.isFile())
        throw StoreError(QStringLiteral("%1 is not a database file.").arg(file.absoluteFilePath()));

    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                     : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // Opened as a URI in read-write mode: SQLite never creates the file, even
    // if it disappears between the check above and this open.
    QUrl uri = QUrl::fromLocalFile(file.absoluteFilePath());
    uri.setQuery(QStringLiteral("mode=rw"));
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open())
        throw StoreError(QStringLiteral("Could not open the database file %1").arg(file.absoluteFilePath()),
                         db.lastError());
    m_users = 1;
}

void Connection::release()
{
    if (m_users == 0)
        return;
    if (--m_users == 0)
        database().close();
}

} // namespace calvora::store
