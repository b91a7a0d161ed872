// The HotSync log as the HotSync Manager host sees it: the entries that the
// conduits of this process added with LogAddEntry, in order. The log lives in
// the hslog20 module, so the host and every conduit it loads share one log.
//
// Each entry's text is at most kHotSyncLogMaxText bytes (longer texts are
// cut); the log holds at most kHotSyncLogMaxEntries entries, the last of them
// saying that later ones were dropped. The texts handed out stay valid until
// the log is cleared.
#pragma once

#include <cstdint>

extern "C" {

constexpr uint32_t kHotSyncLogMaxText = 4096;
constexpr uint32_t kHotSyncLogMaxEntries = 65535;

struct HotSyncLogEntry {
    const char* text;  // zero-terminated, never nullptr
    int32_t activity;  // kLogActivity* (platform/hotsync_log.h) or the caller's own code
    const char* time;  // "HH:MM:SS" when the entry asked for a time stamp, else ""
};

// The number of entries in the log.
uint32_t HotSyncLogEntryCount();

// Fills entry with the index-th entry (0 first); false when there is none.
bool HotSyncLogEntryAt(uint32_t index, HotSyncLogEntry* entry);

// Empties the log; a HotSync starts with an empty log.
void HotSyncLogClear();

}  // extern "C"
