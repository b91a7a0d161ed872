// ConduitSession: the state of one synchronisation in a conduit library. One
// process-wide object (Session()), set up by OpenConduit and read by the
// conduit's steps; one synchronisation runs at a time. Every member is
// overwritten by the next synchronisation, which starts from Reset(); the
// handheld id list is the only thing the session owns, and it is released
// exactly once, at the closing step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "conduit_framework/practice_user_id.h"
#include "conduit_framework/provider_filter.h"
#include "conduit_framework/record_helpers.h"
#include "platform/hotsync_log.h"
#include "platform/movable_memory.h"
#include "platform/sync_manager.h"

namespace kv::conduit {

// Result codes of OpenConduit besides those of the Sync Manager.
constexpr int32_t kResultPracticeData = 4101;  // data version, database initialisation
constexpr int32_t kResultNoUser = 4214;        // the HotSync user cannot be read

constexpr size_t kHotSyncUserNameSize = sizeof(SyncUserIdentity::name);

struct ConduitSession {
    int32_t today = 0;  // KVR_SysDate, taken first
    SyncConduitHandle conduit_handle = 0;
    bool registered = false;
    char hotsync_user[kHotSyncUserNameSize] = {};
    PracticeUserId user_id;
    int32_t window_end = 0;
    int32_t purge_date = 0;
    ProviderFilter provider_filter;
    PracticePreferences preferences = {};
    // Ids of the records kept on the handheld after a read-back: a movable
    // block of 32-bit ids, or none.
    os::MemoryHandle handheld_ids = nullptr;
    int32_t handheld_id_count = 0;
    int32_t result = 0;
    int32_t outcome = kLogActivitySuccess;  // kLogActivitySuccess or kLogActivityAborted

    // Ends the synchronisation as aborted with code.
    void Abort(int32_t code) {
        result = code;
        outcome = kLogActivityAborted;
    }
    bool aborted() const { return outcome == kLogActivityAborted; }

    // Frees the handheld id list, when one is held.
    void ReleaseLists();
    // Releases the lists and starts every member afresh.
    void Reset();
};

// The conduit library's session.
ConduitSession& Session();

}  // namespace kv::conduit
