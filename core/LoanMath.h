#pragma once

#include "Currency.h"

#include <cstdint>

namespace calvora {

// The level monthly payment of principal and interest, as an amount (not
// scaled by 10000): Loan × c ÷ (1 − (1 + c)^−Term) with the monthly rate
// c = Rate ÷ 100 ÷ 12, every intermediate in extended precision. Rate is the
// annual percentage narrowed to single precision by the caller.
double CalcMonthlyPayment(std::int32_t term, float rate, Currency loan);

// The number of biweekly payments of the amount payment that retire loan,
// with its fraction: −ln(1 − d × Loan ÷ Payment) ÷ ln(1 + d) with the
// biweekly rate d = Rate ÷ 100 ÷ 26.
double CalcBiweeklyPeriods(float rate, Currency loan, double payment);

// The smallest whole number not below t: t truncated toward zero, plus 1
// when the fraction cut off is greater than 0. Throws FloatError when the
// result does not fit 32 bits.
std::int32_t CeilingToInt32(long double t);

// What a payment calculation reads: the mortgage's loan amount, its annual
// interest rate in percent and its term in months.
struct PaymentInputs
{
    Currency loanAmount;
    double interestRate = 0;
    std::int32_t termInMonth = 0;
};

// Receives each result of a payment calculation as soon as it is computed,
// in the order MonthlyPayment, TotalPayment, TotalInterest, BiweeklyPayment,
// BiweeklyTerm, BiweeklyTotal, BiweeklyTotalInterest, BiweeklyInterestSaved.
// A fault part-way leaves exactly the results before it delivered.
class PaymentResultWriter
{
public:
    virtual ~PaymentResultWriter() = default;
    virtual void writeMoney(const char *column, Currency value) = 0;
    virtual void writeInteger(const char *column, std::int32_t value) = 0;
};

// The monthly payment, its totals and the biweekly plan, each figure rounded
// to Currency ties to even. Throws FloatError for a zero term, rate or loan.
void CalculatePayments(const PaymentInputs &inputs, PaymentResultWriter &writer);

// The eight results of a calculation.
struct PaymentResults
{
    Currency monthlyPayment;
    Currency totalPayment;
    Currency totalInterest;
    Currency biweeklyPayment;
    std::int32_t biweeklyTerm = 0;
    Currency biweeklyTotal;
    Currency biweeklyTotalInterest;
    Currency biweeklyInterestSaved;
};
PaymentResults CalculatePayments(const PaymentInputs &inputs);

} // namespace calvora
