#include "emulation/hotsync/hotsync_clock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kv::hotsync {
namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

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

std::string Pinned(const char* name, bool (*valid)(const std::string&)) {
    const char* value = std::getenv(name);
    return value && valid(value) ? std::string(value) : std::string();
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

std::string DateText() {
    std::string pinned = Pinned("KV_TODAY", IsDateText);
    if (!pinned.empty()) return pinned;
    const std::tm local = LocalNow();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}

std::string TimeText() {
    std::string pinned = Pinned("KV_NOW", IsTimeText);
    if (!pinned.empty()) return pinned;
    const std::tm local = LocalNow();
    char text[64];
    // A leap second reads as the last second of its minute.
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min,
                  local.tm_sec > 59 ? 59 : local.tm_sec);
    return text;
}

}  // namespace kv::hotsync
