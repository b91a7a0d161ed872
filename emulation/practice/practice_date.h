// Practice dates: serial day numbers. Day 1 is 1 January 1800; the day after
// d is d + 1; 0 means no date. Dates from 1800-01-01 to 9999-12-31 are valid,
// every one of them below 3,000,000. An impossible date (month outside 1-12,
// day outside the month, a year outside 1800-9999) has no number: 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kv::practice {

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The day number of a civil date, 0 when impossible.
int32_t DateNumber(int year, int month, int day);

// The civil date of a day number; all zero for 0 or a number outside the range.
CivilDate CivilFromNumber(int32_t date);

bool IsLeapYear(int year);
// Days in month (1-12) of year; 0 for a month outside 1-12.
int MonthLength(int year, int month);
// 1 = Sunday ... 7 = Saturday; 0 for an impossible date.
int WeekDay(int year, int month, int day);

// "YYYY-MM-DD" to a day number; nothing when the text is not such a date.
std::optional<int32_t> ParseIsoDate(const std::string& text);
// A day number as "YYYY-MM-DD"; "" for 0 or an invalid number.
std::string FormatIsoDate(int32_t date);

}  // namespace kv::practice
