// Small helpers over the SQLite C interface for the practice store: a
// statement in use (bound, stepped, reset on the way out, so that no lock
// outlives a call) and a change that lands whole or not at all.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kv::practice {

// A statement in use: reset on the way out, so that no lock outlives a call.
class Query {
  public:
    explicit Query(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~Query() {
        if (!stmt_) return;
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    void Int(int index, int64_t value) { Check(sqlite3_bind_int64(stmt_, index, value)); }
    void Blob(int index, const void* data, size_t size) {
        // A null pointer would bind NULL rather than an empty blob.
        static const char kEmpty = 0;
        Check(sqlite3_bind_blob64(stmt_, index, size ? data : &kEmpty, size, SQLITE_TRANSIENT));
    }
    void Blob(int index, const std::string& s) { Blob(index, s.data(), s.size()); }
    int Step() { return bind_result_ == SQLITE_OK ? sqlite3_step(stmt_) : bind_result_; }

    int64_t ColumnInt(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string ColumnString(int column) {
        const void* p = sqlite3_column_blob(stmt_, column);
        size_t n = static_cast<size_t>(sqlite3_column_bytes(stmt_, column));
        return p ? std::string(static_cast<const char*>(p), n) : std::string();
    }
    std::vector<uint8_t> ColumnBytes(int column) {
        const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
        size_t n = static_cast<size_t>(sqlite3_column_bytes(stmt_, column));
        return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
    }

  private:
    void Check(int rc) {
        if (bind_result_ == SQLITE_OK) bind_result_ = rc;
    }

    sqlite3_stmt* stmt_;
    int bind_result_ = SQLITE_OK;
};

// All of a change or none of it: a transaction of its own, or a savepoint
// inside the caller's transaction.
class Change {
  public:
    explicit Change(sqlite3* db) : db_(db), nested_(!sqlite3_get_autocommit(db)) {
        started_ = Exec(nested_ ? "SAVEPOINT kv_change" : "BEGIN IMMEDIATE");
    }
    ~Change() {
        if (!started_ || done_) return;
        if (nested_) {
            Exec("ROLLBACK TO kv_change");
            Exec("RELEASE kv_change");
        } else {
            Exec("ROLLBACK");
        }
    }
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

    bool started() const { return started_; }
    bool Commit() {
        done_ = Exec(nested_ ? "RELEASE kv_change" : "COMMIT");
        return done_;
    }

  private:
    bool Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == 0; }

    sqlite3* db_;
    bool nested_;
    bool started_ = false;
    bool done_ = false;
};

inline std::string SqliteMessage(sqlite3* db) {
    return db ? sqlite3_errmsg(db) : "out of memory";
}

}  // namespace kv::practice
