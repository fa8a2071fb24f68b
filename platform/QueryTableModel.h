#pragma once

#include "DataSource.h"

#include <QAbstractTableModel>

#include <functional>
#include <memory>

namespace calvora::platform {

// The rows of a query as a table model: one model column per grid column,
// each bound to a column of the query by name. Views see the stored rows and
// a new record being inserted; editing a cell edits the current record.
class QueryTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        QString field;
        QString title;
    };

    explicit QueryTableModel(QObject *parent = nullptr);
    ~QueryTableModel() override;

    void setDataSource(store::DataSource *source);
    store::DataSource *dataSource() const;
    store::Query *query() const;
    void setColumns(const QList<Column> &columns);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The row of the query's current record (-1: none).
    int currentRow() const;

    // Blank rows shown after the records: no text, not selectable, not
    // editable. Each re-read of the rows shows as many as blankRowsOnRead
    // gives (none when it is not set) in the same reset.
    void setBlankRows(int count);
    int blankRows() const { return m_blankRows; }
    void setBlankRowsOnRead(std::function<int()> count) { m_blankRowsOnRead = std::move(count); }
    // Rows that show a record (the blank rows after them not counted).
    int recordRows() const { return m_rowCount; }

signals:
    // Another record of the query became current.
    void currentRowChanged(int row);

private:
    class Link;
    int fieldIndex(int column) const;
    void refresh();

    std::unique_ptr<Link> m_link;
    QList<Column> m_columns;
    int m_rowCount = 0;
    int m_blankRows = 0;
    std::function<int()> m_blankRowsOnRead;
};

} // namespace calvora::platform
