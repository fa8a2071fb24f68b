#include "SchedulePages.h"

#include "GroupedTableModel.h"
#include "GroupedTableView.h"

using calvora::platform::GroupedTableModel;
using calvora::platform::GroupedTableView;

namespace {

using Place = GroupedTableModel::SummaryPlace;

struct ColumnRow
{
    const char *name;
    const char *caption; // nullptr: the bound column's own name
    const char *field;   // nullptr: bound to nothing (a running total)
    bool visible;
    int width;
    int minWidth;
};

struct SummaryRow
{
    const char *field;
    const char *column;
    Place place;
    const char *format; // nullptr: the currency format
};

QString text(const char *s) { return s ? QString::fromLatin1(s) : QString(); }

void define(GroupedTableModel &view, std::initializer_list<ColumnRow> columns, std::initializer_list<SummaryRow> summaries)
{
    for (const ColumnRow &row : columns) {
        GroupedTableModel::Column column;
        column.name = text(row.name);
        column.caption = text(row.caption);
        column.field = text(row.field);
        column.visible = row.visible;
        column.width = row.width;
        column.minWidth = row.minWidth;
        column.currencyCell = row.field == nullptr;
        view.addColumn(std::move(column));
    }
    for (const SummaryRow &row : summaries)
        view.addSummary({text(row.field), text(row.column), text(row.format), row.place});
    // Both views list the months by year and start grouped by it.
    view.setSortColumn(0);
    view.groupBy(0);
}

void setUpGrid(GroupedTableView &grid, GroupedTableModel &view)
{
    grid.setGroupedModel(&view);
    grid.setFocusPolicy(Qt::ClickFocus);
    QFont font = grid.font();
    font.setPixelSize(11);
    grid.setFont(font);
}

} // namespace

namespace SchedulePages {

void setUpPaymentView(GroupedTableModel &view, GroupedTableView &grid)
{
    define(view,
           {
               {"tvAmortYear", "Year", "PayYear", false, 0, 64},
               {"tvAmortMonthly", nullptr, "TotalPayment", false, 50, 50},
               {"tvAmortPayDate", "Month", "PayDate", true, 70, 70},
               {"tvAmortPrincipal", "Principal", "Principal", true, 94, 94},
               {"tvAmortInterest", "Interest", "Interest", true, 94, 94},
               {"tvAmortTotalPrincipal", "Principal Paid", nullptr, true, 110, 110},
               {"tvAmortTotalInterest", "Interest Paid", nullptr, true, 110, 110},
               {"tvAmortPrincipalLeft", "Principal Left", "PrincipalLeft", true, 129, 129},
               {"tvAmortPrepayment", nullptr, "Prepayment", false, 0, 124},
           },
           {
               {"Principal", "tvAmortPrincipal", Place::Footer, "P = $,0.00"},
               {"Interest", "tvAmortInterest", Place::Footer, "I = $,0.00"},
               {"TotalPayment", "tvAmortPayDate", Place::Footer, "P&I = $,0.00"},
               {"Principal", "tvAmortPrincipal", Place::GroupFooter, nullptr},
               {"Interest", "tvAmortInterest", Place::GroupFooter, nullptr},
               {"TotalPayment", "tvAmortMonthly", Place::GroupRow, "Payment this year (P&I) = $,0.00"},
               {"Principal", "tvAmortPrincipal", Place::GroupRow, "Principal = $,0.00"},
               {"Interest", "tvAmortInterest", Place::GroupRow, "Interest = $,0.00"},
           });
    setUpGrid(grid, view);
    grid.setColumnSizing(true);
}

void setUpPrepaymentView(GroupedTableModel &view, GroupedTableView &grid)
{
    define(view,
           {
               {"tvPrepayYear", "Year", "PayYear", false, 0, 64},
               {"tvPrepayTotalPayment", nullptr, "TotalPayment", false, 0, 64},
               {"tvPrepayMonth", "Month", "PayDate", true, 71, 71},
               {"tvPrepayPrincipal", nullptr, "Principal", false, 67, 67},
               {"tvPrepayActualPrincipal", "Principal", "ActualPrincipal", true, 71, 71},
               {"tvPrepayInterest", nullptr, "Interest", false, 64, 64},
               {"tvPrepayActualInterest", "Interest", "ActualInterest", true, 72, 72},
               {"tvPrepayPrincipalPaid", "Principal Paid", nullptr, true, 73, 73},
               {"tvPrepayInterestPaid", "Interest Paid", nullptr, true, 79, 79},
               {"tvPrepayPrincipalLeft", "Principal Left", "PrincipalLeft", false, 83, 83},
               {"tvPrepayPrepayment", nullptr, "Prepayment", false, 0, 124},
               {"tvPrepayActualLeft", "Principal Left", "ActualLeft", true, 85, 85},
           },
           {
               {"Principal", "tvPrepayPrincipal", Place::Footer, "P = $,0.00"},
               {"Interest", "tvPrepayInterest", Place::Footer, "I = $,0.00"},
               {"ActualTotal", "tvPrepayMonth", Place::Footer, "P&I = $,0.00"},
               {"ActualInterest", "tvPrepayActualInterest", Place::Footer, "I = $,0.00"},
               {"Principal", "tvPrepayPrincipal", Place::GroupFooter, nullptr},
               {"Interest", "tvPrepayInterest", Place::GroupFooter, nullptr},
               {"ActualTotal", "tvPrepayTotalPayment", Place::GroupRow, "Payment this year (P&I) = $,0.00"},
               {"ActualPrincipal", "tvPrepayActualPrincipal", Place::GroupRow, "Principal = $,0.00"},
               {"ActualInterest", "tvPrepayActualInterest", Place::GroupRow, "Interest = $,0.00"},
               {"ActualInterest", "tvPrepayActualInterest", Place::GroupFooter, nullptr},
               {"ActualPrincipal", "tvPrepayActualPrincipal", Place::GroupFooter, nullptr},
           });
    setUpGrid(grid, view);
    // The prepayment view neither lets the person size its columns nor
    // paints its current row in the selection colours.
    grid.setColumnSizing(false);
    grid.setInvertSelect(false);
}

} // namespace SchedulePages
