// The exports of sync20, the Sync Manager stand-in: each one takes the
// session's lock, counts the call against the planned faults, and hands over
// to SyncSession. Nothing crosses an export but its result: a failure that
// throws answers kSyncErrGeneral.
#include <cstring>
#include <exception>
#include <mutex>
#include <string>

#include "emulation/handheld/sync_faults.h"
#include "emulation/handheld/sync_session.h"
#include "platform/byte_order.h"
#include "platform/sync_manager.h"

#define SYNC20_EXPORT __attribute__((visibility("default")))

namespace {

using kv::handheld::SyncSession;

template <typename Work>
int32_t Guarded(const char* operation, Work&& work) noexcept {
    try {
        SyncSession& session = SyncSession::Instance();
        std::lock_guard<std::mutex> lock(session.mutex());
        if (int32_t fault = session.faults().OnCall(operation)) return fault;
        return work(session);
    } catch (...) {
        return kSyncErrGeneral;
    }
}

// Plans the faults of KV_SYNC_FAULTS as the library loads.
__attribute__((constructor)) void LoadFaultsFromEnvironment() {
    try {
        SyncSession::Instance();
    } catch (...) {
    }
}

}  // namespace

extern "C" {

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncRegister(SyncConduitHandle* handle) {
    return Guarded(__func__, [&](SyncSession& s) { return s.Register(handle); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncUnregister(SyncConduitHandle handle) {
    return Guarded(__func__, [&](SyncSession& s) { return s.Unregister(handle); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncReadUserIdentity(SyncUserIdentity* user) {
    return Guarded(__func__, [&](SyncSession& s) { return s.ReadUserIdentity(user); });
}

// Every open is read-write and exclusive, whatever the mode.
SYNC20_EXPORT int32_t KV_SYNC_CALL SyncOpenDatabase(const char* name, int32_t card,
                                                    SyncDatabase* database, uint8_t /*mode*/) {
    return Guarded(__func__, [&](SyncSession& s) { return s.Open(name, card, database); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncCreateDatabase(SyncDatabaseSpec* spec) {
    return Guarded(__func__, [&](SyncSession& s) { return s.Create(spec); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncCloseDatabase(SyncDatabase database) {
    return Guarded(__func__, [&](SyncSession& s) { return s.Close(database); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncGetDBRecordCount(SyncDatabase database, uint16_t* count) {
    return Guarded(__func__, [&](SyncSession& s) { return s.RecordCount(database, count); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncReadRecordByIndex(SyncRecord* record) {
    return Guarded(__func__, [&](SyncSession& s) { return s.ReadByIndex(record); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncReadRecordById(SyncRecord* record) {
    return Guarded(__func__, [&](SyncSession& s) { return s.ReadById(record); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncWriteRecord(SyncRecord* record) {
    return Guarded(__func__, [&](SyncSession& s) { return s.Write(record); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncDeleteRecord(SyncRecord* record) {
    return Guarded(__func__, [&](SyncSession& s) { return s.Delete(record); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncDeleteAllRecords(SyncDatabase database) {
    return Guarded(__func__, [&](SyncSession& s) { return s.DeleteAll(database); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncWriteAppInfoBlock(SyncDatabase database,
                                                         const uint8_t* block, uint16_t size) {
    return Guarded(__func__, [&](SyncSession& s) { return s.WriteAppInfo(database, block, size); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncPurgeMarkedRecords(SyncDatabase database) {
    return Guarded(__func__, [&](SyncSession& s) { return s.PurgeMarked(database); });
}

SYNC20_EXPORT int32_t KV_SYNC_CALL SyncClearDirtyMarks(SyncDatabase database) {
    return Guarded(__func__, [&](SyncSession& s) { return s.ClearDirty(database); });
}

SYNC20_EXPORT uint16_t KV_SYNC_CALL SyncHostToHHWord(uint16_t value) {
    uint8_t bytes[2];
    kv::StoreBE16(bytes, value);
    uint16_t out;
    std::memcpy(&out, bytes, sizeof out);
    return out;
}

SYNC20_EXPORT uint32_t KV_SYNC_CALL SyncHostToHHDWord(uint32_t value) {
    uint8_t bytes[4];
    kv::StoreBE32(bytes, value);
    uint32_t out;
    std::memcpy(&out, bytes, sizeof out);
    return out;
}

SYNC20_EXPORT uint16_t KV_SYNC_CALL SyncHHToHostWord(uint16_t value) {
    uint8_t bytes[2];
    std::memcpy(bytes, &value, sizeof value);
    return kv::LoadBE16(bytes);
}

SYNC20_EXPORT uint32_t KV_SYNC_CALL SyncHHToHostDWord(uint32_t value) {
    uint8_t bytes[4];
    std::memcpy(bytes, &value, sizeof value);
    return kv::LoadBE32(bytes);
}

SYNC20_EXPORT int32_t SyncStandInFailOperation(const char* operation, int32_t code, int32_t nth) {
    try {
        SyncSession& session = SyncSession::Instance();
        std::lock_guard<std::mutex> lock(session.mutex());
        return operation && session.faults().Plan(operation, code, nth) ? 0 : kSyncErrBadArgument;
    } catch (...) {
        return kSyncErrGeneral;
    }
}

SYNC20_EXPORT void SyncStandInResetFaults() {
    try {
        SyncSession& session = SyncSession::Instance();
        std::lock_guard<std::mutex> lock(session.mutex());
        session.faults().Reset();
    } catch (...) {
    }
}

}  // extern "C"
