#include "emulation/hotsync/hotsync_clock.h"

#include <cstdio>

#include "platform/clock.h"

namespace kv::hotsync {

bool IsDateText(const std::string& text) {
    return os::IsDateText(text);
}

bool IsTimeText(const std::string& text) {
    return os::IsTimeText(text);
}

std::string DateText() {
    const os::ClockReading date = os::PinnedDate().value_or(os::LocalNow());
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string TimeText() {
    const os::ClockReading time = os::PinnedTime().value_or(os::LocalNow());
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

}  // namespace kv::hotsync
