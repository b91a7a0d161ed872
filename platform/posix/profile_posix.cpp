// Profile files read as GetPrivateProfileString reads them. The Windows
// directory is the directory named by KV_WINDIR.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/bounded_text.h"
#include "platform/ini_text.h"
#include "platform/os.h"
#include "platform/posix/path_posix.h"

namespace kv::os {

std::string WindowsDirectory() {
    const char* dir = std::getenv("KV_WINDIR");
    std::string out = dir && *dir ? posix::SlashPath(dir) : std::string("/var/lib/kalvora/windows");
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

uint32_t GetProfileString(const char* section, const char* key, const char* default_value,
                          char* buffer, uint32_t size, const char* file_name) {
    if (!buffer || size == 0) return 0;
    std::string value = default_value ? default_value : "";
    while (!value.empty() && value.back() == ' ') value.pop_back();

    if (section && key && file_name && *file_name) {
        std::string path = posix::HasDirectory(file_name) ? posix::SlashPath(file_name)
                                                          : WindowsDirectory() + "/" + file_name;
        std::string found = posix::FindFileIgnoringCase(path);
        std::ifstream in(found.empty() ? path : found, std::ios::binary);
        if (in) {
            std::ostringstream text;
            text << in.rdbuf();
            if (auto v = IniText::Parse(text.str()).Get(section, key)) value = *v;
        } else {
            SetLastError(kErrorFileNotFound);
        }
    }
    return static_cast<uint32_t>(CopyText(buffer, size, value));
}

}  // namespace kv::os
