#include "tools/kvpractice/record_json.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "emulation/practice/practice_date.h"
#include "platform/bounded_text.h"
#include "platform/byte_order.h"

namespace kv::tools {
namespace {

using nlohmann::json;
using practice::FieldDef;
using practice::FieldType;
using practice::FileDef;

constexpr size_t kHolidayEntries = 100;
constexpr size_t kHolidayEntrySize = 4;

std::string Hex(const uint8_t* data, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
    }
    return out;
}

bool FromHex(const std::string& text, std::vector<uint8_t>* out) {
    if (text.size() % 2 != 0) return false;
    out->clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        for (size_t j = 0; j < 2; ++j) {
            char c = text[i + j];
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return false;
            value = value * 16 + digit;
        }
        out->push_back(static_cast<uint8_t>(value));
    }
    return true;
}

void StoreInt(uint8_t* at, size_t width, int64_t value) {
    if (width == 1)
        *at = static_cast<uint8_t>(value);
    else if (width == 2)
        StoreLE16(at, static_cast<uint16_t>(value));
    else
        StoreLE32(at, static_cast<uint32_t>(value));
}

int64_t LoadInt(const uint8_t* at, size_t width, bool is_signed) {
    if (width == 1) return is_signed ? static_cast<int8_t>(*at) : *at;
    if (width == 2) return is_signed ? static_cast<int16_t>(LoadLE16(at)) : int64_t{LoadLE16(at)};
    return is_signed ? static_cast<int32_t>(LoadLE32(at)) : int64_t{LoadLE32(at)};
}

bool IntRange(size_t width, bool is_signed, int64_t* low, int64_t* high) {
    if (width != 1 && width != 2 && width != 4) return false;
    int bits = static_cast<int>(width * 8);
    *low = is_signed ? -(int64_t{1} << (bits - 1)) : 0;
    *high = is_signed ? (int64_t{1} << (bits - 1)) - 1 : (int64_t{1} << bits) - 1;
    return true;
}

// Parses "HH:MM" or "HH:MM:SS" to seconds since midnight.
bool ParseTime(const std::string& text, int64_t* seconds) {
    int h = 0, m = 0, s = 0;
    char tail = 0;
    int n = std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &tail);
    if (n == 2) s = 0;
    if ((n != 2 && n != 3) || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return false;
    *seconds = h * 3600 + m * 60 + s;
    return true;
}

