#include "emulation/practice/practice_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "emulation/practice/installation.h"
#include "emulation/practice/sqlite_statement.h"

namespace kv::practice {
namespace {

constexpr int kFormat = 1;
// Long enough for another process to finish a synchronisation's write.
constexpr int kBusyTimeoutMs = 10000;

constexpr const char* kSchema =
    "CREATE TABLE kv_practice(format INTEGER NOT NULL);"
    "CREATE TABLE record(row_id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " storage INTEGER NOT NULL, data BLOB NOT NULL);"
    "CREATE INDEX record_by_storage ON record(storage);"
    "CREATE TABLE record_key(storage INTEGER NOT NULL, key_number INTEGER NOT NULL,"
    " sort_form BLOB NOT NULL, row_id INTEGER NOT NULL,"
    " PRIMARY KEY(storage, key_number, sort_form, row_id)) WITHOUT ROWID;"
    "CREATE INDEX record_key_by_row ON record_key(row_id);"
    "INSERT INTO kv_practice(format) VALUES(1);";

// Row ids start at 1, so (from, 0) is just before every record with sort form
// `from`.
constexpr const char* kScanSql =
    "SELECT k.sort_form, r.row_id, r.data FROM record_key k JOIN record r ON r.row_id = k.row_id"
    " WHERE k.storage = ?1 AND k.key_number = ?2 AND (k.sort_form, k.row_id) > (?3, ?4)"
    " ORDER BY k.sort_form, k.row_id";
constexpr const char* kGetSql =
    "SELECT row_id, data FROM record WHERE row_id = ?1 AND storage = ?2";
constexpr const char* kCountSql = "SELECT count(*) FROM record WHERE storage = ?1";
constexpr const char* kInsertSql = "INSERT INTO record(storage, data) VALUES(?1, ?2)";
constexpr const char* kUpdateSql = "UPDATE record SET data = ?1 WHERE row_id = ?2 AND storage = ?3";
constexpr const char* kInsertKeySql =
    "INSERT INTO record_key(storage, key_number, sort_form, row_id) VALUES(?1, ?2, ?3, ?4)";
constexpr const char* kDeleteKeysSql = "DELETE FROM record_key WHERE row_id = ?1";

// Why db is not a practice database of our format, or empty when it is one.
std::string CheckPracticeDatabase(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT format FROM kv_practice", -1, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        int primary = sqlite3_errcode(db) & 0xff;
        std::string message = SqliteMessage(db);
        sqlite3_finalize(stmt);
        if (primary == SQLITE_ERROR) return "not a practice database (" + message + ")";
        return message;
    }
    rc = sqlite3_step(stmt);
    int format = rc == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
    std::string message = rc == SQLITE_ROW || rc == SQLITE_DONE ? "" : SqliteMessage(db);
    sqlite3_finalize(stmt);
    if (!message.empty()) return message;
    if (rc == SQLITE_DONE) return "not a practice database (no format)";
    if (format != kFormat) return "unknown practice database format " + std::to_string(format);
    return {};
}

sqlite3* OpenConnection(const std::string& path, std::string* message) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        *message = SqliteMessage(db);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

// No store, and why.
std::unique_ptr<PracticeStore> Refuse(std::string* error, const std::string& message) {
    if (error) *error = message;
    return nullptr;
}

}  // namespace

struct PracticeStore::Statements {
    std::unordered_map<std::string, sqlite3_stmt*> cache;

    ~Statements() {
        for (auto& entry : cache) sqlite3_finalize(entry.second);
    }
};

PracticeStore::PracticeStore(sqlite3* db) : db_(db), statements_(new Statements) {}

PracticeStore::~PracticeStore() {
    statements_.reset();
    sqlite3_close(db_);
}

std::string PracticeStore::PathFor(const std::string& data_directory) {
    return NativeDirectory(data_directory) + kPracticeDatabaseFileName;
}

std::unique_ptr<PracticeStore> PracticeStore::Create(const std::string& data_directory,
                                                     std::string* error) {
    if (data_directory.empty()) return Refuse(error, "no data directory given");
    const std::string path = PathFor(data_directory);
    // Owner only from the first byte on: the file holds patients' records.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return Refuse(error, path + ": " + std::strerror(errno));
    bool private_mode = ::fchmod(fd, 0600) == 0;
    ::close(fd);

    std::string message = private_mode ? "" : "cannot make the file private";
    sqlite3* db = private_mode ? OpenConnection(path, &message) : nullptr;
    if (db && sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        message = SqliteMessage(db);
        sqlite3_close(db);
        db = nullptr;
    }
    if (!db) {
        ::unlink(path.c_str());
        return Refuse(error, path + ": " + message);
    }
    return std::unique_ptr<PracticeStore>(new PracticeStore(db));
}

