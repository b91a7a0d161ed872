// The practice settings store: an INI-style text file in the practice data
// directory (kSettingsFileName), with sections and keys as the practice names
// them. Integers are stored as decimal text. A missing key yields the caller's
// default. Every change rewrites the file whole and atomically (a temporary
// file renamed over the old one), readable by its owner only.
//
// Keys and values are stored as given, except that characters the line format
// cannot hold ('%', '=', '[', ']', ';', '#', line ends, surrounding blanks)
// are written as %XX and read back.
#pragma once

#include <optional>
#include <string>

namespace kv::practice {

constexpr const char* kSettingsFileName = "KVSETTINGS.INI";

class SettingsStore {
  public:
    // The store of a data directory (a native or Windows-style path).
    explicit SettingsStore(const std::string& data_directory);

    std::optional<std::string> GetString(const std::string& section, const std::string& key) const;
    // The integer value of a key; the default when the key is absent. A value
    // that is not a number reads as its leading digits, as atoi does.
    int GetInt(const std::string& section, const std::string& key, int default_value) const;

    // Store a value; false when the file cannot be written (the old file then
    // stays as it was).
    bool SetString(const std::string& section, const std::string& key, const std::string& value);
    bool SetInt(const std::string& section, const std::string& key, int value);

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace kv::practice
