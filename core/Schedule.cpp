#include "Schedule.h"

#include "Extended.h"

namespace calvora {

double ScheduleMonthlyRate(double interestRate)
{
    // Divided by 12 before 100, unlike the payment calculation, and kept at
    // double precision.
    return ext::toDouble(ext::div(ext::div(interestRate, 12), 100));
}

DateTime ScheduleStartDate(const ScheduleInputs &inputs)
{
    return incMonth(encodeDate(inputs.startYear, inputs.startMonth, 1), -1);
}

std::int32_t GenerateSchedule(const ScheduleInputs &inputs, ScheduleRowWriter &writer)
{
    Currency balance = inputs.loanAmount;
    Currency actualBalance = inputs.loanAmount;
    const Currency payment = inputs.monthlyPayment;
    const Currency paymentWithPrepayment = payment + inputs.prepayment;
    const double rate = ScheduleMonthlyRate(inputs.interestRate);
    DateTime date = ScheduleStartDate(inputs);
    const ext::Extended growth = ext::add(1, rate);
    std::int32_t payoffMonth = 0;

    for (std::int32_t i = 0; i < inputs.termInMonth; ++i) {
        ScheduleRow row;
        row.interest = balance.multipliedBy(rate);
        row.principal = payment - row.interest;
        balance -= row.principal;
        row.principalLeft = balance;
        date = incMonth(date, 1);
        row.payDate = date;

        // Paid off when the payment covers the balance and its interest,
        // strictly; the product is compared unrounded.
        row.actualInterest = actualBalance.multipliedBy(rate);
        if (ext::Extended(paymentWithPrepayment.raw()) > ext::mul(growth, ext::Extended(actualBalance.raw()))) {
            row.actualPrincipal = actualBalance;
            actualBalance = Currency();
            row.actualLeft = Currency();
            if (payoffMonth == 0)
                payoffMonth = i + 1;
        } else {
            row.actualPrincipal = paymentWithPrepayment - row.actualInterest;
            actualBalance -= row.actualPrincipal;
            row.actualLeft = actualBalance;
        }
        writer.writeRow(row);
    }
    return payoffMonth;
}

PrepaymentResults PrepaymentResultsOf(const ScheduleInputs &inputs, Currency totalInterest, std::int32_t payoffMonth,
                                      Currency actualTotal, Currency actualTotalInterest)
{
    PrepaymentResults results;
    results.actualMonthly = inputs.prepayment + inputs.monthlyPayment;
    results.actualTerm = payoffMonth;
    results.actualTotal = actualTotal;
    results.actualTotalInterest = actualTotalInterest;
    results.interestSaved = totalInterest - actualTotalInterest;
    return results;
}

namespace {

// The two sums of the prepayment results, over the months as they come.
class PrepaymentSums : public ScheduleRowWriter
{
public:
    explicit PrepaymentSums(ScheduleRowWriter *next) : m_next(next) {}

    void writeRow(const ScheduleRow &row) override
    {
        actualTotal += row.actualPrincipal + row.actualInterest;
        actualTotalInterest += row.actualInterest;
        if (m_next)
            m_next->writeRow(row);
    }

    Currency actualTotal;
    Currency actualTotalInterest;

private:
    ScheduleRowWriter *m_next;
};

} // namespace

PrepaymentResults GeneratePrepaymentResults(const ScheduleInputs &inputs, Currency totalInterest,
                                            ScheduleRowWriter *rows)
{
    PrepaymentSums sums(rows);
    const std::int32_t payoffMonth = GenerateSchedule(inputs, sums);
    return PrepaymentResultsOf(inputs, totalInterest, payoffMonth, sums.actualTotal, sums.actualTotalInterest);
}

} // namespace calvora
