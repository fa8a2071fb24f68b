#pragma once

#include <QString>

namespace calvora::store {

class Connection;

// A statement run on the connection; what it returns is discarded. The
// system's statements are fixed texts whose only placeholders are whole
// numbers and one generated, quoted name.
class Command
{
public:
    Command(Connection &connection, QString objectName = {});

    const QString &objectName() const { return m_objectName; }
    void setCommandText(const QString &text) { m_text = text; }
    const QString &commandText() const { return m_text; }
    void execute();

private:
    Connection &m_connection;
    QString m_objectName;
    QString m_text;
};

// Runs one SQL text on the connection through a command made for this call.
void ExecuteSql(Connection &connection, const QString &text);

} // namespace calvora::store
