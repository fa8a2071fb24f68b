#pragma once

#include "RegionalSettings.h"

#include <QSqlDatabase>
#include <QString>

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

private:
    QString m_name;
    QString m_path;
    RegionalSettings m_settings;
    int m_users = 0;
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
