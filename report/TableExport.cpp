#include "TableExport.h"

#include "Format.h"
#include "GroupedTableModel.h"
#include "RegionalSettings.h"

#include <QString>

#include <optional>
#include <vector>

namespace calvora::report {

using platform::GroupedTableModel;
using RowKind = GroupedTableModel::RowKind;
using Place = GroupedTableModel::SummaryPlace;

namespace {

class CsvWriter
{
public:
    CsvWriter() { m_out.append("\xEF\xBB\xBF"); }

    void text(const QString &value)
    {
        separate();
        QByteArray bytes = value.toUtf8();
        // A text that a spreadsheet would take for a formula stays a text.
        if (!bytes.isEmpty() && QByteArrayView("=+-@\t\r").contains(bytes.front()))
            bytes.prepend('\'');
        if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
            bytes.replace("\"", "\"\"");
            m_out.append('"').append(bytes).append('"');
        } else {
            m_out.append(bytes);
        }
    }

    void figure(const std::optional<Currency> &value, GroupedTableModel::AmountKind kind)
    {
        separate();
        if (!value)
            return;
        static const RegionalSettings plain = RegionalSettings::usEnglish();
        const int decimals = kind == GroupedTableModel::AmountKind::Whole ? 0 : 4;
        m_out.append(formatFixed(*value, decimals, plain));
    }

    void empty() { separate(); }

    void endLine()
    {
        m_out.append("\r\n");
        m_fieldsInLine = 0;
    }

    QByteArray take() { return std::move(m_out); }

private:
    void separate()
    {
        if (m_fieldsInLine++ > 0)
            m_out.append(',');
    }

    QByteArray m_out;
    int m_fieldsInLine = 0;
};

// Where each summed figure goes: under a shown column, or in an extra column.
struct Layout
{
    std::vector<int> shown;       // table columns, in display order
    std::vector<QString> extras;  // the fields of the extra "Sum of" columns
    std::vector<int> placeOf;     // per summary: index among shown, or shown.size() + extra; -1: not exported
};

Layout layoutOf(const GroupedTableModel &view)
{
    Layout layout;
    for (int c = 0; c < view.columnCountTotal(); ++c) {
        if (view.column(c).visible)
            layout.shown.push_back(c);
    }
    layout.placeOf.assign(std::size_t(view.summaryCount()), -1);
    for (int s = 0; s < view.summaryCount(); ++s) {
        const GroupedTableModel::Summary &summary = view.summary(s);
        if (summary.place == Place::GroupRow)
            continue; // read in the group row's text
        const int column = view.summaryColumn(s);
        int place = -1;
        for (std::size_t i = 0; i < layout.shown.size() && place < 0; ++i) {
            if (layout.shown[i] == column && view.column(column).field == summary.field)
                place = int(i);
        }
        if (place < 0) {
            std::size_t extra = 0;
            while (extra < layout.extras.size() && layout.extras[extra] != summary.field)
                ++extra;
            if (extra == layout.extras.size())
                layout.extras.push_back(summary.field);
            place = int(layout.shown.size() + extra);
        }
        layout.placeOf[std::size_t(s)] = place;
    }
    return layout;
}

// One line of sums: a group footer (group >= 0) or the footer (group -1).
void writeSums(CsvWriter &csv, const GroupedTableModel &view, const Layout &layout, const char *kind, int group)
{
    const Place place = group >= 0 ? Place::GroupFooter : Place::Footer;
    std::vector<std::optional<Currency>> cells(layout.shown.size() + layout.extras.size());
    std::vector<bool> filled(cells.size(), false);
    for (int s = 0; s < view.summaryCount(); ++s) {
        const int at = layout.placeOf[std::size_t(s)];
        if (at < 0 || view.summary(s).place != place || filled[std::size_t(at)])
            continue;
        cells[std::size_t(at)] = group >= 0 ? view.groupSum(group, s) : view.totalSum(s);
        filled[std::size_t(at)] = true;
    }
    csv.text(QString::fromLatin1(kind));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (filled[i])
            csv.figure(cells[i], GroupedTableModel::AmountKind::Money);
        else
            csv.empty();
    }
    csv.endLine();
}

} // namespace

QByteArray ExportCsv(const GroupedTableModel &view)
{
    const Layout layout = layoutOf(view);
    CsvWriter csv;
    csv.text(QStringLiteral("Row"));
    for (int column : layout.shown)
        csv.text(view.columnCaption(column));
    for (const QString &field : layout.extras)
        csv.text(QStringLiteral("Sum of ") + field);
    csv.endLine();

    std::vector<GroupedTableModel::AmountKind> kinds;
    for (int column : layout.shown)
        kinds.push_back(view.amountKind(column));

    const int rows = view.shownRowCount();
    int group = -1;
    for (int position = 0; position < rows; ++position) {
        const int index = view.shownRowIndex(position);
        if (view.shownRowKind(position) == RowKind::Group) {
            group = index;
            csv.text(QStringLiteral("group"));
            csv.text(view.groupRowText(index));
            for (std::size_t i = 1; i < layout.shown.size() + layout.extras.size(); ++i)
                csv.empty();
            csv.endLine();
            continue;
        }
        csv.text(QStringLiteral("month"));
        for (std::size_t i = 0; i < layout.shown.size(); ++i) {
            if (kinds[i] == GroupedTableModel::AmountKind::None)
                csv.text(view.cellText(index, layout.shown[i]));
            else
                csv.figure(view.cellAmount(position, layout.shown[i]), kinds[i]);
        }
        for (std::size_t i = 0; i < layout.extras.size(); ++i)
            csv.empty();
        csv.endLine();
        // An open group's footer follows its last month, as on screen.
        const bool lastOfGroup = position + 1 == rows || view.shownRowKind(position + 1) == RowKind::Group;
        if (group >= 0 && lastOfGroup)
            writeSums(csv, view, layout, "year total", group);
    }
    writeSums(csv, view, layout, "total", -1);
    return csv.take();
}

} // namespace calvora::report
