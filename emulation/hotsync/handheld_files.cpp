#include "emulation/hotsync/handheld_files.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/conduit_exports.h"
#include "platform/ini_text.h"

namespace kv::hotsync {
namespace {

std::string FileIn(const std::string& dir, const char* name) {
    return dir + "/" + name;
}

bool ReadWhole(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    *text = out.str();
    return true;
}

bool EnsureDirectory(const std::string& dir, std::string* error) {
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) return true;
    if (!std::filesystem::create_directories(dir, ec)) {
        *error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
    return true;
}

// Writes text to a temporary file beside path and renames it over path.
bool WriteWhole(const std::string& path, const std::string& text, std::string* error) {
    const std::string temporary = path + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) ok = false;
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
    }
    return ok;
}

}  // namespace

std::string ReadHandheldUser(const std::string& handheld) {
    std::string text;
    if (!ReadWhole(FileIn(handheld, kUserFile), &text)) return {};
    std::string line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool WriteHandheldUser(const std::string& handheld, const std::string& name, std::string* error) {
    if (name.find_first_of("\r\n") != std::string::npos) {
        *error = "a HotSync user name is one line";
        return false;
    }
    if (!EnsureDirectory(handheld, error)) return false;
    const std::string path = FileIn(handheld, kUserFile);
    std::string old;
    std::string rest;
    if (ReadWhole(path, &old)) {
        const size_t end = old.find('\n');
        if (end != std::string::npos) rest = old.substr(end + 1);
    }
    return WriteWhole(path, name + "\n" + rest, error);
}

int32_t KeptSyncAction(const std::string& handheld, const std::string& conduit) {
    std::string text;
    if (!ReadWhole(FileIn(handheld, kSyncActionsFile), &text))
        return kSyncTypeDesktopOverwritesHandheld;
    const auto value = IniText::Parse(text).Get(kSyncActionsSection, conduit);
    if (!value || value->empty()) return kSyncTypeDesktopOverwritesHandheld;
    char* end = nullptr;
    errno = 0;
    const long action = std::strtol(value->c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || action < INT32_MIN || action > INT32_MAX)
        return kSyncTypeDesktopOverwritesHandheld;
    return static_cast<int32_t>(action);
}

bool KeepSyncAction(const std::string& handheld, const std::string& conduit, int32_t action,
                    std::string* error) {
    if (!EnsureDirectory(handheld, error)) return false;
    const std::string path = FileIn(handheld, kSyncActionsFile);
    std::string text;
    ReadWhole(path, &text);
    IniText ini = IniText::Parse(text);
    ini.Set(kSyncActionsSection, conduit, std::to_string(action));
    return WriteWhole(path, ini.Format(), error);
}

std::string SyncActionText(int32_t action) {
    const std::string number = std::to_string(action);
    if (action == kSyncTypeDesktopOverwritesHandheld)
        return number + " (Desktop overwrites Handheld)";
    if (action == kSyncTypeDoNothing) return number + " (Do Nothing)";
    return number;
}

}  // namespace kv::hotsync
