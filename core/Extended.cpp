#include "Extended.h"

#include "Errors.h"

#include <cfenv>
#include <cmath>

// Every operation below runs between clearing the floating status flags and
// reading them back. The operands pass through volatile variables and the
// result is stored to one before the flags are read, so the compiler can
// neither fold the operation nor move it out from between the two calls.

namespace calvora::ext {

namespace {

constexpr int WatchedFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

[[noreturn]] void fault(FloatFault f)
{
    throw FloatError(f);
}

// Reading the flags is cheap, clearing them is not (it rewrites the whole
// floating-point environment): clear only when something left a flag set.
void startWatching()
{
    if (std::fetestexcept(WatchedFlags) != 0)
        std::feclearexcept(WatchedFlags);
}

// Raises the fault the last operation flagged; invalid operation first, as
// it is the one that makes any other flag meaningless.
void checkFlags()
{
    const int raised = std::fetestexcept(WatchedFlags);
    if (raised == 0)
        return;
    std::feclearexcept(WatchedFlags);
    if (raised & FE_INVALID)
        fault(FloatFault::InvalidOperation);
    if (raised & FE_DIVBYZERO)
        fault(FloatFault::DivisionByZero);
    fault(FloatFault::Overflow);
}

// A quiet NaN passes through the hardware without raising anything; for us
// it is always an invalid operation.
void checkOperand(Extended x)
{
    if (std::isnan(x))
        fault(FloatFault::InvalidOperation);
}

template <typename T> T checkedResult(T x)
{
    checkFlags();
    if (std::isnan(x))
        fault(FloatFault::InvalidOperation);
    return x;
}

} // namespace

Extended add(Extended a, Extended b)
{
    checkOperand(a);
    checkOperand(b);
    volatile Extended va = a;
    volatile Extended vb = b;
    startWatching();
    volatile Extended r = va + vb;
    return checkedResult<Extended>(r);
}

Extended sub(Extended a, Extended b)
{
    checkOperand(a);
    checkOperand(b);
    volatile Extended va = a;
    volatile Extended vb = b;
    startWatching();
    volatile Extended r = va - vb;
    return checkedResult<Extended>(r);
}

Extended mul(Extended a, Extended b)
{
    checkOperand(a);
    checkOperand(b);
    volatile Extended va = a;
    volatile Extended vb = b;
    startWatching();
    volatile Extended r = va * vb;
    return checkedResult<Extended>(r);
}

Extended div(Extended a, Extended b)
{
    checkOperand(a);
    checkOperand(b);
    volatile Extended va = a;
    volatile Extended vb = b;
    startWatching();
    volatile Extended r = va / vb;
    return checkedResult<Extended>(r);
}

Extended log2(Extended x)
{
    checkOperand(x);
    if (x == 0)
        fault(FloatFault::DivisionByZero);
    if (x < 0)
        fault(FloatFault::InvalidOperation);
    volatile Extended vx = x;
    startWatching();
    volatile Extended r = std::log2(static_cast<Extended>(vx));
    return checkedResult<Extended>(r);
}

double toDouble(Extended x)
{
    checkOperand(x);
    volatile Extended vx = x;
    startWatching();
    volatile double r = static_cast<double>(vx);
    return checkedResult<double>(r);
}

float toSingle(double x)
{
    checkOperand(x);
    volatile double vx = x;
    startWatching();
    volatile float r = static_cast<float>(vx);
    return checkedResult<float>(r);
}

Extended roundEven(Extended x)
{
    if (!std::isfinite(x))
        fault(FloatFault::InvalidOperation);
    // rint rounds in the current mode (the inexact flag it may raise is of no
    // concern); make sure that mode is to nearest, ties to even, for this call.
    const int mode = std::fegetround();
    if (mode != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    volatile Extended vx = x;
    const Extended r = std::rint(static_cast<Extended>(vx));
    if (mode != FE_TONEAREST)
        std::fesetround(mode);
    return r;
}

} // namespace calvora::ext
