#include "tools/handheld/records/field_values.h"

#include <algorithm>
#include <cstdio>

#include "platform/bounded_text.h"

namespace kv::handheld_tool {
namespace {

constexpr int kYearBits = 0x7F;
constexpr int kMonthBits = 0x0F;
constexpr int kDayBits = 0x1F;

bool IsDigits(const std::string& text, size_t from, size_t count) {
    if (from + count > text.size()) return false;
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

int Digits(const std::string& text, size_t from, size_t count) {
    return std::stoi(text.substr(from, count));
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool Fail(std::string* error, const std::string& what) {
    *error = what;
    return false;
}

}  // namespace

uint16_t PackDate(int year, int month, int day, int base) {
    return static_cast<uint16_t>((((year - base) & kYearBits) << 9) | ((month & kMonthBits) << 5) |
                                 (day & kDayBits));
}

std::string DateText(uint16_t packed, int base) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", ((packed >> 9) & kYearBits) + base,
                  (packed >> 5) & kMonthBits, packed & kDayBits);
    return text;
}

bool ParseDate(const std::string& text, int base, uint16_t* packed, std::string* error) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !IsDigits(text, 0, 4) ||
        !IsDigits(text, 5, 2) || !IsDigits(text, 8, 2))
        return Fail(error, "'" + text + "' is not a date YYYY-MM-DD");
    int year = Digits(text, 0, 4);
    int month = Digits(text, 5, 2);
    int day = Digits(text, 8, 2);
    if (year < base || year > base + kYearBits)
        return Fail(error, "year of '" + text + "' is outside " + std::to_string(base) + ".." +
                               std::to_string(base + kYearBits));
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return Fail(error, "'" + text + "' is not a day of the calendar");
    *packed = PackDate(year, month, day, base);
    return true;
}

std::string TimeText(uint8_t hour, uint8_t minute) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u", static_cast<unsigned>(hour),
                  static_cast<unsigned>(minute));
    return text;
}

bool ParseTime(const std::string& text, uint8_t* hour, uint8_t* minute, std::string* error) {
    size_t colon = text.find(':');
    size_t hour_digits = colon == std::string::npos ? 0 : colon;
    if (hour_digits < 1 || hour_digits > 2 || text.size() != colon + 3 ||
        !IsDigits(text, 0, hour_digits) || !IsDigits(text, colon + 1, 2))
        return Fail(error, "'" + text + "' is not a time HH:MM");
    int h = Digits(text, 0, hour_digits);
    int m = Digits(text, colon + 1, 2);
    if (h > 23 || m > 59) return Fail(error, "'" + text + "' is not a time of day");
    *hour = static_cast<uint8_t>(h);
    *minute = static_cast<uint8_t>(m);
    return true;
}

bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value, std::string* error) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    size_t start = hex ? 2 : 0;
    if (text.size() == start) return Fail(error, "'" + text + "' is not a number");
    uint64_t v = 0;
    for (size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return Fail(error, "'" + text + "' is not a number");
        unsigned radix = hex ? 16 : 10;
        if (v > (max - digit) / radix)
            return Fail(error, "'" + text + "' is larger than " + std::to_string(max));
        v = v * radix + digit;
    }
    *value = v;
    return true;
}

bool ParseText(const std::string& text, size_t max_chars, std::string* out, std::string* error) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            result.push_back(static_cast<char>(c));
            continue;
        }
        // Two-byte UTF-8 sequences reach U+07FF; only U+0080..U+00FF have an
        // 8-bit form.
        if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size() &&
            (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            auto next = static_cast<unsigned char>(text[i + 1]);
            result.push_back(static_cast<char>(((c & 0x03) << 6) | (next & 0x3F)));
            ++i;
            continue;
        }
        return Fail(error, "'" + text + "' holds a character that the handheld cannot store");
    }
    if (result.size() > max_chars)
        return Fail(error,
                    "'" + text + "' is longer than " + std::to_string(max_chars) + " characters");
    *out = std::move(result);
    return true;
}

bool ParseOptionalText(const std::string& text, size_t max_chars, std::optional<std::string>* out,
                       std::string* error) {
    if (text.empty()) {
        out->reset();
        return true;
    }
    std::string value;
    if (!ParseText(text, max_chars, &value, error)) return false;
    *out = std::move(value);
    return true;
}

bool ParseOptionalDate(const std::string& text, int base, std::optional<uint16_t>* out,
                       std::string* error) {
    if (text.empty()) {
        out->reset();
        return true;
    }
    uint16_t value = 0;
    if (!ParseDate(text, base, &value, error)) return false;
    *out = value;
    return true;
}

std::string ShowText(const std::string& handheld_text) {
    std::string out;
    out.reserve(handheld_text.size());
    for (char ch : handheld_text) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

bool ReadText(ByteReader& r, std::string* out) {
    std::string text;
    while (r.remaining() > 0) {
        uint8_t c = r.U8();
        if (c == 0) {
            *out = std::move(text);
            return true;
        }
        text.push_back(static_cast<char>(c));
    }
    return false;
}

bool ReadFlaggedText(ByteReader& r, uint16_t flag, const char* name,
                     std::optional<std::string>* out, std::string* fault) {
    if (r.remaining() == 0) {
        *fault = "flag " + FlagText(flag) + " announces " + name + " past the end of the record";
        return false;
    }
    std::string text;
    if (!ReadText(r, &text)) {
        *fault = std::string(name) + " without terminator";
        return false;
    }
    *out = std::move(text);
    return true;
}

bool ReadFixedText(ByteReader& r, size_t width, size_t max_chars, std::string* out) {
    const uint8_t* field = r.Bytes(width);
    if (!field) return false;
    size_t length = BoundedLength(reinterpret_cast<const char*>(field), width);
    if (length > max_chars || length == width) return false;
    out->assign(reinterpret_cast<const char*>(field), length);
    return true;
}

void WriteFixedText(ByteWriter& w, const std::string& text, size_t width) {
    size_t n = std::min(BoundedLength(text.c_str(), text.size()), width - 1);
    w.Bytes(text.data(), n);
    w.Zeros(width - n);
}

void WriteText(ByteWriter& w, const std::string& text) {
    w.Bytes(text.data(), text.size());
    w.U8(0);
}

bool FixedPartShort(size_t size, size_t fixed, std::string* fault) {
    *fault =
        "fixed part short: " + std::to_string(size) + " of " + std::to_string(fixed) + " bytes";
    return false;
}

bool BytesAfterEnd(size_t count, std::string* fault) {
    *fault = std::to_string(count) + " bytes after the last field";
    return false;
}

void FinishPack(const ByteWriter& w, std::vector<uint8_t>* data) {
    if (!w.ok() || w.position() != data->size()) data->clear();
}

std::string FlagText(uint16_t flag) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(flag));
    return text;
}

std::string HexText(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) out.push_back(' ');
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return out;
}

bool UnknownField(const std::string& field, const std::vector<std::string>& names,
                  std::string* error) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    *error = "no field '" + field + "' (fields: " + list + ")";
    return false;
}

}  // namespace kv::handheld_tool
