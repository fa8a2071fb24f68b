#include "GroupedTableModel.h"

#include "Connection.h"
#include "Errors.h"
#include "Field.h"
#include "Format.h"
#include "Query.h"

#include <algorithm>
#include <map>

namespace calvora::platform {

namespace {

QString qt(const std::string &text) { return QString::fromStdString(text); }

bool isNumeric(store::FieldType type)
{
    return type != store::FieldType::Text && type != store::FieldType::Date;
}

} // namespace

// Any change of the query's rows or of their values rebuilds the table.
class GroupedTableModel::Link : public store::DataLink
{
public:
    explicit Link(GroupedTableModel &model) : m_model(model) {}
    // An opened query tells dataSetChanged next; only a close empties the table here.
    void activeChanged() override
    {
        if (!m_model.query())
            m_model.rebuild();
    }
    void dataSetChanged() override { m_model.rebuild(); }
    void recordChanged(const store::Field *) override { m_model.rebuild(); }
    void editingChanged() override { m_model.rebuild(); }

private:
    GroupedTableModel &m_model;
};

GroupedTableModel::GroupedTableModel(QObject *parent)
    : QAbstractItemModel(parent), m_link(std::make_unique<Link>(*this))
{
}

GroupedTableModel::~GroupedTableModel() = default;

void GroupedTableModel::setDataSource(store::DataSource *source)
{
    if (dataSource() == source)
        return;
    m_link->setDataSource(source);
    rebuild();
}

store::DataSource *GroupedTableModel::dataSource() const { return m_link->dataSource(); }

store::Query *GroupedTableModel::query() const
{
    store::Query *q = dataSource() ? dataSource()->dataSet() : nullptr;
    return q && q->isActive() ? q : nullptr;
}

const RegionalSettings &GroupedTableModel::settings() const
{
    static const RegionalSettings fallback = RegionalSettings::usEnglish();
    const store::DataSource *source = dataSource();
    return source && source->dataSet() ? source->dataSet()->connection().regionalSettings() : fallback;
}

int GroupedTableModel::addColumn(Column column)
{
    beginResetModel();
    m_columns.push_back(std::move(column));
    endResetModel();
    rebuild();
    return int(m_columns.size()) - 1;
}

int GroupedTableModel::columnIndex(QStringView name) const
{
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name == name)
            return int(i);
    }
    return -1;
}

QString GroupedTableModel::columnCaption(int index) const
{
    const Column &c = column(index);
    return c.caption.isEmpty() ? c.field : c.caption;
}

void GroupedTableModel::setDisplayTextHandler(int column, DisplayTextHandler handler)
{
    m_columns.at(std::size_t(column)).onGetDisplayText = std::move(handler);
}

void GroupedTableModel::addSummary(Summary summary)
{
    m_summaries.push_back({std::move(summary), -1, -1});
    rebuild();
}

void GroupedTableModel::setSortColumn(int column)
{
    m_sortColumn = column;
    rebuild();
}

void GroupedTableModel::groupBy(int column)
{
    if (m_groupColumn == column)
        return;
    m_groupColumn = column;
    rebuild();
}

const store::Field *GroupedTableModel::boundField(int column) const
{
    const store::Query *q = query();
    if (!q || column < 0 || column >= int(m_columns.size()) || m_columns[std::size_t(column)].field.isEmpty())
        return nullptr;
    return q->findField(m_columns[std::size_t(column)].field);
}

void GroupedTableModel::rebuild()
{
    beginResetModel();
    readAmounts();
    buildGroups();
    buildShownRows();
    endResetModel();
    emit expansionChanged();
}

