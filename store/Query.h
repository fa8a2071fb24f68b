#pragma once

#include "Field.h"
#include "Schema.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QSqlQuery;

namespace calvora::store {

class Connection;
class DataSource;
class DataLink;

// A query over one table of the database file: a snapshot of its rows (read in
// full when opened or re-read), a current row and a state. Changes are made in
// memory; a stored record is written back to its row at once.
class Query
{
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Query(Connection &connection, QString objectName);
    ~Query();
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    const QString &objectName() const { return m_objectName; }
    Connection &connection() const { return m_connection; }

    // "SELECT * FROM <table>" with an optional WHERE and ORDER BY; the table
    // named after FROM gives the columns and the row that a record stores into.
    void setSql(const QString &sql);
    const QString &sql() const { return m_sql; }
    // A named parameter of the text (":MortgageID").
    void setParameter(const QString &name, const QVariant &value);
    // A column computed for each row read by onCalcFields, not stored. It is
    // placed before the column named (at the end when that is empty).
    void addCalculatedField(const ColumnDef &column, const char *before = nullptr);

    void open();
    void close();
    // Completes a pending edit, reads the rows again and makes the first current.
    void requery();

    void first();
    void next();
    // Makes the row at this position current.
    void moveTo(int row);
    // Makes the first row, in the query's order, whose column equals value
    // current. Returns whether one was found; with none nothing moves.
    bool locate(QStringView column, const QVariant &value);

    void edit();
    // Stores a changed record, or leaves an unchanged one, as a move would.
    void completeEdit();
    void insert();
    // A new record after the last row (rows added one after another keep
    // their order).
    void append();
    void post();
    void cancel();

    State state() const { return m_state; }
    bool isActive() const { return m_state != State::Inactive; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    bool isModified() const { return m_modified; }
    // Rows held, without a new record that is not stored yet.
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    // Position of the current record among the rows shown (-1: none).
    int currentRow() const { return m_current; }
    bool eof() const { return m_eof; }

    const std::vector<std::unique_ptr<Field>> &fields() const { return m_fields; }
    Field *findField(QStringView name) const;
    // The column of that name; throws when the query has none.
    Field &field(QStringView name) const;

    // Rows as views show them: the stored rows, and a new record being
    // inserted at its position.
    int viewRowCount() const { return int(m_rows.size()); }
    QVariant viewValue(int row, int fieldIndex) const;
    // The column's display text for a row, through its text handler.
    QString viewText(int row, int fieldIndex, bool displayText = true) const;

    // A second cursor over the stored rows, in the query's order, starting at
    // the first; it never moves the query's own current record.
    class Cursor
    {
    public:
        bool eof() const { return m_pos >= int(m_query.m_rows.size()); }
        void next();
        QVariant value(QStringView column) const;
        qint64 asInteger(QStringView column) const;
        int count() const { return m_query.recordCount(); }

    private:
        friend class Query;
        Cursor(const Query &query, int skip);
        const Query &m_query;
        int m_skip; // a new record not stored yet is not among the rows
        int m_pos = 0;
    };
    Cursor cursor() const;

    // The current record as it stands, and putting it back: the values, the
    // pending changes and the state. A multi-row change that fails part-way
    // returns the record to what it was before.
    struct RecordSnapshot
    {
        State state = State::Inactive;
        int current = -1;
        std::size_t rowCount = 0;
        std::vector<QVariant> row;
        std::vector<QVariant> buffer;
        std::vector<bool> changed;
        bool modified = false;
    };
    RecordSnapshot saveRecord() const;
    void restoreRecord(const RecordSnapshot &snapshot);

    // Detaching the views: while disabled, bound controls and grids are not
    // refreshed; enabling again refreshes them all.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // Keeps the views detached for as long as it lives; they are attached
    // again, and refresh, also when a step in between fails.
    class DisabledControls
    {
    public:
        explicit DisabledControls(Query &query) : m_query(query) { m_query.disableControls(); }
        ~DisabledControls();
        DisabledControls(const DisabledControls &) = delete;
        DisabledControls &operator=(const DisabledControls &) = delete;

    private:
        Query &m_query;
    };

    std::function<void(Query &)> afterScroll;
    std::function<void(Query &)> onCalcFields;

    // Values of the rows last read that do not fit their columns, one text
    // each naming the table, the column and the row; the query keeps them as
    // stored and goes on with the other values.
    const QStringList &foreignValues() const { return m_foreignValues; }

private:
    friend class Field;
    friend class DataSource;

    const QVariant &currentValue(int fieldIndex) const;
    void setCurrentValue(Field &field, const QVariant &value);
    void checkActive() const;
    void checkBrowseMode();
    void fetch(std::vector<std::vector<QVariant>> &rows);
    void fetch(std::vector<std::vector<QVariant>> &rows, const QString &text,
               const std::map<QString, QVariant> &parameters, bool *foreignFound = nullptr) const;
    QStringList foreignValuesIn(const std::vector<std::vector<QVariant>> &rows) const;
    // How messages name a row ("mortgage \"Loan 1\"").
    QString rowName(const std::vector<QVariant> &row) const;
    void calculateRow(int row);
    void doAfterScroll();
    void insertRow(int at);
    void storeRecord();
    // Reads one row again from the file by its key.
    void refreshRow(int row);
    // Stores the edited record and returns to browse state; the controls'
    // pending text has been taken already.
    void postRecord();
    void setState(State state);

    void addDataSource(DataSource *source);
    void removeDataSource(DataSource *source);
    void notify(void (DataLink::*event)());
    void notifyRecordChanged(const Field *field);
    void tellLinks(const std::function<void(DataLink &)> &tell);

    Connection &m_connection;
    QString m_objectName;
    QString m_sql;
    const TableDef *m_table = nullptr;
    std::map<QString, QVariant> m_parameters;
    std::vector<std::pair<ColumnDef, QString>> m_calculated; // column, placed before
    std::vector<std::unique_ptr<Field>> m_fields;
    std::vector<std::vector<QVariant>> m_rows;
    std::vector<QVariant> m_buffer; // the current record while being edited
    std::vector<bool> m_changed;
    int m_current = -1;
    int m_readRow = -1; // a row read in place of the current one (calculated fields, views)
    bool m_eof = true;
    bool m_modified = false;
    bool m_calculating = false;
    State m_state = State::Inactive;
    int m_disableCount = 0;
    std::vector<DataSource *> m_sources;
    bool m_holdsConnection = false;
    // The last INSERT prepared, kept for the next record with the same columns.
    std::unique_ptr<QSqlQuery> m_insertStatement;
    std::vector<int> m_insertColumns;
    QStringList m_foreignValues;
    // Why the last store of the edited record was refused: its row was
    // changed or deleted by another program, or is not the only one.
    enum class Conflict { None, Changed, Deleted, NotUnique };
    Conflict m_conflict = Conflict::None;
};

} // namespace calvora::store
