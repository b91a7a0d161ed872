// handheld list DIR: one line a database file.
#include <filesystem>

#include "emulation/handheld/pdb_file.h"
#include "tools/handheld/commands.h"
#include "tools/handheld/handheld_dir.h"

namespace kv::handheld_tool {

int ListDatabases(const std::string& dir, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    std::string error;
    if (!DatabaseFiles(dir, &files, &error)) {
        err << "handheld: " << error << "\n";
        return kExitError;
    }
    int status = kExitOk;
    for (const std::string& path : files) {
        handheld::PdbDatabase db;
        if (handheld::ReadPdbFile(path, &db, &error)) {
            out << DatabaseSummary(db) << "\n";
        } else {
            out << std::filesystem::path(path).filename().string()
                << "  corrupt: " << ReadFault(error, path) << "\n";
            status = kExitDamaged;
        }
    }
    return status;
}

}  // namespace kv::handheld_tool
