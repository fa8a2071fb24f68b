#pragma once

// A fresh database file in a temporary folder, with a few mortgage rows
// written straight into it.

#include "Schema.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <initializer_list>

#include <unistd.h>

// Another program holding the file's write lock, from its start until
// release() or its end.
class OtherProgramLock
{
public:
    explicit OtherProgramLock(const QString &path) : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        m_held = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    ~OtherProgramLock()
    {
        release();
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    OtherProgramLock(const OtherProgramLock &) = delete;
    OtherProgramLock &operator=(const OtherProgramLock &) = delete;

    bool isHeld() const { return m_held; }
    void release()
    {
        if (m_held)
            QSqlQuery(QSqlDatabase::database(m_name, false)).exec(QStringLiteral("ROLLBACK"));
        m_held = false;
    }

private:
    QString m_name;
    bool m_held = false;
};

struct MortgageRow
{
    int sequence;
    QString name;
    int startYear = 0;
    int startMonth = 0;
};

class StoreFixture
{
public:
    StoreFixture() { calvora::store::createDatabase(path()); }

    QString folder() const { return m_dir.path(); }
    QString path() const { return m_dir.filePath(QStringLiteral("Mortgage.mdb")); }

    // Runs statements on the file through a connection of its own.
    void exec(std::initializer_list<QString> statements) const
    {
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path());
            QVERIFY(db.open());
            QSqlQuery query(db);
            for (const QString &statement : statements)
                QVERIFY2(query.exec(statement), qPrintable(query.lastError().text() + QLatin1Char(' ') + statement));
        }
        QSqlDatabase::removeDatabase(name);
    }

    void addMortgages(std::initializer_list<MortgageRow> rows) const
    {
        for (const MortgageRow &row : rows)
            exec({QStringLiteral("INSERT INTO tblMortgage (NameSequence, MortgageName, StartYear, StartMonth) "
                                 "VALUES (%1, '%2', %3, %4)")
                      .arg(row.sequence)
                      .arg(row.name)
                      .arg(row.startYear ? QString::number(row.startYear) : QStringLiteral("NULL"))
                      .arg(row.startMonth ? QString::number(row.startMonth) : QStringLiteral("NULL"))});
    }

    // Makes the file read-only for this process. The super-user is not bound
    // by permission bits, so for it the file is marked immutable instead.
    bool setReadOnly(bool readOnly) const
    {
        if (geteuid() != 0)
            return QFile::setPermissions(path(), readOnly ? QFile::ReadOwner
                                                          : QFile::ReadOwner | QFile::WriteOwner);
        return QProcess::execute(QStringLiteral("chattr"),
                                 {readOnly ? QStringLiteral("+i") : QStringLiteral("-i"), path()}) == 0;
    }

    // The rows of a query read straight from the file, each row's values
    // joined by separator.
    QStringList rows(const QString &sql, QChar separator = QLatin1Char('|')) const
    {
        const QString name = QUuid::createUuid().toString();
        QStringList result;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path());
            if (db.open()) {
                QSqlQuery query(db);
                query.exec(sql);
                while (query.next()) {
                    QStringList row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row << query.value(i).toString();
                    result << row.join(separator);
                }
            }
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }

    // One value read straight from the file.
    QVariant value(const QString &sql) const
    {
        const QString name = QUuid::createUuid().toString();
        QVariant result;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path());
            if (db.open()) {
                QSqlQuery query(db);
                if (query.exec(sql) && query.next())
                    result = query.value(0);
            }
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }

private:
    QTemporaryDir m_dir;
};