// Writes one field's JSON value into the record; the message says what is
// wrong with the value.
bool EncodeField(const FieldDef& f, const json& value, std::vector<uint8_t>* bytes,
                 std::string* error) {
    if (f.type == FieldType::kText && f.width == 0) {  // a variable record's text
        if (!value.is_string()) return *error = "must be a text", false;
        const std::string& text = value.get_ref<const std::string&>();
        if (text.find('\0') != std::string::npos)
            return *error = "a text may not hold a zero byte", false;
        bytes->resize(f.offset);
        bytes->insert(bytes->end(), text.begin(), text.end());
        bytes->push_back(0);
        return true;
    }
    if (size_t{f.offset} + f.width > bytes->size()) bytes->resize(f.offset + f.width);
    uint8_t* at = bytes->data() + f.offset;
    std::memset(at, 0, f.width);
    switch (f.type) {
        case FieldType::kInt:
        case FieldType::kUnsigned:
        case FieldType::kChar: {
            int64_t number;
            if (f.type == FieldType::kChar && value.is_string()) {
                const std::string& text = value.get_ref<const std::string&>();
                if (text.size() != 1) return *error = "must be one character or a number", false;
                number = static_cast<uint8_t>(text[0]);
            } else if (value.is_number_integer()) {
                number = value.get<int64_t>();
            } else {
                return *error = "must be a whole number", false;
            }
            int64_t low = 0, high = 0;
            IntRange(f.width, f.type == FieldType::kInt, &low, &high);
            if (f.type == FieldType::kChar) low = 0, high = 255;
            if (number < low || number > high)
                return *error = "out of range " + std::to_string(low) + ".." + std::to_string(high),
                       false;
            StoreInt(at, f.width, number);
            return true;
        }
        case FieldType::kDate: {
            int64_t date = 0;
            if (value.is_number_integer() && value.get<int64_t>() >= 0 &&
                value.get<int64_t>() <= std::numeric_limits<int32_t>::max()) {
                date = value.get<int64_t>();
            } else if (value.is_string() && value.get_ref<const std::string&>().empty()) {
                date = 0;
            } else if (value.is_string()) {
                auto parsed = practice::ParseIsoDate(value.get_ref<const std::string&>());
                if (!parsed) return *error = "not a date (YYYY-MM-DD)", false;
                date = *parsed;
            } else {
                return *error = "must be a date text (YYYY-MM-DD)", false;
            }
            StoreInt(at, 4, date);
            return true;
        }
        case FieldType::kTime: {
            int64_t seconds = 0;
            if (value.is_number_integer() && value.get<int64_t>() >= 0 &&
                value.get<int64_t>() < 86400) {
                seconds = value.get<int64_t>();
            } else if (!value.is_string() ||
                       !ParseTime(value.get_ref<const std::string&>(), &seconds)) {
                return *error = "not a time (HH:MM or HH:MM:SS)", false;
            }
            StoreInt(at, 4, seconds);
            return true;
        }
        case FieldType::kId:
        case FieldType::kText: {
            if (!value.is_string()) return *error = "must be a text", false;
            const std::string& text = value.get_ref<const std::string&>();
            size_t room = f.type == FieldType::kId ? f.width : f.width - size_t{1};
            if (text.size() > room)
                return *error = "longer than " + std::to_string(room) + " characters", false;
            if (text.find('\0') != std::string::npos)
                return *error = "a text may not hold a zero byte", false;
            std::memcpy(at, text.data(), text.size());
            return true;
        }
        case FieldType::kBytes: {
            std::vector<uint8_t> raw;
            if (!value.is_string() || !FromHex(value.get_ref<const std::string&>(), &raw))
                return *error = "must be hex digits", false;
            if (raw.size() > f.width)
                return *error = "longer than " + std::to_string(f.width) + " bytes", false;
            std::memcpy(at, raw.data(), raw.size());
            return true;
        }
        case FieldType::kHolidays: {
            if (!value.is_array() || value.size() > kHolidayEntries)
                return *error = "must be a list of at most 100 \"MM-DD\" texts", false;
            for (size_t i = 0; i < value.size(); ++i) {
                int month = 0, day = 0;
                char tail = 0;
                if (!value[i].is_string() ||
                    std::sscanf(value[i].get_ref<const std::string&>().c_str(), "%d-%d%c", &month,
                                &day, &tail) != 2 ||
                    practice::DateNumber(2000, month, day) == 0)
                    return *error = "entry " + std::to_string(i) + " is not a day \"MM-DD\"", false;
                at[i * kHolidayEntrySize] = static_cast<uint8_t>(month);
                at[i * kHolidayEntrySize + 1] = static_cast<uint8_t>(day);
            }
            return true;
        }
    }
    return false;
}

json DecodeField(const FieldDef& f, const std::vector<uint8_t>& bytes) {
    if (f.type == FieldType::kText && f.width == 0) {
        if (bytes.size() <= f.offset) return "";
        return FieldText(bytes.data() + f.offset, bytes.size() - f.offset);
    }
    std::vector<uint8_t> field(f.width, 0);
    for (size_t i = 0; i < f.width && f.offset + i < bytes.size(); ++i)
        field[i] = bytes[f.offset + i];
    const uint8_t* at = field.data();
    switch (f.type) {
        case FieldType::kInt:
            return LoadInt(at, f.width, true);
        case FieldType::kUnsigned:
            return LoadInt(at, f.width, false);
        case FieldType::kChar:
            if (*at >= 0x20 && *at < 0x7F) return std::string(1, static_cast<char>(*at));
            return *at;
        case FieldType::kDate: {
            int32_t date = static_cast<int32_t>(LoadLE32(at));
            if (date == 0) return "";
            std::string iso = practice::FormatIsoDate(date);
            return iso.empty() ? json(date) : json(iso);
        }
        case FieldType::kTime: {
            uint32_t s = LoadLE32(at);
            if (s >= 86400) return s;
            char text[16];
            std::snprintf(text, sizeof text, "%02u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
            return text;
        }
        case FieldType::kId:
        case FieldType::kText:
            return FieldText(at, f.width);
        case FieldType::kBytes:
            return Hex(at, f.width);
        case FieldType::kHolidays: {
            json list = json::array();
            for (size_t i = 0; i < kHolidayEntries; ++i) {
                int month = at[i * kHolidayEntrySize], day = at[i * kHolidayEntrySize + 1];
                if (month == 0 && day == 0) continue;
                char text[16];
                std::snprintf(text, sizeof text, "%02d-%02d", month, day);
                list.push_back(text);
            }
            return list;
        }
    }
    return nullptr;
}

}  // namespace

