// A handheld on disk: a directory holding one .pdb file per database and
// user.txt with the HotSync user name. Files are found by their ".pdb"
// suffix; a database is named by the name in its file's header.
#pragma once

#include <string>
#include <vector>

#include "emulation/handheld/pdb_file.h"

namespace kv::handheld_tool {

// The paths of the directory's .pdb files in name order; false with a
// message when the directory cannot be read.
bool DatabaseFiles(const std::string& dir, std::vector<std::string>* paths, std::string* error);

// The file of database name: dir/name.pdb when it exists (readable or not),
// else the readable .pdb file whose header carries the name. False with a
// message naming the database and directory when there is none.
bool FindDatabaseFile(const std::string& dir, const std::string& name, std::string* path,
                      std::string* error);

// "NAME  creator KVOJ  type DATA  3 records", the line that presents a
// database; unprintable code characters are shown as '?'.
std::string DatabaseSummary(const handheld::PdbDatabase& db);

// The fault of a ReadPdbFile error, without the path it begins with.
std::string ReadFault(const std::string& error, const std::string& path);

}  // namespace kv::handheld_tool
