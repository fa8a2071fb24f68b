#include "Query.h"

#include "Connection.h"
#include "DataSource.h"
#include "DateTime.h"
#include "StoreError.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>
#include <limits>

namespace calvora::store {

namespace {

bool isWholeNumber(const QVariant &stored)
{
    switch (stored.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// The value of a column as the file holds it, in the form the query keeps.
// Only a value that reads back exactly as it is stored is taken; anything
// else is kept as a foreign value, so it is never read as another value and
// a record is stored against exactly what the file holds.
QVariant fromFile(const QVariant &stored, FieldType type, bool &foreignFound)
{
    // Every way out below that keeps the value as stored sets foreignFound.
    auto foreign = [&](const QVariant &value, const QString &reason) {
        foreignFound = true;
        return QVariant::fromValue(ForeignValue{value, reason});
    };
    if (stored.isNull())
        return {};
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::SmallInt: {
        if (stored.typeId() == QMetaType::ULongLong || !isWholeNumber(stored))
            return foreign(stored, QStringLiteral("is not a whole number"));
        const qint64 value = stored.toLongLong();
        const qint64 low = type == FieldType::SmallInt ? std::numeric_limits<qint16>::min() : std::numeric_limits<qint32>::min();
        const qint64 high = type == FieldType::SmallInt ? std::numeric_limits<qint16>::max() : std::numeric_limits<qint32>::max();
        if (value < low || value > high)
            return foreign(stored, QStringLiteral("lies outside the column's range of %1 to %2").arg(low).arg(high));
        return value;
    }
    case FieldType::Money: {
        if (isWholeNumber(stored) && stored.typeId() != QMetaType::ULongLong)
            return stored.toLongLong();
        if (stored.typeId() == QMetaType::Double) {
            // A whole count written as a real number is that count.
            const double count = stored.toDouble();
            if (std::isfinite(count) && count == std::trunc(count) && count >= -9.2233720368547758e18 &&
                count < 9.2233720368547758e18)
                return qint64(count);
            if (std::isfinite(count) && std::fabs(count) < 9.2233720368547758e18)
                return foreign(stored, QStringLiteral("is not a whole count of ten-thousandths (an amount has at most four decimals)"));
            return foreign(stored, QStringLiteral("lies outside the range of amounts"));
        }
        return foreign(stored, QStringLiteral("is not an amount"));
    }
    case FieldType::Double:
        if (isWholeNumber(stored) || (stored.typeId() == QMetaType::Double && std::isfinite(stored.toDouble())))
            return stored.toDouble();
        return foreign(stored, QStringLiteral("is not a number"));
    case FieldType::Date: {
        if (stored.typeId() == QMetaType::QString) {
            DateTime date = 0;
            const std::string text = stored.toString().toStdString();
            if (fromIsoDate(text, date) && toIsoDate(date) == text)
                return date;
        }
        return foreign(stored, QStringLiteral("is not a date written as YYYY-MM-DD"));
    }
    case FieldType::Text:
        if (stored.typeId() == QMetaType::QString)
            return stored.toString();
        if (isWholeNumber(stored) || stored.typeId() == QMetaType::Double)
            return foreign(stored, QStringLiteral("is a number, not a text"));
        return foreign(stored, QStringLiteral("is not a text"));
    }
    return {};
}

QVariant toFile(const QVariant &value, FieldType type)
{
    if (Field::isForeign(value))
        return value.value<ForeignValue>().stored;
    if (!value.isValid())
        return QVariant(QMetaType(type == FieldType::Text ? QMetaType::QString : QMetaType::LongLong));
    if (type == FieldType::Date)
        return QString::fromStdString(toIsoDate(value.toDouble()));
    return value;
}

QString tableNameOf(const QString &sql)
{
    static const QRegularExpression from(QStringLiteral("\\bFROM\\s+(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = from.match(sql);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool sameValue(const QVariant &stored, const QVariant &wanted, FieldType type)
{
    if (!stored.isValid() || !wanted.isValid())
        return stored.isValid() == wanted.isValid();
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::Money:
        return stored.toLongLong() == wanted.toLongLong();
    case FieldType::Double:
    case FieldType::Date:
        return stored.toDouble() == wanted.toDouble();
    case FieldType::Text:
        return stored.toString() == wanted.toString();
    }
    return false;
}

} // namespace

Query::Query(Connection &connection, QString objectName)
    : m_connection(connection), m_objectName(std::move(objectName))
{
}

Query::~Query()
{
    m_insertStatement.reset();
    for (DataSource *source : m_sources)
        source->m_query = nullptr;
    if (m_holdsConnection)
        m_connection.release();
}

void Query::setSql(const QString &sql)
{
    if (isActive())
        throw StoreError(QStringLiteral("%1: cannot change the query while it is open").arg(m_objectName));
    const QString tableName = tableNameOf(sql);
    const TableDef *table = findTable(tableName);
    if (!table)
        throw StoreError(QStringLiteral("%1: no table %2 is known to the program").arg(m_objectName, tableName));
    m_sql = sql;
    if (table != m_table) {
        m_table = table;
        m_fields.clear();
        for (const ColumnDef &column : table->columns)
            m_fields.push_back(std::make_unique<Field>(*this, int(m_fields.size()), QString::fromLatin1(column.name),
                                                       column.type, column.asMoney, column.size, false));
        for (const auto &[column, before] : m_calculated)
            addCalculatedField(column, before.isEmpty() ? nullptr : before.toLatin1().constData());
    }
}

void Query::addCalculatedField(const ColumnDef &column, const char *before)
{
    if (isActive())
        throw StoreError(QStringLiteral("%1: cannot add a column while the query is open").arg(m_objectName));
    const QString beforeName = before ? QString::fromLatin1(before) : QString();
    auto position = m_fields.end();
    if (!beforeName.isEmpty()) {
        position = std::find_if(m_fields.begin(), m_fields.end(),
                                [&](const auto &field) { return field->name() == beforeName; });
    }
    const QString name = QString::fromLatin1(column.name);
    if (!findField(name)) {
        m_fields.insert(position, std::make_unique<Field>(*this, 0, name, column.type, column.asMoney, 0, true));
        bool known = false;
        for (const auto &entry : m_calculated)
            known = known || entry.first.name == column.name;
        if (!known)
            m_calculated.emplace_back(column, beforeName);
    }
    for (int i = 0; i < int(m_fields.size()); ++i)
        m_fields[i]->m_index = i;
}

void Query::setParameter(const QString &name, const QVariant &value) { m_parameters[name] = value; }

Field *Query::findField(QStringView name) const
{
    for (const auto &field : m_fields) {
        if (name.compare(field->name(), Qt::CaseInsensitive) == 0)
            return field.get();
    }
    return nullptr;
}

Field &Query::field(QStringView name) const
{
    if (Field *found = findField(name))
        return *found;
    throw StoreError(QStringLiteral("%1: Field '%2' not found").arg(m_objectName, name.toString()));
}

int Query::recordCount() const { return int(m_rows.size()) - (m_state == State::Insert ? 1 : 0); }

void Query::checkActive() const
{
    if (!isActive())
        throw StoreError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(m_objectName));
}

void Query::fetch(std::vector<std::vector<QVariant>> &rows)
{
    bool foreignFound = false;
    fetch(rows, m_sql, m_parameters, &foreignFound);
    m_foreignValues = foreignFound ? foreignValuesIn(rows) : QStringList();
}

void Query::fetch(std::vector<std::vector<QVariant>> &rows, const QString &text,
                  const std::map<QString, QVariant> &parameters, bool *foreignFound) const
{
    const QString tableName = QString::fromLatin1(m_table->name);
    const QString path = m_connection.databasePath();
    QSqlQuery sql(m_connection.database());
    sql.setForwardOnly(true);
    if (!sql.prepare(text))
        throw m_connection.failure(QStringLiteral("Could not read %1 from %2").arg(tableName, path), sql.lastError());
    for (const auto &[name, value] : parameters)
        sql.bindValue(QLatin1Char(':') + name, value);
    if (!sql.exec())
        throw m_connection.failure(QStringLiteral("Could not read %1 from %2").arg(tableName, path), sql.lastError());

    // Every column the program knows must be in the file; extra ones are left alone.
    const QSqlRecord record = sql.record();
    std::vector<int> source(m_fields.size(), -1);
    for (const auto &field : m_fields) {
        if (field->isCalculated())
            continue;
        const int at = record.indexOf(field->name());
        if (at < 0)
            throw StoreError(QStringLiteral("The table %1 in %2 has no column %3; the file does not fit this program.")
                                 .arg(tableName, path, field->name()));
        source[field->index()] = at;
    }

    rows.clear();
    const int width = int(m_fields.size());
    bool foreign = false;
    while (sql.next()) {
        std::vector<QVariant> row(width);
        for (int i = 0; i < width; ++i) {
            if (source[i] >= 0)
                row[i] = fromFile(sql.value(source[i]), m_fields[i]->type(), foreign);
        }
        rows.push_back(std::move(row));
    }
    if (sql.lastError().isValid())
        throw m_connection.failure(QStringLiteral("Could not read %1 from %2").arg(tableName, path), sql.lastError());
    if (foreignFound)
        *foreignFound = foreign;
}

QString Query::rowName(const std::vector<QVariant> &row) const
{
    const QString noun = QString::fromLatin1(m_table->rowNoun);
    if (m_table->nameColumn) {
        if (const Field *name = findField(QString::fromLatin1(m_table->nameColumn))) {
            const QVariant &value = row[name->index()];
            return QStringLiteral("%1 \"%2\"").arg(noun, name->defaultText(value, true));
        }
    }
    const Field *key = findField(QString::fromLatin1(m_table->keyColumn));
    return key ? QStringLiteral("%1 with %2 %3").arg(noun, key->name(), key->defaultText(row[key->index()], true))
               : noun;
}

QStringList Query::foreignValuesIn(const std::vector<std::vector<QVariant>> &rows) const
{
    QStringList found;
    for (const auto &row : rows) {
        for (const auto &field : m_fields) {
            const QVariant &value = row[field->index()];
            if (!Field::isForeign(value))
                continue;
            const ForeignValue stored = value.value<ForeignValue>();
            found << QStringLiteral("%1, column %2 of the %3: '%4' %5.")
                         .arg(QString::fromLatin1(m_table->name), field->name(), rowName(row),
                              stored.stored.toString(), stored.reason);
        }
    }
    return found;
}

void Query::calculateRow(int row)
{
    if (!onCalcFields)
        return;
    const int savedRead = m_readRow;
    m_readRow = row;
    m_calculating = true;
    try {
        onCalcFields(*this);
    } catch (...) {
        m_calculating = false;
        m_readRow = savedRead;
        throw;
    }
    m_calculating = false;
    m_readRow = savedRead;
}

void Query::open()
{
    if (isActive())
        return;
    if (!m_table)
        throw StoreError(QStringLiteral("%1: no query text").arg(m_objectName));
    m_connection.acquire();
    m_holdsConnection = true;
    try {
        fetch(m_rows);
        for (int i = 0; i < int(m_rows.size()); ++i)
            calculateRow(i);
    } catch (...) {
        m_rows.clear();
        m_holdsConnection = false;
        m_connection.release();
        throw;
    }
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    m_modified = false;
    m_state = State::Browse;
    notify(&DataLink::activeChanged);
    notify(&DataLink::dataSetChanged);
    if (!m_rows.empty())
        doAfterScroll();
}

void Query::close()
{
    if (!isActive())
        return;
    // A pending edit is dropped, not stored.
    m_insertStatement.reset();
    m_insertColumns.clear();
    m_conflict = Conflict::None;
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    m_rows.clear();
    m_current = -1;
    m_eof = true;
    m_state = State::Inactive;
    if (m_holdsConnection) {
        m_holdsConnection = false;
        m_connection.release();
    }
    notify(&DataLink::activeChanged);
    notify(&DataLink::dataSetChanged);
}

void Query::requery()
{
    checkActive();
    checkBrowseMode();
    std::vector<std::vector<QVariant>> rows;
    fetch(rows);
    m_rows = std::move(rows);
    for (int i = 0; i < int(m_rows.size()); ++i)
        calculateRow(i);
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    notify(&DataLink::dataSetChanged);
    doAfterScroll();
}

void Query::doAfterScroll()
{
    if (afterScroll)
        afterScroll(*this);
}

void Query::completeEdit() { checkBrowseMode(); }

void Query::checkBrowseMode()
{
    if (!isEditing())
        return;
    if (m_conflict != Conflict::None) {
        // The person was told the changes could not be stored: they are
        // dropped, a row another program deleted leaves the rows, and a row
        // it changed is read again.
        const Conflict conflict = m_conflict;
        const int row = m_current;
        cancel();
        if (conflict == Conflict::Deleted && row >= 0 && row < int(m_rows.size())) {
            m_rows.erase(m_rows.begin() + row);
            if (m_current >= int(m_rows.size()))
                m_current = int(m_rows.size()) - 1;
            m_eof = m_rows.empty();
            notify(&DataLink::dataSetChanged);
        }
        if (conflict == Conflict::Changed) {
            try {
                refreshRow(row);
            } catch (const Error &) {
                // The file cannot be read now; the next re-read brings the row.
            }
            notify(&DataLink::dataSetChanged);
        }
        return;
    }
    notify(&DataLink::updateData);
    if (m_modified)
        postRecord();
    else
        cancel();
}

void Query::first()
{
    checkActive();
    checkBrowseMode();
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    notify(&DataLink::dataSetScrolled);
    doAfterScroll();
}

void Query::next()
{
    checkActive();
    checkBrowseMode();
    if (m_current + 1 >= int(m_rows.size())) {
        m_eof = true;
        return;
    }
    ++m_current;
    m_eof = false;
    notify(&DataLink::dataSetScrolled);
    doAfterScroll();
}

void Query::moveTo(int row)
{
    checkActive();
    if (row < 0 || row >= int(m_rows.size()) || row == m_current)
        return;
    // A new record that is cancelled on the way, or a record another program
    // deleted, leaves the rows; the rows after it move up by one.
    const int leaving = m_current;
    const std::size_t rowsBefore = m_rows.size();
    checkBrowseMode();
    if (m_rows.size() < rowsBefore && row > leaving)
        --row;
    if (row >= int(m_rows.size()))
        return;
    m_current = row;
    m_eof = false;
    notify(&DataLink::dataSetScrolled);
    doAfterScroll();
}

bool Query::locate(QStringView column, const QVariant &value)
{
    checkActive();
    checkBrowseMode();
    const Field &key = field(column);
    for (int row = 0; row < int(m_rows.size()); ++row) {
        if (sameValue(m_rows[row][key.index()], value, key.type())) {
            m_current = row;
            m_eof = false;
            notify(&DataLink::dataSetScrolled);
            doAfterScroll();
            return true;
        }
    }
    return false;
}

void Query::edit()
{
    checkActive();
    if (isEditing())
        return;
    if (m_rows.empty()) {
        insertRow(0);
        return;
    }
    m_buffer = m_rows[m_current];
    m_changed.assign(m_fields.size(), false);
    m_modified = false;
    setState(State::Edit);
}

void Query::insert()
{
    checkActive();
    checkBrowseMode();
    insertRow(m_current < 0 ? 0 : m_current);
}

void Query::append()
{
    checkActive();
    checkBrowseMode();
    insertRow(int(m_rows.size()));
}

void Query::insertRow(int at)
{
    m_rows.insert(m_rows.begin() + at, std::vector<QVariant>(m_fields.size()));
    m_current = at;
    m_eof = false;
    m_buffer = m_rows[at];
    m_changed.assign(m_fields.size(), false);
    m_modified = false;
    m_state = State::Insert;
    notify(&DataLink::dataSetChanged);
    notify(&DataLink::editingChanged);
    doAfterScroll();
}

void Query::post()
{
    checkActive();
    if (!isEditing())
        return;
    notify(&DataLink::updateData);
    postRecord();
}

void Query::postRecord()
{
    storeRecord();
    m_conflict = Conflict::None;
    m_rows[m_current] = m_buffer;
    calculateRow(m_current);
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    setState(State::Browse);
    notify(&DataLink::dataSetChanged);
}

void Query::storeRecord()
{
    const QString tableName = QString::fromLatin1(m_table->name);
    const Field *key = findField(QString::fromLatin1(m_table->keyColumn));

    // The columns written: every column with a value for a new record, the
    // changed ones for a stored one.
    std::vector<int> written;
    for (const auto &field : m_fields) {
        if (field->isCalculated() || field->type() == FieldType::AutoInc)
            continue;
        const int at = field->index();
        if (m_state == State::Insert ? m_buffer[at].isValid() : bool(m_changed[at]))
            written.push_back(at);
    }

    if (m_state == State::Insert) {
        // Records added one after another have the same columns: the
        // statement is prepared once for all of them.
        if (!m_insertStatement || m_insertColumns != written) {
            QStringList columns;
            for (int at : written)
                columns << m_fields[at]->name();
            const QString text =
                columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tableName)
                                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                        .arg(tableName, columns.join(QLatin1Char(',')),
                                             QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
            m_insertStatement = std::make_unique<QSqlQuery>(m_connection.database());
            m_insertColumns.clear();
            if (!m_insertStatement->prepare(text))
                throw m_connection.failure(QStringLiteral("Could not add the record to %1").arg(tableName), m_insertStatement->lastError());
            m_insertColumns = written;
        }
        QSqlQuery &insert = *m_insertStatement;
        for (int i = 0; i < int(written.size()); ++i)
            insert.bindValue(i, toFile(m_buffer[written[i]], m_fields[written[i]]->type()));
        const bool stored = insert.exec();
        const QSqlError failure = insert.lastError();
        const QVariant id = insert.lastInsertId();
        insert.finish();
        if (!stored)
            throw m_connection.failure(QStringLiteral("Could not add the record to %1").arg(tableName), failure);
        if (key && key->type() == FieldType::AutoInc)
            m_buffer[key->index()] = id.toLongLong();
        return;
    }

    if (written.empty())
        return;
    if (!key)
        throw StoreError(QStringLiteral("%1 has no key to store a record by").arg(tableName));

    // The row is changed only if it still holds what this program read, in
    // every stored column, and it must be the only such row: otherwise
    // nothing is stored.
    const std::vector<QVariant> &original = m_rows[m_current];
    QStringList assignments;
    QStringList conditions;
    for (int at : written)
        assignments << m_fields[at]->name() + QStringLiteral("=?");
    for (const auto &field : m_fields) {
        if (!field->isCalculated())
            conditions << field->name() + QStringLiteral(" IS ?");
    }
    const QString text = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                             .arg(tableName, assignments.join(QLatin1Char(',')), conditions.join(QStringLiteral(" AND ")));
    QSqlDatabase db = m_connection.database();
    QSqlQuery sql(db);
    auto run = [&](const QString &statement) {
        if (!sql.exec(statement))
            throw m_connection.failure(QStringLiteral("Could not store the record in %1").arg(tableName), sql.lastError());
    };
    run(QStringLiteral("SAVEPOINT calvora_store"));
    int changedRows = 0;
    try {
        if (!sql.prepare(text))
            throw m_connection.failure(QStringLiteral("Could not store the record in %1").arg(tableName), sql.lastError());
        int bound = 0;
        for (int at : written)
            sql.bindValue(bound++, toFile(m_buffer[at], m_fields[at]->type()));
        for (const auto &field : m_fields) {
            if (!field->isCalculated())
                sql.bindValue(bound++, toFile(original[field->index()], field->type()));
        }
        if (!sql.exec())
            throw m_connection.failure(QStringLiteral("Could not store the record in %1").arg(tableName), sql.lastError());
        changedRows = sql.numRowsAffected();
        sql.finish();
        if (changedRows == 1) {
            run(QStringLiteral("RELEASE calvora_store"));
            return;
        }
    } catch (...) {
        QSqlQuery undo(db);
        undo.exec(QStringLiteral("ROLLBACK TO calvora_store"));
        undo.exec(QStringLiteral("RELEASE calvora_store"));
        throw;
    }
    run(QStringLiteral("ROLLBACK TO calvora_store"));
    run(QStringLiteral("RELEASE calvora_store"));

    // Nothing was stored: say why.
    QSqlQuery count(db);
    count.prepare(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 IS ?").arg(tableName, key->name()));
    count.addBindValue(toFile(original[key->index()], key->type()));
    const int withKey = count.exec() && count.next() ? count.value(0).toInt() : -1;
    const QString name = rowName(original);
    if (changedRows > 1 || withKey > 1) {
        m_conflict = Conflict::NotUnique;
        throw StoreError(QStringLiteral("The %1 is held in more than one row of %2 (the table has lost its key), "
                                        "so your changes were not stored: they would change every one of them. "
                                        "Repair the file with a database tool.")
                             .arg(name, tableName));
    }
    if (withKey == 0) {
        m_conflict = Conflict::Deleted;
        throw StoreError(QStringLiteral("The %1 was deleted by another program, so your changes were not stored. "
                                        "Moving to another %2 drops them.")
                             .arg(name, QString::fromLatin1(m_table->rowNoun)));
    }
    m_conflict = Conflict::Changed;
    throw StoreError(QStringLiteral("The %1 was changed by another program after this one read it, so your changes "
                                    "were not stored. They stay on screen; moving to another %2 drops them and "
                                    "reads the %2 again.")
                         .arg(name, QString::fromLatin1(m_table->rowNoun)));
}

void Query::refreshRow(int row)
{
    const Field *key = findField(QString::fromLatin1(m_table->keyColumn));
    if (!key || row < 0 || row >= int(m_rows.size()))
        return;
    std::vector<std::vector<QVariant>> found;
    fetch(found,
          QStringLiteral("SELECT * FROM %1 WHERE %2 IS :key").arg(QString::fromLatin1(m_table->name), key->name()),
          {{QStringLiteral("key"), toFile(m_rows[row][key->index()], key->type())}});
    if (found.size() != 1)
        return;
    m_rows[row] = std::move(found.front());
    calculateRow(row);
}

void Query::cancel()
{
    if (!isEditing())
        return;
    if (m_state == State::Insert) {
        m_rows.erase(m_rows.begin() + m_current);
        if (m_current >= int(m_rows.size()))
            m_current = int(m_rows.size()) - 1;
        m_eof = m_rows.empty();
    }
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    m_conflict = Conflict::None;
    setState(State::Browse);
    notify(&DataLink::dataSetChanged);
}

void Query::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    notify(&DataLink::editingChanged);
}

const QVariant &Query::currentValue(int fieldIndex) const
{
    static const QVariant null;
    if (m_readRow >= 0)
        return m_rows[m_readRow][fieldIndex];
    if (isEditing())
        return m_buffer[fieldIndex];
    if (m_current < 0 || m_current >= int(m_rows.size()))
        return null;
    return m_rows[m_current][fieldIndex];
}

void Query::setCurrentValue(Field &field, const QVariant &value)
{
    if (m_calculating) {
        if (!field.isCalculated())
            throw StoreError(QStringLiteral("%1: only calculated columns can be set while they are calculated")
                                 .arg(m_objectName));
        m_rows[m_readRow][field.index()] = value;
        return;
    }
    checkActive();
    if (!isEditing())
        throw StoreError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_objectName));
    if (field.type() == FieldType::AutoInc)
        throw StoreError(QStringLiteral("Field '%1' cannot be modified").arg(field.name()));
    // A value whose consequences cannot be computed (an onChange handler
    // that fails) is refused whole: the record goes back to what it was.
    std::vector<QVariant> bufferBefore;
    std::vector<bool> changedBefore;
    const bool modifiedBefore = m_modified;
    if (field.onChange) {
        bufferBefore = m_buffer;
        changedBefore = m_changed;
    }
    m_buffer[field.index()] = value;
    if (!field.isCalculated()) {
        m_changed[field.index()] = true;
        m_modified = true;
    }
    if (field.onChange) {
        try {
            field.onChange(field);
        } catch (...) {
            // Columns the handler wrote show their old values again; the
            // control that handed in the refused value keeps its text.
            std::vector<const Field *> rewritten;
            for (std::size_t i = 0; i < m_buffer.size(); ++i) {
                if (int(i) != field.index() && m_buffer[i] != bufferBefore[i])
                    rewritten.push_back(m_fields[i].get());
            }
            m_buffer = std::move(bufferBefore);
            m_changed = std::move(changedBefore);
            m_modified = modifiedBefore;
            for (const Field *other : rewritten)
                notifyRecordChanged(other);
            throw;
        }
    }
    notifyRecordChanged(&field);
}

QVariant Query::viewValue(int row, int fieldIndex) const
{
    if (row == m_current && isEditing())
        return m_buffer[fieldIndex];
    return m_rows.at(row).at(fieldIndex);
}

QString Query::viewText(int row, int fieldIndex, bool displayText) const
{
    const Field &column = *m_fields.at(fieldIndex);
    if (row == m_current || !column.onGetText)
        return row == m_current ? (displayText ? column.displayText() : column.editText())
                                : column.defaultText(viewValue(row, fieldIndex), displayText);
    auto *self = const_cast<Query *>(this);
    const int saved = self->m_readRow;
    self->m_readRow = row;
    QString text;
    try {
        text = displayText ? column.displayText() : column.editText();
    } catch (...) {
        self->m_readRow = saved;
        throw;
    }
    self->m_readRow = saved;
    return text;
}

Query::Cursor::Cursor(const Query &query, int skip) : m_query(query), m_skip(skip)
{
    if (m_pos == m_skip)
        ++m_pos;
}

void Query::Cursor::next()
{
    ++m_pos;
    if (m_pos == m_skip)
        ++m_pos;
}

QVariant Query::Cursor::value(QStringView column) const
{
    if (eof())
        return {};
    return m_query.m_rows[m_pos][m_query.field(column).index()];
}

qint64 Query::Cursor::asInteger(QStringView column) const { return value(column).toLongLong(); }

Query::Cursor Query::cursor() const { return Cursor(*this, m_state == State::Insert ? m_current : -1); }

Query::RecordSnapshot Query::saveRecord() const
{
    RecordSnapshot snapshot;
    snapshot.state = m_state;
    snapshot.current = m_current;
    snapshot.rowCount = m_rows.size();
    if (m_current >= 0 && m_current < int(m_rows.size()))
        snapshot.row = m_rows[m_current];
    snapshot.buffer = m_buffer;
    snapshot.changed = m_changed;
    snapshot.modified = m_modified;
    return snapshot;
}

void Query::restoreRecord(const RecordSnapshot &snapshot)
{
    if (!isActive() || snapshot.state == State::Inactive || snapshot.rowCount != m_rows.size() ||
        snapshot.current != m_current)
        throw StoreError(QStringLiteral("%1: the record cannot be put back, the rows have changed").arg(m_objectName));
    if (m_current >= 0)
        m_rows[m_current] = snapshot.row;
    m_buffer = snapshot.buffer;
    m_changed = snapshot.changed;
    m_modified = snapshot.modified;
    m_state = snapshot.state;
    if (m_current >= 0)
        calculateRow(m_current);
    notify(&DataLink::dataSetChanged);
    notify(&DataLink::editingChanged);
}

void Query::disableControls() { ++m_disableCount; }

Query::DisabledControls::~DisabledControls()
{
    try {
        m_query.enableControls();
    } catch (...) {
        // A view that fails to refresh shows what it has; the step that
        // ended the scope reports its own failure.
    }
}

void Query::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0)
        notify(&DataLink::dataSetChanged);
}

void Query::addDataSource(DataSource *source)
{
    if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end())
        m_sources.push_back(source);
}

void Query::removeDataSource(DataSource *source) { std::erase(m_sources, source); }

void Query::tellLinks(const std::function<void(DataLink &)> &tell)
{
    if (m_disableCount > 0)
        return;
    const std::vector<DataSource *> sources = m_sources;
    for (DataSource *source : sources)
        source->tellLinks(tell);
}

void Query::notify(void (DataLink::*event)())
{
    tellLinks([event](DataLink &link) { (link.*event)(); });
}

void Query::notifyRecordChanged(const Field *field)
{
    tellLinks([field](DataLink &link) { link.recordChanged(field); });
}

} // namespace calvora::store
