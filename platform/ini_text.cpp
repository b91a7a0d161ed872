#include "platform/ini_text.h"

#include <cctype>
#include <sstream>

namespace kv {
namespace {

std::string Trim(const std::string& s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(s[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(s[end - 1]))) --end;
    return s.substr(begin, end - begin);
}

std::string Unquote(const std::string& s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

}  // namespace

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

IniText IniText::Parse(const std::string& text) {
    IniText ini;
    Section* current = nullptr;
    std::istringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            if (close == std::string::npos) {
                current = nullptr;  // a broken header: ignore its entries too
                continue;
            }
            std::string name = Trim(line.substr(1, close - 1));
            current = ini.FindSection(name);
            if (!current) {
                ini.sections_.push_back(Section{name, {}});
                current = &ini.sections_.back();
            }
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq));
        if (key.empty()) continue;
        std::string value = Unquote(Trim(line.substr(eq + 1)));
        bool replaced = false;
        for (Entry& e : current->entries) {
            if (EqualsIgnoreCase(e.key, key)) {
                replaced = true;  // Windows answers the first; keep it
                break;
            }
        }
        if (!replaced) current->entries.push_back(Entry{key, value});
    }
    return ini;
}

IniText::Section* IniText::FindSection(const std::string& name) {
    for (Section& s : sections_)
        if (EqualsIgnoreCase(s.name, name)) return &s;
    return nullptr;
}

const IniText::Section* IniText::FindSection(const std::string& name) const {
    for (const Section& s : sections_)
        if (EqualsIgnoreCase(s.name, name)) return &s;
    return nullptr;
}

std::optional<std::string> IniText::Get(const std::string& section, const std::string& key) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    for (const Entry& e : s->entries)
        if (EqualsIgnoreCase(e.key, key)) return e.value;
    return std::nullopt;
}

void IniText::Set(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = FindSection(section);
    if (!s) {
        sections_.push_back(Section{section, {}});
        s = &sections_.back();
    }
    for (Entry& e : s->entries) {
        if (EqualsIgnoreCase(e.key, key)) {
            e.value = value;
            return;
        }
    }
    s->entries.push_back(Entry{key, value});
}

bool IniText::Remove(const std::string& section, const std::string& key) {
    Section* s = FindSection(section);
    if (!s) return false;
    for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
        if (EqualsIgnoreCase(it->key, key)) {
            s->entries.erase(it);
            return true;
        }
    }
    return false;
}

std::string IniText::Format() const {
    std::string out;
    for (const Section& s : sections_) {
        if (!out.empty()) out += "\n";
        out += "[" + s.name + "]\n";
        for (const Entry& e : s.entries) out += e.key + "=" + e.value + "\n";
    }
    return out;
}

}  // namespace kv
