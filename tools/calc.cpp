// calvora-calc --loan AMOUNT --rate PERCENT --term MONTHS [--start YYYY-MM
// [--prepayment AMOUNT] [--csv | --export payment|prepayment [--flat]]]: the
// payment calculation of the main
// window's Calculate button, and with --start the payment schedule the core
// generates from its results, for scripts. Prints the results as one JSON
// object on one line, keyed by their column names:
//
//   {"MonthlyPayment":"599.5505",...,"BiweeklyTerm":295,...}
//
// With --start the object goes on with the five prepayment results and the
// months of the schedule:
//
//   {...,"ActualMonthly":"699.5505","ActualTerm":252,...,
//    "rows":[{"PayDate":"2005-03-01","Interest":"500.0000",...},...]}
//
// and --csv prints the months alone as CSV instead: a header line of the
// column names, then one line a month with the same texts. --export prints
// a schedule view as the window exports it (grouped by year, or with --flat
// without grouping), built by the same code from a scratch database file.
//
// Money is a string with exactly four decimals and "." (the stored precision,
// so nothing is lost to a binary float on the way); terms are numbers, dates
// "YYYY-MM-DD". Scripts rely on the key names, their order and the money
// format.
//
// Exit codes: 0 done (or --help), 1 the calculation or the schedule faulted
// (nothing on standard output), 2 bad arguments.

#include "Currency.h"
#include "DateTime.h"
#include "Errors.h"
#include "Format.h"
#include "LoanMath.h"
#include "RegionalSettings.h"
#include "Schedule.h"
#include "ScratchSchedule.h"
#include "TableExport.h"

#include <QCoreApplication>

#include <array>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace calvora;

