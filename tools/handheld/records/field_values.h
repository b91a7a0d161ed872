// The small value forms the handheld records share, and how the tool shows
// and reads them:
//
//   dates   packed as ((year - base) << 9) | (month << 5) | day, base 1904 in
//           most records (1900 in the prescription record); shown "YYYY-MM-DD"
//   times   an hour byte and a minute byte; shown "HH:MM"
//   texts   8-bit (Latin-1) characters ended by a zero byte; shown as UTF-8
//   numbers decimal, or hexadecimal after "0x"
//
// The Read* helpers work on a bounded ByteReader and fail instead of reading
// past the record; the Parse* helpers turn a --set value into a field value
// and fail with a message naming what is wrong with the value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/byte_order.h"

namespace kv::handheld_tool {

constexpr int kHandheldDateBase = 1904;
constexpr int kRxDateBase = 1900;

// Dates: the packed 16-bit form of a calendar day, counted from base.
uint16_t PackDate(int year, int month, int day, int base);
// "YYYY-MM-DD" of the packed fields as they are, also when they name no real
// day.
std::string DateText(uint16_t packed, int base);
// A real day from base to base + 127, written "YYYY-MM-DD".
bool ParseDate(const std::string& text, int base, uint16_t* packed, std::string* error);

// Times: "HH:MM" of the two bytes as they are; a parsed time is 00:00..23:59.
std::string TimeText(uint8_t hour, uint8_t minute);
bool ParseTime(const std::string& text, uint8_t* hour, uint8_t* minute, std::string* error);

// An unsigned number of at most max.
bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value, std::string* error);

template <typename T>
bool ParseNumberAs(const std::string& text, T* value, std::string* error) {
    uint64_t v = 0;
    if (!ParseNumber(text, std::numeric_limits<T>::max(), &v, error)) return false;
    *value = static_cast<T>(v);
    return true;
}

// A text given on the command line (UTF-8) as the handheld's 8-bit text, of at
// most max_chars characters; fails when a character has no 8-bit form.
bool ParseText(const std::string& text, size_t max_chars, std::string* out, std::string* error);
constexpr size_t kAnyLength = std::numeric_limits<size_t>::max();

// An optional field set from the command line: an empty value removes it.
bool ParseOptionalText(const std::string& text, size_t max_chars, std::optional<std::string>* out,
                       std::string* error);
bool ParseOptionalDate(const std::string& text, int base, std::optional<uint16_t>* out,
                       std::string* error);
template <typename T>
bool ParseOptionalNumber(const std::string& text, std::optional<T>* out, std::string* error) {
    if (text.empty()) {
        out->reset();
        return true;
    }
    T value{};
    if (!ParseNumberAs(text, &value, error)) return false;
    *out = value;
    return true;
}

// The UTF-8 form of a handheld text, for showing it.
std::string ShowText(const std::string& handheld_text);

// Reads a zero-terminated text; false when no terminator is left in the
// record.
bool ReadText(ByteReader& r, std::string* out);

// Reads a text that a flag announces into *out. Fails with a fault naming the
// text when the record ends before it or before its terminator.
bool ReadFlaggedText(ByteReader& r, uint16_t flag, const char* name,
                     std::optional<std::string>* out, std::string* fault);

// A text field of a fixed width: at most max_chars characters, zero-filled,
// so its last byte is always zero. Read fails when the field is short or its
// text too long (no terminator within max_chars + 1 bytes).
bool ReadFixedText(ByteReader& r, size_t width, size_t max_chars, std::string* out);
void WriteFixedText(ByteWriter& w, const std::string& text, size_t width);

// Writes text and its terminator.
void WriteText(ByteWriter& w, const std::string& text);

// Room a text takes in a record: its characters and the terminator.
inline size_t TextSize(const std::string& text) {
    return text.size() + 1;
}
inline size_t TextSize(const std::optional<std::string>& text) {
    return text ? text->size() + 1 : 0;
}

// Faults every layout shares: a record shorter than its fixed part, bytes
// left after the last field. Both return false.
bool FixedPartShort(size_t size, size_t fixed, std::string* fault);
bool BytesAfterEnd(size_t count, std::string* fault);

// Ends a Pack: the bytes stay only when the writer filled them exactly.
void FinishPack(const ByteWriter& w, std::vector<uint8_t>* data);

// "0x0800": how flags are named in faults.
std::string FlagText(uint16_t flag);

// Bytes as lowercase hex pairs separated by spaces.
std::string HexText(const std::vector<uint8_t>& bytes);

// The fault for a field name that a record does not have, listing the ones
// it has.
bool UnknownField(const std::string& field, const std::vector<std::string>& names,
                  std::string* error);

}  // namespace kv::handheld_tool
