// One database of the emulated handheld held open: loaded whole into memory
// under the database's lock, edited there with the Sync Manager's rules, and
// written back whole when closed if anything changed. A process that dies
// with it open leaves the file as the last close wrote it.
//
// Record attributes are given and reported as the Sync Manager's bits
// (kSyncRec*); the file keeps the Palm OS flags (see RecordAttributes).
// Unique ids: the header's seed is the next id to try; a new record takes
// the first id from the seed on (24 bits, wrapping, skipping 0) that no
// record holds, and the seed moves past it. New databases start the seed at
// kFirstUniqueId, well away from record indexes.
//
// Results are the Sync Manager's codes (platform/sync_manager.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "emulation/handheld/handheld_device.h"
#include "emulation/handheld/pdb_file.h"

namespace kv::handheld {

constexpr uint32_t kFirstUniqueId = 0x200001;
constexpr uint32_t kMaxRecordSize = 65505;

// The Sync Manager's attribute bits of a record: the delete flag reads as
// deleted (0x80) when no data is left and as archived (0x08) when the data
// is kept; dirty, busy and secret pass through.
uint8_t SyncAttributesOf(const PdbRecord& record);
// The file flags of Sync Manager bits: deleted or archived set the delete
// flag; other bits than these five are dropped.
uint8_t FileFlagsOf(uint8_t sync_attributes);

struct RecordInfo {
    uint32_t id = 0;
    uint16_t index = 0;
    uint8_t attributes = 0;  // kSyncRec* bits
    uint8_t category = 0;
    uint32_t size = 0;
};

// What a new database is made of; the rest of the header is filled in.
struct NewDatabase {
    std::string name;
    uint32_t creator = 0;
    uint32_t type = 0;
    uint16_t attributes = 0;
    uint16_t version = 0;
};

class HandheldDatabase {
  public:
    // Locks and loads name: kSyncErrBadName, kSyncErrAlreadyOpen,
    // kSyncErrNotFound, kSyncErrCorruptDatabase (file untouched).
    static int32_t Open(const HandheldDevice& device, const std::string& name,
                        std::unique_ptr<HandheldDatabase>* out, std::string* error);
    // Locks name and starts an empty database, written at its close:
    // kSyncErrBadName, kSyncErrBadArgument (a resource database),
    // kSyncErrAlreadyOpen, kSyncErrAlreadyExists. now: Palm seconds.
    static int32_t Create(const HandheldDevice& device, const NewDatabase& spec, uint32_t now,
                          std::unique_ptr<HandheldDatabase>* out, std::string* error);

    const PdbDatabase& contents() const { return db_; }
    const std::string& path() const { return path_; }
    bool changed() const { return changed_; }
    uint16_t record_count() const { return static_cast<uint16_t>(db_.records.size()); }

    // kSyncErrRecordNotFound when no record has id.
    int32_t FindIndex(uint32_t id, uint16_t* index) const;
    // Fills *info and copies the data into buffer. kSyncErrRecordNotFound for
    // an index past the end; kSyncErrBufferTooSmall when the data does not
    // fit buffer_size (info filled, buffer untouched).
    int32_t Read(uint16_t index, RecordInfo* info, uint8_t* buffer, uint32_t buffer_size) const;
    // *id 0: appends a new record and returns its id; else replaces the data,
    // attributes and category of that record in its place. *index gets the
    // record's index. kSyncErrBadArgument (category past 15),
    // kSyncErrRecordTooLarge, kSyncErrTooManyRecords, kSyncErrRecordNotFound.
    int32_t Write(uint32_t* id, uint8_t attributes, int category, const uint8_t* data,
                  uint32_t size, uint16_t* index);
    // Removes the record at once; later records move down one index.
    int32_t Delete(uint32_t id);
    void DeleteAll();
    void WriteAppInfo(const uint8_t* block, size_t size);
    // Removes the records marked deleted or archived.
    void PurgeMarked();
    void ClearDirty();

    // Writes the database back if it changed (modification number + 1,
    // modification time now) and releases the lock whatever happens:
    // kSyncErrWrite when the file could not be replaced (it keeps the last
    // close's state).
    int32_t Close(uint32_t now, std::string* error);

  private:
    HandheldDatabase(const HandheldDevice& device, std::string name, DatabaseLock lock,
                     PdbDatabase db);
    uint32_t TakeUniqueId();

    HandheldDevice device_;
    std::string name_;  // the file's name, which the header's may differ from
    std::string path_;
    DatabaseLock lock_;
    PdbDatabase db_;
    std::unordered_set<uint32_t> ids_;
    bool changed_ = false;
};

}  // namespace kv::handheld
