// The state of kvrdb32 behind the numbers its callers hold: the data
// directory, the sessions, their open files and their record sets, and what
// each KDB_ entry point does with them. One process-wide object; every call
// holds its lock, so callers on several threads see one call at a time.
//
// A session owns its own connection to the practice database, its open files
// and sets, and the error number of its last failed call. A file or set handle
// carries the number of its session (handle = session * 32768 + slot, so it is
// positive and non-zero), so that a failure on a handle the session no longer
// knows is still recorded in that session.
//
// The current record of an open file is the last one found, stepped to or
// added through it. A lookup that finds nothing (find, greater or equal, first,
// start of a set) leaves the file without a current record, so that a later
// write cannot land on an earlier record; next at the end keeps it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "emulation/practice/catalog.h"
#include "emulation/practice/practice_store.h"
#include "platform/practice_database_api.h"

// Marks an entry point the module exports; everything else stays hidden.
#define KV_EXPORT __attribute__((visibility("default")))

namespace kv::practice::kdb {

// Error numbers of KDB_GetLastErrorNum besides kKdbErrorNoSuchRecord (101).
constexpr int kErrorNoSuchHandle = 102;     // the handle names no open file or set
constexpr int kErrorNoSuchKey = 103;        // the key number is not a key of the file
constexpr int kErrorNoSuchFile = 104;       // the file number is not a practice file
constexpr int kErrorNullArgument = 105;     // a key value or buffer is missing
constexpr int kErrorNoCurrentRecord = 106;  // a write or read with no record found
constexpr int kErrorRecordTooLong = 107;    // a variable record over 65535 bytes
constexpr int kErrorDatabase = 108;         // the practice database failed
constexpr int kErrorTooManyHandles = 109;   // the session has 32767 files or sets open

// How a lookup by key value compares.
enum class Lookup { kEqual, kGreaterOrEqual };

class OpenHandles {
  public:
    // The process-wide state of the library.
    static OpenHandles& Instance();

    // Every entry point holds this while it runs.
    std::mutex& mutex() { return mutex_; }

    // 1 and remembered when directory holds a practice database, else 0.
    int InitDataBase(const char* directory);
    // A new session on the remembered (else the installed) data directory;
    // 0 when there is none or its database cannot be opened.
    KdbSession StartSession();
    void EndSession(KdbSession session);
    int LastError(KdbSession session) const;

    KdbFile OpenFile(KdbSession session, int file_number);
    void CloseFile(KdbFile file);

    // Lookups copy the record's fixed part (the file's record length) into
    // record and make it current; 0 with an error number when there is none.
    int Find(KdbFile file, int key, const void* key_value, void* record, Lookup how);
    int First(KdbFile file, int key, void* record);
    int Next(KdbFile file, int key, void* record);

    // prefix_length outside 1..key length means the whole key.
    KdbSet StartSet(KdbFile file, int key, const void* key_value, void* record, int prefix_length);
    int NextInSet(KdbSet set, void* record);
    void EndSet(KdbSet set);

    uint16_t CurrentLength(KdbFile file);
    int ReadCurrent(KdbFile file, void* buffer);
    int Write(KdbFile file, const void* record);
    int Add(KdbFile file, const void* record);

  private:
    struct File {
        const FileDef* def = nullptr;
        std::optional<StoredRecord> current;
    };
    struct Set {
        uint16_t file_slot = 0;
        int key = 0;
        std::string prefix;
        StoredRecord position;
    };
    struct Session {
        std::unique_ptr<PracticeStore> store;
        int last_error = 0;
        std::map<uint16_t, File> files;
        std::map<uint16_t, Set> sets;
        uint16_t next_file_slot = 1;
        uint16_t next_set_slot = 1;
    };

    // The session a handle belongs to, if it is open.
    Session* SessionOf(int32_t handle);
    // The open file of a handle; records kErrorNoSuchHandle when there is none.
    File* FileOf(KdbFile file, Session** session);
    // The key of an open file; records kErrorNoSuchKey when it has none.
    const KeyDef* KeyOf(Session& session, const File& file, int key);
    // Makes found the file's current record and copies its fixed part;
    // records why when there is none.
    int Land(Session& session, File& file, std::optional<StoredRecord> found, void* record);
    // The record in a caller's buffer as the file keeps it; records why not.
    std::optional<std::vector<uint8_t>> TakeRecord(Session& session, const File& file,
                                                   const void* buffer);
    int Failed(Session& session, int error);

    std::mutex mutex_;
    std::string data_directory_;
    std::map<KdbSession, Session> sessions_;
    KdbSession next_session_ = 1;
};

}  // namespace kv::practice::kdb
