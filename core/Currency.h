#pragma once

#include "Extended.h"

#include <compare>
#include <cstdint>

namespace calvora {

// Money as a signed 64-bit count of ten-thousandths. There is no implicit
// conversion from numbers: say whether a value is a raw count or an amount.
// Sums and differences are exact and range-checked (a result outside the
// range raises the overflow fault, never wraps); products and quotients are
// formed in extended precision and rounded to a whole count, ties to even.
class Currency
{
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;

    static constexpr Currency fromRaw(std::int64_t raw) { return Currency(raw); }
    // An extended value standing for a raw count, rounded ties to even.
    static Currency fromRawRounded(ext::Extended raw);
    // An amount (234.5), multiplied by 10000 in extended and rounded ties to even.
    static Currency fromAmount(ext::Extended amount);

    constexpr std::int64_t raw() const { return m_raw; }
    // The amount as an extended value: raw ÷ 10000.
    ext::Extended toExtended() const;
    constexpr bool isZero() const { return m_raw == 0; }

    Currency operator+(Currency other) const;
    Currency operator-(Currency other) const;
    Currency operator-() const;
    Currency &operator+=(Currency other) { return *this = *this + other; }
    Currency &operator-=(Currency other) { return *this = *this - other; }

    // raw × factor in extended, rounded ties to even.
    Currency multipliedBy(ext::Extended factor) const;
    // raw ÷ divisor in extended, rounded ties to even.
    Currency dividedBy(ext::Extended divisor) const;

    friend constexpr auto operator<=>(Currency, Currency) = default;

private:
    constexpr explicit Currency(std::int64_t raw) : m_raw(raw) {}
    std::int64_t m_raw = 0;
};

} // namespace calvora
