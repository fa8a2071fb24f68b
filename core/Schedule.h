#pragma once

#include "Currency.h"
#include "DateTime.h"

#include <cstdint>

namespace calvora {

// What schedule generation reads from a mortgage record.
struct ScheduleInputs
{
    Currency loanAmount;
    Currency monthlyPayment;
    Currency prepayment; // paid every month on top of the monthly payment
    double interestRate = 0; // annual, in percent
    std::int32_t startYear = 0;
    std::int32_t startMonth = 0; // month of the first payment, 1 to 12
    std::int32_t termInMonth = 0;
};

// One month of a schedule: the payment schedule (the monthly payment alone)
// and the prepayment schedule (the monthly payment plus the prepayment) side
// by side.
struct ScheduleRow
{
    DateTime payDate = 0; // first day of the payment's month
    Currency interest;
    Currency principal;
    Currency principalLeft;
    Currency actualInterest;
    Currency actualPrincipal;
    Currency actualLeft;
};

// Receives each month of a schedule as soon as it is computed, first month
// first. A fault part-way leaves exactly the months before it delivered.
class ScheduleRowWriter
{
public:
    virtual ~ScheduleRowWriter() = default;
    virtual void writeRow(const ScheduleRow &row) = 0;
};

// The monthly rate of a schedule: the annual percentage ÷ 12 ÷ 100 in
// extended precision, kept as a double.
double ScheduleMonthlyRate(double interestRate);

// The date of the month before the first payment; throws ConvertError
// "Invalid argument to date encode" when the start year and month form no
// date. Checked before anything is written.
DateTime ScheduleStartDate(const ScheduleInputs &inputs);

// Computes the schedule month by month, delivering each row to the writer.
// Interest is the monthly rate times the balance in extended precision,
// rounded to a ten-thousandth ties to even; the payment schedule is not
// trued up at the end. The prepayment schedule pays off in the first month
// whose balance with its interest is strictly below the payment plus the
// prepayment; that month pays exactly the balance and its interest, and
// every month after it is zero. Returns the 1-based payoff month, 0 when the
// prepayment schedule does not pay off within the term.
std::int32_t GenerateSchedule(const ScheduleInputs &inputs, ScheduleRowWriter &writer);

// The results of a schedule with prepayment, as the mortgage record keeps them.
struct PrepaymentResults
{
    Currency actualMonthly;       // monthly payment + prepayment
    std::int32_t actualTerm = 0;  // payoff month, 0 when none
    Currency actualTotal;         // sum of the months' actual principal and interest
    Currency actualTotalInterest; // sum of the months' actual interest
    Currency interestSaved;       // total interest of the plain plan less actualTotalInterest
};

// The five results from the inputs, the plain plan's total interest (as the
// payment calculation stored it), the payoff month and the two sums over
// the generated months.
PrepaymentResults PrepaymentResultsOf(const ScheduleInputs &inputs, Currency totalInterest, std::int32_t payoffMonth,
                                      Currency actualTotal, Currency actualTotalInterest);

// Generates the schedule and adds up its months as the prepayment schedule's
// footer does (each month's actual principal plus actual interest, and the
// actual interest alone), handing every month on to rows when one is given;
// returns the five results with the plain plan's total interest.
PrepaymentResults GeneratePrepaymentResults(const ScheduleInputs &inputs, Currency totalInterest,
                                            ScheduleRowWriter *rows = nullptr);

} // namespace calvora
