#pragma once

#include "Currency.h"
#include "RegionalSettings.h"
#include "Schedule.h"

#include <QString>

#include <optional>

namespace calvora::store {
class Field;
class Query;
} // namespace calvora::store

namespace calvora::platform {
class GroupedTableModel;
} // namespace calvora::platform

// The two schedules as a person sees them, without any widget: the schedule
// query's calculated columns and month text, the columns and summaries of the
// "Payment Schedule" and "Prepayment Schedule" views, and the check that a
// schedule adds up to its loan. The main window and the command line both
// build their views here, so an export reads the same table either way.
namespace calvora::report {

// Adds the schedule rows' calculated columns (PayYear, TotalPayment,
// ActualTotal) to a query over tblAmortization, in their places among the
// stored ones.
void AddScheduleCalculatedFields(store::Query &schedule);

// Computes one row's calculated columns. TotalPayment is the mortgage's
// monthly payment; none (a value that does not fit its column) leaves it
// empty, as a foreign PayDate leaves PayYear empty.
void CalculateScheduleRow(store::Query &row, std::optional<Currency> monthlyPayment);

// A month as the schedules show it: "mmm yyyy" in the regional settings.
QString ScheduleMonthText(const store::Field &payDate, const RegionalSettings &settings);

// The columns in display order, the summaries (footer items in the order
// their values are read by index) and the grouping by year.
void DefinePaymentView(platform::GroupedTableModel &view);
void DefinePrepaymentView(platform::GroupedTableModel &view);

// Adds each month of a schedule to a query over tblAmortization as a new
// row of the mortgage, stored as soon as its values are set.
class ScheduleRowInserter : public ScheduleRowWriter
{
public:
    ScheduleRowInserter(store::Query &query, std::int32_t mortgageId);
    void writeRow(const ScheduleRow &row) override;

private:
    store::Query &m_query;
    std::int32_t m_mortgageId;
    store::Field &m_interest, &m_principal, &m_principalLeft, &m_payDate, &m_mortgage, &m_actualInterest,
        &m_actualPrincipal, &m_actualLeft;
};

// Whether a schedule adds up: the principal of every month plus the balance
// the last month leaves equals the loan amount. The balance left is the
// rounding of the monthly payment to the cent; a person sees it here rather
// than as cents missing from the totals.
struct Reconciliation
{
    bool complete = false; // every month's principal and the last balance are amounts
    Currency principalPaid;
    Currency lastBalance;
    Currency loanAmount;
    // The balance the schedule starts from: its first month's principal and
    // the balance after it. Not the loan amount when the loan changed after
    // the schedule was made.
    Currency openingBalance;
    bool madeForTheLoan() const { return openingBalance == loanAmount; }
    bool reconciles() const;
};

// Reconciles a view's schedule: sums the column bound to principalField over
// every month and reads the balanceField column of the last month.
Reconciliation ReconcileSchedule(const platform::GroupedTableModel &view, QStringView principalField,
                                 QStringView balanceField, Currency loanAmount);
// The line a person reads under a schedule, with the four decimals the
// program holds.
QString ReconciliationText(const Reconciliation &reconciliation, const RegionalSettings &settings);

} // namespace calvora::report
