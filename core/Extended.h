#pragma once

// Extended-precision (80-bit x87, 64-bit significand) arithmetic with the
// floating faults checked where they arise. Each operation is rounded to
// nearest, ties to even; an invalid operation, a division by zero or an
// overflow throws FloatError, underflow and inexact results pass.

#include <cfloat>

static_assert(LDBL_MANT_DIG == 64, "long double must be the 80-bit extended format");

namespace calvora::ext {

using Extended = long double;

Extended add(Extended a, Extended b);
Extended sub(Extended a, Extended b);
Extended mul(Extended a, Extended b);
Extended div(Extended a, Extended b);
Extended log2(Extended x);

// Narrowing, each rounded to nearest, ties to even, overflow checked.
double toDouble(Extended x);
float toSingle(double x);

// Rounds to a whole number, ties to even (the x87 default rounding); checks
// that the result is finite.
Extended roundEven(Extended x);

} // namespace calvora::ext
