#include "conduit_framework/record_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "conduit_framework/practice_database.h"
#include "conduit_framework/practice_utilities.h"
#include "conduit_framework_parts/parts_fixture.h"
#include "platform/byte_order.h"
#include "platform/movable_memory.h"

namespace kv::conduit {
namespace {

using test::PracticeWorld;

struct Civil {
    int year, month, day;
};

class DateHelpers : public PracticeWorld {};

TEST_F(DateHelpers, PacksTheHandheldDateFieldsAndUnpacksThemBack) {
    struct Case {
        Civil date;
        uint16_t packed;
    };
    const Case cases[] = {
        {{2004, 2, 29}, (100 << 9) | (2 << 5) | 29},  // 0xC85D
        {{1904, 1, 1}, (0 << 9) | (1 << 5) | 1},     {{2031, 12, 31}, (127 << 9) | (12 << 5) | 31},
        {{2006, 1, 1}, (102 << 9) | (1 << 5) | 1},   {{2005, 12, 31}, (101 << 9) | (12 << 5) | 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.date.year) + "-" + std::to_string(c.date.month) + "-" +
                     std::to_string(c.date.day));
        const int32_t date = Date(c.date.year, c.date.month, c.date.day);
        ASSERT_NE(0, date);
        const uint16_t packed = PackDate(date);
        EXPECT_EQ(c.packed, packed);
        EXPECT_EQ(c.date.year - 1904, (packed >> 9) & 0x7F);
        EXPECT_EQ(c.date.month, (packed >> 5) & 0x0F);
        EXPECT_EQ(c.date.day, packed & 0x1F);
        EXPECT_EQ(date, UnpackDate(packed));
    }
}

TEST_F(DateHelpers, UnpacksTheTwentyNinthOfFebruaryOnlyInALeapYear) {
    EXPECT_EQ(Date(2004, 2, 29), UnpackDate(0xC85D));
    // 2005-02-29 is no date: the practice answers 0.
    EXPECT_EQ(0, UnpackDate(static_cast<uint16_t>((101 << 9) | (2 << 5) | 29)));
}

TEST(PackTime, SplitsSecondsIntoHourAndMinute) {
    struct Case {
        int32_t seconds;
        int hour, minute;
    };
    const Case cases[] = {
        {47700, 13, 15}, {47759, 13, 15}, {0, 0, 0},    {59, 0, 0},
        {3599, 0, 59},   {3600, 1, 0},    {3660, 1, 1}, {86399, 23, 59},
    };
    for (const Case& c : cases) {
        uint8_t hour = 0xEE, minute = 0xEE;
        PackTime(c.seconds, &hour, &minute);
        EXPECT_EQ(c.hour, hour) << c.seconds;
        EXPECT_EQ(c.minute, minute) << c.seconds;
    }
}

TEST_F(DateHelpers, AddsDaysAcrossMonthAndYearEndsBothWays) {
    struct Case {
        Civil from;
        int16_t days;
        Civil to;
    };
    const Case cases[] = {
        {{2005, 12, 31}, 1, {2006, 1, 1}},    {{2004, 3, 1}, -1, {2004, 2, 29}},
        {{2006, 1, 15}, -28, {2005, 12, 18}}, {{2005, 3, 1}, -1, {2005, 2, 28}},
        {{2005, 1, 1}, -1, {2004, 12, 31}},   {{2004, 1, 31}, 30, {2004, 3, 1}},
        {{2003, 12, 1}, 90, {2004, 2, 29}},   {{2004, 12, 31}, 366, {2006, 1, 1}},
        {{2006, 1, 1}, -366, {2004, 12, 31}}, {{2006, 3, 1}, -400, {2005, 1, 25}},
        {{2000, 1, 1}, 10000, {2027, 5, 19}}, {{2005, 6, 15}, 0, {2005, 6, 15}},
        {{2005, 6, 30}, 1, {2005, 7, 1}},     {{2005, 7, 1}, -1, {2005, 6, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from.year) + "-" + std::to_string(c.from.month) + "-" +
                     std::to_string(c.from.day) + " + " + std::to_string(c.days));
        EXPECT_EQ(Date(c.to.year, c.to.month, c.to.day),
                  AddDays(Date(c.from.year, c.from.month, c.from.day), c.days));
    }
}

TEST_F(DateHelpers, AddingDaysAgreesWithThePracticeDayNumbers) {
    // Practice dates grow by one a day, so the sum is the answer.
    const int32_t starts[] = {Date(2004, 2, 28), Date(2004, 12, 31), Date(2005, 1, 1),
                              Date(1999, 12, 31), Date(2100, 2, 28)};
    for (int32_t start : starts)
        for (int days = -800; days <= 800; days += 7)
            ASSERT_EQ(start + days, AddDays(start, static_cast<int16_t>(days)))
                << start << " + " << days;
}

TEST(CompareIds, ComparesTheFirstFourBytesUpToAZero) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] =
        {
            {"ABCD", "ABCE", -1},   {"ABCE", "ABCD", 1}, {"ABCD", "ABCD", 0},
            {"ABCDX", "ABCDY", 0},  {"ABC", "ABCD", -1}, {"AB\0Z", "AB\0Y", 0},
            {"\xE0XYZ", "ABCD", 1},  // bytes compare unsigned
        };
    for (const Case& c : cases) {
        const int result = CompareIds(c.a, c.b);
        EXPECT_EQ(c.sign, (result > 0) - (result < 0)) << c.a << " vs " << c.b;
    }
}

