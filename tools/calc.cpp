// calvora-calc --loan AMOUNT --rate PERCENT --term MONTHS: the payment
// calculation of the main window's Calculate button, for scripts. Prints the
// eight results as one JSON object on one line, keyed by their column names:
//
//   {"MonthlyPayment":"599.5505",...,"BiweeklyTerm":295,...}
//
// Money is a string with exactly four decimals and "." (the stored precision,
// so nothing is lost to a binary float on the way); the term is a number.
// Scripts rely on the key names, their order and the money format.
//
// Exit codes: 0 done (or --help), 1 the calculation faulted, 2 bad arguments.

#include "Currency.h"
#include "Errors.h"
#include "Format.h"
#include "LoanMath.h"
#include "RegionalSettings.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

using namespace calvora;

namespace {

constexpr int ExitFault = 1;
constexpr int ExitUsage = 2;

constexpr const char *Usage = "usage: calvora-calc --loan AMOUNT --rate PERCENT --term MONTHS\n"
                              "       calvora-calc --help\n";

constexpr const char *Help =
    "Computes the monthly payment of a mortgage, its totals and the biweekly plan, as the\n"
    "Calculate button of the mortgage calculator does.\n"
    "\n"
    "Options (each exactly once, in any order, also as --option=VALUE):\n"
    "  --loan AMOUNT     the loan amount, a plain number with \".\" for decimals and no\n"
    "                    grouping (250000 or 250000.50)\n"
    "  --rate PERCENT    the annual interest rate in percent (6 or 5.99)\n"
    "  --term MONTHS     the term in whole months, -32768 to 32767 (360)\n"
    "  --help            this text\n"
    "\n"
    "Output: one JSON object on one line with these keys, in this order:\n"
    "  MonthlyPayment         the level monthly payment of principal and interest\n"
    "  TotalPayment           the monthly payment times the term\n"
    "  TotalInterest          total payment less the loan\n"
    "  BiweeklyPayment        half the monthly payment, paid every two weeks\n"
    "  BiweeklyTerm           the months the biweekly payments take to retire the loan\n"
    "  BiweeklyTotal          the sum of the biweekly payments\n"
    "  BiweeklyTotalInterest  biweekly total less the loan\n"
    "  BiweeklyInterestSaved  total interest less biweekly total interest\n"
    "Amounts are strings with exactly four decimals (\"599.5505\", \"-50000.0000\");\n"
    "BiweeklyTerm is a number.\n"
    "\n"
    "Exit status: 0 done, 1 the calculation failed (a zero term, rate or loan; the\n"
    "reason is printed on standard error), 2 bad arguments.\n";

// The program's term column is a 16-bit integer.
constexpr std::int64_t MinTerm = -32768;
constexpr std::int64_t MaxTerm = 32767;

struct Arguments
{
    std::optional<std::string> loan;
    std::optional<std::string> rate;
    std::optional<std::string> term;
    bool help = false;
};

// Reads the options into their slots. Returns the reason the arguments are
// unusable, or an empty text. --help wins over any mistake in the others.
std::string readArguments(int argc, char *argv[], Arguments &arguments)
{
    std::string problem;
    auto fail = [&problem](std::string reason) {
        if (problem.empty())
            problem = std::move(reason);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            arguments.help = true;
            continue;
        }
        if (!argument.starts_with("--")) {
            fail("unexpected argument '" + std::string(argument) + "'");
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        std::optional<std::string> *slot = nullptr;
        if (name == "--loan")
            slot = &arguments.loan;
        else if (name == "--rate")
            slot = &arguments.rate;
        else if (name == "--term")
            slot = &arguments.term;
        else {
            fail("unknown option " + std::string(name));
            continue;
        }

        std::string value;
        if (equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < argc && !std::string_view(argv[i + 1]).starts_with("--")) {
            value = argv[++i];
        } else {
            fail("option " + std::string(name) + " needs a value");
            continue;
        }
        if (slot->has_value()) {
            fail("option " + std::string(name) + " is given more than once");
            continue;
        }
        *slot = std::move(value);
    }
    if (problem.empty()) {
        if (!arguments.loan)
            fail("missing option --loan");
        else if (!arguments.rate)
            fail("missing option --rate");
        else if (!arguments.term)
            fail("missing option --term");
    }
    return problem;
}

std::string rejected(const char *option, const std::string &text, ParseResult result, const char *what)
{
    return std::string(option) + " '" + text + "' " +
           (result == ParseResult::OutOfRange ? std::string("is out of range") : "is not " + std::string(what));
}

// Converts the texts into the calculation's inputs, or returns the reason
// one of them is unusable.
std::string readInputs(const Arguments &arguments, const RegionalSettings &settings, PaymentInputs &inputs)
{
    ParseResult result = parseCurrency(*arguments.loan, settings, inputs.loanAmount);
    if (result != ParseResult::Ok)
        return rejected("--loan", *arguments.loan, result, "a valid amount");

    result = parseDouble(*arguments.rate, settings, inputs.interestRate);
    if (result != ParseResult::Ok)
        return rejected("--rate", *arguments.rate, result, "a valid number");

    std::int64_t term = 0;
    result = parseInteger(*arguments.term, term);
    if (result == ParseResult::Ok && (term < MinTerm || term > MaxTerm))
        result = ParseResult::OutOfRange;
    if (result != ParseResult::Ok)
        return rejected("--term", *arguments.term, result, "a whole number of months");
    inputs.termInMonth = std::int32_t(term);
    return {};
}

std::string json(const PaymentResults &results, const RegionalSettings &settings)
{
    std::string out = "{";
    auto key = [&out](const char *column) {
        if (out.size() > 1)
            out += ',';
        out += '"';
        out += column;
        out += "\":";
    };
    auto money = [&](const char *column, Currency value) {
        key(column);
        out += '"' + formatFixed(value, 4, settings) + '"';
    };
    money("MonthlyPayment", results.monthlyPayment);
    money("TotalPayment", results.totalPayment);
    money("TotalInterest", results.totalInterest);
    money("BiweeklyPayment", results.biweeklyPayment);
    key("BiweeklyTerm");
    out += std::to_string(results.biweeklyTerm);
    money("BiweeklyTotal", results.biweeklyTotal);
    money("BiweeklyTotalInterest", results.biweeklyTotalInterest);
    money("BiweeklyInterestSaved", results.biweeklyInterestSaved);
    out += "}\n";
    return out;
}

int usageError(const std::string &reason)
{
    std::fprintf(stderr, "calvora-calc: %s\n%s", reason.c_str(), Usage);
    return ExitUsage;
}

} // namespace

int main(int argc, char *argv[])
{
    const RegionalSettings settings = RegionalSettings::usEnglish();

    Arguments arguments;
    const std::string problem = readArguments(argc, argv, arguments);
    if (arguments.help) {
        std::fputs(Usage, stdout);
        std::fputs("\n", stdout);
        std::fputs(Help, stdout);
        return 0;
    }
    if (!problem.empty())
        return usageError(problem);

    PaymentInputs inputs;
    const std::string unreadable = readInputs(arguments, settings, inputs);
    if (!unreadable.empty())
        return usageError(unreadable);

    std::string output;
    try {
        // Formatted before anything is printed: a fault leaves standard output empty.
        output = json(CalculatePayments(inputs), settings);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "calvora-calc: %s\n", e.what());
        return ExitFault;
    }
    if (std::fputs(output.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("calvora-calc: cannot write the result\n", stderr);
        return ExitFault;
    }
    return 0;
}