std::unique_ptr<PracticeStore> PracticeStore::Open(const std::string& data_directory,
                                                   std::string* error) {
    if (data_directory.empty()) return Refuse(error, "no data directory given");
    const std::string path = PathFor(data_directory);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Refuse(error, path + ": no practice database there");
    std::string message;
    sqlite3* db = OpenConnection(path, &message);
    if (db) message = CheckPracticeDatabase(db);
    if (!message.empty()) {
        sqlite3_close(db);
        return Refuse(error, path + ": " + message);
    }
    return std::unique_ptr<PracticeStore>(new PracticeStore(db));
}

sqlite3_stmt* PracticeStore::Prepare(const char* sql) {
    auto found = statements_->cache.find(sql);
    if (found != statements_->cache.end()) return found->second;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        FailSql("preparing a query");
        sqlite3_finalize(stmt);
        return nullptr;
    }
    statements_->cache.emplace(sql, stmt);
    return stmt;
}

bool PracticeStore::Fail(const std::string& message) {
    last_error_ = message;
    return false;
}

bool PracticeStore::FailSql(const std::string& doing) {
    return Fail(doing + ": " + SqliteMessage(db_));
}

const FileDef* PracticeStore::FileFor(int file) {
    const FileDef* def = FindFile(file);
    if (!def) Fail("no practice file " + std::to_string(file));
    return def;
}

const KeyDef* PracticeStore::KeyFor(const FileDef& file, int key) {
    const KeyDef* def = file.FindKey(key);
    if (!def)
        Fail("practice file " + std::to_string(file.number) + " has no key " + std::to_string(key));
    return def;
}

bool PracticeStore::WriteKeys(const FileDef& file, int64_t row_id,
                              const std::vector<uint8_t>& data) {
    for (const KeyDef& key : file.keys) {
        Query insert(Prepare(kInsertKeySql));
        if (!insert.ok()) return false;
        insert.Int(1, file.storage);
        insert.Int(2, key.number);
        insert.Blob(3, key.SortForm(key.Pack(data.data(), data.size())));
        insert.Int(4, row_id);
        if (insert.Step() != SQLITE_DONE) return FailSql("storing a key");
    }
    return true;
}

namespace {

// The record as the file keeps it, or a message why it cannot.
std::string Shape(const FileDef& file, const std::vector<uint8_t>& data,
                  std::vector<uint8_t>* stored) {
    if (file.variable && data.size() > kMaxVarRecordLength)
        return "a record of " + std::to_string(data.size()) + " bytes is longer than " +
               std::to_string(kMaxVarRecordLength) + ", the longest file " +
               std::to_string(file.number) + " keeps";
    *stored = data;
    if (!file.variable) stored->resize(file.record_length, 0);
    return {};
}

}  // namespace

bool PracticeStore::Add(int file, const std::vector<uint8_t>& data, int64_t* row_id) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    if (!def) return false;
    std::vector<uint8_t> stored;
    std::string refused = Shape(*def, data, &stored);
    if (!refused.empty()) return Fail(refused);

    Change change(db_);
    if (!change.started()) return FailSql("starting a change");
    {
        Query insert(Prepare(kInsertSql));
        if (!insert.ok()) return false;
        insert.Int(1, def->storage);
        insert.Blob(2, stored.data(), stored.size());
        if (insert.Step() != SQLITE_DONE) return FailSql("adding a record");
    }
    int64_t id = sqlite3_last_insert_rowid(db_);
    if (!WriteKeys(*def, id, stored)) return false;
    if (!change.Commit()) return FailSql("committing a record");
    if (row_id) *row_id = id;
    return true;
}

bool PracticeStore::Replace(int file, int64_t row_id, const std::vector<uint8_t>& data) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    if (!def) return false;
    std::vector<uint8_t> stored;
    std::string refused = Shape(*def, data, &stored);
    if (!refused.empty()) return Fail(refused);

    Change change(db_);
    if (!change.started()) return FailSql("starting a change");
    {
        Query update(Prepare(kUpdateSql));
        if (!update.ok()) return false;
        update.Blob(1, stored.data(), stored.size());
        update.Int(2, row_id);
        update.Int(3, def->storage);
        if (update.Step() != SQLITE_DONE) return FailSql("replacing a record");
    }
    if (sqlite3_changes(db_) == 0)
        return Fail("file " + std::to_string(file) + " has no record " + std::to_string(row_id));
    {
        Query erase(Prepare(kDeleteKeysSql));
        if (!erase.ok()) return false;
        erase.Int(1, row_id);
        if (erase.Step() != SQLITE_DONE) return FailSql("replacing keys");
    }
    if (!WriteKeys(*def, row_id, stored)) return false;
    if (!change.Commit()) return FailSql("committing a record");
    return true;
}

std::optional<StoredRecord> PracticeStore::Get(int file, int64_t row_id) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    if (!def) return std::nullopt;
    Query get(Prepare(kGetSql));
    if (!get.ok()) return std::nullopt;
    get.Int(1, row_id);
    get.Int(2, def->storage);
    int rc = get.Step();
    if (rc == SQLITE_ROW) return StoredRecord{get.ColumnInt(0), get.ColumnBytes(1)};
    if (rc != SQLITE_DONE) FailSql("reading a record");
    return std::nullopt;
}

