// hslog20: the HotSync log. Conduits add entries with LogAddEntry; the host
// reads them back through the calls of hotsync_log_host.h. One log per
// process, kept here and nowhere else.
#include <deque>
#include <mutex>
#include <string>

#include "emulation/hotsync/hotsync_clock.h"
#include "emulation/hotsync/hotsync_log_host.h"
#include "platform/bounded_text.h"
#include "platform/export_guard.h"
#include "platform/hotsync_log.h"

#define KV_HOTSYNC_EXPORT extern "C" __attribute__((visibility("default")))

namespace kv::hotsync {
namespace {

constexpr const char* kDroppedText = "(the HotSync log is full; later entries were dropped)";

struct StoredEntry {
    std::string text;
    int32_t activity;
    std::string time;
};

// A deque keeps its elements in place as it grows, so the texts handed out
// stay valid until the log is cleared.
struct Log {
    std::mutex mutex;
    std::deque<StoredEntry> entries;
};

Log& TheLog() {
    static Log log;
    return log;
}

int32_t AddEntry(const char* text, int32_t activity, bool time_stamp) {
    std::string stored = text ? std::string(text, BoundedLength(text, kHotSyncLogMaxText)) : "";
    std::string time = time_stamp ? TimeText() : std::string();
    Log& log = TheLog();
    std::lock_guard<std::mutex> lock(log.mutex);
    if (log.entries.size() >= kHotSyncLogMaxEntries) return kSyncErrGeneral;
    if (log.entries.size() + 1 == kHotSyncLogMaxEntries) {
        log.entries.push_back(StoredEntry{kDroppedText, kLogActivityText, {}});
        return kSyncErrGeneral;
    }
    log.entries.push_back(StoredEntry{std::move(stored), activity, std::move(time)});
    return 0;
}

}  // namespace
}  // namespace kv::hotsync

using kv::GuardedCall;
using kv::hotsync::TheLog;

KV_HOTSYNC_EXPORT int32_t LogAddEntry(const char* text, int32_t activity, int32_t time_stamp) {
    return GuardedCall(kSyncErrGeneral,
                       [&] { return kv::hotsync::AddEntry(text, activity, time_stamp != 0); });
}

KV_HOTSYNC_EXPORT uint32_t HotSyncLogEntryCount() {
    return GuardedCall(0u, [] {
        std::lock_guard<std::mutex> lock(TheLog().mutex);
        return static_cast<uint32_t>(TheLog().entries.size());
    });
}

KV_HOTSYNC_EXPORT bool HotSyncLogEntryAt(uint32_t index, HotSyncLogEntry* entry) {
    return GuardedCall(false, [&] {
        std::lock_guard<std::mutex> lock(TheLog().mutex);
        if (!entry || index >= TheLog().entries.size()) return false;
        const kv::hotsync::StoredEntry& stored = TheLog().entries[index];
        *entry = HotSyncLogEntry{stored.text.c_str(), stored.activity, stored.time.c_str()};
        return true;
    });
}

KV_HOTSYNC_EXPORT void HotSyncLogClear() {
    GuardedCall(false, [] {
        std::lock_guard<std::mutex> lock(TheLog().mutex);
        TheLog().entries.clear();
        return true;
    });
}
