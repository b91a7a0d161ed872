#include "conduit_framework/record_helpers.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "conduit_framework/practice_database.h"
#include "conduit_framework/practice_utilities.h"
#include "conduit_framework/provider_filter.h"
#include "platform/bounded_text.h"
#include "platform/byte_order.h"
#include "platform/movable_memory.h"

namespace kv::conduit {
namespace {

constexpr int kSessionMode = 1;

// Practice file 95, record "-PR-": key 95 is a zero tag, "-PR-" and a 32-bit
// date (0 for the preferences record).
constexpr int kPreferencesFile = 95;
constexpr int kPreferencesKey = 95;
constexpr size_t kPreferencesRecordSize = 640;
constexpr size_t kPreferencesKeySize = 9;
constexpr size_t kWeekDayValueOffset = 15;
constexpr size_t kWeekDayValueStride = 6;
constexpr int16_t kWeekDayClosed = -1;
constexpr size_t kHolidayTableOffset = 161;
static_assert(kHolidayTableOffset + kHolidayTableSize <= kPreferencesRecordSize);

// Practice file 44, notes: a 10-byte header (kind, reserved, owner id, value)
// and the text. Lookups copy the 36-byte fixed part; key 45 is kind, owner id
// and value.
constexpr int kNotesFile = 44;
constexpr int kNotesKey = 45;
constexpr size_t kNoteFixedPartSize = 36;
constexpr size_t kNoteHeaderSize = 10;
constexpr size_t kNoteKeySize = 9;

// ---- Add days ----

// The month after (year, month); month 12 is followed by month 1.
void NextMonth(int16_t* year, int16_t* month) {
    if (++*month > 12) {
        *month = 1;
        ++*year;
    }
}

void PreviousMonth(int16_t* year, int16_t* month) {
    if (--*month < 1) {
        *month = 12;
        --*year;
    }
}

// ---- Practice preferences ----

void ClearPreferences(PracticePreferences* preferences) {
    std::memset(preferences, 0, sizeof *preferences);
}

std::array<uint8_t, kPreferencesKeySize> PreferencesKey() {
    std::array<uint8_t, kPreferencesKeySize> key{};
    std::memcpy(key.data() + 1, "-PR-", 4);  // tag 0, marker, date 0
    return key;
}

void TakePreferences(const uint8_t* record, PracticePreferences* preferences) {
    for (int k = 0; k < kWeekDays; ++k) {
        const auto value = static_cast<int16_t>(
            LoadLE16(record + kWeekDayValueOffset + kWeekDayValueStride * static_cast<size_t>(k)));
        if (value != kWeekDayClosed) preferences->open[k] = 1;
    }
    std::memcpy(preferences->holidays, record + kHolidayTableOffset, kHolidayTableSize);
}

// Monday to Friday open, Sunday and Saturday closed.
void TakeDefaultWeek(PracticePreferences* preferences) {
    for (int k = 1; k <= 5; ++k) preferences->open[k] = 1;
}

// ---- Notes ----

std::array<uint8_t, kNoteKeySize> NoteKey(uint8_t kind, int32_t owner_id) {
    std::array<uint8_t, kNoteKeySize> key{};
    key[0] = kind;
    StoreLE32(key.data() + 1, static_cast<uint32_t>(owner_id));
    return key;  // value 0
}

// Removes every carriage return from text[0..length); the new length.
size_t RemoveCarriageReturns(char* text, size_t length) {
    char* end = std::remove(text, text + length, '\r');
    return static_cast<size_t>(end - text);
}

// Copies text[0..length) into destination, cut to destination_size - 1 and
// terminated; the length copied.
uint16_t DeliverNote(const char* text, size_t length, char* destination, size_t destination_size) {
    if (destination_size == 0) return 0;
    const size_t n = std::min(length, destination_size - 1);
    if (n != 0) std::memcpy(destination, text, n);
    destination[n] = '\0';
    return static_cast<uint16_t>(n);
}

// The text of a note record held in record[0..size), carriage returns
// removed, delivered into destination.
uint16_t DeliverRecordText(uint8_t* record, size_t size, char* destination,
                           size_t destination_size) {
    char* text = reinterpret_cast<char*>(record + kNoteHeaderSize);
    size_t n = BoundedLength(text, size - kNoteHeaderSize);
    n = RemoveCarriageReturns(text, n);
    return DeliverNote(text, n, destination, destination_size);
}

// The note of the current record of file, whose fixed part the lookup left
// in fixed_part: a record of up to 36 bytes is all there, a longer one is
// read whole into a buffer of its own. 0 (destination untouched) when the
// buffer cannot be had or the record cannot be read.
uint16_t DeliverCurrentNote(KdbFile file, uint8_t* fixed_part, char* destination,
                            size_t destination_size) {
    const uint16_t length = Database().GetVarRecLength(file);
    if (length <= kNoteFixedPartSize)
        return DeliverRecordText(fixed_part, kNoteFixedPartSize, destination, destination_size);
    os::MemoryHandle block = os::AllocateMovable(static_cast<size_t>(length) + 1);
    if (!block) return 0;
    auto* record = static_cast<uint8_t*>(os::LockMovable(block));
    uint16_t delivered = 0;
    if (Database().ReadEntireVarRec(file, record))
        delivered = DeliverRecordText(record, length, destination, destination_size);
    os::UnlockMovable(block);
    os::FreeMovable(block);
    return delivered;
}

}  // namespace

// ---- Dates and times ----

uint16_t PackDate(int32_t practice_date) {
    int16_t year = 0, month = 0, day = 0;
    Utilities().DateOut(practice_date, &year, &month, &day);
    // Unsigned arithmetic: a year before 1904 wraps as the 16-bit field does.
    const auto year_field = static_cast<uint32_t>(year - kHandheldDateBaseYear);
    return static_cast<uint16_t>((year_field << 9) | (static_cast<uint32_t>(month) << 5) |
                                 static_cast<uint32_t>(day));
}

int32_t UnpackDate(uint16_t handheld_date) {
    const auto year = static_cast<int16_t>(((handheld_date >> 9) & 0x7F) + kHandheldDateBaseYear);
    const auto month = static_cast<int16_t>((handheld_date >> 5) & 0x0F);
    const auto day = static_cast<int16_t>(handheld_date & 0x1F);
    return Utilities().DateIn(year, month, day);
}

void PackTime(int32_t seconds, uint8_t* hour, uint8_t* minute) {
    const int32_t hours = seconds / 3600;
    *hour = static_cast<uint8_t>(hours);
    *minute = static_cast<uint8_t>((seconds - hours * 3600) / 60);
}

int32_t AddDays(int32_t date, int16_t days) {
    int16_t year = 0, month = 0, day = 0;
    Utilities().DateOut(date, &year, &month, &day);
    day = static_cast<int16_t>(day + days);
    if (days >= 0) {
        for (int16_t length = Utilities().MonthLength(year, month); length > 0 && day > length;
             length = Utilities().MonthLength(year, month)) {
            day = static_cast<int16_t>(day - length);
            NextMonth(&year, &month);
        }
    } else {
        while (day < 1) {
            PreviousMonth(&year, &month);
            const int16_t length = Utilities().MonthLength(year, month);
            if (length <= 0) break;  // no month lengths: no date either
            day = static_cast<int16_t>(day + length);
        }
    }
    return Utilities().DateIn(year, month, day);
}

// ---- Practice preferences ----

void ReadPracticePreferences(PracticePreferences* preferences) {
    ClearPreferences(preferences);
    PracticeDatabase& db = Database();
    const KdbSession session = db.StartSession(kSessionMode);
    if (session == 0) return;
    const KdbFile file = db.OpenFile(session, kPreferencesFile);
    if (file == 0) {
        db.EndSession(session);
        return;
    }
    const auto key = PreferencesKey();
    std::array<uint8_t, kPreferencesRecordSize> record{};
    if (db.FindRec(file, kPreferencesKey, key.data(), record.data()))
        TakePreferences(record.data(), preferences);
    else
        TakeDefaultWeek(preferences);
    db.CloseFile(file);
    db.EndSession(session);
}

// ---- Notes ----

uint16_t ReadNote(int32_t owner_id, KdbSession session, uint8_t kind, char* destination,
                  size_t destination_size) {
    if (destination_size != 0) destination[0] = '\0';
    if (owner_id == 0) return 0;
    PracticeDatabase& db = Database();
    const KdbFile file = db.OpenFile(session, kNotesFile);
    if (file == 0) return 0;
    const auto key = NoteKey(kind, owner_id);
    std::array<uint8_t, kNoteFixedPartSize> fixed_part{};
    uint16_t delivered = 0;
    if (db.FindRec(file, kNotesKey, key.data(), fixed_part.data()))
        delivered = DeliverCurrentNote(file, fixed_part.data(), destination, destination_size);
    db.CloseFile(file);
    return delivered;
}

// ---- Comparisons ----

int CompareIds(const char* a, const char* b) {
    return ProviderFilter::Compare(a, b);
}

int CompareNumbers(int32_t a, int32_t b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace kv::conduit
