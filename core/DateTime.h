#pragma once

#include <string>

namespace calvora {

// A date and time as a count of days from 30 December 1899; the fraction is
// the time of day.
using DateTime = double;

struct DateParts
{
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const DateParts &, const DateParts &) = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// The date of a year, month and day; throws ConvertError "Invalid argument to
// date encode" outside years 1 to 9999, months 1 to 12 and the month's days.
DateTime encodeDate(int year, int month, int day);
bool tryEncodeDate(int year, int month, int day, DateTime &result);

// Year, month and day of a date (the time of day is ignored).
DateParts decodeDate(DateTime date);

// Adds a whole number of months (negative too), keeping the day of the month
// (lowered to the last day of a shorter month) and the time of day.
DateTime incMonth(DateTime date, int months);

// Today's date from the local clock, without time of day.
DateTime today();

// ISO-8601 text "YYYY-MM-DD" as the database keeps dates, and back. An empty
// or unreadable text gives false.
std::string toIsoDate(DateTime date);
bool fromIsoDate(const std::string &text, DateTime &result);

} // namespace calvora
