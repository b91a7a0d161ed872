// The Palm database file (.pdb), the standard file form of a handheld record
// database, read and written exactly (docs/formats/pdb.md):
//
//   78-byte header, the record list (8 bytes a record), two zero bytes, the
//   app info block, the sort info block, the records; all numbers big-endian,
//   times in seconds since 1904-01-01.
//
// DecodePdb refuses a corrupt image (a short header, a bad name, a resource
// database, a chained record list, a record list or an offset past the end,
// offsets out of order, a unique id used twice) with a message naming the
// fault, and never reads past the image. EncodePdb refuses a database that
// has no file form (bad name, too many records, category out of range).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::handheld {

constexpr size_t kPdbHeaderSize = 78;
constexpr size_t kPdbRecordEntrySize = 8;
constexpr size_t kPdbNameSize = 32;  // 31 characters and a terminator
constexpr size_t kPdbMaxNameLength = kPdbNameSize - 1;
constexpr size_t kPdbListGap = 2;          // the zero bytes after the record list
constexpr size_t kPdbMaxRecords = 0xFFFF;  // the record count is 16 bits
constexpr uint32_t kPdbUniqueIdMask = 0xFFFFFF;

// Header field offsets.
constexpr size_t kPdbAttributesOffset = 32;
constexpr size_t kPdbAppInfoOffset = 52;
constexpr size_t kPdbSortInfoOffset = 56;
constexpr size_t kPdbNextListOffset = 72;
constexpr size_t kPdbRecordCountOffset = 76;

// Record attribute flags in the file (high nibble); the low nibble is the
// category.
constexpr uint8_t kPdbRecDelete = 0x80;
constexpr uint8_t kPdbRecDirty = 0x40;
constexpr uint8_t kPdbRecBusy = 0x20;
constexpr uint8_t kPdbRecSecret = 0x10;
constexpr uint8_t kPdbFlagsMask = 0xF0;
constexpr uint8_t kPdbCategoryMask = 0x0F;

// Database attribute: a resource database (not supported here).
constexpr uint16_t kPdbAttrResourceDb = 0x0001;

struct PdbRecord {
    uint8_t flags = 0;       // kPdbRec* bits
    uint8_t category = 0;    // 0..15
    uint32_t unique_id = 0;  // 24 bits
    std::vector<uint8_t> data;
};

struct PdbDatabase {
    std::string name;  // 1 to 31 characters
    uint16_t attributes = 0;
    uint16_t version = 0;
    uint32_t creation_time = 0;
    uint32_t modification_time = 0;
    uint32_t backup_time = 0;
    uint32_t modification_number = 0;
    uint32_t type = 0;
    uint32_t creator = 0;
    uint32_t unique_id_seed = 0;
    std::vector<uint8_t> app_info;  // empty: none (offset 0 in the file)
    std::vector<uint8_t> sort_info;
    std::vector<PdbRecord> records;
};

// True when name can stand in the header: 1 to 31 characters, none of them a
// control character.
bool PdbNameIsValid(const std::string& name);

// The unique id a new record takes: the first id from the seed on (24 bits,
// wrapping, never 0) that in_use(id) says is free; the seed then moves to the
// id after it (never 0). A database holds at most kPdbMaxRecords ids, so a
// free one is always found.
template <typename InUse>
uint32_t TakeUniqueId(uint32_t* seed, InUse in_use) {
    auto next = [](uint32_t id) {
        id = (id + 1) & kPdbUniqueIdMask;
        return id == 0 ? 1u : id;
    };
    uint32_t id = *seed & kPdbUniqueIdMask;
    if (id == 0) id = 1;
    while (in_use(id)) id = next(id);
    *seed = next(id);
    return id;
}

// The file image of a database; empty when it has no file form.
std::vector<uint8_t> EncodePdb(const PdbDatabase& db);

// Reads an image; false with the fault in *fault and *db untouched.
bool DecodePdb(const uint8_t* data, size_t size, PdbDatabase* db, std::string* fault);

// Whole files: the error names the file and the fault. A write goes to a
// fresh temporary file beside the target (owner-only, synced) renamed over
// it, so the file holds either the old or the new database.
bool ReadPdbFile(const std::string& path, PdbDatabase* db, std::string* error);
bool WritePdbFile(const std::string& path, const PdbDatabase& db, std::string* error);

// Seconds since 1904-01-01 of a Unix time, and back.
uint32_t PalmTimeFromUnix(int64_t unix_seconds);
int64_t UnixTimeFromPalm(uint32_t palm_seconds);

// A four-character code ('KVAL') as its 32-bit value, first character most
// significant, and back.
uint32_t FourCharCode(const char* code);
std::string FourCharText(uint32_t code);

}  // namespace kv::handheld
