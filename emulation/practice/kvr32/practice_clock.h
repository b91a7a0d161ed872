// The practice library's clock: today as a practice date and the time of day.
// Runs that must repeat exactly pin them with the environment: KV_TODAY
// (YYYY-MM-DD) and KV_NOW (HH:MM:SS). A variable that is unset or not such a
// text is ignored and the local clock answers. Both are read at every call.
#pragma once

#include <cstdint>

namespace kv::practice {

struct ClockTime {
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-59
};

// Today's practice date; never 0 while the local clock is in 1800-9999.
int32_t Today();

// The current local time of day.
ClockTime Now();

}  // namespace kv::practice
