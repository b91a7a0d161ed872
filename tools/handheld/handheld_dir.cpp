#include "tools/handheld/handheld_dir.h"

#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <system_error>

namespace kv::handheld_tool {

namespace fs = std::filesystem;

namespace {

std::string CodeText(uint32_t code) {
    std::string text = handheld::FourCharText(code);
    for (char& c : text)
        if (c < 0x20 || c > 0x7E) c = '?';
    return text;
}

}  // namespace

bool DatabaseFiles(const std::string& dir, std::vector<std::string>* paths, std::string* error) {
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        *error = dir + ": not a readable directory (" + ec.message() + ")";
        return false;
    }
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : it) {
        if (entry.path().extension() == ".pdb" && entry.is_regular_file(ec))
            found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    *paths = std::move(found);
    return true;
}

bool FindDatabaseFile(const std::string& dir, const std::string& name, std::string* path,
                      std::string* error) {
    std::string direct = (fs::path(dir) / (name + ".pdb")).string();
    std::error_code ec;
    if (fs::is_regular_file(direct, ec)) {
        *path = direct;
        return true;
    }
    std::vector<std::string> files;
    if (!DatabaseFiles(dir, &files, error)) return false;
    for (const std::string& file : files) {
        handheld::PdbDatabase db;
        std::string ignored;
        if (handheld::ReadPdbFile(file, &db, &ignored) && db.name == name) {
            *path = file;
            return true;
        }
    }
    *error = "no database " + name + " in " + dir;
    return false;
}

std::string DatabaseSummary(const handheld::PdbDatabase& db) {
    std::ostringstream line;
    line << std::left << std::setw(static_cast<int>(handheld::kPdbNameSize - 1)) << db.name
         << "  creator " << CodeText(db.creator) << "  type " << CodeText(db.type) << "  "
         << db.records.size() << (db.records.size() == 1 ? " record" : " records");
    return line.str();
}

std::string ReadFault(const std::string& error, const std::string& path) {
    std::string prefix = path + ": ";
    return error.compare(0, prefix.size(), prefix) == 0 ? error.substr(prefix.size()) : error;
}

}  // namespace kv::handheld_tool
