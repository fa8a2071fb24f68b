#pragma once

#include "RegionalSettings.h"
#include "StoreError.h"

#include <QSqlDatabase>
#include <QString>

class QSqlError;

namespace calvora::store {

// The one connection to the database file. It is never opened for its own
// sake: it is open exactly while at least one query (or a running command)
// holds it, and it never creates the file.
class Connection
{
public:
    // How long a write waits for another program's lock before it fails.
    static constexpr int BusyTimeoutMs = 3000;

    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setDatabasePath(const QString &path);
    QString databasePath() const { return m_path; }

    void setRegionalSettings(const RegionalSettings &settings) { m_settings = settings; }
    const RegionalSettings &regionalSettings() const { return m_settings; }

    bool isConnected() const { return m_users > 0; }

    // Opens the file on the first user, closes it with the last.
    void acquire();
    void release();
    QSqlDatabase database() const;

    // A failure of a statement on the file, its message saying what happened
    // when the cause lies in the file system: the file became read-only, the
    // folder does not allow SQLite's journal file, or the file was removed or
    // replaced while the program ran.
    StoreError failure(const QString &what, const QSqlError &error) const;
    // Said once when the file is opened and cannot take changes (empty when
    // it can); the program still shows what it holds.
    QString openingWarning() const { return m_warning; }

private:
    QString m_name;
    QString m_path;
    RegionalSettings m_settings;
    int m_users = 0;
    QString m_warning;
    // The file opened: a different file at the path later means it was replaced.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_identified = false;
};

// Holds the connection for as long as it lives.
class ConnectionUse
{
public:
    explicit ConnectionUse(Connection &connection) : m_connection(connection) { m_connection.acquire(); }
    ~ConnectionUse() { m_connection.release(); }
    ConnectionUse(const ConnectionUse &) = delete;
    ConnectionUse &operator=(const ConnectionUse &) = delete;

private:
    Connection &m_connection;
};

} // namespace calvora::store
