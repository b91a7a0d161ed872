// The practice installation as the conduits find it on their own: the data
// directory ("path") and the executables directory ("ExePath"), each from the
// current user's registry key of the practice, else from section GENERAL of
// KALVORA.INI; and the data version in KVRDATA.INF of the data directory,
// which must read exactly as the version the conduits are built for.
//
// The conduits only read these settings; they never write the registry or
// the initialisation files.
#pragma once

#include <cstddef>
#include <string>

namespace kv::conduit {

// Buffer sizes of the settings, terminator included.
constexpr size_t kDataDirectorySize = 260;         // for the database initialisation
constexpr size_t kVersionDataDirectorySize = 259;  // for the data-version file
constexpr size_t kExeDirectorySize = 260;
constexpr size_t kDataVersionSize = 260;

// The practice's registry key (current user) and its fallback file.
constexpr const char* kInstallationKey = "Software\\Kalvora Dental Systems, Inc.\\KALVORA\\GENERAL";
constexpr const char* kInstallationIniFile = "KALVORA.INI";
constexpr const char* kInstallationSection = "GENERAL";
constexpr const char* kDataDirectoryValue = "path";
constexpr const char* kExeDirectoryValue = "ExePath";

// The data-version file in the data directory, and the version required.
constexpr const char* kDataVersionFile = "KVRDATA.INF";
constexpr const char* kDataVersionKey = "Data_Version";
constexpr int kDataVersionMajor = 11;
constexpr int kDataVersionMinor = 1;

// Reads the data directory into buffer (size bytes with the terminator): the
// registry value "path"; when that is missing, empty or does not fit, "path"
// of KALVORA.INI through the practice utility library. Returns the length
// placed in the buffer, 0 when nothing was found (the buffer is then empty).
size_t ReadDataDirectory(char* buffer, size_t size);

// Reads the executables directory the same way, with the operating system's
// own initialisation-file reader for the fallback (it runs before the
// practice utility library is bound).
size_t ReadExeDirectory(char* buffer, size_t size);

// Reads "Data_Version" of section GENERAL of KVRDATA.INF: the file name is
// the data directory with "KVRDATA.INF" appended directly (the directory is
// expected to end with a backslash). An absent file or key gives "".
std::string ReadDataVersion();

// The version the conduits require: "%d.%d" of 11 and 1.
std::string RequiredDataVersion();

// True when version equals the required version byte for byte.
bool DataVersionMatches(const std::string& version);

}  // namespace kv::conduit
