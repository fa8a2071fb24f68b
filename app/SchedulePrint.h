#pragma once

#include "RegionalSettings.h"

#include <QString>

#include <utility>
#include <vector>

class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace calvora::platform {
class GroupedTableModel;
}
namespace calvora::store {
class Query;
}

// Printing a schedule page as the person sees it: a title block with the
// mortgage's figures, then the view's shown columns and rows on as many pages
// as they take, each year kept on one page where it fits, the column headers
// at the top and the page number at the foot of every page, and the view's
// totals at the end.

// The title block: a heading and its figures as caption and text, in order.
struct ScheduleTitle
{
    QString heading;  // the mortgage's name
    QString schedule; // "Payment Schedule" or "Prepayment Schedule"
    std::vector<std::pair<QString, QString>> items;
};

// The title of the current mortgage record: loan amount, rate, term, first
// payment month and monthly payment, and for the prepayment view also the
// prepayment, the payoff month and the interest saved. A value that does not
// fit its column shows as stored. Reads the record only.
ScheduleTitle ScheduleTitleOf(const calvora::store::Query &mortgage, bool prepaymentView,
                              const calvora::RegionalSettings &settings);

// Lays out and paints the schedule on the printer, at the printer's own
// resolution, and returns the number of pages. Throws calvora::Error with a
// clear message when the printer cannot be opened (a PDF file that cannot be
// written); nothing is printed then.
int PrintSchedule(QPrinter &printer, const calvora::platform::GroupedTableModel &view,
                  const ScheduleTitle &title);

// Writes the schedule to a PDF file on the default page size and returns the
// number of pages. Throws calvora::Error when the file cannot be written.
int SaveSchedulePdf(const QString &fileName, const calvora::platform::GroupedTableModel &view,
                    const ScheduleTitle &title);

// A print preview of the schedule, not yet shown: the caller runs it with
// exec() (its Print button prints or saves as PDF through the print dialog)
// and deletes it afterwards. The view must outlive the dialog; failures while
// painting go to the application's error handler.
QPrintPreviewDialog *PreviewSchedule(QWidget *parent, const calvora::platform::GroupedTableModel &view,
                                     ScheduleTitle title);
