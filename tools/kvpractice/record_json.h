// Practice records as JSON, by the catalog's named fields.
//
// A record is an object of named fields ({"id": "DR01", "kind": 1, ...}) or
// {"raw": "<hex>"} for its bytes; both may be given, the fields then overlay
// the raw bytes. A document maps file numbers to arrays of records:
// {"18": [record, ...], "6": [...]}.
//
// Field forms: integers as numbers; dates as "YYYY-MM-DD" ("" or 0 = no date);
// times as "HH:MM" or "HH:MM:SS"; ids as texts of up to 4 characters; texts
// as strings that must fit the field with its terminator; bytes as hex; a
// one-byte kind as a number or a one-character text; the holiday table as a
// list of "MM-DD".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulation/practice/catalog.h"
#include "emulation/practice/practice_store.h"

namespace kv::tools {

// The bytes of a record of file from its JSON form; false with a message that
// names the field at fault.
bool RecordFromJson(const practice::FileDef& file, const nlohmann::json& record,
                    std::vector<uint8_t>* bytes, std::string* error);

// The JSON form of a record: every named field, and "raw" when asked for.
nlohmann::json RecordToJson(const practice::FileDef& file, const std::vector<uint8_t>& bytes,
                            bool with_raw);

// Adds every record of a document to the store in one transaction: all of
// them or, on the first bad record, none (the message names the file, the
// record's index and the field). count receives the number of records added.
bool ImportDocument(practice::PracticeStore& store, const nlohmann::json& document, size_t* count,
                    std::string* error);

}  // namespace kv::tools
