#pragma once

#include "DataSource.h"

#include <QAbstractTableModel>

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
};

} // namespace calvora::platform
