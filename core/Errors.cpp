#include "Errors.h"

namespace calvora {

FloatError::FloatError(FloatFault fault) : Error(message(fault)), m_fault(fault) {}

const char *FloatError::message(FloatFault fault) noexcept
{
    switch (fault) {
    case FloatFault::InvalidOperation:
        return "Invalid floating point operation";
    case FloatFault::DivisionByZero:
        return "Floating point division by zero";
    case FloatFault::Overflow:
        return "Floating point overflow";
    }
    return "Invalid floating point operation";
}

} // namespace calvora