TEST(CompareNumbers, AnswersMinusOneZeroOrOneWithoutOverflow) {
    struct Case {
        int32_t a, b;
        int result;
    };
    const Case cases[] = {
        {1, 2, -1},
        {2, 1, 1},
        {7, 7, 0},
        {-1, 1, -1},
        {INT32_MIN, INT32_MAX, -1},
        {INT32_MAX, INT32_MIN, 1},
        {INT32_MIN, INT32_MIN, 0},
        {0x00FFFFFF, 0x01000000, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, CompareNumbers(c.a, c.b)) << c.a << ", " << c.b;
}

// ---- Practice preferences ----

class PracticePreferencesTest : public PracticeWorld {
  protected:
    // The "-PR-" record of practice file 95 with date.
    static std::vector<uint8_t> PreferencesRecord(int32_t date) {
        std::vector<uint8_t> record(640, 0);
        std::memcpy(record.data() + 1, "-PR-", 4);
        StoreLE32(record.data() + 5, static_cast<uint32_t>(date));
        return record;
    }
    static void SetWeekDay(std::vector<uint8_t>* record, int k, int16_t value) {
        StoreLE16(record->data() + 15 + 6 * k, static_cast<uint16_t>(value));
        // The 4 bytes after each value are not the conduits' business.
        std::memset(record->data() + 17 + 6 * k, 0x5A, 4);
    }
    static PracticePreferences Garbage() {
        PracticePreferences p;
        std::memset(&p, 0xA5, sizeof p);
        return p;
    }
};

TEST_F(PracticePreferencesTest, WithoutAPreferencesRecordTheWeekendIsClosed) {
    // A week schedule is not the preferences record.
    std::vector<uint8_t> schedule = PreferencesRecord(Date(2006, 1, 1));
    for (int k = 0; k < 7; ++k) SetWeekDay(&schedule, k, -1);
    AddRecord(95, schedule);

    PracticePreferences p = Garbage();
    ReadPracticePreferences(&p);
    const int32_t expected[7] = {0, 1, 1, 1, 1, 1, 0};
    for (int k = 0; k < 7; ++k) EXPECT_EQ(expected[k], p.open[k]) << "weekday " << k;
    for (uint8_t byte : p.holidays) ASSERT_EQ(0, byte);
}

TEST_F(PracticePreferencesTest, TakesClosedDaysAndTheHolidayTableFromTheRecord) {
    std::vector<uint8_t> record = PreferencesRecord(0);
    const int16_t values[7] = {-1, 0, 8, -1, 1, 2, -1};
    for (int k = 0; k < 7; ++k) SetWeekDay(&record, k, values[k]);
    uint8_t* holidays = record.data() + 161;
    const uint8_t entries[][4] = {{12, 25, 0x11, 0x22}, {1, 1, 0, 0}, {7, 4, 0xFF, 0xFF}};
    for (size_t i = 0; i < 3; ++i) std::memcpy(holidays + 4 * i, entries[i], 4);
    holidays[4 * 99] = 11;  // the last entry of the table
    holidays[4 * 99 + 1] = 11;
    record[160] = 0x77;  // just before the table
    record[561] = 0x77;  // just after it
    AddRecord(95, record);

    PracticePreferences p = Garbage();
    ReadPracticePreferences(&p);
    const int32_t expected[7] = {0, 1, 1, 0, 1, 1, 0};
    for (int k = 0; k < 7; ++k) EXPECT_EQ(expected[k], p.open[k]) << "weekday " << k;
    EXPECT_EQ(0, std::memcmp(p.holidays, record.data() + 161, sizeof p.holidays));
}

TEST_F(PracticePreferencesTest, WithoutAPracticeDatabaseEveryDayIsClosed) {
    std::vector<uint8_t> record = PreferencesRecord(0);
    AddRecord(95, record);
    RemovePracticeDatabase();

    PracticePreferences p = Garbage();
    ReadPracticePreferences(&p);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(0, p.open[k]) << "weekday " << k;
    for (uint8_t byte : p.holidays) ASSERT_EQ(0, byte);
}

// ---- Notes ----

class ReadNoteTest : public PracticeWorld {
  protected:
    void SetUp() override {
        PracticeWorld::SetUp();
        ASSERT_FALSE(HasFatalFailure());
    }
    void TearDown() override { os::FailMovableAllocationAt(0); }

    // Reads in a session of its own, into a destination of size bytes.
    static std::string Read(int32_t owner, uint8_t kind, size_t size, uint16_t* length) {
        PracticeDatabase& db = Database();
        const KdbSession session = db.StartSession(1);
        EXPECT_NE(0, session);
        std::vector<char> destination(size + 1, '\x7F');
        *length = ReadNote(owner, session, kind, destination.data(), size);
        db.EndSession(session);
        EXPECT_EQ('\x7F', destination[size]) << "written past the destination";
        return std::string(destination.data());
    }
    static std::string Text(size_t length) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
        return text;
    }
};

