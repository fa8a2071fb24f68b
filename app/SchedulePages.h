#pragma once

namespace calvora::platform {
class GroupedTableModel;
class GroupedTableView;
} // namespace calvora::platform

// The two schedule pages' views: their columns in display order, the
// summaries of the group rows, group footers and footer (footer items in the
// order their values are read by index), the grouping by year and the grids'
// settings and styles. The handlers that fill the running-total columns are
// the main window's; it attaches them after this setup.
namespace SchedulePages {

// "Payment Schedule": the months as the monthly payment alone pays them.
void setUpPaymentView(calvora::platform::GroupedTableModel &view, calvora::platform::GroupedTableView &grid);

// "Prepayment Schedule": the months with the prepayment paid on top. Its
// footer values 2 and 3 are the sums of ActualTotal and ActualInterest.
void setUpPrepaymentView(calvora::platform::GroupedTableModel &view, calvora::platform::GroupedTableView &grid);

} // namespace SchedulePages
