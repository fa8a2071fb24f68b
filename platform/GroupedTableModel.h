#pragma once

#include "Currency.h"
#include "DataSource.h"
#include "Field.h"
#include "RegionalSettings.h"

#include <QAbstractItemModel>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace calvora::store {
class Field;
class Query;
} // namespace calvora::store

namespace calvora::platform {

// The rows of a query as a read-only table grouped by the value of one
// column, with summaries: a text for each group row, sums under the columns
// of each group footer, and a footer line of grand totals. It needs no
// widget: the grid draws it, and anything that wants the rows as a person
// sees them (running totals, export, tests) reads them here.
//
// As an item model: with grouping, each group is a top-level item whose
// children are its data rows followed by one group footer row; without
// grouping the data rows are the top-level items. Every column of the table
// is a model column, hidden ones too.
class GroupedTableModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // Gives the text of a cell: the record's index among the query's rows and
    // the text the table made for it, which the handler may replace.
    using DisplayTextHandler = std::function<void(int record, QString &text)>;

    struct Column
    {
        QString name;    // the column's own name ("tvAmortPrincipal")
        QString caption; // empty: the bound column's name
        QString field;   // the bound column of the query; empty for none
        bool visible = true;
        int width = 0;
        int minWidth = 0;
        bool currencyCell = false; // a column without a field that shows money, right-aligned
        // A column without a field that shows, for each month, the running
        // total of the column bound to this field (see runningTotal).
        QString runningTotalOf;
        DisplayTextHandler onGetDisplayText;
    };

    enum class SummaryPlace { GroupRow, GroupFooter, Footer };
    struct Summary
    {
        QString field;  // the query column summed
        QString column; // the table column it stands under
        QString format; // a number pattern; empty: the currency format
        SummaryPlace place = SummaryPlace::Footer;
    };

    enum class RowKind { Group, Data, GroupFooter };
    enum Roles { RowKindRole = Qt::UserRole + 1 };

    explicit GroupedTableModel(QObject *parent = nullptr);
    ~GroupedTableModel() override;

    void setDataSource(store::DataSource *source);
    store::DataSource *dataSource() const;
    store::Query *query() const;

    // The columns, in display order. Returns the new column's index.
    int addColumn(Column column);
    int columnIndex(QStringView name) const;
    const Column &column(int index) const { return m_columns.at(std::size_t(index)); }
    int columnCountTotal() const { return int(m_columns.size()); }
    QString columnCaption(int index) const;
    void setDisplayTextHandler(int column, DisplayTextHandler handler);

    // Summaries: footer items keep the order they are added in (their index).
    void addSummary(Summary summary);

    // Rows are ordered by this column ascending (stable), grouped or not.
    void setSortColumn(int column);
    // Groups the rows by a column; -1 removes all grouping.
    void groupBy(int column);
    int groupingColumn() const { return m_groupColumn; }
    bool isGrouped() const { return m_groupColumn >= 0; }

    int groupCount() const { return int(m_groups.size()); }
    bool isExpanded(int group) const;
    void setExpanded(int group, bool expanded);
    // Opens every group, so that every data row and group footer is shown.
    void expandAll();

    // The rows as shown, from the top: with grouping, each group row
    // followed by its data rows when it is open; without, the data rows.
    // Group footers and the footer are not rows.
    int shownRowCount() const { return int(m_shown.size()); }
    RowKind shownRowKind(int position) const;
    // The record of a data row, the group of a group row.
    int shownRowIndex(int position) const;
    // A data row's amount in a column (a money column's Currency, a whole
    // number as that many units); none for an empty value or a column
    // without a numeric field.
    std::optional<Currency> shownAmount(int position, int column) const;
    // Where a record stands among the shown rows; -1 inside a closed group.
    int shownPosition(int record) const;

    // The running total of a column at a shown row: the column's amounts
    // added up from that row upwards to the first month after a group row
    // (or the top). Kept for every shown row after the first call, until the
    // shown rows change. Throws a conversion error when an empty value is
    // among them and the money type's overflow error when the sum leaves it.
    Currency runningTotal(int position, int column) const;

    // What a column's cells hold as a figure: money, a whole number, or
    // none (a text such as a month).
    enum class AmountKind { None, Money, Whole };
    AmountKind amountKind(int column) const;
    // The figure of a shown data row's cell: its bound amount, or its
    // running total; none for an empty value or a text column.
    std::optional<Currency> cellAmount(int position, int column) const;