TEST_F(ReadNoteTest, DeliversTheTextWithoutCarriageReturns) {
    struct Case {
        const char* name;
        std::string stored;
        std::string delivered;
    };
    const Case cases[] = {
        {"two lines of 8", "ABCDEFGH\r\nIJKLMNOP", "ABCDEFGH\nIJKLMNOP"},
        {"a lone CR and LF", "a\rb\nc\r", "ab\nc"},
        {"25 characters: a 36-byte record", Text(25), Text(25)},
        {"26 characters: a 37-byte record", Text(26), Text(26)},
        {"a long note", Text(300) + "\r\n" + Text(300) + "\r\n",
         Text(300) + "\n" + Text(300) + "\n"},
        {"an empty note", "", ""},
    };
    int32_t owner = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AddNote(kNoteKindJournal, ++owner, c.stored);
        uint16_t length = 0;
        EXPECT_EQ(c.delivered, Read(owner, kNoteKindJournal, 4096, &length));
        EXPECT_EQ(c.delivered.size(), length);
    }
}

TEST_F(ReadNoteTest, ReadsOnlyTheNoteOfThatOwnerAndKind) {
    AddNote(kNoteKindJournal, 7, "journal seven");
    AddNote(kNoteKindAppointment, 7, "appointment seven");
    AddNote(kNoteKindJournal, 8, "journal eight");
    AddNote(kNoteKindJournal, 0, "nobody's");
    struct Case {
        int32_t owner;
        uint8_t kind;
        const char* text;
    };
    const Case cases[] = {
        {7, kNoteKindJournal, "journal seven"},
        {7, kNoteKindAppointment, "appointment seven"},
        {8, kNoteKindJournal, "journal eight"},
        {8, kNoteKindAppointment, ""},
        {9, kNoteKindJournal, ""},
        {0, kNoteKindJournal, ""},
        {7, kNoteKindPatient, ""},
    };
    for (const Case& c : cases) {
        uint16_t length = 99;
        EXPECT_EQ(c.text, Read(c.owner, c.kind, 64, &length)) << c.owner << "/" << int(c.kind);
        EXPECT_EQ(std::strlen(c.text), length);
    }
}

