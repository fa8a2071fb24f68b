#pragma once

#include "Errors.h"

#include <QString>

class QSqlError;

namespace calvora::store {

// A failure of the database file or of a statement on it.
class StoreError : public Error
{
public:
    explicit StoreError(const QString &message);
    // "<what>: <the database's own text>", with a plainer word for a file
    // that another program holds locked.
    StoreError(const QString &what, const QSqlError &error);

    QString text() const { return QString::fromStdString(what()); }
    // Whether another program held the file locked: trying again later may work.
    bool isLocked() const { return m_locked; }

private:
    bool m_locked = false;
};

// The message of any exception as a QString.
QString messageOf(const std::exception &e);

} // namespace calvora::store