    // The summaries as added, each with the table column it stands under
    // resolved (-1: none), its group sums and its sum over every record.
    int summaryCount() const { return int(m_summaries.size()); }
    const Summary &summary(int index) const { return m_summaries.at(std::size_t(index)).summary; }
    int summaryColumn(int index) const { return m_summaries.at(std::size_t(index)).column; }
    std::optional<Currency> groupSum(int group, int summary) const;
    std::optional<Currency> totalSum(int summary) const { return m_totals.at(std::size_t(summary)); }

    int recordCount() const { return int(m_records.size()); }
    // The records in the view's order (sorted by the sort column), whatever
    // the grouping or opening.
    const std::vector<int> &sortedRecords() const { return m_records; }
    // A record's amount in a column, as shownAmount gives it for a data row.
    std::optional<Currency> recordAmount(int record, int column) const { return amount(record, fieldOf(column)); }
    QString cellText(int record, int column) const;
    QString groupRowText(int group) const;
    QString groupFooterText(int group, int column) const;
    QString footerText(int column) const;
    // The raw sum of a footer item by index; empty when there are no rows.
    std::optional<Currency> footerValue(int index) const;
    int footerValueCount() const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The item of a group row, and the group of an item (-1 for none).
    QModelIndex groupIndex(int group) const;
    int groupOf(const QModelIndex &index) const;
    RowKind kindOf(const QModelIndex &index) const;

signals:
    // Groups were opened or closed; the shown rows changed.
    void expansionChanged();

private:
    class Link;
    struct Group
    {
        std::int64_t key = 0;
        std::vector<int> records; // in shown order
        bool expanded = false;
        std::vector<std::optional<Currency>> sums; // one per summary
    };
    struct Slot // a summary with its columns resolved
    {
        Summary summary;
        int field = -1;  // the query column summed
        int column = -1; // the table column it stands under
    };

    void rebuild();
    void readAmounts();
    void buildGroups();
    void buildShownRows();
    // A record's value of a query column as money (none when empty).
    std::optional<Currency> amount(int record, int field) const;
    // The query column a table column is bound to (-1: none).
    int fieldOf(int column) const;
    std::vector<std::optional<Currency>> sumsOver(const std::vector<int> &records) const;
    QString summaryText(const Slot &slot, const std::optional<Currency> &sum) const;
    const store::Field *boundField(int column) const;
    const RegionalSettings &settings() const;

    std::unique_ptr<Link> m_link;
    std::vector<Column> m_columns;
    std::vector<Slot> m_summaries;
    int m_sortColumn = -1;
    int m_groupColumn = -1;

    // Read from the query when its rows change.
    std::vector<int> m_records;                      // records in sorted order
    std::vector<int> m_columnField;                  // the query column of each table column
    int m_width = 0;                                 // columns of the query
    std::vector<std::int64_t> m_amounts;             // record × query column, raw Currency
    enum CellState : unsigned char { Empty, Amount, Foreign };
    std::vector<unsigned char> m_hasAmount;          // record × query column, a CellState
    std::vector<Group> m_groups;
    std::vector<std::optional<Currency>> m_totals;   // one per summary, over every record
    std::vector<std::pair<RowKind, int>> m_shown;
    std::vector<int> m_positionOfRecord;

    // Running totals by table column, one per shown row; built on first use.
    struct RunningCell
    {
        std::int64_t raw = 0;
        enum State : unsigned char { Sum, Empty, Overflow } state = Sum;
    };
    mutable std::map<int, std::vector<RunningCell>> m_running;
};

// Read for every cell of a running total: kept inline.

inline int GroupedTableModel::fieldOf(int column) const
{
    return column >= 0 && column < int(m_columnField.size()) ? m_columnField[std::size_t(column)] : -1;
}

inline std::optional<Currency> GroupedTableModel::amount(int record, int field) const
{
    if (record < 0 || field < 0 || field >= m_width)
        return std::nullopt;
    const std::size_t cell = std::size_t(record) * std::size_t(m_width) + std::size_t(field);
    if (cell >= m_hasAmount.size() || m_hasAmount[cell] != Amount)
        return std::nullopt;
    return Currency::fromRaw(m_amounts[cell]);
}

inline GroupedTableModel::RowKind GroupedTableModel::shownRowKind(int position) const
{
    return m_shown.at(std::size_t(position)).first;
}

inline int GroupedTableModel::shownRowIndex(int position) const { return m_shown.at(std::size_t(position)).second; }

inline std::optional<Currency> GroupedTableModel::shownAmount(int position, int column) const
{
    const auto &[kind, index] = m_shown.at(std::size_t(position));
    return kind == RowKind::Data ? amount(index, fieldOf(column)) : std::nullopt;
}

} // namespace calvora::platform
