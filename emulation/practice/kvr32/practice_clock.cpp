#include "emulation/practice/kvr32/practice_clock.h"

#include "emulation/practice/practice_date.h"
#include "platform/clock.h"

namespace kv::practice {

int32_t Today() {
    // A pinned day outside the practice calendar pins nothing.
    if (auto pinned = os::PinnedDate()) {
        if (int32_t date = DateNumber(pinned->year, pinned->month, pinned->day)) return date;
    }
    const os::ClockReading local = os::LocalNow();
    return DateNumber(local.year, local.month, local.day);
}

ClockTime Now() {
    const os::ClockReading time = os::PinnedTime().value_or(os::LocalNow());
    return ClockTime{time.hour, time.minute, time.second};
}

}  // namespace kv::practice