TEST_F(ReadNoteTest, TakesA36ByteRecordFromTheFirstRead) {
    // With no memory for a second buffer, only notes that need none come.
    AddNote(kNoteKindJournal, 1, Text(25));  // 10 + 25 + 1 = 36 bytes
    AddNote(kNoteKindJournal, 2, Text(26));  // 37 bytes
    uint16_t length = 0;
    os::FailMovableAllocationAt(1);
    EXPECT_EQ(Text(25), Read(1, kNoteKindJournal, 64, &length));
    EXPECT_EQ(25, length);
    os::FailMovableAllocationAt(1);
    EXPECT_EQ("", Read(2, kNoteKindJournal, 64, &length));
    EXPECT_EQ(0, length);
    os::FailMovableAllocationAt(0);
    EXPECT_EQ(Text(26), Read(2, kNoteKindJournal, 64, &length));
}

TEST_F(ReadNoteTest, ReadsTheLongestNoteThePracticeKeeps) {
    const std::string text = Text(65535 - 10 - 1);  // a record of 65,535 bytes
    AddNote(kNoteKindPatient, 5, text);
    uint16_t length = 0;
    EXPECT_EQ(text, Read(5, kNoteKindPatient, text.size() + 1, &length));
    EXPECT_EQ(text.size(), length);
}

TEST_F(ReadNoteTest, CutsANoteToTheDestinationAndKeepsItsBounds) {
    AddNote(kNoteKindJournal, 3, "0123456789\r\nABCDEFGHIJ");    // short record
    AddNote(kNoteKindJournal, 4, Text(40) + "\r\n" + Text(40));  // long record
    struct Case {
        int32_t owner;
        size_t size;
        std::string delivered;
    };
    const Case cases[] = {
        {3, 10, "012345678"}, {3, 12, "0123456789\n"},  {3, 1, ""},
        {4, 20, Text(19)},    {4, 42, Text(40) + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.owner) + " into " + std::to_string(c.size));
        uint16_t length = 0;
        EXPECT_EQ(c.delivered, Read(c.owner, kNoteKindJournal, c.size, &length));
        EXPECT_EQ(c.delivered.size(), length);
    }
    // A destination of no room is left alone.
    PracticeDatabase& db = Database();
    const KdbSession session = db.StartSession(1);
    char guard = '\x7F';
    EXPECT_EQ(0, ReadNote(3, session, kNoteKindJournal, &guard, 0));
    EXPECT_EQ('\x7F', guard);
    db.EndSession(session);
}

TEST_F(ReadNoteTest, AnUnknownSessionGivesNoNote) {
    AddNote(kNoteKindJournal, 6, "there");
    char destination[16] = "untouched";
    EXPECT_EQ(0, ReadNote(6, 0, kNoteKindJournal, destination, sizeof destination));
    EXPECT_STREQ("", destination);
}

}  // namespace
}  // namespace kv::conduit
