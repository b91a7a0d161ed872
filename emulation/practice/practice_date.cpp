#include "emulation/practice/practice_date.h"

#include <cstdio>

namespace kv::practice {
namespace {

constexpr int kFirstYear = 1800;
constexpr int kLastYear = 9999;

// Days from 1970-01-01 to a proleptic Gregorian date, counted in 400-year
// eras so that the arithmetic needs no tables.
int64_t DaysFromCivil(int year, int month, int day) {
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t year_of_era = y - era * 400;
    const int64_t month_from_march = month > 2 ? month - 3 : month + 9;
    const int64_t day_of_year = (153 * month_from_march + 2) / 5 + day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

CivilDate CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t day_of_era = days - era * 146097;
    const int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t month_from_march = (5 * day_of_year + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
    date.month =
        static_cast<int>(month_from_march < 10 ? month_from_march + 3 : month_from_march - 9);
    date.year = static_cast<int>(year_of_era + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

const int64_t kEpochDays = DaysFromCivil(kFirstYear, 1, 1);
const int32_t kLastDate = static_cast<int32_t>(DaysFromCivil(kLastYear, 12, 31) - kEpochDays + 1);

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int MonthLength(int year, int month) {
    static constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

int32_t DateNumber(int year, int month, int day) {
    if (year < kFirstYear || year > kLastYear) return 0;
    if (day < 1 || day > MonthLength(year, month)) return 0;
    return static_cast<int32_t>(DaysFromCivil(year, month, day) - kEpochDays + 1);
}

CivilDate CivilFromNumber(int32_t date) {
    if (date < 1 || date > kLastDate) return CivilDate{};
    return CivilFromDays(kEpochDays + date - 1);
}

int WeekDay(int year, int month, int day) {
    const int32_t date = DateNumber(year, month, day);
    if (date == 0) return 0;
    // Day 1, 1800-01-01, was a Wednesday (4).
    return static_cast<int>((date - 1 + 3) % 7) + 1;
}

std::optional<int32_t> ParseIsoDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(text[i])) return std::nullopt;
    auto number = [&](size_t at, size_t width) {
        int value = 0;
        for (size_t i = at; i < at + width; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    const int32_t date = DateNumber(number(0, 4), number(5, 2), number(8, 2));
    if (date == 0) return std::nullopt;
    return date;
}

std::string FormatIsoDate(int32_t date) {
    const CivilDate civil = CivilFromNumber(date);
    if (civil.year == 0) return "";
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", civil.year, civil.month, civil.day);
    return text;
}

}  // namespace kv::practice