bool RecordFromJson(const FileDef& file, const json& record, std::vector<uint8_t>* bytes,
                    std::string* error) {
    if (!record.is_object()) return *error = "a record must be a JSON object", false;
    bytes->clear();
    if (auto raw = record.find("raw"); raw != record.end()) {
        if (!raw->is_string() || !FromHex(raw->get_ref<const std::string&>(), bytes))
            return *error = "field \"raw\": must be hex digits", false;
        size_t limit = file.variable ? practice::kMaxVarRecordLength : file.record_length;
        if (bytes->size() > limit)
            return *error = "field \"raw\": longer than " + std::to_string(limit) + " bytes", false;
    }
    if (!file.variable && bytes->size() < file.record_length) bytes->resize(file.record_length);
    for (const auto& [name, value] : record.items()) {
        if (name == "raw") continue;
        const FieldDef* field = file.FindField(name);
        if (!field) return *error = "field \"" + name + "\": no such field", false;
        std::string why;
        if (!EncodeField(*field, value, bytes, &why))
            return *error = "field \"" + name + "\": " + why, false;
    }
    // A variable record built from fields holds at least its header and an
    // empty text.
    if (file.variable && record.find("raw") == record.end() &&
        bytes->size() <= practice::kVarTextOffset)
        bytes->resize(practice::kVarTextOffset + 1);
    if (file.variable && bytes->size() > practice::kMaxVarRecordLength)
        return *error =
                   "record longer than " + std::to_string(practice::kMaxVarRecordLength) + " bytes",
               false;
    return true;
}

json RecordToJson(const FileDef& file, const std::vector<uint8_t>& bytes, bool with_raw) {
    json record = json::object();
    for (const FieldDef& f : file.fields) record[f.name] = DecodeField(f, bytes);
    if (with_raw) record["raw"] = Hex(bytes.data(), bytes.size());
    return record;
}

bool ImportDocument(practice::PracticeStore& store, const json& document, size_t* count,
                    std::string* error) {
    *count = 0;
    if (!document.is_object())
        return *error = "the document must be an object of file numbers", false;
    // Check everything before the first write, so that a bad record adds none.
    std::vector<std::pair<int, std::vector<uint8_t>>> records;
    for (const auto& [key, list] : document.items()) {
        char* end = nullptr;
        long number = std::strtol(key.c_str(), &end, 10);
        const FileDef* file = *end == '\0' && !key.empty() ? practice::FindFile(number) : nullptr;
        if (!file) return *error = "\"" + key + "\" is not a practice file number", false;
        if (!list.is_array()) return *error = "file " + key + ": must be a list of records", false;
        for (size_t i = 0; i < list.size(); ++i) {
            std::vector<uint8_t> bytes;
            std::string why;
            if (!RecordFromJson(*file, list[i], &bytes, &why))
                return *error = "file " + key + " (" + file->name + "), record " +
                                std::to_string(i + 1) + ": " + why,
                       false;
            records.emplace_back(file->number, std::move(bytes));
        }
    }
    if (!store.Begin()) return *error = store.last_error(), false;
    for (const auto& [file, bytes] : records) {
        int64_t row_id;
        if (!store.Add(file, bytes, &row_id)) {
            *error = "file " + std::to_string(file) + ": " + store.last_error();
            store.Rollback();
            return false;
        }
    }
    if (!store.Commit()) return *error = store.last_error(), false;
    *count = records.size();
    return true;
}

}  // namespace kv::tools