// The numeric values of every column of the query, as raw Currency counts,
// read once so that summaries and running totals add integers instead of
// asking the query for each cell.
void GroupedTableModel::readAmounts()
{
    const store::Query *q = query();
    const int records = q ? q->viewRowCount() : 0;
    m_width = q ? int(q->fields().size()) : 0;
    m_amounts.assign(std::size_t(records) * std::size_t(m_width), 0);
    m_hasAmount.assign(std::size_t(records) * std::size_t(m_width), 0);
    for (int f = 0; f < m_width; ++f) {
        const store::Field &field = *q->fields().at(std::size_t(f));
        if (!isNumeric(field.type()))
            continue;
        for (int r = 0; r < records; ++r) {
            const QVariant value = q->viewValue(r, f);
            if (!value.isValid())
                continue;
            const std::size_t cell = std::size_t(r) * std::size_t(m_width) + std::size_t(f);
            if (store::Field::isForeign(value)) {
                m_hasAmount[cell] = Foreign;
                continue;
            }
            std::int64_t raw = 0;
            try {
                if (field.type() == store::FieldType::Money)
                    raw = value.toLongLong();
                else if (field.type() == store::FieldType::Double)
                    raw = Currency::fromAmount(value.toDouble()).raw();
                else
                    raw = Currency::fromRaw(value.toLongLong()).multipliedBy(Currency::Scale).raw();
            } catch (const Error &) {
                m_hasAmount[cell] = Foreign; // outside the range of money
                continue;
            }
            m_amounts[cell] = raw;
            m_hasAmount[cell] = Amount;
        }
    }

    m_columnField.assign(m_columns.size(), -1);
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (const store::Field *field = boundField(int(c)))
            m_columnField[c] = field->index();
    }

    m_records.resize(std::size_t(records));
    for (int r = 0; r < records; ++r)
        m_records[std::size_t(r)] = r;
    // Grouped, the rows of one value stand together, the groups in ascending
    // order; within a group (or without grouping) by the sort column.
    const int groupField = fieldOf(m_groupColumn);
    const int sortField = fieldOf(m_sortColumn);
    if (groupField >= 0 || sortField >= 0) {
        std::stable_sort(m_records.begin(), m_records.end(), [this, groupField, sortField](int a, int b) {
            const auto key = [this](int record, int field) { return amount(record, field).value_or(Currency()); };
            if (groupField >= 0 && key(a, groupField) != key(b, groupField))
                return key(a, groupField) < key(b, groupField);
            return sortField >= 0 && key(a, sortField) < key(b, sortField);
        });
    }

    for (Slot &slot : m_summaries) {
        slot.column = columnIndex(slot.summary.column);
        const store::Field *field = q ? q->findField(slot.summary.field) : nullptr;
        slot.field = field ? field->index() : -1;
    }
}

std::vector<std::optional<Currency>> GroupedTableModel::sumsOver(const std::vector<int> &records) const
{
    std::vector<std::optional<Currency>> sums(m_summaries.size());
    for (std::size_t s = 0; s < m_summaries.size(); ++s) {
        const int field = m_summaries[s].field;
        if (field < 0 || records.empty())
            continue;
        Currency total;
        bool overflow = false;
        for (int record : records) {
            const std::size_t cell = std::size_t(record) * std::size_t(m_width) + std::size_t(field);
            // A value that does not fit its column leaves the sum empty
            // rather than counting as nothing.
            if (m_hasAmount[cell] == Foreign) {
                overflow = true;
                break;
            }
            try {
                total += amount(record, field).value_or(Currency());
            } catch (const Error &) {
                overflow = true; // a sum the money type cannot hold shows nothing
                break;
            }
        }
        if (!overflow)
            sums[s] = total;
    }
    return sums;
}

void GroupedTableModel::buildGroups()
{
    std::map<std::int64_t, bool> wasExpanded;
    for (const Group &group : m_groups)
        wasExpanded[group.key] = group.expanded;
    m_groups.clear();
    if (m_groupColumn >= 0) {
        for (int record : m_records) {
            const std::int64_t key = amount(record, fieldOf(m_groupColumn)).value_or(Currency()).raw();
            if (m_groups.empty() || m_groups.back().key != key) {
                Group group;
                group.key = key;
                const auto known = wasExpanded.find(key);
                group.expanded = known != wasExpanded.end() && known->second;
                m_groups.push_back(std::move(group));
            }
            m_groups.back().records.push_back(record);
        }
        for (Group &group : m_groups)
            group.sums = sumsOver(group.records);
    }
    m_totals = sumsOver(m_records);
}

void GroupedTableModel::buildShownRows()
{
    m_running.clear();
    m_shown.clear();
    m_positionOfRecord.assign(m_records.size(), -1);
    auto addRecord = [this](int record) {
        m_positionOfRecord[std::size_t(record)] = int(m_shown.size());
        m_shown.emplace_back(RowKind::Data, record);
    };
    if (m_groupColumn < 0) {
        for (int record : m_records)
            addRecord(record);
        return;
    }
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        m_shown.emplace_back(RowKind::Group, int(g));
        if (m_groups[g].expanded) {
            for (int record : m_groups[g].records)
                addRecord(record);
        }
    }
}

bool GroupedTableModel::isExpanded(int group) const
{
    return group >= 0 && group < groupCount() && m_groups[std::size_t(group)].expanded;
}

void GroupedTableModel::setExpanded(int group, bool expanded)
{
    if (group < 0 || group >= groupCount() || m_groups[std::size_t(group)].expanded == expanded)
        return;
    m_groups[std::size_t(group)].expanded = expanded;
    buildShownRows();
    emit expansionChanged();
}

