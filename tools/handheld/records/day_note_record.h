// A day note as the handheld keeps it in "KvrDayNotesDB": a free text
// attached to a calendar day.
//
//   offset  size  field
//        0     2  date, handheld date (years from 1904), big-endian
//        2     1  origin: 1 sent by the practice, 0 written on the handheld
//        3   var  the text, zero-terminated, line breaks as line feeds
//
// The record is the text's length plus 4 bytes. Unpack refuses a record
// shorter than the fixed part, a text without terminator and bytes after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::handheld_tool {

struct DayNoteRecord {
    static constexpr size_t kFixedSize = 3;

    uint16_t date = 0;  // packed handheld date
    uint8_t origin = 0;
    std::string text;

    size_t PackedSize() const;
    // The record's bytes; empty only if the encoder broke its own layout.
    std::vector<uint8_t> Pack() const;
    // False with the fault when the bytes are not a day note.
    static bool Unpack(const uint8_t* data, size_t size, DayNoteRecord* out, std::string* fault);

    // Named fields: date, origin, text.
    nlohmann::ordered_json ToJson() const;
    bool Set(const std::string& field, const std::string& value, std::string* error);
    static const std::vector<std::string>& FieldNames();
};

}  // namespace kv::handheld_tool
