// A journal entry as the handheld keeps it in "KvrOJDB": a phone call,
// reminder or other note of the office, owned by a provider.
//
//   offset  size  field
//        0     1  hour
//        1     1  minute
//        2     2  date, handheld date (years from 1904)
//        4     5  provider id: 4 characters and a zero byte
//        9     1  zero
//       10     2  entry type: 0 phone, 1 reminder, other values misc
//       12     4  practice record id, 0 for an entry made on the handheld
//       16     2  flags: 0x1000 a description follows, 0x0800 a note follows
//       18   var  the description, then the note, each zero-terminated,
//                 present as the flags say
//
// All numbers big-endian. Flag bits without a text of their own are kept as
// found. Unpack refuses a record shorter than the fixed part, a text without
// terminator, a flag announcing a text past the end, and bytes after the last
// text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::handheld_tool {

struct JournalRecord {
    static constexpr size_t kFixedSize = 18;
    static constexpr size_t kIdChars = 4;
    static constexpr uint16_t kDescriptionFlag = 0x1000;
    static constexpr uint16_t kNoteFlag = 0x0800;

    uint8_t hour = 0;
    uint8_t minute = 0;
    uint16_t date = 0;  // packed handheld date
    std::string provider;
    uint16_t type = 0;
    uint32_t practice_id = 0;
    uint16_t other_flags = 0;  // bits other than the two text flags
    std::optional<std::string> description;
    std::optional<std::string> note;

    size_t PackedSize() const;
    // The record's bytes; empty only if the encoder broke its own layout.
    std::vector<uint8_t> Pack() const;
    // False with the fault when the bytes are not a journal record.
    static bool Unpack(const uint8_t* data, size_t size, JournalRecord* out, std::string* fault);

    // Named fields: time, date, provider, type, practice_id, description,
    // note (and other_flags when set).
    nlohmann::ordered_json ToJson() const;
    bool Set(const std::string& field, const std::string& value, std::string* error);
    static const std::vector<std::string>& FieldNames();
};

}  // namespace kv::handheld_tool
