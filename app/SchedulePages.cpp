#include "SchedulePages.h"

#include "GroupedTableModel.h"
#include "GroupedTableView.h"
#include "ScheduleViews.h"

using calvora::platform::GroupedTableModel;
using calvora::platform::GroupedTableView;

namespace {

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
    calvora::report::DefinePaymentView(view);
    setUpGrid(grid, view);
    grid.setColumnSizing(true);
}

void setUpPrepaymentView(GroupedTableModel &view, GroupedTableView &grid)
{
    calvora::report::DefinePrepaymentView(view);
    setUpGrid(grid, view);
    // The prepayment view neither lets the person size its columns nor
    // paints its current row in the selection colours.
    grid.setColumnSizing(false);
    grid.setInvertSelect(false);
}

} // namespace SchedulePages
