#include "Transaction.h"

#include "Connection.h"
#include "StoreError.h"

#include <QSqlError>
#include <QSqlQuery>

namespace calvora::store {

Transaction::Transaction(Connection &connection) : m_connection(connection)
{
    m_connection.acquire();
    try {
        // IMMEDIATE: the write lock is taken now, so a file that another
        // program is writing fails here, before anything is changed.
        run(QStringLiteral("BEGIN IMMEDIATE"), QStringLiteral("Could not begin storing the changes"));
    } catch (...) {
        m_connection.release();
        throw;
    }
    m_active = true;
}

Transaction::~Transaction()
{
    rollback();
    m_connection.release();
}

void Transaction::run(const QString &statement, const QString &what)
{
    QSqlQuery sql(m_connection.database());
    if (!sql.exec(statement))
        throw m_connection.failure(what, sql.lastError());
}

void Transaction::commit()
{
    if (!m_active)
        throw StoreError(QStringLiteral("No changes are being stored"));
    run(QStringLiteral("COMMIT"), QStringLiteral("Could not store the changes"));
    m_active = false;
}

void Transaction::rollback() noexcept
{
    if (!m_active)
        return;
    m_active = false;
    QSqlQuery sql(m_connection.database());
    sql.exec(QStringLiteral("ROLLBACK"));
}

} // namespace calvora::store
