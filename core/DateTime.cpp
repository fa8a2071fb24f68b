#include "DateTime.h"

#include "Errors.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace calvora {

namespace {

// Day 0 of the serial count, 30 December 1899, counted from 1 January 1970.
constexpr std::int64_t SerialEpochFromUnix = -25569;

constexpr const char *EncodeErrorText = "Invalid argument to date encode";

// Days from 1 January 1970 of a date of the proleptic Gregorian calendar
// (H. Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateParts civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return {static_cast<int>(y), m, d};
}

bool isValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

DateTime serialOf(int year, int month, int day)
{
    return static_cast<DateTime>(daysFromCivil(year, month, day) - SerialEpochFromUnix);
}

// The first and last serial day that decode to a date of years 1 to 9999.
const DateTime FirstSerial = serialOf(1, 1, 1);
const DateTime LastSerial = serialOf(9999, 12, 31);

// The time of day of a serial: its fraction, which for a date before the
// epoch is counted away from zero (-1.25 is 29 December 1899, 6:00).
double timeOfDay(DateTime date)
{
    return std::fabs(date - std::trunc(date));
}

DateTime withTimeOfDay(DateTime day, double time)
{
    return day < 0 ? day - time : day + time;
}

bool readDigits(const std::string &text, std::size_t from, std::size_t count, int &value)
{
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

} // namespace

bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && isLeapYear(year))
        return 29;
    return days[month - 1];
}

bool tryEncodeDate(int year, int month, int day, DateTime &result)
{
    if (!isValidDate(year, month, day))
        return false;
    result = serialOf(year, month, day);
    return true;
}

DateTime encodeDate(int year, int month, int day)
{
    DateTime result = 0;
    if (!tryEncodeDate(year, month, day, result))
        throw ConvertError(EncodeErrorText);
    return result;
}

DateParts decodeDate(DateTime date)
{
    if (!std::isfinite(date))
        return {};
    const double day = std::trunc(date);
    if (day < FirstSerial || day > LastSerial)
        return {};
    return civilFromDays(static_cast<std::int64_t>(day) + SerialEpochFromUnix);
}

DateTime incMonth(DateTime date, int months)
{
    const DateParts parts = decodeDate(date);
    if (parts.year == 0)
        throw ConvertError(EncodeErrorText);
    const std::int64_t monthIndex = std::int64_t{parts.year} * 12 + (parts.month - 1) + months;
    const std::int64_t year = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    if (year < 1 || year > 9999)
        throw ConvertError(EncodeErrorText);
    const int newYear = static_cast<int>(year);
    const int newMonth = static_cast<int>(monthIndex - year * 12) + 1;
    const int lastDay = daysInMonth(newYear, newMonth);
    const int newDay = parts.day < lastDay ? parts.day : lastDay;
    return withTimeOfDay(encodeDate(newYear, newMonth, newDay), timeOfDay(date));
}

DateTime today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return encodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string toIsoDate(DateTime date)
{
    const DateParts parts = decodeDate(date);
    if (parts.year == 0)
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.year, parts.month, parts.day);
    return text;
}

bool fromIsoDate(const std::string &text, DateTime &result)
{
    // "YYYY-MM-DD", optionally followed by " HH:MM:SS" or "THH:MM:SS".
    if (text.size() != 10 && text.size() != 19)
        return false;
    int year = 0, month = 0, day = 0;
    if (!readDigits(text, 0, 4, year) || text[4] != '-' || !readDigits(text, 5, 2, month) || text[7] != '-' ||
        !readDigits(text, 8, 2, day))
        return false;
    DateTime date = 0;
    if (!tryEncodeDate(year, month, day, date))
        return false;
    double time = 0;
    if (text.size() == 19) {
        int hour = 0, minute = 0, second = 0;
        if ((text[10] != ' ' && text[10] != 'T') || !readDigits(text, 11, 2, hour) || text[13] != ':' ||
            !readDigits(text, 14, 2, minute) || text[16] != ':' || !readDigits(text, 17, 2, second))
            return false;
        if (hour > 23 || minute > 59 || second > 59)
            return false;
        time = (hour * 3600 + minute * 60 + second) / 86400.0;
    }
    result = withTimeOfDay(date, time);
    return true;
}

} // namespace calvora
