// The catalog of the practice files the system touches: for each practice file
// number its record length, its keys and its named fields. The practice
// database stand-in (kvrdb32) orders and finds records by these keys, and
// kvpractice imports and exports records by these fields. docs/formats/
// practice-files.md is the same table in prose.
//
// A key is a list of segments of the record (offset, width, kind); its key
// value is the segments' bytes packed one after another, as callers pack them.
// Keys compare segment by segment: integers (little-endian) as numbers, bytes
// as unsigned bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::practice {

enum class SegmentKind { kUnsigned, kSigned, kBytes };

struct KeySegment {
    uint16_t offset;
    uint16_t width;  // 1, 2 or 4 for integers
    SegmentKind kind;
};

struct KeyDef {
    int number;
    std::vector<KeySegment> segments;

    // Length of a packed key value.
    size_t Length() const;
    // The packed key value of a record; bytes past the record's end read as 0.
    std::string Pack(const uint8_t* record, size_t record_length) const;
    // An order-preserving form of a packed key value of Length() bytes:
    // comparing two with memcmp compares the keys segment by segment.
    std::string SortForm(const std::string& packed) const;
    // True when the first n bytes end on a segment boundary.
    bool IsSegmentBoundary(size_t n) const;
};

enum class FieldType {
    kInt,       // little-endian signed integer of width 1, 2 or 4
    kUnsigned,  // little-endian unsigned integer of width 1, 2 or 4
    kChar,      // one byte, given as a one-character text or a number
    kDate,      // practice date (4 bytes), "YYYY-MM-DD"; 0 = no date
    kTime,      // seconds since midnight (4 bytes), "HH:MM[:SS]"
    kId,        // a 4-character id, no terminator needed
    kText,      // zero-terminated text of at most width - 1 characters
    kBytes,     // raw bytes, given in hex
    kHolidays,  // the preferences' holiday table: 100 entries of 4 bytes, "MM-DD"
};

struct FieldDef {
    const char* name;
    uint16_t offset;
    uint16_t width;
    FieldType type;
};

struct FileDef {
    int number;
    int storage;  // files seen through another number share its storage
    const char* name;
    uint16_t record_length;  // what find and next copy; the fixed part of a variable record
    bool variable;           // records of any length; the text at kVarTextOffset
    std::vector<KeyDef> keys;
    std::vector<FieldDef> fields;

    const KeyDef* FindKey(int key_number) const;
    const FieldDef* FindField(const std::string& field_name) const;
};

// Offset of the zero-terminated text in a variable-length record.
constexpr size_t kVarTextOffset = 10;
// The longest variable-length record the store keeps: its length must fit the
// 16-bit answer of KDB_GetVarRecLength.
constexpr size_t kMaxVarRecordLength = 65535;

// Every practice file, ordered by number.
const std::vector<FileDef>& Catalog();

// The file with this number, or nullptr.
const FileDef* FindFile(int number);

}  // namespace kv::practice
