#include "emulation/practice/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "emulation/practice/installation.h"
#include "platform/ini_text.h"

namespace kv::practice {
namespace {

constexpr mode_t kOwnerOnly = 0600;

enum class ReadOutcome { kRead, kMissing, kFailed };

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool NeedsEscape(const std::string& text, size_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7f) return true;  // line ends and other controls
    if (std::strchr("%=[];#\"", c)) return true;
    // Blanks at either end would be trimmed away when the line is read.
    return IsBlank(static_cast<char>(c)) && (i == 0 || i + 1 == text.size());
}

std::string Escape(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (!NeedsEscape(text, i)) {
            out += text[i];
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 0x0f];
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A '%' not followed by two hex digits was written by hand; keep it.
std::string Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

ReadOutcome ReadFile(const std::string& path, std::string* text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadOutcome::kMissing : ReadOutcome::kFailed;
    text->clear();
    char buffer[4096];
    ReadOutcome outcome = ReadOutcome::kRead;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text->append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            outcome = ReadOutcome::kFailed;
            break;
        }
    }
    ::close(fd);
    return outcome;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// The rename is durable only once the directory itself is on disk; a failure
// here leaves the new file in place, so it is not reported.
void SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes text to a temporary file beside path and renames it over path, so
// that readers see the old file or the new one, never a part of either.
bool ReplaceFile(const std::string& path, const std::string& text) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, kOwnerOnly) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncDirectory(DirectoryOf(path));
    return true;
}

}  // namespace

SettingsStore::SettingsStore(const std::string& data_directory)
    : path_(NativeDirectory(data_directory) + kSettingsFileName) {}

std::optional<std::string> SettingsStore::GetString(const std::string& section,
                                                    const std::string& key) const {
    std::string text;
    if (ReadFile(path_, &text) != ReadOutcome::kRead) return std::nullopt;
    std::optional<std::string> value = IniText::Parse(text).Get(Escape(section), Escape(key));
    if (!value) return std::nullopt;
    return Unescape(*value);
}

int SettingsStore::GetInt(const std::string& section, const std::string& key,
                          int default_value) const {
    std::optional<std::string> value = GetString(section, key);
    if (!value) return default_value;
    // As atoi, but an out-of-range number saturates instead of being undefined.
    const long long number = std::strtoll(value->c_str(), nullptr, 10);
    if (number > INT_MAX) return INT_MAX;
    if (number < INT_MIN) return INT_MIN;
    return static_cast<int>(number);
}

bool SettingsStore::SetString(const std::string& section, const std::string& key,
                              const std::string& value) {
    if (key.empty()) return false;  // a line with an empty key is not read back
    std::string text;
    // An unreadable file must not be replaced by one holding only this value.
    if (ReadFile(path_, &text) == ReadOutcome::kFailed) return false;
    IniText ini = IniText::Parse(text);
    ini.Set(Escape(section), Escape(key), Escape(value));
    return ReplaceFile(path_, ini.Format());
}

bool SettingsStore::SetInt(const std::string& section, const std::string& key, int value) {
    return SetString(section, key, std::to_string(value));
}

}  // namespace kv::practice
