#include "emulation/handheld/handheld_device.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/sync_manager.h"

namespace kv::handheld {
namespace {

constexpr const char* kDatabaseSuffix = ".pdb";
constexpr const char* kLockSuffix = ".lock";

std::string TrimRight(std::string text) {
    size_t end = text.find_last_not_of(" \t\r\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

// "key=<n>" with n decimal or 0x hex, fitting 32 bits.
bool ParseNumberLine(const std::string& line, const std::string& key, uint32_t* value) {
    if (line.compare(0, key.size() + 1, key + "=") != 0) return false;
    std::string digits = TrimRight(line.substr(key.size() + 1));
    if (digits.empty()) return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long n = std::strtoull(digits.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || n > UINT32_MAX || digits[0] == '-') return false;
    *value = static_cast<uint32_t>(n);
    return true;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

DatabaseLock& DatabaseLock::operator=(DatabaseLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void DatabaseLock::Release() {
    if (fd_ < 0) return;
    // Unlock explicitly: a forked child may still share the descriptor.
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

int32_t CheckDatabaseName(const std::string& name) {
    if (!PdbNameIsValid(name) || name.find('/') != std::string::npos || name == "." || name == "..")
        return kSyncErrBadName;
    return 0;
}

HandheldDevice::HandheldDevice(std::string directory) : directory_(std::move(directory)) {
    while (directory_.size() > 1 && directory_.back() == '/') directory_.pop_back();
}

bool HandheldDevice::FromEnvironment(HandheldDevice* device) {
    const char* dir = std::getenv(kHandheldEnv);
    if (!dir || !*dir) return false;
    *device = HandheldDevice(dir);
    return true;
}

std::string HandheldDevice::DatabasePath(const std::string& name) const {
    return directory_ + "/" + name + kDatabaseSuffix;
}

int32_t HandheldDevice::ReadUser(HandheldUser* user) const {
    std::ifstream in(UserPath(), std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return kSyncErrNoUser;
    HandheldUser out;
    out.name = TrimRight(line);
    if (out.name.size() > kMaxUserNameLength) out.name.resize(kMaxUserNameLength);
    if (out.name.empty()) return kSyncErrNoUser;
    while (std::getline(in, line)) {
        if (!ParseNumberLine(line, "user_id", &out.user_id))
            ParseNumberLine(line, "last_sync_pc", &out.last_sync_pc);
    }
    *user = std::move(out);
    return 0;
}

bool HandheldDevice::Exists(const std::string& name) const {
    struct stat st;
    return ::stat(DatabasePath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> HandheldDevice::DatabaseNames() const {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory_.c_str());
    if (!dir) return names;
    const std::string suffix = kDatabaseSuffix;
    while (const dirent* entry = ::readdir(dir)) {
        std::string file = entry->d_name;
        if (!EndsWith(file, suffix)) continue;
        std::string name = file.substr(0, file.size() - suffix.size());
        if (CheckDatabaseName(name) == 0 && Exists(name)) names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

int32_t HandheldDevice::Lock(const std::string& name, DatabaseLock* lock,
                             std::string* error) const {
    std::string path = DatabasePath(name) + kLockSuffix;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = path + ": cannot be created (" + std::strerror(errno) + ")";
        return kSyncErrGeneral;
    }
    // A new descriptor conflicts with every other one, in this process too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int saved = errno;
        ::close(fd);
        *error =
            DatabasePath(name) + ": " +
            (saved == EWOULDBLOCK ? std::string("already open")
                                  : std::string("cannot be locked (") + std::strerror(saved) + ")");
        return saved == EWOULDBLOCK ? kSyncErrAlreadyOpen : kSyncErrGeneral;
    }
    lock->Release();
    lock->fd_ = fd;
    return 0;
}

int32_t HandheldDevice::Load(const std::string& name, PdbDatabase* db, std::string* error) const {
    if (!Exists(name)) {
        *error = DatabasePath(name) + ": no such database";
        return kSyncErrNotFound;
    }
    return ReadPdbFile(DatabasePath(name), db, error) ? 0 : kSyncErrCorruptDatabase;
}

int32_t HandheldDevice::Store(const std::string& name, const PdbDatabase& db,
                              std::string* error) const {
    if (CheckDatabaseName(name) != 0) {
        *error = directory_ + ": bad database name \"" + name + "\"";
        return kSyncErrBadName;
    }
    return WritePdbFile(DatabasePath(name), db, error) ? 0 : kSyncErrWrite;
}

}  // namespace kv::handheld
