#include "emulation/practice/installation.h"

#include "platform/os.h"

namespace kv::practice {

std::string InstalledDataDirectory() {
    char buffer[260] = {};
    if (os::RegistryKey key = os::OpenCurrentUserKey(kPracticeRegistryKey)) {
        bool found = os::QueryRegistryValue(key, "path", buffer, sizeof buffer);
        os::CloseRegistryKey(key);
        if (found && buffer[0] != '\0') return buffer;
    }
    os::GetProfileString("GENERAL", "path", "", buffer, sizeof buffer, kPracticeProfileFile);
    return buffer;
}

std::string NativeDirectory(const std::string& directory) {
    std::string path = os::NativePath(directory);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path + "/";
}

}  // namespace kv::practice
