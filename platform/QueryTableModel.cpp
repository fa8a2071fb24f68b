#include "QueryTableModel.h"

#include "ErrorHandler.h"
#include "Field.h"
#include "Query.h"

namespace calvora::platform {

class QueryTableModel::Link : public store::DataLink
{
public:
    explicit Link(QueryTableModel &model) : m_model(model) {}
    void activeChanged() override { m_model.refresh(); }
    void dataSetChanged() override { m_model.refresh(); }
    void dataSetScrolled() override { emit m_model.currentRowChanged(m_model.currentRow()); }
    void recordChanged(const store::Field *) override
    {
        const int row = m_model.currentRow();
        if (row >= 0 && row < m_model.m_rowCount && !m_model.m_columns.isEmpty())
            emit m_model.dataChanged(m_model.index(row, 0), m_model.index(row, int(m_model.m_columns.size()) - 1));
    }
    void editingChanged() override
    {
        // Only an insert or a cancelled insert changes the rows.
        const store::Query *q = m_model.query();
        if (!q || q->viewRowCount() != m_model.m_rowCount)
            m_model.refresh();
        else
            recordChanged(nullptr);
    }

private:
    QueryTableModel &m_model;
};

QueryTableModel::QueryTableModel(QObject *parent) : QAbstractTableModel(parent), m_link(std::make_unique<Link>(*this))
{
}

QueryTableModel::~QueryTableModel() = default;

store::DataSource *QueryTableModel::dataSource() const { return m_link->dataSource(); }

void QueryTableModel::setDataSource(store::DataSource *source)
{
    if (dataSource() == source)
        return;
    m_link->setDataSource(source);
    refresh();
}

store::Query *QueryTableModel::query() const { return dataSource() ? dataSource()->dataSet() : nullptr; }

void QueryTableModel::setColumns(const QList<Column> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

void QueryTableModel::refresh()
{
    const store::Query *q = query();
    beginResetModel();
    m_rowCount = q && q->isActive() ? q->viewRowCount() : 0;
    m_blankRows = 0;
    if (m_blankRowsOnRead)
        m_blankRows = qMax(0, m_blankRowsOnRead());
    endResetModel();
    emit currentRowChanged(currentRow());
}

int QueryTableModel::currentRow() const
{
    const store::Query *q = query();
    return q && q->isActive() && m_rowCount > 0 ? q->currentRow() : -1;
}

int QueryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount + m_blankRows;
}

void QueryTableModel::setBlankRows(int count)
{
    count = qMax(0, count);
    if (count > m_blankRows) {
        beginInsertRows({}, m_rowCount + m_blankRows, m_rowCount + count - 1);
        m_blankRows = count;
        endInsertRows();
    } else if (count < m_blankRows) {
        beginRemoveRows({}, m_rowCount + count, m_rowCount + m_blankRows - 1);
        m_blankRows = count;
        endRemoveRows();
    }
}

int QueryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

int QueryTableModel::fieldIndex(int column) const
{
    const store::Query *q = query();
    if (!q || column < 0 || column >= m_columns.size())
        return -1;
    const store::Field *field = q->findField(m_columns.at(column).field);
    return field ? field->index() : -1;
}

QVariant QueryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int field = fieldIndex(index.column());
    if (field < 0)
        return {};
    return query()->viewText(index.row(), field, role == Qt::DisplayRole);
}

bool QueryTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= m_rowCount)
        return false;
    const int fieldAt = fieldIndex(index.column());
    store::Query *q = query();
    if (fieldAt < 0 || !q)
        return false;
    bool done = false;
    guarded([&] {
        q->moveTo(index.row());
        if (q->currentRow() != index.row())
            return;
        store::Field &field = *q->fields().at(fieldAt);
        if (field.editText() == value.toString())
            return;
        dataSource()->edit();
        field.setText(value.toString());
        done = true;
    });
    return done;
}

Qt::ItemFlags QueryTableModel::flags(const QModelIndex &index) const
{
    if (index.isValid() && index.row() >= m_rowCount)
        return Qt::NoItemFlags;
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    const int field = fieldIndex(index.column());
    if (field >= 0 && query()->fields().at(field)->canModify())
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns.at(section).title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace calvora::platform
