#include "Command.h"

#include "Connection.h"
#include "StoreError.h"

#include <QSqlError>
#include <QSqlQuery>

namespace calvora::store {

Command::Command(Connection &connection, QString objectName)
    : m_connection(connection), m_objectName(std::move(objectName))
{
}

void Command::execute()
{
    // The connection is open while a query is; a command on its own holds it
    // for the length of the statement.
    ConnectionUse use(m_connection);
    QSqlQuery sql(m_connection.database());
    if (!sql.exec(m_text))
        throw m_connection.failure(QStringLiteral("Could not run \"%1\"").arg(m_text), sql.lastError());
}

void ExecuteSql(Connection &connection, const QString &text)
{
    Command command(connection);
    command.setCommandText(text);
    command.execute();
}

} // namespace calvora::store
