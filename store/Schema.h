#pragma once

#include <QString>
#include <QStringList>

#include <span>

namespace calvora::store {

// How a column's value is kept and read.
enum class FieldType {
    AutoInc,  // 32-bit key assigned by the database; read-only
    Integer,  // 32-bit signed
    SmallInt, // 16-bit signed
    Double,   // IEEE binary64
    Money,    // Currency: INTEGER count of ten-thousandths in the file
    Date,     // day serial; ISO-8601 text in the file
    Text,     // Unicode text of at most Size characters
};

struct ColumnDef
{
    const char *name;
    FieldType type;
    bool asMoney = false; // display text in the currency format
    int size = 0;         // characters, for text columns
};

struct TableDef
{
    const char *name;
    const char *keyColumn;
    std::span<const ColumnDef> columns;
    // How messages name a row: the column holding its name and what a row
    // is called; without a name column a row is named by its key.
    const char *nameColumn = nullptr;
    const char *rowNoun = "row";
};

// The three tables of the database file, their columns in the order the
// queries list them.
const TableDef &mortgageTable();
const TableDef &amortizationTable();
const TableDef &monthTable();
// The table of that name, or nullptr.
const TableDef *findTable(QStringView name);

// The SQL that creates the three tables.
QStringList schemaStatements();

// The month names offered for the first payment month, January first. Short
// enough for the 56-pixel month boxes of the schedule pages.
QStringList monthNames();

// Writes a fresh database file at path with the three tables and the twelve
// month rows. Refuses to touch an existing file; throws calvora::Error with a
// message naming the path on any failure (and removes what it began).
void createDatabase(const QString &path);

} // namespace calvora::store
