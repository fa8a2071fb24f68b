#include "Format.h"

#include "Errors.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace calvora {

namespace {

constexpr std::uint64_t powerOfTen(int n)
{
    std::uint64_t p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

// The largest magnitude an int64 holds for the given sign: 2^63 - 1, or 2^63
// for a negative number.
std::uint64_t rangeLimit(bool negative)
{
    const std::uint64_t twoTo63 = std::uint64_t{1} << 63;
    return negative ? twoTo63 : twoTo63 - 1;
}

// Rounds a count of ten-thousandths to a count of 10^-decimals units (decimals
// from 0 to 4), to nearest, ties to even.
std::uint64_t roundToDecimals(std::uint64_t magnitude, int decimals)
{
    const std::uint64_t unit = powerOfTen(4 - decimals);
    std::uint64_t q = magnitude / unit;
    const std::uint64_t r = magnitude % unit;
    const std::uint64_t half = unit / 2;
    if (r > half || (r == half && unit > 1 && (q & 1) != 0))
        ++q;
    return q;
}

// The digits of an amount with a fixed number of decimals, split into its
// whole part and its decimals, and whether it is negative once rounded (an
// amount that rounds to zero has no sign).
struct FixedDigits
{
    std::string whole;
    std::string decimals;
    bool negative = false;
};

FixedDigits fixedDigits(Currency value, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    const std::int64_t raw = value.raw();
    // The magnitude in unsigned arithmetic, so that the lowest raw count
    // negates without overflow.
    const std::uint64_t magnitude =
        raw < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
    FixedDigits result;
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;
    int fractionDigits = 0;
    const std::uint64_t rounded = decimals >= 4 ? 0 : roundToDecimals(magnitude, decimals);
    if (decimals >= 4 || rounded > rangeLimit(raw < 0) / powerOfTen(4 - decimals)) {
        // Four decimals show every amount exactly. An amount within half a
        // unit of the limits that rounds beyond them at fewer decimals is shown
        // exactly as well, with as many decimals as it has: its text then reads
        // back as the very amount, where the rounded text would be an amount
        // the type cannot hold.
        whole = magnitude / 10000;
        fraction = magnitude % 10000;
        fractionDigits = 4;
        while (fractionDigits > decimals && fraction % 10 == 0) {
            fraction /= 10;
            --fractionDigits;
        }
    } else {
        whole = rounded / powerOfTen(decimals);
        fraction = rounded % powerOfTen(decimals);
        fractionDigits = decimals;
    }
    result.whole = std::to_string(whole);
    if (fractionDigits > 0) {
        std::string f = std::to_string(fraction);
        result.decimals = std::string(static_cast<std::size_t>(fractionDigits) - f.size(), '0') + f;
    }
    if (decimals > 4)
        result.decimals.append(static_cast<std::size_t>(decimals - 4), '0');
    result.negative = raw < 0 && (whole != 0 || fraction != 0);
    return result;
}

std::string grouped(const std::string &digits, const std::string &separator)
{
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[i];
        const std::size_t right = n - 1 - i;
        if (right > 0 && right % 3 == 0)
            out += separator;
    }
    return out;
}

// ---- number patterns ------------------------------------------------------

struct PatternItem
{
    enum Kind
    {
        Literal,
        Zero,
        Hash,
        Point,
        Comma
    } kind;
    std::string text; // for Literal
};

struct PatternSection
{
    std::vector<PatternItem> items;
    bool empty() const { return items.empty(); }
};

// Splits a pattern into its sections at ";" outside quotes; quoted texts
// become literals.
std::vector<PatternSection> parsePattern(std::string_view pattern)
{
    std::vector<PatternSection> sections(1);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        auto &items = sections.back().items;
        if (c == '\'' || c == '"') {
            std::size_t end = pattern.find(c, i + 1);
            if (end == std::string_view::npos)
                end = pattern.size();
            items.push_back({PatternItem::Literal, std::string(pattern.substr(i + 1, end - i - 1))});
            i = end;
        } else if (c == ';') {
            sections.emplace_back();
        } else if (c == '0') {
            items.push_back({PatternItem::Zero, {}});
        } else if (c == '#') {
            items.push_back({PatternItem::Hash, {}});
        } else if (c == '.') {
            items.push_back({PatternItem::Point, {}});
        } else if (c == ',') {
            items.push_back({PatternItem::Comma, {}});
        } else {
            items.push_back({PatternItem::Literal, std::string(1, c)});
        }
    }
    return sections;
}

