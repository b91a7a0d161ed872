// Module loading on Linux. A module name is written the Windows way
// ("C:\...\kvrdb32.dll" or "kvrdb32.dll"); the file loaded is the same name
// with the platform's ".so" suffix. A bare name is looked for in the working
// directory and then along PATH, as Windows searches for a DLL.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/bounded_text.h"
#include "platform/ini_text.h"
#include "platform/os.h"
#include "platform/posix/path_posix.h"

namespace kv::os {
namespace {

thread_local uint32_t g_last_error = 0;

std::string ModuleFileName(const std::string& name) {
    std::string path = posix::SlashPath(name);
    if (path.size() >= 4) {
        std::string suffix = path.substr(path.size() - 4);
        if (EqualsIgnoreCase(suffix, ".dll")) return path.substr(0, path.size() - 4) + ".so";
    }
    return path;
}

std::string SearchPath(const std::string& file) {
    std::string found = posix::FindFileIgnoringCase(file);
    if (!found.empty()) return found;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        found = posix::FindFileIgnoringCase(dir + "/" + file);
        if (!found.empty()) return found;
    }
    return {};
}

}  // namespace

uint32_t LastError() {
    return g_last_error;
}
void SetLastError(uint32_t code) {
    g_last_error = code;
}

ModuleHandle LoadModule(const char* file_name) {
    if (!file_name || !*file_name) {
        SetLastError(kErrorModNotFound);
        return nullptr;
    }
    std::string file = ModuleFileName(file_name);
    std::string resolved =
        posix::HasDirectory(file_name) ? posix::FindFileIgnoringCase(file) : SearchPath(file);
    if (resolved.empty()) {
        SetLastError(kErrorModNotFound);
        return nullptr;
    }
    if (resolved.find('/') == std::string::npos) resolved = "./" + resolved;
    void* handle = ::dlopen(resolved.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        SetLastError(kErrorBadExeFormat);
        return nullptr;
    }
    return handle;
}

void* FindSymbol(ModuleHandle module, const char* name) {
    void* symbol = module && name ? ::dlsym(module, name) : nullptr;
    if (!symbol) SetLastError(kErrorProcNotFound);
    return symbol;
}

void FreeModule(ModuleHandle module) {
    if (module) ::dlclose(module);
}

uint32_t GetWorkingDirectory(char* buffer, uint32_t size) {
    char path[4096];
    if (!::getcwd(path, sizeof path)) {
        SetLastError(kErrorPathNotFound);
        return 0;
    }
    size_t length = std::char_traits<char>::length(path);
    if (!buffer || length + 1 > size) {
        SetLastError(kErrorMoreData);
        return 0;
    }
    return static_cast<uint32_t>(CopyText(buffer, size, path));
}

bool SetWorkingDirectory(const char* path) {
    if (!path || ::chdir(posix::SlashPath(path).c_str()) != 0) {
        SetLastError(errno == ENOENT ? kErrorFileNotFound : kErrorPathNotFound);
        return false;
    }
    return true;
}

}  // namespace kv::os
