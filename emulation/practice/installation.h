// Where the practice installation is, as the practice's own libraries find
// it: the current user's registry key of the practice, value "path" for the
// data directory, with section "GENERAL" of KALVORA.INI (in the Windows
// directory) as the fallback. The stand-ins of the practice libraries use this
// when they are not told the data directory.
#pragma once

#include <string>

namespace kv::practice {

constexpr const char* kPracticeRegistryKey =
    "Software\\Kalvora Dental Systems, Inc.\\KALVORA\\GENERAL";
constexpr const char* kPracticeProfileFile = "KALVORA.INI";
constexpr const char* kDataVersionFile = "KVRDATA.INF";

// The data directory of the installation as stored (usually with a trailing
// separator), or empty when none is configured.
std::string InstalledDataDirectory();

// The data directory as a native path with exactly one trailing '/'.
std::string NativeDirectory(const std::string& directory);

}  // namespace kv::practice