std::optional<StoredRecord> PracticeStore::Scan(int storage, const KeyDef& key,
                                                const std::string& from, int64_t after_row_id,
                                                const std::string& range,
                                                const std::string& prefix) {
    Query scan(Prepare(kScanSql));
    if (!scan.ok()) return std::nullopt;
    scan.Int(1, storage);
    scan.Int(2, key.number);
    scan.Blob(3, from);
    scan.Int(4, after_row_id);
    for (;;) {
        int rc = scan.Step();
        if (rc == SQLITE_DONE) return std::nullopt;
        if (rc != SQLITE_ROW) {
            FailSql("reading in key order");
            return std::nullopt;
        }
        if (scan.ColumnString(0).compare(0, range.size(), range) != 0) return std::nullopt;
        StoredRecord record{scan.ColumnInt(1), scan.ColumnBytes(2)};
        if (prefix.empty() ||
            key.Pack(record.data.data(), record.data.size()).compare(0, prefix.size(), prefix) == 0)
            return record;
    }
}

std::optional<StoredRecord> PracticeStore::Find(int file, int key, const std::string& key_value) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    const KeyDef* k = def ? KeyFor(*def, key) : nullptr;
    if (!k) return std::nullopt;
    if (key_value.size() < k->Length()) {
        Fail("key " + std::to_string(key) + " needs " + std::to_string(k->Length()) + " bytes");
        return std::nullopt;
    }
    std::string sort_form = k->SortForm(key_value.substr(0, k->Length()));
    return Scan(def->storage, *k, sort_form, 0, sort_form, "");
}

std::optional<StoredRecord> PracticeStore::GreaterOrEqual(int file, int key,
                                                          const std::string& key_value) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    const KeyDef* k = def ? KeyFor(*def, key) : nullptr;
    if (!k) return std::nullopt;
    // A short value is a prefix: the first record at or above it.
    return Scan(def->storage, *k, k->SortForm(key_value.substr(0, k->Length())), 0, "", "");
}

std::optional<StoredRecord> PracticeStore::First(int file, int key) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    const KeyDef* k = def ? KeyFor(*def, key) : nullptr;
    if (!k) return std::nullopt;
    return Scan(def->storage, *k, "", 0, "", "");
}

std::optional<StoredRecord> PracticeStore::Next(int file, int key, const StoredRecord& after) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    const KeyDef* k = def ? KeyFor(*def, key) : nullptr;
    if (!k) return std::nullopt;
    std::string from = k->SortForm(k->Pack(after.data.data(), after.data.size()));
    return Scan(def->storage, *k, from, after.row_id, "", "");
}

std::optional<StoredRecord> PracticeStore::FirstWithPrefix(int file, int key,
                                                           const std::string& prefix) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    const KeyDef* k = def ? KeyFor(*def, key) : nullptr;
    if (!k) return std::nullopt;
    std::string packed = prefix.substr(0, k->Length());
    // The sort form covers the whole segments of the prefix; a prefix ending
    // inside an integer segment is checked on the packed key.
    std::string range = k->SortForm(packed);
    std::string rest = k->IsSegmentBoundary(packed.size()) ? "" : packed;
    return Scan(def->storage, *k, range, 0, range, rest);
}

std::optional<StoredRecord> PracticeStore::NextWithPrefix(int file, int key,
                                                          const std::string& prefix,
                                                          const StoredRecord& after) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    const KeyDef* k = def ? KeyFor(*def, key) : nullptr;
    if (!k) return std::nullopt;
    std::string packed = prefix.substr(0, k->Length());
    std::string range = k->SortForm(packed);
    std::string rest = k->IsSegmentBoundary(packed.size()) ? "" : packed;
    std::string from = k->SortForm(k->Pack(after.data.data(), after.data.size()));
    return Scan(def->storage, *k, from, after.row_id, range, rest);
}

std::vector<StoredRecord> PracticeStore::All(int file, int key) {
    std::vector<StoredRecord> records;
    last_error_.clear();
    const FileDef* def = FileFor(file);
    if (!def || def->keys.empty()) return records;
    const KeyDef* k = def->FindKey(key);
    if (!k) k = &def->keys.front();
    for (auto r = First(file, k->number); r; r = Next(file, k->number, records.back()))
        records.push_back(std::move(*r));
    return records;
}

size_t PracticeStore::Count(int file) {
    last_error_.clear();
    const FileDef* def = FileFor(file);
    if (!def) return 0;
    Query count(Prepare(kCountSql));
    if (!count.ok()) return 0;
    count.Int(1, def->storage);
    if (count.Step() != SQLITE_ROW) {
        FailSql("counting records");
        return 0;
    }
    return static_cast<size_t>(count.ColumnInt(0));
}

bool PracticeStore::Begin() {
    last_error_.clear();
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return FailSql("starting a transaction");
    return true;
}

bool PracticeStore::Commit() {
    last_error_.clear();
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return FailSql("committing");
    return true;
}

void PracticeStore::Rollback() {
    last_error_.clear();
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace kv::practice
