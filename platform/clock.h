// The local clock. On Linux a run can be pinned to a day and a time so that
// it repeats exactly: KV_TODAY (YYYY-MM-DD) and KV_NOW (HH:MM:SS), read at
// every call; a variable that is unset or not such a text pins nothing.
#pragma once

#include <optional>
#include <string>

namespace kv::os {

struct ClockReading {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    int hour = 0;   // 0-23
    int minute = 0;
    int second = 0;  // 0-59: a leap second reads as the last second of its minute
};

// The local date and time as the system clock has them.
ClockReading LocalNow();

// The day KV_TODAY pins (year, month, day), or nothing.
std::optional<ClockReading> PinnedDate();
// The time of day KV_NOW pins (hour, minute, second), or nothing.
std::optional<ClockReading> PinnedTime();

// True when text is a date "YYYY-MM-DD" that exists (years 1000-9999).
bool IsDateText(const std::string& text);
// True when text is a time of day "HH:MM:SS" (00:00:00 to 23:59:59).
bool IsTimeText(const std::string& text);

}  // namespace kv::os
