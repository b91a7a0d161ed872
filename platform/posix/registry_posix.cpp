// The current user's registry on Linux: the INI-style file named by
// KV_REGISTRY, one section per key path below HKEY_CURRENT_USER, e.g.
//   [Software\Kalvora Dental Systems, Inc.\KALVORA\GENERAL]
//   path=/srv/kalvora/data/
// The file is read when a key is opened; the key keeps its values.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/ini_text.h"
#include "platform/os.h"

namespace kv::os {

struct RegistryKeyData {
    IniText::Section values;
};

namespace {

std::optional<std::string> ReadWholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

RegistryKey OpenCurrentUserKey(const char* subkey) {
    const char* file = std::getenv("KV_REGISTRY");
    std::optional<std::string> text = file ? ReadWholeFile(file) : std::nullopt;
    if (!text || !subkey) {
        SetLastError(kErrorFileNotFound);
        return nullptr;
    }
    IniText ini = IniText::Parse(*text);
    for (const IniText::Section& s : ini.sections()) {
        if (EqualsIgnoreCase(s.name, subkey)) return new RegistryKeyData{s};
    }
    SetLastError(kErrorFileNotFound);
    return nullptr;
}

bool QueryRegistryValue(RegistryKey key, const char* name, char* buffer, uint32_t size) {
    if (!key || !name) {
        SetLastError(kErrorFileNotFound);
        return false;
    }
    for (const IniText::Entry& e : key->values.entries) {
        if (!EqualsIgnoreCase(e.key, name)) continue;
        if (!buffer || e.value.size() + 1 > size) {
            SetLastError(kErrorMoreData);
            return false;
        }
        std::memcpy(buffer, e.value.c_str(), e.value.size() + 1);
        return true;
    }
    SetLastError(kErrorFileNotFound);
    return false;
}

void CloseRegistryKey(RegistryKey key) {
    delete key;
}

}  // namespace kv::os