namespace {

constexpr int ExitFault = 1;
constexpr int ExitUsage = 2;

constexpr const char *Usage = "usage: calvora-calc --loan AMOUNT --rate PERCENT --term MONTHS\n"
                              "                    [--start YYYY-MM [--prepayment AMOUNT]\n"
                              "                     [--csv | --export payment|prepayment [--flat]]]\n"
                              "       calvora-calc --help\n";

constexpr const char *Help =
    "Computes the monthly payment of a mortgage, its totals and the biweekly plan, as the\n"
    "Calculate button of the mortgage calculator does; with --start also the payment\n"
    "schedule month by month, with and without a monthly prepayment.\n"
    "\n"
    "Options (--loan, --rate and --term required; each at most once, in any order,\n"
    "also as --option=VALUE):\n"
    "  --loan AMOUNT        the loan amount, a plain number with \".\" for decimals and no\n"
    "                       grouping (250000 or 250000.50)\n"
    "  --rate PERCENT       the annual interest rate in percent (6 or 5.99)\n"
    "  --term MONTHS        the term in whole months, -32768 to 32767 (360)\n"
    "  --start YYYY-MM      the year and month of the first payment, a four-digit year\n"
    "                       0001 to 9999 and a two-digit month 01 to 12 (2005-03);\n"
    "                       adds the schedule to the output\n"
    "  --prepayment AMOUNT  paid every month on top of the monthly payment, an amount\n"
    "                       as for --loan (100); 0 when not given; needs --start\n"
    "  --csv                print the months of the schedule as CSV instead of the JSON\n"
    "                       object; needs --start\n"
    "  --export VIEW        print the \"Payment Schedule\" (payment) or \"Prepayment\n"
    "                       Schedule\" (prepayment) view as the window's Export writes\n"
    "                       it, instead of the JSON object; needs --start\n"
    "  --flat               with --export: the view without the yearly summary, running\n"
    "                       totals from the first month\n"
    "  --help               this text\n"
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
    "With --start these follow, in this order:\n"
    "  ActualMonthly          the monthly payment plus the prepayment\n"
    "  ActualTerm             the month the prepayments retire the loan in, 0 when they\n"
    "                         do not within the term\n"
    "  ActualTotal            the sum of the months' actual principal and interest\n"
    "  ActualTotalInterest    the sum of the months' actual interest\n"
    "  InterestSaved          total interest less actual total interest\n"
    "  rows                   the months of the term, first month first, each an object\n"
    "                         with these keys, in this order:\n"
    "    PayDate              the first day of the payment's month (\"2005-03-01\")\n"
    "    Interest             interest of the month without prepayment\n"
    "    Principal            principal paid that month without prepayment\n"
    "    PrincipalLeft        the balance after it\n"
    "    ActualInterest       interest of the month with prepayment\n"
    "    ActualPrincipal      principal paid that month with prepayment\n"
    "    ActualLeft           the balance after it\n"
    "Amounts are strings with exactly four decimals (\"599.5505\", \"-50000.0000\");\n"
    "BiweeklyTerm and ActualTerm are numbers.\n"
    "\n"
    "With --csv the output is the months alone: the header line\n"
    "  PayDate,Interest,Principal,PrincipalLeft,ActualInterest,ActualPrincipal,ActualLeft\n"
    "then one line a month with the same texts as in the JSON rows, unquoted\n"
    "(2005-03-01,500.0000,99.5505,...).\n"
    "\n"
    "With --export the output is the CSV file the window's Export writes for that view:\n"
    "UTF-8 with a byte order mark, CRLF line ends; a header of \"Row\", the shown\n"
    "captions and \"Sum of ...\" columns for sums under hidden columns; then the rows as\n"
    "shown (\"group\", \"month\", \"year total\") and a last \"total\" row. Month texts\n"
    "follow the locale, as in the window.\n"
    "\n"
    "Exit status: 0 done, 1 the calculation or the schedule failed (a zero term, rate\n"
    "or loan, a schedule reaching outside the years 1 to 9999, an amount out of range;\n"
    "the reason is printed on standard error and nothing on standard output), 2 bad\n"
    "arguments.\n";

// The program's term column is a 16-bit integer.
constexpr std::int64_t MinTerm = -32768;
constexpr std::int64_t MaxTerm = 32767;

struct Arguments
{
    std::optional<std::string> loan;
    std::optional<std::string> rate;
    std::optional<std::string> term;
    std::optional<std::string> start;
    std::optional<std::string> prepayment;
    std::optional<std::string> exportView;
    bool csv = false;
    bool flat = false;
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
        if (name == "--csv" || name == "--flat") {
            bool &flag = name == "--csv" ? arguments.csv : arguments.flat;
            if (equals != std::string_view::npos)
                fail("option " + std::string(name) + " takes no value");
            else if (flag)
                fail("option " + std::string(name) + " is given more than once");
            flag = true;
            continue;
        }
        std::optional<std::string> *slot = nullptr;
        if (name == "--loan")
            slot = &arguments.loan;
        else if (name == "--rate")
            slot = &arguments.rate;
        else if (name == "--term")
            slot = &arguments.term;
        else if (name == "--start")
            slot = &arguments.start;
        else if (name == "--prepayment")
            slot = &arguments.prepayment;
        else if (name == "--export")
            slot = &arguments.exportView;
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
        // Without a schedule these would be silently ignored.
        else if (arguments.prepayment && !arguments.start)
            fail("option --prepayment needs --start");
        else if (arguments.csv && !arguments.start)
            fail("option --csv needs --start");
        else if (arguments.exportView && !arguments.start)
            fail("option --export needs --start");
        else if (arguments.exportView && arguments.csv)
            fail("options --csv and --export exclude each other");
        else if (arguments.flat && !arguments.exportView)
            fail("option --flat needs --export");
        else if (arguments.exportView && *arguments.exportView != "payment" && *arguments.exportView != "prepayment")
            fail("option --export takes payment or prepayment, not '" + *arguments.exportView + "'");
    }
    return problem;
}

std::string rejected(const char *option, const std::string &text, ParseResult result, const char *what)
{
    return std::string(option) + " '" + text + "' " +
           (result == ParseResult::OutOfRange ? std::string("is out of range") : "is not " + std::string(what));
}

