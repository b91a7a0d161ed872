// The texts the practice utility library shows, built as strings; the exports
// copy them into callers' buffers. Each form is fixed so that logs and
// handheld records come out the same on every run:
//
//   time            "HH:MM:SS", 24-hour, two digits each        "07:05:09"
//   date            "MM/DD/YYYY", two-digit month and day       "01/03/2006"
//                   empty for no date (0) or an invalid number
//   compact date    input "YYYYMMDD" (first 8 characters read); an impossible
//                   or short text has no display form (empty)
//   phone           exactly 10 digits stored -> "(555) 123-4567"
//                   exactly 7 digits stored  -> "123-4567"
//                   anything else (blanks, punctuation, other lengths) is not
//                   formatted: empty, and the caller shows the stored text
//   social security exactly 9 digits stored -> "123-45-6789", else not
//                   formatted
//   withheld phone  "Unlisted"
//   packed name     "Last, First M": M is the first character of the middle
//                   name and appears only after a first name; ", First M" is
//                   left out when there is no first name, "Last, " when there
//                   is no last name. Each part is trimmed of surrounding
//                   blanks. The caller cuts the result to its maximum.
//   message 3040    "The requested window could not be opened. Please
//                   restart Kalvora and try again." (one line)
//   other messages  "Kalvora message <n>"
//
// The time, date, phone, social security and withheld texts fit the 20-byte
// buffers of practice_utilities_api.h with their terminator. Inputs are read
// up to the bounds below and never beyond.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv::practice {

// The longest stored phone or social security number looked at.
constexpr size_t kMaxStoredNumberLength = 31;
// The longest name part looked at.
constexpr size_t kMaxNamePartLength = 64;
// Characters of a compact "YYYYMMDD" date.
constexpr size_t kCompactDateLength = 8;

constexpr const char* kWithheldPhoneText = "Unlisted";
// The message shown when a practice window cannot be created.
constexpr int kWindowFailedMessage = 3040;
// What precedes every practice message on the terminal.
constexpr const char* kMessageCaption = "Kalvora Dental Systems";

// "HH:MM:SS"; the parts must be in range (0-23, 0-59, 0-59).
std::string FormatTime(int hour, int minute, int second);

// "MM/DD/YYYY" of a practice date; "" for 0 or an invalid number.
std::string FormatDisplayDate(int32_t date);

// The practice date of a "YYYYMMDD" text (at most kCompactDateLength
// characters read); 0 when it is not a possible date. text may be null.
int32_t CompactDateNumber(const char* text);

// The display forms of stored numbers; "" when the stored text is not
// formatted. stored may be null.
std::string FormatPhone(const char* stored);
std::string FormatSocialSecurity(const char* stored);

// The display name of a patient's name fields; any of them may be null.
std::string PackName(const char* last, const char* first, const char* middle);

// The text of a practice message.
std::string MessageText(int number);

}  // namespace kv::practice
