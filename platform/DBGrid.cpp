#include "DBGrid.h"

#include "ErrorHandler.h"
#include "Query.h"

#include <QHeaderView>

namespace calvora::platform {

DBGrid::DBGrid(QWidget *parent) : QTableView(parent)
{
    setModel(&m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(true);

    connect(&m_model, &QueryTableModel::currentRowChanged, this, &DBGrid::followQuery);
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] { followQuery(m_model.currentRow()); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (m_following || !current.isValid())
                    return;
                guarded([&] {
                    if (store::Query *q = m_model.query())
                        q->moveTo(current.row());
                });
                // A move that failed (a record that could not be stored)
                // leaves the grid on the query's current row.
                followQuery(m_model.currentRow());
            });
}

void DBGrid::setDataSource(store::DataSource *source) { m_model.setDataSource(source); }

void DBGrid::addColumn(const QString &field, const QString &title, int widthInCharacters)
{
    m_columns << QueryTableModel::Column{field, title};
    m_model.setColumns(m_columns);
    m_widths << widthInCharacters;
    for (int i = 0; i < m_widths.size(); ++i)
        setColumnWidth(i, m_widths.at(i) * fontMetrics().averageCharWidth() + 8);
}

void DBGrid::followQuery(int row)
{
    if (m_following)
        return;
    m_following = true;
    if (row < 0)
        selectionModel()->clearCurrentIndex();
    else if (currentIndex().row() != row)
        setCurrentIndex(m_model.index(row, qMax(0, currentIndex().column())));
    m_following = false;
}

} // namespace calvora::platform
