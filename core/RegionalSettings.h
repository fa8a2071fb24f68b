#pragma once

#include <array>
#include <string>

namespace calvora {

// The user's regional settings as one value, read once at start-up and passed
// to whatever formats or reads numbers, money and dates. Texts are UTF-8.
struct RegionalSettings
{
    std::string currencySymbol = "$";
    // Placement of the symbol for a positive amount (1 standing for the number):
    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    int positiveCurrencyFormat = 0;
    // Placement of symbol and sign for a negative amount:
    // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-",
    // 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)".
    int negativeCurrencyFormat = 0;
    std::string decimalSeparator = ".";
    std::string thousandSeparator = ",";
    int currencyDecimals = 2;
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // The characters that the locale's single-byte classification marks as
    // digits (a number character is one of these, "+", "-" or the decimal
    // separator).
    std::u32string digits = U"0123456789";

    bool isDigit(char32_t c) const;
    bool isNumberCharacter(char32_t c) const;

    // United States English: the values used where the locale gives none.
    static RegionalSettings usEnglish();
    // From the process locale (localeconv, nl_langinfo) after
    // setlocale(LC_ALL, ""); where the locale gives nothing (C/POSIX), the
    // US English values fill in.
    static RegionalSettings fromProcessLocale();
};

} // namespace calvora
