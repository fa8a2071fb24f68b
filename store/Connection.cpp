#include "Connection.h"

#include "StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>
#include <QUuid>

#include <sys/stat.h>
#include <unistd.h>

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

    struct stat status {};
    m_identified = ::stat(QFile::encodeName(file.absoluteFilePath()).constData(), &status) == 0;
    m_device = quint64(status.st_dev);
    m_inode = quint64(status.st_ino);
    const QString folder = file.absolutePath();
    if (::access(QFile::encodeName(file.absoluteFilePath()).constData(), W_OK) != 0)
        m_warning = QStringLiteral("The database file %1 is read-only: the mortgages can be read, but no change "
                                   "can be stored. Make the file writable and start the program again.")
                        .arg(file.absoluteFilePath());
    else if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        m_warning = QStringLiteral("The folder %1 does not allow the journal file that SQLite writes beside the "
                                   "database while it stores a change: the mortgages can be read, but no change can "
                                   "be stored. Make the folder writable and start the program again.")
                        .arg(folder);
    else
        m_warning.clear();
}

StoreError Connection::failure(const QString &what, const QSqlError &error) const
{
    // Only failures to write or to reach the file are looked into; any other
    // keeps the database's own words.
    const int code = error.nativeErrorCode().toInt() & 0xff;
    constexpr int ReadOnly = 8, IoError = 10, CannotOpen = 14;
    if (code != ReadOnly && code != IoError && code != CannotOpen)
        return StoreError(what, error);
    const QString path = QFileInfo(m_path).absoluteFilePath();
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status {};
    const bool exists = ::stat(encoded.constData(), &status) == 0;
    QString cause;
    if (!exists || (m_identified && (quint64(status.st_dev) != m_device || quint64(status.st_ino) != m_inode)))
        cause = QStringLiteral("the database file %1 was removed or replaced while the program ran. Nothing was "
                               "stored; start the program again to open the file that is there now.")
                    .arg(path);
    else if (::access(encoded.constData(), W_OK) != 0)
        cause = QStringLiteral("the database file %1 is read-only. Nothing was stored; make the file writable and "
                               "try again.")
                    .arg(path);
    else if (::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK) != 0)
        cause = QStringLiteral("the folder %1 does not allow the journal file that SQLite writes beside the "
                               "database while it stores a change. Nothing was stored; make the folder writable "
                               "and try again.")
                    .arg(QFileInfo(path).absolutePath());
    if (cause.isEmpty())
        return StoreError(what, error);
    return StoreError(what + QStringLiteral(": ") + cause);
}

void Connection::release()
{
    if (m_users == 0)
        return;
    if (--m_users == 0)
        database().close();
}

} // namespace calvora::store