// "YYYY-MM" with a four-digit year and a two-digit month; out of range
// outside the years and months a date holds.
ParseResult parseYearMonth(std::string_view text, std::int32_t &year, std::int32_t &month)
{
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() != 7 || text[4] != '-')
        return ParseResult::Invalid;
    std::int32_t y = 0;
    for (const char c : text.substr(0, 4)) {
        if (!isDigit(c))
            return ParseResult::Invalid;
        y = y * 10 + (c - '0');
    }
    std::int32_t m = 0;
    for (const char c : text.substr(5, 2)) {
        if (!isDigit(c))
            return ParseResult::Invalid;
        m = m * 10 + (c - '0');
    }
    if (y < 1 || m < 1 || m > 12)
        return ParseResult::OutOfRange;
    year = y;
    month = m;
    return ParseResult::Ok;
}

struct Inputs
{
    PaymentInputs payment;
    // With --start; the monthly payment is the one the payment calculation gives.
    std::optional<ScheduleInputs> schedule;
};

// Converts the texts into the calculation's inputs, or returns the reason
// one of them is unusable.
std::string readInputs(const Arguments &arguments, const RegionalSettings &settings, Inputs &inputs)
{
    ParseResult result = parseCurrency(*arguments.loan, settings, inputs.payment.loanAmount);
    if (result != ParseResult::Ok)
        return rejected("--loan", *arguments.loan, result, "a valid amount");

    result = parseDouble(*arguments.rate, settings, inputs.payment.interestRate);
    if (result != ParseResult::Ok)
        return rejected("--rate", *arguments.rate, result, "a valid number");

    std::int64_t term = 0;
    result = parseInteger(*arguments.term, term);
    if (result == ParseResult::Ok && (term < MinTerm || term > MaxTerm))
        result = ParseResult::OutOfRange;
    if (result != ParseResult::Ok)
        return rejected("--term", *arguments.term, result, "a whole number of months");
    inputs.payment.termInMonth = std::int32_t(term);

    if (!arguments.start)
        return {};
    ScheduleInputs schedule;
    schedule.loanAmount = inputs.payment.loanAmount;
    schedule.interestRate = inputs.payment.interestRate;
    schedule.termInMonth = inputs.payment.termInMonth;
    result = parseYearMonth(*arguments.start, schedule.startYear, schedule.startMonth);
    if (result != ParseResult::Ok)
        return rejected("--start", *arguments.start, result, "a year and month as YYYY-MM");
    if (arguments.prepayment) {
        result = parseCurrency(*arguments.prepayment, settings, schedule.prepayment);
        if (result != ParseResult::Ok)
            return rejected("--prepayment", *arguments.prepayment, result, "a valid amount");
    }
    inputs.schedule = schedule;
    return {};
}

// The months of a schedule, kept for printing.
class ScheduleTable : public ScheduleRowWriter
{
public:
    void writeRow(const ScheduleRow &row) override { rows.push_back(row); }

    std::vector<ScheduleRow> rows;
};

struct Schedule
{
    PrepaymentResults results;
    std::vector<ScheduleRow> rows;
};

Schedule makeSchedule(ScheduleInputs inputs, const PaymentResults &payments)
{
    inputs.monthlyPayment = payments.monthlyPayment;
    ScheduleTable table;
    const PrepaymentResults results = GeneratePrepaymentResults(inputs, payments.totalInterest, &table);
    return {results, std::move(table.rows)};
}

// The columns of a month, in the order of the JSON row objects and the CSV.
constexpr std::array<const char *, 7> RowColumns{
    "PayDate", "Interest", "Principal", "PrincipalLeft", "ActualInterest", "ActualPrincipal", "ActualLeft",
};

std::array<std::string, 7> rowTexts(const ScheduleRow &row, const RegionalSettings &settings)
{
    auto money = [&settings](Currency value) { return formatFixed(value, 4, settings); };
    return {toIsoDate(row.payDate),   money(row.interest),       money(row.principal),
            money(row.principalLeft), money(row.actualInterest), money(row.actualPrincipal),
            money(row.actualLeft)};
}

