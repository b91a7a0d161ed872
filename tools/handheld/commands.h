// The three commands of the handheld tool, each writing its report to out and
// its complaints to err and returning the process's exit status:
//
//   0  done
//   1  not done: the message on err says why (nothing was changed)
//   2  list and dump only: done, but a file or a record was damaged; the
//      damage is reported in place and the rest is shown
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/handheld/record_codec.h"
#include "tools/handheld/record_edits.h"

namespace kv::handheld_tool {

constexpr int kExitOk = 0;
constexpr int kExitError = 1;
constexpr int kExitDamaged = 2;

// One line a database: name, creator, type and record count, or the file
// name and the fault of a file that cannot be read.
int ListDatabases(const std::string& dir, std::ostream& out, std::ostream& err);

// Every record of a database with its index, unique id, attribute words,
// category and fields; the app info block when the layout has one. With json
// a JSON array of the records, preceded by an {"app_info": ...} element when
// the database has that block.
int DumpDatabase(const std::string& dir, const std::string& database, bool json, std::ostream& out,
                 std::ostream& err);

enum class EditAction { kNew, kChange, kDelete, kArchive };

struct EditRequest {
    std::string dir;
    std::string database;
    EditAction action = EditAction::kNew;
    std::optional<RecordSelector> which;  // change, delete, archive
    std::vector<FieldAssignment> sets;    // new, change
    std::optional<uint8_t> category;      // new, change
};

// Makes one edit as a handheld user would and writes the database back whole.
// A database that cannot be read, or an edit that is refused, leaves the file
// untouched.
int EditDatabase(const EditRequest& request, std::ostream& out, std::ostream& err);

}  // namespace kv::handheld_tool
