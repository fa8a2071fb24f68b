#include "ScheduleViews.h"

#include "DateTime.h"
#include "Errors.h"
#include "Field.h"
#include "Format.h"
#include "GroupedTableModel.h"
#include "Query.h"
#include "Schema.h"

#include <cmath>
#include <initializer_list>

namespace calvora::report {

using platform::GroupedTableModel;
using store::Field;
using store::Query;

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
    const char *runningTotalOf = nullptr; // the field a running-total column adds up
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
        column.runningTotalOf = text(row.runningTotalOf);
        view.addColumn(std::move(column));
    }
    for (const SummaryRow &row : summaries)
        view.addSummary({text(row.field), text(row.column), text(row.format), row.place});
    // Both views list the months by year and start grouped by it.
    view.setSortColumn(0);
    view.groupBy(0);
}

} // namespace

void AddScheduleCalculatedFields(Query &schedule)
{
    static const store::ColumnDef payYear{"PayYear", store::FieldType::Integer};
    static const store::ColumnDef totalPayment{"TotalPayment", store::FieldType::Money, true};
    static const store::ColumnDef actualTotal{"ActualTotal", store::FieldType::Money, true};
    schedule.addCalculatedField(payYear, "PayDate");
    schedule.addCalculatedField(totalPayment, "ActualPrincipal");
    schedule.addCalculatedField(actualTotal);
}

void CalculateScheduleRow(Query &row, std::optional<Currency> monthlyPayment)
{
    // A value that does not fit its column leaves what is computed from it empty.
    const Field &payDate = row.field(u"PayDate");
    if (!payDate.isForeign())
        row.field(u"PayYear").setInteger(decodeDate(payDate.asDate()).year);
    if (monthlyPayment)
        row.field(u"TotalPayment").setCurrency(*monthlyPayment);
    const Field &principal = row.field(u"ActualPrincipal");
    const Field &interest = row.field(u"ActualInterest");
    if (!principal.isForeign() && !interest.isForeign())
        row.field(u"ActualTotal").setCurrency(principal.asCurrency() + interest.asCurrency());
}

QString ScheduleMonthText(const Field &payDate, const RegionalSettings &settings)
{
    // A value another program wrote that is no date shows as it is stored.
    if (payDate.isForeign())
        return payDate.defaultText(payDate.value(), true);
    return QString::fromStdString(formatDate("mmm yyyy", payDate.asDate(), settings));
}

void DefinePaymentView(GroupedTableModel &view)
{
    define(view,
           {
               {"tvAmortYear", "Year", "PayYear", false, 0, 64},
               {"tvAmortMonthly", nullptr, "TotalPayment", false, 50, 50},
               {"tvAmortPayDate", "Month", "PayDate", true, 70, 70},
               {"tvAmortPrincipal", "Principal", "Principal", true, 94, 94},
               {"tvAmortInterest", "Interest", "Interest", true, 94, 94},
               {"tvAmortTotalPrincipal", "Principal Paid", nullptr, true, 110, 110, "Principal"},
               {"tvAmortTotalInterest", "Interest Paid", nullptr, true, 110, 110, "Interest"},
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
}

void DefinePrepaymentView(GroupedTableModel &view)
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
               {"tvPrepayPrincipalPaid", "Principal Paid", nullptr, true, 73, 73, "ActualPrincipal"},
               {"tvPrepayInterestPaid", "Interest Paid", nullptr, true, 79, 79, "ActualInterest"},
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
}

ScheduleRowInserter::ScheduleRowInserter(Query &query, std::int32_t mortgageId)
    : m_query(query), m_mortgageId(mortgageId), m_interest(query.field(u"Interest")),
      m_principal(query.field(u"Principal")), m_principalLeft(query.field(u"PrincipalLeft")),
      m_payDate(query.field(u"PayDate")), m_mortgage(query.field(u"MortgageID")),
      m_actualInterest(query.field(u"ActualInterest")), m_actualPrincipal(query.field(u"ActualPrincipal")),
      m_actualLeft(query.field(u"ActualLeft"))
{
}

void ScheduleRowInserter::writeRow(const ScheduleRow &row)
{
    m_query.append();
    m_interest.setCurrency(row.interest);
    m_principal.setCurrency(row.principal);
    m_principalLeft.setCurrency(row.principalLeft);
    m_payDate.setDate(row.payDate);
    m_mortgage.setInteger(m_mortgageId);
    m_actualInterest.setCurrency(row.actualInterest);
    m_actualPrincipal.setCurrency(row.actualPrincipal);
    m_actualLeft.setCurrency(row.actualLeft);
    m_query.post();
}

bool Reconciliation::reconciles() const
{
    if (!complete)
        return false;
    try {
        return principalPaid + lastBalance == loanAmount;
    } catch (const Error &) {
        return false;
    }
}

Reconciliation ReconcileSchedule(const GroupedTableModel &view, QStringView principalField, QStringView balanceField,
                                 Currency loanAmount)
{
    Reconciliation result;
    result.loanAmount = loanAmount;
    int principal = -1;
    int balance = -1;
    for (int c = 0; c < view.columnCountTotal(); ++c) {
        if (principal < 0 && view.column(c).field == principalField)
            principal = c;
        if (balance < 0 && view.column(c).field == balanceField)
            balance = c;
    }
    const std::vector<int> &records = view.sortedRecords();
    if (principal < 0 || balance < 0 || records.empty())
        return result;
    try {
        for (int record : records) {
            const std::optional<Currency> paid = view.recordAmount(record, principal);
            if (!paid)
                return result;
            result.principalPaid += *paid;
        }
        const std::optional<Currency> left = view.recordAmount(records.back(), balance);
        const std::optional<Currency> firstPaid = view.recordAmount(records.front(), principal);
        const std::optional<Currency> firstLeft = view.recordAmount(records.front(), balance);
        if (!left || !firstPaid || !firstLeft)
            return result;
        result.lastBalance = *left;
        result.openingBalance = *firstPaid + *firstLeft;
    } catch (const Error &) {
        return result; // a sum beyond the money type
    }
    result.complete = true;
    return result;
}

QString ReconciliationText(const Reconciliation &reconciliation, const RegionalSettings &settings)
{
    if (!reconciliation.complete)
        return QStringLiteral("This schedule cannot be reconciled: a month has no principal or balance.");
    auto amount = [&settings](Currency value) {
        // The negative section shows the digits without their sign.
        const std::string digits = formatFloat(",0.0000;,0.0000", value, settings);
        return (value < Currency() ? "-" : "") + settings.currencySymbol + digits;
    };
    if (!reconciliation.madeForTheLoan())
        return QString::fromStdString("This schedule was made for a loan of " +
                                      amount(reconciliation.openingBalance) + ", not for the loan amount of " +
                                      amount(reconciliation.loanAmount) + ": Schedule makes it again.");
    const std::string sum = "Principal paid " + amount(reconciliation.principalPaid) + " + balance left by rounding " +
                            amount(reconciliation.lastBalance);
    if (reconciliation.reconciles())
        return QString::fromStdString("Reconciles: " + sum + " = loan amount " + amount(reconciliation.loanAmount));
    Currency difference;
    std::string off;
    try {
        difference = reconciliation.loanAmount - (reconciliation.principalPaid + reconciliation.lastBalance);
        off = ", off by " + amount(difference);
    } catch (const Error &) {
    }
    return QString::fromStdString("Does not reconcile: " + sum + " ≠ loan amount " +
                                  amount(reconciliation.loanAmount) + off);
}

} // namespace calvora::report