std::string json(const PaymentResults &results, const Schedule *schedule, const RegionalSettings &settings)
{
    std::string out = "{";
    auto key = [&out](const char *column) {
        if (out.back() != '{')
            out += ',';
        out += '"';
        out += column;
        out += "\":";
    };
    auto text = [&](const char *column, const std::string &value) {
        key(column);
        out += '"' + value + '"';
    };
    auto money = [&](const char *column, Currency value) { text(column, formatFixed(value, 4, settings)); };
    auto number = [&](const char *column, std::int32_t value) {
        key(column);
        out += std::to_string(value);
    };
    money("MonthlyPayment", results.monthlyPayment);
    money("TotalPayment", results.totalPayment);
    money("TotalInterest", results.totalInterest);
    money("BiweeklyPayment", results.biweeklyPayment);
    number("BiweeklyTerm", results.biweeklyTerm);
    money("BiweeklyTotal", results.biweeklyTotal);
    money("BiweeklyTotalInterest", results.biweeklyTotalInterest);
    money("BiweeklyInterestSaved", results.biweeklyInterestSaved);
    if (schedule) {
        money("ActualMonthly", schedule->results.actualMonthly);
        number("ActualTerm", schedule->results.actualTerm);
        money("ActualTotal", schedule->results.actualTotal);
        money("ActualTotalInterest", schedule->results.actualTotalInterest);
        money("InterestSaved", schedule->results.interestSaved);
        key("rows");
        out += '[';
        for (const ScheduleRow &row : schedule->rows) {
            if (out.back() != '[')
                out += ',';
            out += '{';
            const std::array<std::string, 7> texts = rowTexts(row, settings);
            for (std::size_t i = 0; i < texts.size(); ++i)
                text(RowColumns[i], texts[i]);
            out += '}';
        }
        out += ']';
    }
    out += "}\n";
    return out;
}

std::string csv(const Schedule &schedule, const RegionalSettings &settings)
{
    std::string out;
    auto line = [&out](const auto &fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += ',';
            out += fields[i];
        }
        out += '\n';
    };
    line(RowColumns);
    for (const ScheduleRow &row : schedule.rows)
        line(rowTexts(row, settings));
    return out;
}

int usageError(const std::string &reason)
{
    std::fprintf(stderr, "calvora-calc: %s\n%s", reason.c_str(), Usage);
    return ExitUsage;
}

} // namespace

// A schedule view as the window's Export writes it, from a scratch file.
std::string exportView(ScheduleInputs inputs, const PaymentResults &payments, const Arguments &arguments)
{
    inputs.monthlyPayment = payments.monthlyPayment;
    // Month names follow the locale, as the window's do.
    const RegionalSettings local = RegionalSettings::fromProcessLocale();
    report::ScratchSchedule schedule(inputs, local);
    platform::GroupedTableModel &view =
        *arguments.exportView == "payment" ? schedule.paymentView() : schedule.prepaymentView();
    if (arguments.flat)
        view.groupBy(-1);
    return report::ExportCsv(view).toStdString();
}

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

    Inputs inputs;
    const std::string unreadable = readInputs(arguments, settings, inputs);
    if (!unreadable.empty())
        return usageError(unreadable);

    std::string output;
    try {
        // Formatted before anything is printed: a fault leaves standard output empty.
        const PaymentResults payments = CalculatePayments(inputs.payment);
        if (arguments.exportView) {
            // The store and the views need Qt's application object.
            QCoreApplication application(argc, argv);
            std::setlocale(LC_NUMERIC, "C");
            output = exportView(*inputs.schedule, payments, arguments);
        } else {
            std::optional<Schedule> schedule;
            if (inputs.schedule)
                schedule = makeSchedule(*inputs.schedule, payments);
            output = arguments.csv ? csv(*schedule, settings)
                                   : json(payments, schedule ? &*schedule : nullptr, settings);
        }
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
