#include "RegionalSettings.h"

#include <climits>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <langinfo.h>

namespace calvora {

namespace {

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point of a text made of exactly one UTF-8 encoded character, or
// false.
bool singleCodePoint(const std::string &text, char32_t &result)
{
    if (text.empty())
        return false;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        length = 1;
        c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        return false;
    }
    if (text.size() != length)
        return false;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    result = c;
    return true;
}

bool codesetIsUtf8()
{
    const char *codeset = nl_langinfo(CODESET);
    return codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

// A text of the process locale as UTF-8. In a locale whose code set is not
// UTF-8 each character is converted through the wide character set (UCS-4 in
// glibc); a byte that does not convert is read as Latin-1.
std::string localeText(const char *text)
{
    if (text == nullptr)
        return {};
    if (codesetIsUtf8())
        return text;
    std::string out;
    std::mbstate_t state{};
    const char *p = text;
    std::size_t left = std::strlen(text);
    while (left > 0) {
        wchar_t wc = 0;
        const std::size_t used = std::mbrtowc(&wc, p, left, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2) || used == 0) {
            appendUtf8(out, static_cast<unsigned char>(*p));
            state = std::mbstate_t{};
            ++p;
            --left;
            continue;
        }
        appendUtf8(out, static_cast<char32_t>(wc));
        p += used;
        left -= used;
    }
    return out;
}

// The negative currency code for the POSIX description of a negative amount:
// whether the symbol precedes the number; the blank (0 none, 1 between symbol
// and number, 2 between the sign and whatever it touches: the symbol when
// they are adjacent, else the number); and where the sign goes (0 parentheses,
// 1 before all, 2 after all, 3 right before the symbol, 4 right after it).
// Where no code has the very same look, the nearest one is taken.
int negativeFormatCode(bool symbolFirst, int blank, int signPosition)
{
    const bool symbolBlank = blank == 1;
    if (symbolFirst) {
        switch (signPosition) {
        case 0:
            return symbolBlank ? 14 : 0; // ($ 1) ($1)
        case 2:
            return symbolBlank ? 11 : 3; // $ 1-  $1-
        case 4:
            return blank != 0 ? 12 : 2; // $ -1  $-1
        default:
            return symbolBlank ? 9 : 1; // -$ 1  -$1
        }
    }
    switch (signPosition) {
    case 0:
        return symbolBlank ? 15 : 4; // (1 $) (1$)
    case 2:
    case 4:
        return symbolBlank ? 10 : 7; // 1 $-  1$-
    case 3:
        return blank != 0 ? 13 : 6; // 1- $  1-$
    default:
        return symbolBlank ? 8 : 5; // -1 $  -1$
    }
}

} // namespace

bool RegionalSettings::isDigit(char32_t c) const
{
    return digits.find(c) != std::u32string::npos;
}

bool RegionalSettings::isNumberCharacter(char32_t c) const
{
    if (isDigit(c) || c == U'+' || c == U'-')
        return true;
    char32_t separator = 0;
    return singleCodePoint(decimalSeparator, separator) && c == separator;
}

RegionalSettings RegionalSettings::usEnglish()
{
    return RegionalSettings{};
}

RegionalSettings RegionalSettings::fromProcessLocale()
{
    const std::lconv *conv = std::localeconv();
    RegionalSettings settings = usEnglish();
    if (conv == nullptr)
        return settings;
    const std::string symbol = localeText(conv->currency_symbol);
    if (symbol.empty() && conv->frac_digits == CHAR_MAX)
        return settings; // the C/POSIX locale says nothing about money

    if (!symbol.empty())
        settings.currencySymbol = symbol;

    if (conv->p_cs_precedes != CHAR_MAX) {
        const bool first = conv->p_cs_precedes != 0;
        const bool blank = conv->p_sep_by_space == 1;
        settings.positiveCurrencyFormat = first ? (blank ? 2 : 0) : (blank ? 3 : 1);
    }
    if (conv->n_cs_precedes != CHAR_MAX) {
        const bool first = conv->n_cs_precedes != 0;
        const int blank = conv->n_sep_by_space == CHAR_MAX ? 0 : conv->n_sep_by_space;
        const int position = conv->n_sign_posn == CHAR_MAX ? 1 : conv->n_sign_posn;
        settings.negativeCurrencyFormat = negativeFormatCode(first, blank, position);
    }

    std::string decimal = localeText(conv->mon_decimal_point);
    if (decimal.empty())
        decimal = localeText(conv->decimal_point);
    if (!decimal.empty())
        settings.decimalSeparator = decimal;
    settings.thousandSeparator = localeText(conv->mon_thousands_sep);
    if (conv->frac_digits != CHAR_MAX)
        settings.currencyDecimals = conv->frac_digits;

    static constexpr nl_item months[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                           ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    for (int i = 0; i < 12; ++i) {
        const std::string name = localeText(nl_langinfo(months[i]));
        if (!name.empty())
            settings.shortMonthNames[i] = name;
    }

    settings.digits.clear();
    for (char32_t c = 0; c <= 0xFF; ++c) {
        if (std::iswdigit(static_cast<std::wint_t>(c)))
            settings.digits += c;
    }
    return settings;
}

} // namespace calvora
