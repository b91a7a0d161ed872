#include "emulation/practice/kvr32/display_formats.h"

#include <cstdio>

#include "emulation/practice/practice_date.h"
#include "platform/bounded_text.h"

namespace kv::practice {
namespace {

std::string Bounded(const char* text, size_t max) {
    return text ? std::string(text, BoundedLength(text, max)) : std::string();
}

bool AllDigits(const std::string& text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Trimmed(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    const size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

int DigitsValue(const std::string& text, size_t at, size_t width) {
    int value = 0;
    for (size_t i = at; i < at + width; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

}  // namespace

std::string FormatTime(int hour, int minute, int second) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour % 100, minute % 100, second % 100);
    return text;
}

std::string FormatDisplayDate(int32_t date) {
    const CivilDate civil = CivilFromNumber(date);
    if (civil.year == 0) return "";
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", civil.month, civil.day, civil.year);
    return text;
}

int32_t CompactDateNumber(const char* text) {
    const std::string digits = Bounded(text, kCompactDateLength);
    if (digits.size() != kCompactDateLength || !AllDigits(digits)) return 0;
    return DateNumber(DigitsValue(digits, 0, 4), DigitsValue(digits, 4, 2),
                      DigitsValue(digits, 6, 2));
}

std::string FormatPhone(const char* stored) {
    const std::string digits = Bounded(stored, kMaxStoredNumberLength);
    if (!AllDigits(digits)) return "";
    if (digits.size() == 10)
        return "(" + digits.substr(0, 3) + ") " + digits.substr(3, 3) + "-" + digits.substr(6);
    if (digits.size() == 7) return digits.substr(0, 3) + "-" + digits.substr(3);
    return "";
}

std::string FormatSocialSecurity(const char* stored) {
    const std::string digits = Bounded(stored, kMaxStoredNumberLength);
    if (digits.size() != 9 || !AllDigits(digits)) return "";
    return digits.substr(0, 3) + "-" + digits.substr(3, 2) + "-" + digits.substr(5);
}

std::string PackName(const char* last, const char* first, const char* middle) {
    const std::string last_name = Trimmed(Bounded(last, kMaxNamePartLength));
    const std::string first_name = Trimmed(Bounded(first, kMaxNamePartLength));
    const std::string middle_name = Trimmed(Bounded(middle, kMaxNamePartLength));

    std::string given = first_name;
    if (!given.empty() && !middle_name.empty()) given += " " + middle_name.substr(0, 1);
    if (last_name.empty()) return given;
    if (given.empty()) return last_name;
    return last_name + ", " + given;
}

std::string MessageText(int number) {
    if (number == kWindowFailedMessage)
        return "The requested window could not be opened. Please restart Kalvora and try again.";
    return "Kalvora message " + std::to_string(number);
}

}  // namespace kv::practice
