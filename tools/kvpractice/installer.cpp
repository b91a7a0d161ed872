#include "tools/kvpractice/installer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "emulation/practice/installation.h"
#include "emulation/practice/practice_store.h"
#include "emulation/practice/settings_store.h"

namespace kv::tools {
namespace fs = std::filesystem;

namespace {

const char* const kPracticeLibraries[] = {"kvrdb32.so", "kvr32sm.so", "kvr32.so"};

bool WriteFile(const std::string& path, const std::string& text, mode_t mode, std::string* error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    if (!ok) *error = "cannot write " + path;
    return ok;
}

}  // namespace

Installation InstallationAt(const std::string& dir) {
    std::error_code ec;
    fs::path absolute = fs::absolute(dir, ec).lexically_normal();
    std::string root = absolute.string();
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return Installation{root};
}

bool HasInstallation(const Installation& inst) {
    return fs::exists(practice::PracticeStore::PathFor(inst.data_dir()));
}

bool CreateInstallation(const Installation& inst, const std::string& library_dir,
                        std::string* error) {
    if (HasInstallation(inst)) {
        *error = inst.root + " already holds a practice installation";
        return false;
    }
    std::error_code ec;
    fs::create_directories(inst.data_dir(), ec);
    fs::create_directories(inst.exe_dir(), ec);
    fs::create_directories(inst.windows_dir(), ec);
    if (ec) {
        *error = "cannot create " + inst.root + ": " + ec.message();
        return false;
    }
    // The data directory holds patient data: its owner alone may enter it.
    fs::permissions(inst.data_dir(), fs::perms::owner_all, ec);

    for (const char* library : kPracticeLibraries) {
        fs::copy_file(fs::path(library_dir) / library, fs::path(inst.exe_dir()) / library,
                      fs::copy_options::overwrite_existing, ec);
        if (ec) {
            *error = "cannot copy " + (fs::path(library_dir) / library).string() + ": " +
                     ec.message() + " (is the build complete?)";
            return false;
        }
    }

    std::string store_error;
    if (!practice::PracticeStore::Create(inst.data_dir(), &store_error)) {
        *error = store_error;
        return false;
    }
    std::string general =
        "[GENERAL]\npath=" + inst.data_dir() + "\nExePath=" + inst.exe_dir() + "\n";
    std::string registry = std::string("[") + practice::kPracticeRegistryKey +
                           "]\npath=" + inst.data_dir() + "\nExePath=" + inst.exe_dir() + "\n";
    if (!WriteFile(inst.data_dir() + practice::kDataVersionFile, "[GENERAL]\nData_Version=11.1\n",
                   0644, error) ||
        !WriteFile(inst.windows_dir() + "/" + practice::kPracticeProfileFile, general, 0644,
                   error) ||
        !WriteFile(inst.registry_file(), registry, 0600, error))
        return false;
    // An empty settings store, so that the file exists with its owner-only mode.
    if (!WriteFile(inst.data_dir() + practice::kSettingsFileName, "", 0600, error)) return false;
    return true;
}

std::string EnvironmentLines(const Installation& inst) {
    return "export KV_REGISTRY=" + inst.registry_file() +
           "\nexport KV_WINDIR=" + inst.windows_dir() + "\n";
}

}  // namespace kv::tools
