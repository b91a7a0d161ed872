// INI-style text as Windows reads profile files: "[section]" lines open a
// section, "key=value" lines inside a section hold values, lines starting with
// ';' or '#' are comments. Section and key names compare without regard to
// case; names and values are trimmed of surrounding blanks and a value's
// enclosing pair of double quotes is removed. Malformed lines (no closing
// bracket, no '=', an empty key, a value before any section) are ignored.
//
// IniText keeps the entries in file order so that a rewrite changes only what
// was set.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kv {

class IniText {
  public:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    // Parses text; never fails (bad lines are skipped).
    static IniText Parse(const std::string& text);

    // The value of key in section, or nothing when either is absent.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;

    // Sets key in section, creating either at the end when absent.
    void Set(const std::string& section, const std::string& key, const std::string& value);

    // Removes key from section; true when it was there.
    bool Remove(const std::string& section, const std::string& key);

    const std::vector<Section>& sections() const { return sections_; }

    // The text form: sections in order, one "key=value" line per entry, "\n"
    // line ends.
    std::string Format() const;

  private:
    Section* FindSection(const std::string& name);
    const Section* FindSection(const std::string& name) const;

    std::vector<Section> sections_;
};

// True when a and b are equal without regard to ASCII case.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace kv
