#include "platform/posix/path_posix.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/ini_text.h"
#include "platform/os.h"

namespace kv::os::posix {

std::string SlashPath(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool HasDirectory(const std::string& name) {
    return name.find('/') != std::string::npos || name.find('\\') != std::string::npos;
}

std::string FindFileIgnoringCase(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return path;
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    if (dir.empty()) dir = "/";
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (EqualsIgnoreCase(e->d_name, base)) {
            std::string candidate = (slash == std::string::npos ? "" : dir + "/") + e->d_name;
            if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                found = candidate;
                break;
            }
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace kv::os::posix

namespace kv::os {

std::string NativePath(const std::string& path) {
    return posix::SlashPath(path);
}

}  // namespace kv::os
