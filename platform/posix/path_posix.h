// Helpers of the POSIX implementation: Windows-style paths on Linux.
#pragma once

#include <string>

namespace kv::os::posix {

// Backslashes become slashes.
std::string SlashPath(const std::string& path);

// The path of an existing file, found without regard to the case of its last
// component (Windows file names ignore case); empty when there is none.
std::string FindFileIgnoringCase(const std::string& path);

// True when the name holds a directory part.
bool HasDirectory(const std::string& name);

}  // namespace kv::os::posix
