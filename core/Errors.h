#pragma once

#include <stdexcept>
#include <string>

namespace calvora {

// Every failure of the system is an exception derived from Error; the
// application's default handler shows what() in a message box.
class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The three floating faults that money and loan arithmetic can raise.
// Underflow, denormal operands and inexact results pass silently.
enum class FloatFault { InvalidOperation, DivisionByZero, Overflow };

class FloatError : public Error
{
public:
    explicit FloatError(FloatFault fault);
    FloatFault fault() const noexcept { return m_fault; }
    static const char *message(FloatFault fault) noexcept;

private:
    FloatFault m_fault;
};

// A text or value that cannot be converted ("Invalid argument to date encode",
// "'abc' is not a valid amount", ...).
class ConvertError : public Error
{
public:
    using Error::Error;
};

} // namespace calvora
