// The practice database on Linux: one SQLite file in the practice data
// directory holding every practice file of the catalog as byte records.
//
// A record has a row id, unique in the store and growing in insertion order,
// so that records with equal keys keep the order in which they were added.
// For each key of its file the store keeps the key's sort form (catalog.h)
// beside the row id; navigation is by (sort form, row id).
//
// Files seen through another number (151 is 149's storage) answer from that
// storage. Every operation returns a result and never throws; a store that
// fails to open or is corrupt is refused with a message.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulation/practice/catalog.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kv::practice {

// The file name of the practice database in the data directory.
constexpr const char* kPracticeDatabaseFileName = "KALVORA.KDB";

struct StoredRecord {
    int64_t row_id = 0;
    std::vector<uint8_t> data;
};

class PracticeStore {
  public:
    ~PracticeStore();
    PracticeStore(const PracticeStore&) = delete;
    PracticeStore& operator=(const PracticeStore&) = delete;

    // Creates a new, empty practice database in data_directory (which must
    // exist), readable by its owner only. Fails when one is already there.
    static std::unique_ptr<PracticeStore> Create(const std::string& data_directory,
                                                 std::string* error);

    // Opens the practice database of data_directory; nullptr with a message
    // when it is missing, not a practice database, or corrupt.
    static std::unique_ptr<PracticeStore> Open(const std::string& data_directory,
                                               std::string* error);

    // The path of the database file for a data directory (with or without a
    // trailing separator, either slash).
    static std::string PathFor(const std::string& data_directory);

    // Adds a record to file's storage; its keys are taken from data. A
    // variable-length record may be of any length up to kMaxVarRecordLength, a
    // fixed one is cut or zero-padded to the file's record length.
    bool Add(int file, const std::vector<uint8_t>& data, int64_t* row_id);

    // Replaces the record row_id of file's storage and its keys.
    bool Replace(int file, int64_t row_id, const std::vector<uint8_t>& data);

    std::optional<StoredRecord> Get(int file, int64_t row_id);

    // The first record whose key equals the packed key value (Length() bytes).
    std::optional<StoredRecord> Find(int file, int key, const std::string& key_value);
    // The first record whose key is not below the key value.
    std::optional<StoredRecord> GreaterOrEqual(int file, int key, const std::string& key_value);
    // The first record in key order.
    std::optional<StoredRecord> First(int file, int key);
    // The record after `after` (a record of the same storage) in key order.
    std::optional<StoredRecord> Next(int file, int key, const StoredRecord& after);
    // The first record whose packed key begins with prefix, and the next one
    // after `after` with that prefix; in key order.
    std::optional<StoredRecord> FirstWithPrefix(int file, int key, const std::string& prefix);
    std::optional<StoredRecord> NextWithPrefix(int file, int key, const std::string& prefix,
                                               const StoredRecord& after);

    // Every record of file's storage in the order of key (the file's first key
    // when key is 0 or unknown).
    std::vector<StoredRecord> All(int file, int key = 0);
    size_t Count(int file);

    // A transaction around several changes: all of them land or none.
    bool Begin();
    bool Commit();
    void Rollback();

    // Why the last operation failed; every operation clears it first, so a
    // lookup that answers nothing with an empty last_error() found no record.
    const std::string& last_error() const { return last_error_; }

  private:
    struct Statements;

    explicit PracticeStore(sqlite3* db);

    // A cached statement for sql, reset and unbound; nullptr on failure.
    sqlite3_stmt* Prepare(const char* sql);
    bool Fail(const std::string& message);
    bool FailSql(const std::string& doing);
    const FileDef* FileFor(int file);
    const KeyDef* KeyFor(const FileDef& file, int key);
    bool WriteKeys(const FileDef& file, int64_t row_id, const std::vector<uint8_t>& data);
    // The first record of storage in key order after (from, after_row_id)
    // whose sort form begins with range and whose packed key begins with
    // prefix (when not empty).
    std::optional<StoredRecord> Scan(int storage, const KeyDef& key, const std::string& from,
                                     int64_t after_row_id, const std::string& range,
                                     const std::string& prefix);

    sqlite3* db_;
    std::unique_ptr<Statements> statements_;
    std::string last_error_;
};

}  // namespace kv::practice
