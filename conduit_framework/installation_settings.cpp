#include "conduit_framework/installation_settings.h"

#include <cstdio>
#include <cstring>

#include "conduit_framework/practice_utilities.h"
#include "platform/bounded_text.h"
#include "platform/os.h"

namespace kv::conduit {
namespace {

// The registry value name into buffer; empty when the key or the value is
// missing or the value does not fit.
void ReadRegistryValue(const char* name, char* buffer, size_t size) {
    buffer[0] = '\0';
    os::RegistryKey key = os::OpenCurrentUserKey(kInstallationKey);
    if (!key) return;
    if (!os::QueryRegistryValue(key, name, buffer, static_cast<uint32_t>(size))) buffer[0] = '\0';
    os::CloseRegistryKey(key);
    // A stored value need not carry its terminator; never read past the buffer.
    buffer[BoundedLength(buffer, size - 1)] = '\0';
}

}  // namespace

size_t ReadDataDirectory(char* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    ReadRegistryValue(kDataDirectoryValue, buffer, size);
    if (buffer[0] == '\0') {
        Utilities().GetPrivateProfileString(kInstallationSection, kDataDirectoryValue, "", buffer,
                                            static_cast<int>(size), kInstallationIniFile);
    }
    buffer[BoundedLength(buffer, size - 1)] = '\0';
    return BoundedLength(buffer, size);
}

size_t ReadExeDirectory(char* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    ReadRegistryValue(kExeDirectoryValue, buffer, size);
    if (buffer[0] == '\0') {
        os::GetProfileString(kInstallationSection, kExeDirectoryValue, "", buffer,
                             static_cast<uint32_t>(size), kInstallationIniFile);
    }
    buffer[BoundedLength(buffer, size - 1)] = '\0';
    return BoundedLength(buffer, size);
}

std::string ReadDataVersion() {
    char directory[kVersionDataDirectorySize] = {};
    ReadDataDirectory(directory, sizeof directory);
    const std::string file = std::string(directory) + kDataVersionFile;
    char version[kDataVersionSize] = {};
    Utilities().GetPrivateProfileString(kInstallationSection, kDataVersionKey, "", version,
                                        static_cast<int>(sizeof version), file.c_str());
    return FieldText(version, sizeof version);
}

std::string RequiredDataVersion() {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d", kDataVersionMajor, kDataVersionMinor);
    return text;
}

bool DataVersionMatches(const std::string& version) {
    return version == RequiredDataVersion();
}

}  // namespace kv::conduit
