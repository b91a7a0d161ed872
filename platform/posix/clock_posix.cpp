#include <cstdlib>
#include <ctime>

#include "platform/clock.h"

namespace kv::os {
namespace {

// The number written with digits at text[at, at + count); -1 when one of them
// is not a digit.
int Digits(const std::string& text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace

bool IsDateText(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    const int year = Digits(text, 0, 4);
    const int month = Digits(text, 5, 2);
    const int day = Digits(text, 8, 2);
    if (year < 1000 || month < 1 || month > 12) return false;
    return day >= 1 && day <= DaysInMonth(year, month);
}

bool IsTimeText(const std::string& text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
    const int hour = Digits(text, 0, 2);
    const int minute = Digits(text, 3, 2);
    const int second = Digits(text, 6, 2);
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

ClockReading LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    ClockReading reading;
    reading.year = local.tm_year + 1900;
    reading.month = local.tm_mon + 1;
    reading.day = local.tm_mday;
    reading.hour = local.tm_hour;
    reading.minute = local.tm_min;
    reading.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return reading;
}

std::optional<ClockReading> PinnedDate() {
    auto text = Environment("KV_TODAY");
    if (!text || !IsDateText(*text)) return std::nullopt;
    ClockReading reading;
    reading.year = Digits(*text, 0, 4);
    reading.month = Digits(*text, 5, 2);
    reading.day = Digits(*text, 8, 2);
    return reading;
}

std::optional<ClockReading> PinnedTime() {
    auto text = Environment("KV_NOW");
    if (!text || !IsTimeText(*text)) return std::nullopt;
    ClockReading reading;
    reading.hour = Digits(*text, 0, 2);
    reading.minute = Digits(*text, 3, 2);
    reading.second = Digits(*text, 6, 2);
    return reading;
}

}  // namespace kv::os
