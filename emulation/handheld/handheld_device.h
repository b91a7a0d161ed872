// The emulated handheld: a directory standing for the device's storage.
//
//   <dir>/<name>.pdb       one record database, file name = database name
//   <dir>/<name>.pdb.lock  empty; flock()ed while the database is open, so a
//                          second open in this or another process is refused.
//                          Left in place: removing it would race an opener.
//   <dir>/user.txt         line 1: the HotSync user name (trailing blanks and
//                          CR/LF dropped, cut to 63 bytes); further optional
//                          lines "user_id=<n>" and "last_sync_pc=<n>", decimal
//                          or 0x hex; other lines are ignored.
//
// Files written here are owner-only (0600). A database file is only ever
// replaced whole (see WritePdbFile). Results are the Sync Manager's codes
// (platform/sync_manager.h); a failure also fills *error with a message that
// names the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulation/handheld/pdb_file.h"

namespace kv::handheld {

// The environment variable naming the handheld directory.
constexpr const char* kHandheldEnv = "KV_HANDHELD";
constexpr size_t kMaxUserNameLength = 63;

struct HandheldUser {
    std::string name;
    uint32_t user_id = 0;
    uint32_t last_sync_pc = 0;
};

// Exclusive hold on one database name; released when destroyed (or moved
// from), also in a process that forked while holding it.
class DatabaseLock {
  public:
    DatabaseLock() = default;
    ~DatabaseLock() { Release(); }
    DatabaseLock(DatabaseLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    DatabaseLock& operator=(DatabaseLock&& other) noexcept;
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    bool held() const { return fd_ >= 0; }
    void Release();

  private:
    friend class HandheldDevice;
    int fd_ = -1;
};

// 0 when name can be a database of this handheld: a valid .pdb name that is
// also a file name (no '/', not "." or ".."); kSyncErrBadName otherwise.
int32_t CheckDatabaseName(const std::string& name);

class HandheldDevice {
  public:
    explicit HandheldDevice(std::string directory);

    // The handheld named by KV_HANDHELD; false when it is unset or empty.
    static bool FromEnvironment(HandheldDevice* device);

    const std::string& directory() const { return directory_; }
    std::string DatabasePath(const std::string& name) const;
    std::string UserPath() const { return directory_ + "/user.txt"; }

    // kSyncErrNoUser when user.txt is missing or its first line is blank.
    int32_t ReadUser(HandheldUser* user) const;

    bool Exists(const std::string& name) const;
    // The names of the databases present, sorted.
    std::vector<std::string> DatabaseNames() const;

    // Takes the lock of name: kSyncErrAlreadyOpen when someone holds it,
    // kSyncErrGeneral when the lock file cannot be made.
    int32_t Lock(const std::string& name, DatabaseLock* lock, std::string* error) const;
    // kSyncErrNotFound when there is no such file, kSyncErrCorruptDatabase
    // when it does not decode (the file is left as it is).
    int32_t Load(const std::string& name, PdbDatabase* db, std::string* error) const;
    // Replaces the file of name whole with db; kSyncErrWrite on failure.
    int32_t Store(const std::string& name, const PdbDatabase& db, std::string* error) const;

  private:
    std::string directory_;
};

}  // namespace kv::handheld
