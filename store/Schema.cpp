#include "Schema.h"

#include "Errors.h"
#include "StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <array>

namespace calvora::store {

namespace {

using enum FieldType;

constexpr std::array<ColumnDef, 25> kMortgageColumns{{
    {"MortgageName", Text, false, 50},
    {"NameSequence", Integer},
    {"MortgageID", AutoInc},
    {"InterestRate", Double},
    {"TermInMonth", SmallInt},
    {"HouseAmount", Money, true},
    {"DownPayment", Money, true},
    {"LoanAmount", Money, true},
    {"StartYear", Integer},
    {"StartMonth", SmallInt},
    {"MonthlyPayment", Money, true},
    {"TotalPayment", Money, true},
    {"TotalInterest", Money, true},
    {"Prepayment", Money, true},
    {"ActualMonthly", Money, true},
    {"ActualTerm", Integer},
    {"ActualTotal", Money, true},
    {"ActualInterest", Money, true},
    {"InterestSaved", Money, true},
    {"ActualTotalInterest", Money, false},
    {"BiweeklyTerm", Integer},
    {"BiweeklyPayment", Money, false},
    {"BiweeklyTotal", Money, false},
    {"BiweeklyTotalInterest", Money, false},
    {"BiweeklyInterestSaved", Money, false},
}};

constexpr std::array<ColumnDef, 10> kAmortizationColumns{{
    {"AmortID", AutoInc},
    {"MortgageID", Integer},
    {"PayDate", Date},
    {"Principal", Money, true},
    {"Interest", Money, true},
    {"PrincipalLeft", Money, true},
    {"Prepayment", Money, true},
    {"ActualPrincipal", Money, false},
    {"ActualInterest", Money, false},
    {"ActualLeft", Money, false},
}};

constexpr std::array<ColumnDef, 2> kMonthColumns{{
    {"MonthID", Integer},
    {"MonthName", Text, false, 50},
}};

const TableDef kMortgage{"tblMortgage", "MortgageID", kMortgageColumns, "MortgageName", "mortgage"};
const TableDef kAmortization{"tblAmortization", "AmortID", kAmortizationColumns, nullptr, "schedule row"};
const TableDef kMonth{"tblMonth", "MonthID", kMonthColumns, "MonthName", "month"};

QString sqlType(const ColumnDef &column)
{
    switch (column.type) {
    case AutoInc:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case Integer:
    case SmallInt:
    case Money: // exact count of ten-thousandths, never REAL
        return QStringLiteral("INTEGER");
    case Double:
        return QStringLiteral("REAL");
    case Date:
    case Text:
        return QStringLiteral("TEXT");
    }
    return {};
}

QString createStatement(const TableDef &table)
{
    QStringList columns;
    for (const ColumnDef &column : table.columns) {
        QString line = QString::fromLatin1(column.name) + QLatin1Char(' ') + sqlType(column);
        // The month key is the month number itself, not an auto number.
        if (column.type != AutoInc && qstrcmp(column.name, table.keyColumn) == 0)
            line += QStringLiteral(" PRIMARY KEY");
        columns << line;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(QString::fromLatin1(table.name), columns.join(QStringLiteral(", ")));
}

} // namespace

const TableDef &mortgageTable() { return kMortgage; }
const TableDef &amortizationTable() { return kAmortization; }
const TableDef &monthTable() { return kMonth; }

const TableDef *findTable(QStringView name)
{
    for (const TableDef *table : {&kMortgage, &kAmortization, &kMonth}) {
        if (name.compare(QLatin1StringView(table->name), Qt::CaseInsensitive) == 0)
            return table;
    }
    return nullptr;
}

QStringList schemaStatements()
{
    return {createStatement(kMortgage), createStatement(kAmortization), createStatement(kMonth),
            // The schedule of a mortgage is always read by its MortgageID.
            QStringLiteral("CREATE INDEX idxAmortizationMortgage ON tblAmortization (MortgageID)"),
            QStringLiteral("CREATE INDEX idxMortgageNameSequence ON tblMortgage (NameSequence)")};
}

QStringList monthNames()
{
    return {QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"), QStringLiteral("Apr"),
            QStringLiteral("May"), QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
            QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
}

void createDatabase(const QString &path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(fullPath))
        throw Error(QStringLiteral("%1 already exists; it was left as it is.").arg(fullPath).toStdString());

    const QString connectionName = QStringLiteral("calvora-create-") + QUuid::createUuid().toString();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(fullPath);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            db.transaction();
            QSqlQuery query(db);
            QStringList statements = schemaStatements();
            for (const QString &statement : statements) {
                if (!query.exec(statement)) {
                    failure = query.lastError().text();
                    break;
                }
            }
            if (failure.isEmpty()) {
                query.prepare(QStringLiteral("INSERT INTO tblMonth (MonthID, MonthName) VALUES (?, ?)"));
                const QStringList names = monthNames();
                for (int month = 1; month <= 12 && failure.isEmpty(); ++month) {
                    query.addBindValue(month);
                    query.addBindValue(names.at(month - 1));
                    if (!query.exec())
                        failure = query.lastError().text();
                }
            }
            if (failure.isEmpty() && !db.commit())
                failure = db.lastError().text();
            if (!failure.isEmpty())
                db.rollback();
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (!failure.isEmpty()) {
        QFile::remove(fullPath);
        throw Error(QStringLiteral("Could not create the database file %1: %2")
                        .arg(fullPath, failure)
                        .toStdString());
    }
}

} // namespace calvora::store