void GroupedTableModel::expandAll()
{
    for (Group &group : m_groups)
        group.expanded = true;
    buildShownRows();
    emit expansionChanged();
}

Currency GroupedTableModel::runningTotal(int position, int column) const
{
    auto known = m_running.find(column);
    if (known == m_running.end()) {
        // One pass down the shown rows: each month adds to the one above it,
        // a group row starts again from nothing.
        std::vector<RunningCell> cells(m_shown.size());
        const int field = fieldOf(column);
        RunningCell above{0, RunningCell::Sum};
        for (std::size_t p = 0; p < m_shown.size(); ++p) {
            if (m_shown[p].first != RowKind::Data) {
                above = {0, RunningCell::Sum};
                cells[p] = above;
                continue;
            }
            RunningCell cell = above;
            if (cell.state == RunningCell::Sum) {
                if (const std::optional<Currency> value = amount(m_shown[p].second, field)) {
                    try {
                        cell.raw = (Currency::fromRaw(cell.raw) + *value).raw();
                    } catch (const Error &) {
                        cell.state = RunningCell::Overflow;
                    }
                } else {
                    cell.state = RunningCell::Empty;
                }
            }
            cells[p] = cell;
            above = cell;
        }
        known = m_running.emplace(column, std::move(cells)).first;
    }
    if (position < 0)
        return Currency();
    const RunningCell &cell = known->second.at(std::size_t(position));
    if (cell.state == RunningCell::Empty)
        throw ConvertError("Could not convert variant of type (Null) into type (Double)");
    if (cell.state == RunningCell::Overflow)
        throw FloatError(FloatFault::Overflow);
    return Currency::fromRaw(cell.raw);
}

GroupedTableModel::AmountKind GroupedTableModel::amountKind(int column) const
{
    const Column &c = m_columns.at(std::size_t(column));
    if (!c.runningTotalOf.isEmpty() || c.currencyCell)
        return AmountKind::Money;
    const store::Field *field = boundField(column);
    if (!field || !isNumeric(field->type()))
        return AmountKind::None;
    return field->type() == store::FieldType::Money || field->type() == store::FieldType::Double ? AmountKind::Money
                                                                                                   : AmountKind::Whole;
}