struct SectionShape
{
    int wholePlaceholders = 0;
    int minWholeDigits = 0; // placeholders from the first "0" of the whole part on
    int decimalPlaceholders = 0;
    int minDecimals = 0; // decimal placeholders up to the last "0"
    bool grouping = false;
    bool hasPoint = false;
};

SectionShape shapeOf(const PatternSection &section)
{
    SectionShape shape;
    int firstZero = -1;
    for (const PatternItem &item : section.items) {
        switch (item.kind) {
        case PatternItem::Zero:
        case PatternItem::Hash:
            if (!shape.hasPoint) {
                if (item.kind == PatternItem::Zero && firstZero < 0)
                    firstZero = shape.wholePlaceholders;
                ++shape.wholePlaceholders;
            } else {
                ++shape.decimalPlaceholders;
                if (item.kind == PatternItem::Zero)
                    shape.minDecimals = shape.decimalPlaceholders;
            }
            break;
        case PatternItem::Point:
            shape.hasPoint = true;
            break;
        case PatternItem::Comma:
            if (!shape.hasPoint)
                shape.grouping = true;
            break;
        case PatternItem::Literal:
            break;
        }
    }
    shape.minWholeDigits = firstZero < 0 ? 0 : shape.wholePlaceholders - firstZero;
    return shape;
}

// |value| rounded to the given decimals (ties to even on the exact binary
// value, as glibc prints it) as whole digits and decimal digits.
void roundedDigits(long double magnitude, int decimals, std::string &whole, std::string &fraction)
{
    const int size = std::snprintf(nullptr, 0, "%.*Lf", decimals, magnitude);
    if (size <= 0) {
        whole.clear();
        fraction.assign(static_cast<std::size_t>(decimals), '0');
        return;
    }
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
    std::snprintf(buffer.data(), buffer.size(), "%.*Lf", decimals, magnitude);
    const std::string text(buffer.data(), static_cast<std::size_t>(size));
    const std::size_t point = text.find('.');
    whole = text.substr(0, point);
    fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
}

bool allZero(const std::string &digits)
{
    return digits.find_first_not_of('0') == std::string::npos;
}

std::string applySection(const PatternSection &section, const SectionShape &shape, std::string whole,
                         std::string fraction, const RegionalSettings &settings)
{
    // Whole digits: no leading zeros beyond what the "0" placeholders ask for.
    const std::size_t firstSignificant = whole.find_first_not_of('0');
    whole = firstSignificant == std::string::npos ? std::string() : whole.substr(firstSignificant);
    if (static_cast<int>(whole.size()) < shape.minWholeDigits)
        whole.insert(0, static_cast<std::size_t>(shape.minWholeDigits) - whole.size(), '0');
    // Decimals: trailing zeros dropped where only "#" placeholders ask for them.
    while (static_cast<int>(fraction.size()) > shape.minDecimals && fraction.back() == '0')
        fraction.pop_back();

    std::string out;
    std::size_t nextWhole = 0; // next whole digit to emit
    const auto emitWhole = [&](std::size_t upTo) {
        for (; nextWhole < upTo; ++nextWhole) {
            out += whole[nextWhole];
            const std::size_t right = whole.size() - 1 - nextWhole;
            if (shape.grouping && right > 0 && right % 3 == 0)
                out += settings.thousandSeparator;
        }
    };
    // Whole placeholders still to come; the first one takes every digit that
    // has no placeholder of its own.
    int wholeLeft = shape.wholePlaceholders;
    std::size_t nextDecimal = 0;
    bool afterPoint = false;
    for (const PatternItem &item : section.items) {
        switch (item.kind) {
        case PatternItem::Literal:
            out += item.text;
            break;
        case PatternItem::Comma:
            if (afterPoint)
                out += ',';
            break;
        case PatternItem::Point:
            if (!afterPoint) {
                emitWhole(whole.size());
                if (!fraction.empty())
                    out += settings.decimalSeparator;
                afterPoint = true;
            } else {
                out += '.';
            }
            break;
        case PatternItem::Zero:
        case PatternItem::Hash:
            if (!afterPoint) {
                --wholeLeft;
                const std::size_t upTo =
                    whole.size() > static_cast<std::size_t>(wholeLeft) ? whole.size() - wholeLeft : 0;
                emitWhole(upTo);
            } else {
                if (nextDecimal < fraction.size())
                    out += fraction[nextDecimal];
                ++nextDecimal;
            }
            break;
        }
    }
    // A pattern with no place for the whole digits still shows them.
    if (!afterPoint && shape.wholePlaceholders == 0 && shape.decimalPlaceholders == 0)
        return out;
    if (!afterPoint)
        emitWhole(whole.size());
    return out;
}

