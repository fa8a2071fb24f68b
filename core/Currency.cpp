#include "Currency.h"

#include "Errors.h"

#include <cmath>

namespace calvora {

namespace {

// The range of a raw count as extended values; both limits are powers of two
// and therefore exact.
constexpr ext::Extended RawLowest = -9223372036854775808.0L; // -2^63
constexpr ext::Extended RawBeyond = 9223372036854775808.0L;  //  2^63

} // namespace

Currency Currency::fromRawRounded(ext::Extended raw)
{
    if (std::isnan(raw))
        throw FloatError(FloatFault::InvalidOperation);
    if (std::isinf(raw))
        throw FloatError(FloatFault::Overflow);
    const ext::Extended whole = ext::roundEven(raw);
    if (whole < RawLowest || whole >= RawBeyond)
        throw FloatError(FloatFault::Overflow);
    return Currency(static_cast<std::int64_t>(whole));
}

Currency Currency::fromAmount(ext::Extended amount)
{
    return fromRawRounded(ext::mul(amount, static_cast<ext::Extended>(Scale)));
}

ext::Extended Currency::toExtended() const
{
    return ext::div(static_cast<ext::Extended>(m_raw), static_cast<ext::Extended>(Scale));
}

Currency Currency::operator+(Currency other) const
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &sum))
        throw FloatError(FloatFault::Overflow);
    return Currency(sum);
}

Currency Currency::operator-(Currency other) const
{
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &difference))
        throw FloatError(FloatFault::Overflow);
    return Currency(difference);
}

Currency Currency::operator-() const
{
    std::int64_t negated = 0;
    if (__builtin_sub_overflow(std::int64_t{0}, m_raw, &negated))
        throw FloatError(FloatFault::Overflow);
    return Currency(negated);
}

Currency Currency::multipliedBy(ext::Extended factor) const
{
    return fromRawRounded(ext::mul(static_cast<ext::Extended>(m_raw), factor));
}

Currency Currency::dividedBy(ext::Extended divisor) const
{
    return fromRawRounded(ext::div(static_cast<ext::Extended>(m_raw), divisor));
}

} // namespace calvora