std::optional<Currency> GroupedTableModel::cellAmount(int position, int column) const
{
    if (position < 0 || position >= shownRowCount() || shownRowKind(position) != RowKind::Data)
        return std::nullopt;
    const Column &c = m_columns.at(std::size_t(column));
    if (c.runningTotalOf.isEmpty())
        return shownAmount(position, column);
    for (std::size_t summed = 0; summed < m_columns.size(); ++summed) {
        if (m_columns[summed].field == c.runningTotalOf) {
            try {
                return runningTotal(position, int(summed));
            } catch (const Error &) {
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

std::optional<Currency> GroupedTableModel::groupSum(int group, int summary) const
{
    return m_groups.at(std::size_t(group)).sums.at(std::size_t(summary));
}

int GroupedTableModel::shownPosition(int record) const
{
    return record >= 0 && record < int(m_positionOfRecord.size()) ? m_positionOfRecord[std::size_t(record)] : -1;
}

QString GroupedTableModel::cellText(int record, int column) const
{
    const Column &c = m_columns.at(std::size_t(column));
    QString text;
    if (const store::Field *field = boundField(column)) {
        const store::Query *q = query();
        if (record >= 0 && record < q->viewRowCount()) {
            // Money shows in the currency format, whatever the column's own
            // display text is.
            if (field->type() == store::FieldType::Money) {
                if (const std::optional<Currency> value = amount(record, field->index()))
                    text = qt(formatMoney(*value, settings()));
            } else {
                text = q->viewText(record, field->index(), true);
            }
        }
    }
    if (c.onGetDisplayText)
        c.onGetDisplayText(record, text);
    return text;
}

QString GroupedTableModel::summaryText(const Slot &slot, const std::optional<Currency> &sum) const
{
    if (!sum)
        return {};
    if (slot.summary.format.isEmpty()) {
        // The currency format, with a leading minus sign for a negative sum.
        if (*sum < Currency())
            return QLatin1Char('-') + qt(formatMoney(Currency() - *sum, settings()));
        return qt(formatMoney(*sum, settings()));
    }
    return qt(formatFloat(slot.summary.format.toStdString(), *sum, settings()));
}

QString GroupedTableModel::groupRowText(int group) const
{
    const Group &g = m_groups.at(std::size_t(group));
    QString keyText;
    if (!g.records.empty()) {
        const store::Field *field = boundField(m_groupColumn);
        const store::Query *q = query();
        if (field && q && g.records.front() < q->viewRowCount())
            keyText = q->viewText(g.records.front(), field->index(), true);
    }
    QStringList items;
    for (std::size_t s = 0; s < m_summaries.size(); ++s) {
        if (m_summaries[s].summary.place == SummaryPlace::GroupRow)
            items << summaryText(m_summaries[s], g.sums[s]);
    }
    QString text = columnCaption(m_groupColumn) + QStringLiteral(" : ") + keyText;
    if (!items.isEmpty())
        text += QStringLiteral(" (") + items.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text;
}

QString GroupedTableModel::groupFooterText(int group, int column) const
{
    const Group &g = m_groups.at(std::size_t(group));
    for (std::size_t s = 0; s < m_summaries.size(); ++s) {
        const Slot &slot = m_summaries[s];
        if (slot.summary.place == SummaryPlace::GroupFooter && slot.column == column)
            return summaryText(slot, g.sums[s]);
    }
    return {};
}

QString GroupedTableModel::footerText(int column) const
{
    for (std::size_t s = 0; s < m_summaries.size(); ++s) {
        const Slot &slot = m_summaries[s];
        if (slot.summary.place == SummaryPlace::Footer && slot.column == column)
            return summaryText(slot, m_totals[s]);
    }
    return {};
}

int GroupedTableModel::footerValueCount() const
{
    return int(std::count_if(m_summaries.begin(), m_summaries.end(),
                             [](const Slot &slot) { return slot.summary.place == SummaryPlace::Footer; }));
}

std::optional<Currency> GroupedTableModel::footerValue(int index) const
{
    int seen = 0;
    for (std::size_t s = 0; s < m_summaries.size(); ++s) {
        if (m_summaries[s].summary.place != SummaryPlace::Footer)
            continue;
        if (seen++ == index)
            return m_totals[s];
    }
    return std::nullopt;
}

// Item model: the internal id of a top-level item is 0, that of a group's
// child is the group's number plus one.
QModelIndex GroupedTableModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= columnCount(parent) || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, quintptr(0));
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex GroupedTableModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int GroupedTableModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_groupColumn >= 0 ? int(m_groups.size()) : int(m_records.size());
    if (parent.column() != 0 || parent.internalId() != 0 || m_groupColumn < 0)
        return 0;
    return int(m_groups.at(std::size_t(parent.row())).records.size()) + 1; // the months and the group footer
}

int GroupedTableModel::columnCount(const QModelIndex &) const { return int(m_columns.size()); }

int GroupedTableModel::groupOf(const QModelIndex &index) const
{
    if (!index.isValid() || m_groupColumn < 0)
        return -1;
    return index.internalId() == 0 ? index.row() : int(index.internalId() - 1);
}

GroupedTableModel::RowKind GroupedTableModel::kindOf(const QModelIndex &index) const
{
    if (m_groupColumn < 0)
        return RowKind::Data;
    if (index.internalId() == 0)
        return RowKind::Group;
    const Group &g = m_groups.at(std::size_t(index.internalId() - 1));
    return index.row() < int(g.records.size()) ? RowKind::Data : RowKind::GroupFooter;
}

QModelIndex GroupedTableModel::groupIndex(int group) const
{
    return m_groupColumn >= 0 && group >= 0 && group < groupCount() ? createIndex(group, 0, quintptr(0))
                                                                     : QModelIndex();
}

QVariant GroupedTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const RowKind kind = kindOf(index);
    if (role == RowKindRole)
        return int(kind);
    const Column &c = m_columns.at(std::size_t(index.column()));
    const store::Field *field = boundField(index.column());
    const bool money = c.currencyCell || (field && field->type() == store::FieldType::Money);
    if (role == Qt::TextAlignmentRole && kind != RowKind::Group)
        return money ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (kind) {
    case RowKind::Group:
        return groupRowText(index.row());
    case RowKind::GroupFooter:
        return groupFooterText(groupOf(index), index.column());
    case RowKind::Data: {
        const int record = m_groupColumn >= 0 ? m_groups.at(std::size_t(groupOf(index))).records.at(std::size_t(index.row()))
                                              : m_records.at(std::size_t(index.row()));
        return cellText(record, index.column());
    }
    }
    return {};
}

QVariant GroupedTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < int(m_columns.size())) {
        if (role == Qt::DisplayRole)
            return columnCaption(section);
    }
    return {};
}

Qt::ItemFlags GroupedTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Read-only: rows can be selected, never edited.
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (rowCount(index) == 0)
        result |= Qt::ItemNeverHasChildren;
    return result;
}

} // namespace calvora::platform
