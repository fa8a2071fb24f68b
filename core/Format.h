#pragma once

#include "Currency.h"
#include "DateTime.h"
#include "RegionalSettings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace calvora {

// "%m": the locale's money format: symbol and sign placed by the currency
// patterns, digits grouped, exactly currencyDecimals decimals (an amount with
// more decimals is rounded to nearest, ties to even). An amount that would
// round beyond the range of Currency (only amounts within half a unit of its
// limits can) keeps as many of its four decimals as it has, so that every
// text reads back as an amount the type holds: with no decimals
// 922,337,203,685,477.5807 shows as "$922,337,203,685,477.5807".
std::string formatMoney(Currency value, const RegionalSettings &settings);

// The bare fixed-point number with the given decimals and the locale's decimal
// separator, no grouping, "-" for a negative amount ("234.50"). Rounded to
// nearest, ties to even; an amount that would round beyond the range of
// Currency keeps its decimals, as in formatMoney.
std::string formatFixed(Currency value, int decimals, const RegionalSettings &settings);

// A number pattern: up to three sections "positive;negative;zero", each made
// of "0" (digit, always shown), "#" (digit, shown if significant), "." (the
// decimal separator), "," anywhere before it (digits grouped by thousands),
// texts in single or double quotes and any other character taken literally.
// "P&I = $,0.00" gives "P&I = $1,234.50". Rounded to nearest, ties to even.
// A value in the negative section shows without its sign.
std::string formatFloat(std::string_view pattern, long double value, const RegionalSettings &settings);
// The same for money: rounded from the exact count of ten-thousandths, so
// that a decimal tie (1,384.165 to two decimals) rounds to even as the money
// format does, rather than by the nearest binary value's side of it.
std::string formatFloat(std::string_view pattern, Currency value, const RegionalSettings &settings);

// A date pattern: "d", "dd", "m", "mm", "mmm" (short month name), "yy",
// "yyyy"; quoted texts and other characters literal. "mmm yyyy" gives "Jan 2025".
std::string formatDate(std::string_view pattern, DateTime date, const RegionalSettings &settings);

// Statement formatting: "%d" takes a signed integer in decimal without
// grouping, "%s" a text unchanged, "%%" a percent sign. A placeholder without
// a matching argument throws ConvertError.
using StatementArg = std::variant<std::int64_t, std::string>;
std::string formatStatement(std::string_view format, const std::vector<StatementArg> &args);

// Encloses a text in single quotes, doubling any quote inside.
std::string quotedText(std::string_view text);

// Reading numbers typed by a person. Leading and trailing blanks are allowed;
// otherwise only an optional sign, digits and one decimal separator (and for
// doubles an exponent). Amounts with more than four decimals round ties to even.
enum class ParseResult { Ok, Invalid, OutOfRange };
ParseResult parseCurrency(std::string_view text, const RegionalSettings &settings, Currency &result);
ParseResult parseDouble(std::string_view text, const RegionalSettings &settings, double &result);
ParseResult parseInteger(std::string_view text, std::int64_t &result);

} // namespace calvora
