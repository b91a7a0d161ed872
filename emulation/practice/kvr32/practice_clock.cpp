#include "emulation/practice/kvr32/practice_clock.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "emulation/practice/practice_date.h"

namespace kv::practice {
namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

// Two digits at text[at]; -1 when they are not digits.
int TwoDigits(const std::string& text, size_t at) {
    const char a = text[at];
    const char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

std::optional<ClockTime> ParseTimeText(const std::string& text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
    ClockTime time{TwoDigits(text, 0), TwoDigits(text, 3), TwoDigits(text, 6)};
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
        time.second > 59)
        return std::nullopt;
    return time;
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace

int32_t Today() {
    if (auto pinned = Environment("KV_TODAY")) {
        if (auto date = ParseIsoDate(*pinned)) return *date;
    }
    const std::tm local = LocalNow();
    return DateNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

ClockTime Now() {
    if (auto pinned = Environment("KV_NOW")) {
        if (auto time = ParseTimeText(*pinned)) return *time;
    }
    const std::tm local = LocalNow();
    // A leap second reads as the last second of its minute.
    return ClockTime{local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec};
}

}  // namespace kv::practice
