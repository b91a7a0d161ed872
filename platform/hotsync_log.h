// The HotSync log, which the person at the desktop reads after a HotSync, and
// the HotSync common library's start-up call. Both belong to the HotSync
// Manager's installation; conduits link them.
#pragma once

#include <cstdint>

#include "platform/sync_manager.h"

extern "C" {

// Activity codes of log entries.
constexpr int32_t kLogActivityText = -1;     // a plain line
constexpr int32_t kLogActivityStart = 19;    // a conduit starts its work (empty text)
constexpr int32_t kLogActivitySuccess = 20;  // a conduit finished; text = conduit name
constexpr int32_t kLogActivityAborted = 21;  // a conduit aborted; text = conduit name
constexpr int32_t kLogActivityFailure = 22;  // a failure message

// Adds an entry; time_stamp non-zero asks for the time in front of it.
int32_t KV_SYNC_CALL LogAddEntry(const char* text, int32_t activity, int32_t time_stamp);

// Initialises the HotSync common library; a conduit library calls it once.
int32_t KV_SYNC_CALL InitPdcmn5DLL();

}  // extern "C"
