// The five entry points of a conduit module as the HotSync Manager calls them,
// the records it hands over, and the function types that a host looks up by
// export name. The names are plain, undecorated C names.
//
// A conduit module exports exactly these five:
//   OpenConduit        runs the conduit's part of a HotSync
//   GetConduitName     the conduit's display name
//   GetConduitVersion  the conduit's interface version (e.g. 0x100)
//   GetConduitInfo     what the HotSync Manager asks about the conduit
//   ConfigureConduit   lets the person at the desktop choose the sync action
// Every entry point answers 0 on success; a conduit catches whatever its body
// throws and answers with an error instead.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/sync_manager.h"

extern "C" {

// Sync actions (the "sync type" of a HotSync), as far as the system uses them.
constexpr int32_t kSyncTypeDesktopOverwritesHandheld = 3;
constexpr int32_t kSyncTypeDoNothing = 6;

// What OpenConduit is told about this HotSync. The host fills every member;
// texts are zero-terminated within their arrays.
struct SyncProperties {
    int32_t sync_type;        // kSyncType*: the action chosen for this conduit
    char user_name[64];       // the HotSync user name of the handheld
    char handheld_path[260];  // where the handheld is (on Linux, its directory)
};
static_assert(offsetof(SyncProperties, sync_type) == 0, "sync type leads the record");

// The record ConfigureConduit works on. The host fills it with the current
// choice; the conduit sets scope and sync_type when the person chooses.
struct SyncPreference {
    char user_name[256];      // the HotSync user name, zero-terminated
    char handheld_path[260];  // the handheld, zero-terminated
    int32_t scope;            // how long the choice holds as the conduit says (0: not said)
    int32_t sync_type;        // kSyncType*: in, the current action; out, the chosen one
};
static_assert(offsetof(SyncPreference, scope) == 516, "scope at byte 516");
static_assert(offsetof(SyncPreference, sync_type) == 520, "sync type at byte 520");
static_assert(sizeof(SyncPreference) == 524, "the record is 524 bytes");

// ConfigureConduit's answer when the person cancels.
constexpr int32_t kConfigureCancelled = -1;

// What GetConduitInfo is asked for.
constexpr int32_t kConduitInfoName = 0;        // output: text, *output_size bytes of room
constexpr int32_t kConduitInfoValue = 1;       // output: a 32-bit value
constexpr int32_t kConduitInfoSyncAction = 2;  // output: the default sync action, 32-bit

// The input of a kConduitInfoName request; the host sets version 1, width 80.
struct ConduitNameRequest {
    int32_t version;
    int32_t width;
};
constexpr int32_t kConduitNameRequestVersion = 1;
constexpr int32_t kConduitNameRequestWidth = 80;

// The export names, as a host looks them up.
constexpr const char* kOpenConduitExport = "OpenConduit";
constexpr const char* kGetConduitNameExport = "GetConduitName";
constexpr const char* kGetConduitVersionExport = "GetConduitVersion";
constexpr const char* kGetConduitInfoExport = "GetConduitInfo";
constexpr const char* kConfigureConduitExport = "ConfigureConduit";

// progress_callback is the host's progress display, nullptr when it has none.
using OpenConduit_fn = int32_t(KV_SYNC_CALL*)(void* progress_callback, SyncProperties* properties);
// Copies the display name into buffer, cut to size - 1 characters.
using GetConduitName_fn = int32_t(KV_SYNC_CALL*)(char* buffer, uint16_t size);
using GetConduitVersion_fn = uint32_t(KV_SYNC_CALL*)();
// output_size: in, the room at output; out, the bytes written.
using GetConduitInfo_fn = int32_t(KV_SYNC_CALL*)(int32_t info_type, void* input, void* output,
                                                 uint32_t* output_size);
// 0 when the person chose (preference->sync_type holds the choice),
// kConfigureCancelled when they cancelled.
using ConfigureConduit_fn = int32_t(KV_SYNC_CALL*)(SyncPreference* preference);

int32_t KV_SYNC_CALL OpenConduit(void* progress_callback, SyncProperties* properties);
int32_t KV_SYNC_CALL GetConduitName(char* buffer, uint16_t size);
uint32_t KV_SYNC_CALL GetConduitVersion();
int32_t KV_SYNC_CALL GetConduitInfo(int32_t info_type, void* input, void* output,
                                    uint32_t* output_size);
int32_t KV_SYNC_CALL ConfigureConduit(SyncPreference* preference);

}  // extern "C"
