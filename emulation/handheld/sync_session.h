// The process-wide state of the Sync Manager stand-in: registered conduits,
// open databases by handle, and planned faults. The exports (sync20_exports)
// take mutex() and hand over here; each method checks its arguments and
// answers with a Sync Manager code.
//
// Every operation but register/unregister needs at least one registered
// conduit (kSyncErrNotRegistered otherwise). The handheld is the directory
// KV_HANDHELD names, looked up at each open, create and user read; an open
// database stays tied to the directory it came from. Every open is
// read-write and exclusive whatever the mode asks; card 0 is the only card.
// Unregistering leaves open databases open. Faults reported on stderr start
// with "sync20: " and name the file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "emulation/handheld/fault_table.h"
#include "emulation/handheld/handheld_database.h"
#include "platform/sync_manager.h"

namespace kv::handheld {

class SyncSession {
  public:
    static SyncSession& Instance();

    std::mutex& mutex() { return mutex_; }
    FaultTable& faults() { return faults_; }

    int32_t Register(SyncConduitHandle* handle);
    int32_t Unregister(SyncConduitHandle handle);
    int32_t ReadUserIdentity(SyncUserIdentity* user);

    int32_t Open(const char* name, int32_t card, SyncDatabase* database);
    int32_t Create(SyncDatabaseSpec* spec);
    int32_t Close(SyncDatabase database);
    int32_t RecordCount(SyncDatabase database, uint16_t* count);
    int32_t ReadByIndex(SyncRecord* record);
    int32_t ReadById(SyncRecord* record);
    int32_t Write(SyncRecord* record);
    int32_t Delete(SyncRecord* record);
    int32_t DeleteAll(SyncDatabase database);
    int32_t WriteAppInfo(SyncDatabase database, const uint8_t* block, uint16_t size);
    int32_t PurgeMarked(SyncDatabase database);
    int32_t ClearDirty(SyncDatabase database);

  private:
    SyncSession();

    // The open database of a handle, or nullptr (*rc says why).
    HandheldDatabase* Find(SyncDatabase database, int32_t* rc);
    int32_t ReadAt(HandheldDatabase* db, uint16_t index, SyncRecord* record);
    int32_t Adopt(std::unique_ptr<HandheldDatabase> db, SyncDatabase* database);
    static int32_t Report(int32_t rc, const std::string& message);

    std::mutex mutex_;
    FaultTable faults_;
    std::set<SyncConduitHandle> conduits_;
    SyncConduitHandle next_conduit_ = 1;
    std::map<SyncDatabase, std::unique_ptr<HandheldDatabase>> databases_;
    SyncDatabase next_database_ = 1;
};

}  // namespace kv::handheld
