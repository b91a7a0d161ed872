// The edits a handheld application makes to a database, with the record
// attributes Palm OS sets for them, done on a database in memory:
//
//   add      a new record at the end, a fresh unique id, dirty
//   change   new data for a record, dirty
//   delete   delete flag and dirty, the data dropped
//   archive  delete flag and dirty, the data kept for the desktop
//
// A record that carries the delete flag (deleted or archived) is gone for the
// handheld user and takes no further edit. Every edit counts as one
// modification of the database. Each function returns false with a message
// and leaves the database as it was when the edit is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulation/handheld/pdb_file.h"

namespace kv::handheld_tool {

// Limits of the device.
constexpr size_t kMaxRecords = handheld::kPdbMaxRecords;
constexpr size_t kMaxRecordSize = 65505;
constexpr uint8_t kMaxCategory = 15;

// A record named by its index or by its unique id.
struct RecordSelector {
    bool by_id = false;
    uint32_t value = 0;
};

bool FindRecord(const handheld::PdbDatabase& db, const RecordSelector& which, size_t* index,
                std::string* error);

// True when the record at index exists and carries no delete flag, so that a
// handheld user can still change, delete or archive it.
bool CheckEditable(const handheld::PdbDatabase& db, size_t index, std::string* error);

// The unique id for a new record: the seed's value when it is non-zero and
// no record has it, else the next such value (24 bits, wrapping past zero).
// The seed moves on past the id taken.
uint32_t TakeUniqueId(handheld::PdbDatabase* db);

bool AddRecord(handheld::PdbDatabase* db, std::vector<uint8_t> data, uint8_t category,
               size_t* index, std::string* error);
// A category, when given, files the record anew.
bool ChangeRecord(handheld::PdbDatabase* db, size_t index, std::vector<uint8_t> data,
                  std::optional<uint8_t> category, std::string* error);
bool DeleteRecord(handheld::PdbDatabase* db, size_t index, std::string* error);
bool ArchiveRecord(handheld::PdbDatabase* db, size_t index, std::string* error);

// The state words of a record: "deleted" (delete flag, no data) or
// "archived" (delete flag, data kept), "dirty", "busy", "secret".
std::vector<std::string> AttributeWords(const handheld::PdbRecord& record);

}  // namespace kv::handheld_tool
