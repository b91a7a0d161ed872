// Record helpers shared by every conduit: practice dates and times in the
// handheld's packed forms, day arithmetic on practice dates, the practice
// preferences (open weekdays and holidays), the note texts of practice
// records, and the two comparisons that order sorted id lists.
//
// Dates are split and made by the practice utility library (Utilities());
// preferences and notes are read through the practice database library
// (Database()). None of these helpers reports a failure: a database that
// cannot be read gives a neutral answer (no note, every day closed).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/practice_database_api.h"

namespace kv::conduit {

// ---- Dates and times ----

// The handheld date: ((year - 1904) << 9) | (month << 5) | day, 16 bits in
// host order (the caller stores it big-endian). The year field holds 7 bits
// (1904 to 2031), the month 4 and the day 5.
constexpr int kHandheldDateBaseYear = 1904;

// The handheld date of a practice date.
uint16_t PackDate(int32_t practice_date);
// The practice date of a handheld date (0 when the fields make no date).
int32_t UnpackDate(uint16_t handheld_date);
// Hour (0..23) and minute (0..59) of a practice time, seconds since midnight.
void PackTime(int32_t seconds, uint8_t* hour, uint8_t* minute);
// The practice date `days` days after (or before, when negative) date, moving
// across month and year ends with the practice's month lengths.
int32_t AddDays(int32_t date, int16_t days);

// ---- Practice preferences (practice file 95, record "-PR-") ----

constexpr size_t kHolidayTableSize = 400;  // 100 entries: month, day, 2 unused bytes
constexpr size_t kHolidayEntrySize = 4;
constexpr int kWeekDays = 7;

// What a synchronisation keeps of the practice preferences: the holiday table
// as stored, then one flag per weekday k (0 Sunday .. 6 Saturday), 1 = the
// office is open on that weekday, 0 = closed. 428 bytes, cleared together.
struct PracticePreferences {
    uint8_t holidays[kHolidayTableSize];
    int32_t open[kWeekDays];
};
static_assert(sizeof(PracticePreferences) == 428, "holiday table and seven 32-bit flags");

// Clears *preferences (no holidays, every weekday closed), then fills it from
// the "-PR-" record: every weekday whose value is not -1 is open, the holiday
// table is copied. Without a "-PR-" record Monday to Friday are open. When the
// practice database or file 95 cannot be opened, everything stays closed.
void ReadPracticePreferences(PracticePreferences* preferences);

// ---- Notes (practice file 44) ----

// Note kinds the conduits read with ReadNote.
constexpr uint8_t kNoteKindJournal = '1';
constexpr uint8_t kNoteKindAppointment = 2;
constexpr uint8_t kNoteKindPatient = 3;

// Reads the note of `kind` that belongs to the practice record owner_id, in
// the caller's database session (the caller starts and ends it), removes
// every carriage return and copies the text into destination, cut to
// destination_size - 1 characters and zero-terminated. Returns the length of
// the text copied. No note (owner id 0, file 44 not opened, no record, no
// memory for a long note) gives 0 and an empty destination; a
// destination_size of 0 writes nothing.
uint16_t ReadNote(int32_t owner_id, KdbSession session, uint8_t kind, char* destination,
                  size_t destination_size);

// ---- Comparisons for sorted lists ----

// Two practice ids by their first 4 bytes as strings (a zero byte ends the
// comparison): negative, 0 or positive.
int CompareIds(const char* a, const char* b);
// Two signed 32-bit numbers: -1, 0 or 1.
int CompareNumbers(int32_t a, int32_t b);

}  // namespace kv::conduit