std::string generalNumber(long double value, const RegionalSettings &settings)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.15Lg", value);
    std::string out;
    for (const char *p = text; *p; ++p) {
        if (*p == '.')
            out += settings.decimalSeparator;
        else
            out += *p;
    }
    return out;
}

// ---- parsing --------------------------------------------------------------

std::string_view trimmedBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The parts of a typed number: sign, whole digits, decimal digits and, when
// allowed, the exponent text (sign and digits).
struct NumberText
{
    bool negative = false;
    std::string_view whole;
    std::string_view decimals;
    std::string_view exponent;
};

bool splitNumber(std::string_view text, const std::string &decimalSeparator, bool allowExponent,
                 NumberText &number)
{
    text = trimmedBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        ++i;
    }
    const std::size_t wholeStart = i;
    while (i < text.size() && isAsciiDigit(text[i]))
        ++i;
    number.whole = text.substr(wholeStart, i - wholeStart);
    if (!decimalSeparator.empty() && text.substr(i).starts_with(decimalSeparator)) {
        i += decimalSeparator.size();
        const std::size_t decimalStart = i;
        while (i < text.size() && isAsciiDigit(text[i]))
            ++i;
        number.decimals = text.substr(decimalStart, i - decimalStart);
    }
    if (number.whole.empty() && number.decimals.empty())
        return false;
    if (allowExponent && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        const std::size_t exponentStart = ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const std::size_t digitsStart = i;
        while (i < text.size() && isAsciiDigit(text[i]))
            ++i;
        if (i == digitsStart)
            return false;
        number.exponent = text.substr(exponentStart, i - exponentStart);
    }
    return i == text.size();
}

