#pragma once

#include <QString>

namespace calvora::store {

class Connection;

// A change of several rows that is stored whole or not at all. It takes the
// write lock when it begins (waiting as long as any write does for another
// program's lock), holds the connection open, and is rolled back when it
// ends without commit(): a failure part-way, or the program killed before
// commit, leaves the file as it was.
class Transaction
{
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();
    // Undoes every change since the start; nothing happens once committed or
    // rolled back.
    void rollback() noexcept;
    bool isActive() const { return m_active; }

private:
    void run(const QString &statement, const QString &what);

    Connection &m_connection;
    bool m_active = false;
};

} // namespace calvora::store
