// The operating-system services the system and the practice stand-ins use:
// the current user's registry (read only), profile files, module loading,
// the last error code, the working directory. Windows semantics throughout;
// the POSIX implementation plays Windows on Linux (see docs/windows-on-linux.md).
//
// Paths may be written the Windows way: the POSIX implementation reads a
// backslash as a path separator and a module name's ".dll" as the platform's
// ".so".
#pragma once

#include <cstdint>
#include <string>

namespace kv::os {

// Windows error codes that the POSIX implementation reports as last error.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorMoreData = 234;
constexpr uint32_t kErrorModNotFound = 126;
constexpr uint32_t kErrorProcNotFound = 127;
constexpr uint32_t kErrorBadExeFormat = 193;

// ---- Registry (HKEY_CURRENT_USER, read only) ----

struct RegistryKeyData;
using RegistryKey = RegistryKeyData*;

// Opens subkey of the current user's keys for reading; nullptr when it does
// not exist (last error kErrorFileNotFound).
RegistryKey OpenCurrentUserKey(const char* subkey);

// Reads the value name into buffer as stored, with its terminating zero.
// Fails (false, buffer untouched) when the value is absent, or when it does
// not fit in size bytes (last error kErrorMoreData). The type is not checked.
bool QueryRegistryValue(RegistryKey key, const char* name, char* buffer, uint32_t size);

void CloseRegistryKey(RegistryKey key);

// ---- Profile (initialisation) files ----

// GetPrivateProfileString: the value of key in section of file, or the
// default, copied into buffer cut to size - 1 characters and zero-terminated.
// A file name without a directory is looked for in the Windows directory.
// Returns the number of characters copied.
uint32_t GetProfileString(const char* section, const char* key, const char* default_value,
                          char* buffer, uint32_t size, const char* file_name);

// The Windows directory, without a trailing separator.
std::string WindowsDirectory();

// ---- Modules ----

using ModuleHandle = void*;

// Loads a module by path, or by bare name through the search path.
// nullptr on failure, with the reason as last error.
ModuleHandle LoadModule(const char* file_name);

// The address of an exported symbol, or nullptr (last error kErrorProcNotFound).
void* FindSymbol(ModuleHandle module, const char* name);

void FreeModule(ModuleHandle module);

// ---- Errors and the working directory ----

uint32_t LastError();
void SetLastError(uint32_t code);

// Copies the working directory into buffer; returns its length, 0 on failure
// (also when it does not fit).
uint32_t GetWorkingDirectory(char* buffer, uint32_t size);
bool SetWorkingDirectory(const char* path);

// A path as this platform's file functions take it.
std::string NativePath(const std::string& path);

}  // namespace kv::os
