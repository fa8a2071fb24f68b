#pragma once

#include <QByteArray>

namespace calvora::platform {
class GroupedTableModel;
} // namespace calvora::platform

namespace calvora::report {

// The rows of a view as shown, as CSV for a spreadsheet: UTF-8 with a byte
// order mark, CRLF line ends, fields quoted where they must be.
//
// The header holds "Row" and the captions of the shown columns, then one
// column "Sum of <column>" for every group-footer or footer sum that does not
// stand under a shown column of its own (a sum under a hidden column, or
// under a column showing something else). Each shown row follows, first
// saying what it is: "group" (its whole group-row text under the first shown
// column), "month", "year total" (the group footer, under an open group) and
// last "total" (every footer value). Figures are plain numbers with the four
// decimals the program holds and "." as decimal point; whole numbers have no
// decimals; texts are as shown.
QByteArray ExportCsv(const platform::GroupedTableModel &view);

} // namespace calvora::report
