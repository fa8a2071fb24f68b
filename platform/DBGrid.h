#pragma once

#include "QueryTableModel.h"

#include <QTableView>

namespace calvora::platform {

// A grid of the rows of a data source. The grid's current row is the query's
// current record: clicking a row makes it current (storing a pending edit
// first), and a move of the query moves the grid. Cells of columns that can
// be changed are edited in place.
class DBGrid : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(QString dataSourceName READ dataSourceName WRITE setDataSourceName)

public:
    explicit DBGrid(QWidget *parent = nullptr);

    QString dataSourceName() const { return m_dataSourceName; }
    void setDataSourceName(const QString &name) { m_dataSourceName = name; }
    // Attaching and detaching: a grid without a data source shows nothing.
    void setDataSource(store::DataSource *source);
    store::DataSource *dataSource() const { return m_model.dataSource(); }

    // A column bound to a column of the query, its width in characters.
    void addColumn(const QString &field, const QString &title, int widthInCharacters);

    QueryTableModel &tableModel() { return m_model; }
    const QueryTableModel &tableModel() const { return m_model; }

private:
    void followQuery(int row);

    QueryTableModel m_model;
    QString m_dataSourceName;
    QList<QueryTableModel::Column> m_columns;
    QList<int> m_widths;
    bool m_following = false;
};

} // namespace calvora::platform