std::string_view withoutLeadingZeros(std::string_view digits)
{
    while (!digits.empty() && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

std::int64_t signedCount(std::uint64_t magnitude, bool negative)
{
    // Two's complement in unsigned arithmetic: 2^63 becomes the lowest int64.
    return static_cast<std::int64_t>(negative ? std::uint64_t{0} - magnitude : magnitude);
}

locale_t cNumericLocale()
{
    static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

[[noreturn]] void throwStatementError(std::string_view format)
{
    throw ConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

} // namespace

std::string formatMoney(Currency value, const RegionalSettings &settings)
{
    const int decimals = settings.currencyDecimals < 0 ? 0 : settings.currencyDecimals;
    const FixedDigits digits = fixedDigits(value, decimals);
    std::string number = grouped(digits.whole, settings.thousandSeparator);
    if (!digits.decimals.empty())
        number += settings.decimalSeparator + digits.decimals;
    const std::string &s = settings.currencySymbol;

    if (!digits.negative) {
        switch (settings.positiveCurrencyFormat) {
        case 1:
            return number + s;
        case 2:
            return s + ' ' + number;
        case 3:
            return number + ' ' + s;
        default:
            return s + number;
        }
    }
    switch (settings.negativeCurrencyFormat) {
    case 1:
        return '-' + s + number;
    case 2:
        return s + '-' + number;
    case 3:
        return s + number + '-';
    case 4:
        return '(' + number + s + ')';
    case 5:
        return '-' + number + s;
    case 6:
        return number + '-' + s;
    case 7:
        return number + s + '-';
    case 8:
        return '-' + number + ' ' + s;
    case 9:
        return '-' + s + ' ' + number;
    case 10:
        return number + ' ' + s + '-';
    case 11:
        return s + ' ' + number + '-';
    case 12:
        return s + ' ' + '-' + number;
    case 13:
        return number + '-' + ' ' + s;
    case 14:
        return '(' + s + ' ' + number + ')';
    case 15:
        return '(' + number + ' ' + s + ')';
    default:
        return '(' + s + number + ')';
    }
}

std::string formatFixed(Currency value, int decimals, const RegionalSettings &settings)
{
    const FixedDigits digits = fixedDigits(value, decimals);
    std::string out = digits.negative ? "-" + digits.whole : digits.whole;
    if (!digits.decimals.empty())
        out += settings.decimalSeparator + digits.decimals;
    return out;
}

namespace {

// A number pattern applied to a value given by its sign and a way to make
// its digits rounded to a number of decimals.
using DigitsOf = void (*)(const void *value, int decimals, std::string &whole, std::string &fraction);

std::string formatPattern(std::string_view pattern, int sign, const void *value, DigitsOf digitsOf,
                          const RegionalSettings &settings)
{
    std::vector<PatternSection> sections = parsePattern(pattern);
    const bool hasNegative = sections.size() > 1 && !sections[1].empty();
    const bool hasZero = sections.size() > 2 && !sections[2].empty();
    const PatternSection &positive = sections[0];

    const PatternSection *section = &positive;
    if (sign < 0 && hasNegative)
        section = &sections[1];
    else if (sign == 0 && hasZero)
        section = &sections[2];

    SectionShape shape = shapeOf(*section);
    std::string whole, fraction;
    digitsOf(value, shape.decimalPlaceholders, whole, fraction);

    if (sign != 0 && allZero(whole) && allZero(fraction)) {
        // Rounds to zero: shown as zero, without sign.
        section = hasZero ? &sections[2] : &positive;
        shape = shapeOf(*section);
        roundedDigits(0.0L, shape.decimalPlaceholders, whole, fraction);
        return applySection(*section, shape, whole, fraction, settings);
    }
    std::string out = applySection(*section, shape, whole, fraction, settings);
    if (sign < 0 && !hasNegative)
        out.insert(0, 1, '-');
    return out;
}

// The digits of a count of ten-thousandths' magnitude, rounded exactly to
// the decimals, ties to even.
void exactDigits(std::uint64_t magnitude, int decimals, std::string &whole, std::string &fraction)
{
    if (decimals >= 4) {
        whole = std::to_string(magnitude / 10000);
        std::string four = std::to_string(magnitude % 10000);
        fraction = std::string(4 - four.size(), '0') + four + std::string(std::size_t(decimals - 4), '0');
        return;
    }
    std::uint64_t unit = 1;
    for (int i = decimals; i < 4; ++i)
        unit *= 10;
    std::uint64_t kept = magnitude / unit;
    const std::uint64_t rest = magnitude % unit;
    if (rest > unit / 2 || (rest == unit / 2 && kept % 2 == 1))
        ++kept;
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    whole = std::to_string(kept / scale);
    const std::string digits = decimals > 0 ? std::to_string(kept % scale) : std::string();
    fraction = std::string(std::size_t(decimals) - digits.size(), '0') + digits;
}

} // namespace

std::string formatFloat(std::string_view pattern, long double value, const RegionalSettings &settings)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (parsePattern(pattern)[0].empty())
        return generalNumber(value, settings);
    const long double magnitude = std::fabs(value);
    return formatPattern(
        pattern, value < 0 ? -1 : (value > 0 ? 1 : 0), &magnitude,
        [](const void *v, int decimals, std::string &whole, std::string &fraction) {
            roundedDigits(*static_cast<const long double *>(v), decimals, whole, fraction);
        },
        settings);
}

std::string formatFloat(std::string_view pattern, Currency value, const RegionalSettings &settings)
{
    if (parsePattern(pattern)[0].empty())
        return generalNumber(value.toExtended(), settings);
    const std::int64_t raw = value.raw();
    // The magnitude of the most negative count does not fit a signed count.
    const std::uint64_t magnitude = raw < 0 ? std::uint64_t(0) - std::uint64_t(raw) : std::uint64_t(raw);
    return formatPattern(
        pattern, raw < 0 ? -1 : (raw > 0 ? 1 : 0), &magnitude,
        [](const void *v, int decimals, std::string &whole, std::string &fraction) {
            exactDigits(*static_cast<const std::uint64_t *>(v), decimals, whole, fraction);
        },
        settings);
}

std::string formatDate(std::string_view pattern, DateTime date, const RegionalSettings &settings)
{
    const DateParts parts = decodeDate(date);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const auto twoDigits = [](int n) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d", n);
        return std::string(text);
    };
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char l = lower(c);
        std::size_t run = 1;
        while (i + run < pattern.size() && lower(pattern[i + run]) == l)
            ++run;
        if (c == '\'' || c == '"') {
            std::size_t end = pattern.find(c, i + 1);
            if (end == std::string_view::npos)
                end = pattern.size();
            out.append(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (l == 'd') {
            const std::size_t used = run >= 2 ? 2 : 1;
            out += used == 2 ? twoDigits(parts.day) : std::to_string(parts.day);
            i += used;
        } else if (l == 'm') {
            const std::size_t used = run >= 3 ? 3 : run;
            if (used == 3)
                out += parts.month >= 1 && parts.month <= 12 ? settings.shortMonthNames[parts.month - 1] : "";
            else
                out += used == 2 ? twoDigits(parts.month) : std::to_string(parts.month);
            i += used;
        } else if (l == 'y') {
            if (run <= 2) {
                out += twoDigits(parts.year % 100);
            } else {
                char text[16];
                std::snprintf(text, sizeof text, "%04d", parts.year);
                out += text;
            }
            i += run;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string formatStatement(std::string_view format, const std::vector<StatementArg> &args)
{
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i >= format.size())
            throwStatementError(format);
        const char kind = format[i];
        if (kind == '%') {
            out += '%';
        } else if (kind == 'd' || kind == 'D') {
            if (next >= args.size() || !std::holds_alternative<std::int64_t>(args[next]))
                throwStatementError(format);
            out += std::to_string(std::get<std::int64_t>(args[next++]));
        } else if (kind == 's' || kind == 'S') {
            if (next >= args.size() || !std::holds_alternative<std::string>(args[next]))
                throwStatementError(format);
            out += std::get<std::string>(args[next++]);
        } else {
            throwStatementError(format);
        }
    }
    return out;
}

std::string quotedText(std::string_view text)
{
    std::string out = "'";
    for (const char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

ParseResult parseCurrency(std::string_view text, const RegionalSettings &settings, Currency &result)
{
    NumberText number;
    if (!splitNumber(text, settings.decimalSeparator, false, number))
        return ParseResult::Invalid;
    const std::string_view whole = withoutLeadingZeros(number.whole);
    // 2^63 ten-thousandths is about 9.2e14: a whole part of more than fifteen
    // digits cannot fit. Cut short here, the count below stays under 10^19
    // and is exact in 64 unsigned bits.
    if (whole.size() > 15)
        return ParseResult::OutOfRange;
    std::uint64_t magnitude = 0;
    for (const char c : whole)
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    for (std::size_t i = 0; i < 4; ++i) {
        const unsigned digit =
            i < number.decimals.size() ? static_cast<unsigned>(number.decimals[i] - '0') : 0;
        magnitude = magnitude * 10 + digit;
    }
    if (number.decimals.size() > 4) {
        // Round on the decimal digits beyond the fourth: above one half up,
        // below down, exactly one half to the even count.
        const std::string_view rest = number.decimals.substr(4);
        const char first = rest.front();
        const bool moreAfterFirst = rest.substr(1).find_first_not_of('0') != std::string_view::npos;
        if (first > '5' || (first == '5' && (moreAfterFirst || (magnitude & 1) != 0)))
            ++magnitude;
    }
    if (magnitude > rangeLimit(number.negative))
        return ParseResult::OutOfRange;
    const std::int64_t raw = signedCount(magnitude, number.negative);
    result = Currency::fromRaw(raw);
    return ParseResult::Ok;
}

ParseResult parseDouble(std::string_view text, const RegionalSettings &settings, double &result)
{
    NumberText number;
    if (!splitNumber(text, settings.decimalSeparator, true, number))
        return ParseResult::Invalid;
    std::string normalised = number.negative ? "-" : "";
    normalised.append(number.whole.empty() ? std::string_view("0") : number.whole);
    if (!number.decimals.empty()) {
        normalised += '.';
        normalised.append(number.decimals);
    }
    if (!number.exponent.empty()) {
        normalised += 'e';
        normalised.append(number.exponent);
    }
    // Read with the C locale's decimal point, whatever the process locale is.
    errno = 0;
    char *end = nullptr;
    const double value = strtod_l(normalised.c_str(), &end, cNumericLocale());
    if (end != normalised.c_str() + normalised.size())
        return ParseResult::Invalid;
    if (errno == ERANGE && std::isinf(value))
        return ParseResult::OutOfRange;
    // An underflow reads as the nearest representable value, down to zero.
    result = value;
    return ParseResult::Ok;
}

ParseResult parseInteger(std::string_view text, std::int64_t &result)
{
    text = trimmedBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return ParseResult::Invalid;
    for (const char c : text) {
        if (!isAsciiDigit(c))
            return ParseResult::Invalid;
    }
    // Nineteen digits stay below 10^19 and fit 64 unsigned bits.
    const std::string_view digits = withoutLeadingZeros(text);
    if (digits.size() > 19)
        return ParseResult::OutOfRange;
    std::uint64_t magnitude = 0;
    for (const char c : digits)
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    if (magnitude > rangeLimit(negative))
        return ParseResult::OutOfRange;
    result = signedCount(magnitude, negative);
    return ParseResult::Ok;
}

} // namespace calvora
