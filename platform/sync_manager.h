// The HotSync Sync Manager as the conduits use it: the one door to the
// handheld's databases during a HotSync. Every operation answers 0 or an
// error code, which the conduits pass on unchanged.
//
// The byte-order helpers and the record count keep their published names;
// the other operations are named here by their roles.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define KV_SYNC_CALL __cdecl
#else
#define KV_SYNC_CALL
#endif

extern "C" {

using SyncConduitHandle = uint32_t;
using SyncDatabase = int32_t;  // 0 = none

// Open mode: read and write, exclusive.
constexpr uint8_t kSyncOpenReadWriteExclusive = 0xD0;

// Error codes. kSyncErrNotFound is what open answers for a database that does
// not exist.
constexpr int32_t kSyncErrNotFound = 0x4003;
constexpr int32_t kSyncErrGeneral = 0x4001;
constexpr int32_t kSyncErrBadArgument = 0x4002;
constexpr int32_t kSyncErrAlreadyOpen = 0x4004;
constexpr int32_t kSyncErrAlreadyExists = 0x4005;
constexpr int32_t kSyncErrRecordNotFound = 0x4006;
constexpr int32_t kSyncErrBufferTooSmall = 0x4007;
constexpr int32_t kSyncErrTooManyRecords = 0x4008;
constexpr int32_t kSyncErrRecordTooLarge = 0x4009;
constexpr int32_t kSyncErrBadName = 0x400A;
constexpr int32_t kSyncErrCorruptDatabase = 0x400B;
constexpr int32_t kSyncErrNotRegistered = 0x400C;
constexpr int32_t kSyncErrNoUser = 0x400D;
constexpr int32_t kSyncErrWrite = 0x400E;

// Record attributes as reported with each record read.
constexpr uint8_t kSyncRecDeleted = 0x80;  // deleted on the handheld, no data left
constexpr uint8_t kSyncRecDirty = 0x40;    // changed since the last HotSync
constexpr uint8_t kSyncRecBusy = 0x20;
constexpr uint8_t kSyncRecSecret = 0x10;
constexpr uint8_t kSyncRecArchived = 0x08;  // deleted on the handheld, data kept

// Limits of the device.
constexpr uint32_t kSyncMaxRecords = 65535;
constexpr uint32_t kSyncMaxNameLength = 31;
constexpr uint32_t kSyncMaxRecordSize = 65505;

struct SyncUserIdentity {
    char name[64];  // the HotSync user name, zero-terminated
    uint32_t user_id;
    uint32_t last_sync_pc;
};

struct SyncDatabaseSpec {
    uint32_t creator;  // four-character codes, first character most significant
    uint32_t type;
    uint16_t flags;
    uint16_t version;
    int32_t card;
    char name[32];
    SyncDatabase database;  // out: the handle of the created, open database
};

struct SyncRecord {
    SyncDatabase database;
    uint32_t record_id;  // 24-bit unique id; 0 in a write asks for a new record
    uint16_t index;
    uint8_t attributes;  // kSyncRec* bits
    int16_t category;
    uint8_t* buffer;
    uint32_t buffer_size;  // room in buffer (reads)
    uint32_t record_size;  // bytes of the record (reads: out; writes: in)
};

int32_t KV_SYNC_CALL SyncRegister(SyncConduitHandle* handle);
int32_t KV_SYNC_CALL SyncUnregister(SyncConduitHandle handle);
int32_t KV_SYNC_CALL SyncReadUserIdentity(SyncUserIdentity* user);

int32_t KV_SYNC_CALL SyncOpenDatabase(const char* name, int32_t card, SyncDatabase* database,
                                      uint8_t mode);
int32_t KV_SYNC_CALL SyncCreateDatabase(SyncDatabaseSpec* spec);
int32_t KV_SYNC_CALL SyncCloseDatabase(SyncDatabase database);
int32_t KV_SYNC_CALL SyncGetDBRecordCount(SyncDatabase database, uint16_t* count);

// Reads fill id, index, attributes, category and record_size and copy the
// data into buffer; a record larger than buffer_size is an error.
int32_t KV_SYNC_CALL SyncReadRecordByIndex(SyncRecord* record);
int32_t KV_SYNC_CALL SyncReadRecordById(SyncRecord* record);
// Writes record_size bytes from buffer: a new record when record_id is 0 (its
// id is returned in record_id), else the record with that id, in its place.
int32_t KV_SYNC_CALL SyncWriteRecord(SyncRecord* record);
// Deletes the record with record->record_id at once; later records move
// down one index.
int32_t KV_SYNC_CALL SyncDeleteRecord(SyncRecord* record);
int32_t KV_SYNC_CALL SyncDeleteAllRecords(SyncDatabase database);
int32_t KV_SYNC_CALL SyncWriteAppInfoBlock(SyncDatabase database, const uint8_t* block,
                                           uint16_t size);
// After a read-back, called in this order: remove the records marked deleted
// or archived; clear the dirty mark of every record.
int32_t KV_SYNC_CALL SyncPurgeMarkedRecords(SyncDatabase database);
int32_t KV_SYNC_CALL SyncClearDirtyMarks(SyncDatabase database);

uint16_t KV_SYNC_CALL SyncHostToHHWord(uint16_t value);
uint32_t KV_SYNC_CALL SyncHostToHHDWord(uint32_t value);
uint16_t KV_SYNC_CALL SyncHHToHostWord(uint16_t value);
uint32_t KV_SYNC_CALL SyncHHToHostDWord(uint32_t value);

}  // extern "C"
