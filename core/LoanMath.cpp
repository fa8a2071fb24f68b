#include "LoanMath.h"

#include "Errors.h"
#include "Extended.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace calvora {

using ext::Extended;

double CalcMonthlyPayment(std::int32_t term, float rate, Currency loan)
{
    // The monthly rate, divided by 100 first, then by 12, kept as a double.
    const double c = ext::toDouble(ext::div(ext::div(rate, 100), 12));

    // (1 + c) to the power −term by repeated squaring over the bits of |term|,
    // from the lowest; a term of 0 gives 1.
    Extended f = 1;
    if (term != 0) {
        std::uint32_t bits = term < 0 ? std::uint32_t{0} - std::uint32_t(term) : std::uint32_t(term);
        Extended product = 1;
        Extended square = ext::add(1, c);
        for (;;) {
            if (bits & 1u)
                product = ext::mul(product, square);
            bits >>= 1;
            if (bits == 0)
                break;
            square = ext::mul(square, square);
        }
        f = term > 0 ? ext::div(1, product) : product;
    }

    const Extended payment = ext::div(ext::div(ext::mul(c, Extended(loan.raw())), ext::sub(1, f)), 10000);
    return ext::toDouble(payment);
}

double CalcBiweeklyPeriods(float rate, Currency loan, double payment)
{
    const double d = ext::toDouble(ext::div(ext::div(rate, 100), 26));
    // 1 − d × Loan ÷ Payment, with the raw loan's scale taken out.
    const Extended x = ext::div(ext::sub(10000, ext::div(ext::mul(d, Extended(loan.raw())), payment)), 10000);
    const Extended n = -ext::div(ext::log2(x), ext::log2(ext::add(1, d)));
    return ext::toDouble(n);
}

std::int32_t CeilingToInt32(Extended t)
{
    if (std::isnan(t))
        throw FloatError(FloatFault::InvalidOperation);
    const Extended whole = std::trunc(t);
    if (whole < Extended(std::numeric_limits<std::int32_t>::min()) ||
        whole > Extended(std::numeric_limits<std::int32_t>::max()) - 1)
        throw FloatError(FloatFault::InvalidOperation);
    std::int32_t result = std::int32_t(whole);
    if (ext::sub(t, whole) > 0)
        ++result;
    return result;
}

namespace {

class CollectingWriter : public PaymentResultWriter
{
public:
    void writeMoney(const char *column, Currency value) override
    {
        struct Slot
        {
            const char *name;
            Currency PaymentResults::*member;
        };
        static constexpr Slot slots[] = {
            {"MonthlyPayment", &PaymentResults::monthlyPayment},
            {"TotalPayment", &PaymentResults::totalPayment},
            {"TotalInterest", &PaymentResults::totalInterest},
            {"BiweeklyPayment", &PaymentResults::biweeklyPayment},
            {"BiweeklyTotal", &PaymentResults::biweeklyTotal},
            {"BiweeklyTotalInterest", &PaymentResults::biweeklyTotalInterest},
            {"BiweeklyInterestSaved", &PaymentResults::biweeklyInterestSaved},
        };
        for (const Slot &slot : slots) {
            if (std::strcmp(slot.name, column) == 0)
                results.*slot.member = value;
        }
    }
    void writeInteger(const char *, std::int32_t value) override { results.biweeklyTerm = value; }

    PaymentResults results;
};

} // namespace

void CalculatePayments(const PaymentInputs &inputs, PaymentResultWriter &writer)
{
    const Currency loan = inputs.loanAmount;
    const std::int32_t term = inputs.termInMonth;
    // The stored double rate narrowed to single precision (5.99 becomes
    // 5.9899997711181640625).
    const float rate = ext::toSingle(inputs.interestRate);

    const Currency monthly = Currency::fromAmount(CalcMonthlyPayment(term, rate, loan));
    writer.writeMoney("MonthlyPayment", monthly);
    const Currency total = monthly.multipliedBy(term);
    writer.writeMoney("TotalPayment", total);
    const Currency interest = total - loan;
    writer.writeMoney("TotalInterest", interest);
    // Half the raw payment, an odd raw value going to the even neighbour.
    const Currency biweekly = monthly.dividedBy(2);
    writer.writeMoney("BiweeklyPayment", biweekly);

    const double periods = CalcBiweeklyPeriods(rate, loan, ext::toDouble(biweekly.toExtended()));
    writer.writeInteger("BiweeklyTerm", CeilingToInt32(ext::div(ext::mul(periods, 12), 26)));
    // The fractional number of payments, not the whole months.
    const Currency biweeklyTotal = biweekly.multipliedBy(periods);
    writer.writeMoney("BiweeklyTotal", biweeklyTotal);
    const Currency biweeklyInterest = biweeklyTotal - loan;
    writer.writeMoney("BiweeklyTotalInterest", biweeklyInterest);
    writer.writeMoney("BiweeklyInterestSaved", interest - biweeklyInterest);
}

PaymentResults CalculatePayments(const PaymentInputs &inputs)
{
    CollectingWriter writer;
    CalculatePayments(inputs, writer);
    return writer.results;
}

} // namespace calvora
