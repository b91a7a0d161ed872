// The fault-injection exports of the Sync Manager stand-in (sync20), for
// tests and tools: make an operation fail with a code on its n-th call.
// Calls are counted per operation since the library loaded or the last
// reset; a failing call does nothing and returns the code. The list in
// KV_SYNC_FAULTS (see fault_table.h) is planned when the library loads; a bad
// entry is reported on stderr and it and the rest are ignored.
#pragma once

#include <cstdint>

extern "C" {

// 0, or kSyncErrBadArgument for an unknown operation name, code 0 or nth < 1.
int32_t SyncStandInFailOperation(const char* operation, int32_t code, int32_t nth);
// Forgets every planned fault and every call count.
void SyncStandInResetFaults();

}  // extern "C"
