// The HotSync Manager's clock, for the log's time stamps and the start line of
// a printed log. Runs that must repeat exactly pin it with the environment:
// KV_TODAY (YYYY-MM-DD) and KV_NOW (HH:MM:SS), read at every call. A variable
// that is unset or not such a text is ignored and the local clock answers.
#pragma once

#include <string>

namespace kv::hotsync {

// Today as "YYYY-MM-DD".
std::string DateText();

// The time of day as "HH:MM:SS".
std::string TimeText();

// True when text is a date "YYYY-MM-DD" that exists (years 1000-9999).
bool IsDateText(const std::string& text);

// True when text is a time of day "HH:MM:SS" (00:00:00 to 23:59:59).
bool IsTimeText(const std::string& text);

}  // namespace kv::hotsync
