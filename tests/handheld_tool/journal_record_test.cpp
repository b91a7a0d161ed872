#include "tools/handheld/records/journal_record.h"

#include <gtest/gtest.h>

#include "handheld_tool/record_bytes.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using test::B;
using test::Bytes;
using test::Chars;
using test::Z;

JournalRecord CallLab() {
    JournalRecord r;
    r.hour = 9;
    r.minute = 5;
    r.date = PackDate(2006, 1, 3, kHandheldDateBase);
    r.provider = "DR01";
    r.type = 1;
    r.practice_id = 1234;
    r.description = "Call lab";
    return r;
}

// 09:05 on 3 January 2006, DR01, reminder, practice id 1234, "Call lab".
const Bytes kCallLab = B({0x09, 0x05, 0xCC, 0x23}) + Z("DR01") + B({0x00, 0x00, 0x01}) +
                       B({0x00, 0x00, 0x04, 0xD2, 0x10, 0x00}) + Z("Call lab");

TEST(JournalRecord, PacksTheCallLabEntryTo27Bytes) {
    Bytes packed = CallLab().Pack();
    ASSERT_EQ(27u, packed.size());
    EXPECT_EQ(kCallLab, packed);
}

TEST(JournalRecord, UnpacksTheCallLabEntry) {
    JournalRecord r;
    std::string fault;
    ASSERT_TRUE(JournalRecord::Unpack(kCallLab.data(), kCallLab.size(), &r, &fault)) << fault;
    EXPECT_EQ(9, r.hour);
    EXPECT_EQ(5, r.minute);
    EXPECT_EQ("2006-01-03", DateText(r.date, kHandheldDateBase));
    EXPECT_EQ("DR01", r.provider);
    EXPECT_EQ(1, r.type);
    EXPECT_EQ(1234u, r.practice_id);
    EXPECT_EQ(std::optional<std::string>("Call lab"), r.description);
    EXPECT_FALSE(r.note);
    EXPECT_EQ(0, r.other_flags);
}

TEST(JournalRecord, NoteWithoutDescriptionFollowsTheFixedPart) {
    JournalRecord r = CallLab();
    r.description.reset();
    r.note = "hello";
    r.practice_id = 0;
    Bytes packed = r.Pack();
    EXPECT_EQ(
        B({0x09, 0x05, 0xCC, 0x23}) + Z("DR01") + B({0, 0, 1, 0, 0, 0, 0, 0x08, 0x00}) + Z("hello"),
        packed);
    EXPECT_EQ(24u, packed.size());

    JournalRecord back;
    std::string fault;
    ASSERT_TRUE(JournalRecord::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_FALSE(back.description);
    EXPECT_EQ(std::optional<std::string>("hello"), back.note);
}

TEST(JournalRecord, DescriptionAndNoteRoundTripWithUnknownFlagBits) {
    JournalRecord r = CallLab();
    r.note = "line 1\nline 2";
    r.other_flags = 0x0001;
    Bytes packed = r.Pack();
    EXPECT_EQ(B({0x18, 0x01}), Bytes(packed.begin() + 16, packed.begin() + 18));
    EXPECT_EQ(Z("Call lab") + Z("line 1\nline 2"), Bytes(packed.begin() + 18, packed.end()));
    JournalRecord back;
    std::string fault;
    ASSERT_TRUE(JournalRecord::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_EQ(packed, back.Pack());
    EXPECT_EQ(0x0001, back.other_flags);
}

TEST(JournalRecord, RefusesBrokenRecords) {
    const Bytes head = B({9, 5, 0xCC, 0x23}) + Z("DR01") + B({0, 0, 1, 0, 0, 4, 0xD2});
    struct Case {
        const char* what;
        Bytes bytes;
        const char* fault;
    } cases[] = {
        {"fixed part short", test::Prefix(kCallLab, 17), "fixed part short: 17 of 18 bytes"},
        {"description flag, nothing after", head + B({0x10, 0x00}),
         "flag 0x1000 announces description past the end of the record"},
        {"description unterminated", head + B({0x10, 0x00}) + Chars("Call lab"),
         "description without terminator"},
        {"note flag past the description", head + B({0x18, 0x00}) + Z("Call lab"),
         "flag 0x0800 announces note past the end of the record"},
        {"note unterminated", head + B({0x08, 0x00}) + Chars("x"), "note without terminator"},
        {"byte after the texts", kCallLab + B({0}), "1 bytes after the last field"},
        {"provider unterminated",
         B({9, 5, 0xCC, 0x23}) + Chars("DR01X") + B({0, 0, 1, 0, 0, 4, 0xD2, 0, 0}),
         "provider id without terminator"},
    };
    for (const Case& c : cases) {
        JournalRecord r;
        std::string fault;
        EXPECT_FALSE(JournalRecord::Unpack(c.bytes.data(), c.bytes.size(), &r, &fault)) << c.what;
        EXPECT_EQ(c.fault, fault) << c.what;
    }
}

TEST(JournalRecord, SetsFieldsByName) {
    JournalRecord r;
    std::string error;
    for (auto [field, value] :
         std::vector<std::pair<std::string, std::string>>{{"time", "9:05"},
                                                          {"date", "2006-01-03"},
                                                          {"provider", "DR01"},
                                                          {"type", "1"},
                                                          {"practice_id", "0x4D2"},
                                                          {"description", "Call lab"}})
        ASSERT_TRUE(r.Set(field, value, &error)) << field << ": " << error;
    EXPECT_EQ(kCallLab, r.Pack());

    ASSERT_TRUE(r.Set("description", "", &error));
    EXPECT_FALSE(r.description) << "an empty value removes the text";
}

TEST(JournalRecord, RefusesBadValues) {
    struct Case {
        const char* field;
        const char* value;
        const char* error;
    } cases[] = {
        {"time", "24:00", "'24:00' is not a time of day"},
        {"time", "9.05", "'9.05' is not a time HH:MM"},
        {"date", "2006-1-3", "'2006-1-3' is not a date YYYY-MM-DD"},
        {"provider", "DR001", "'DR001' is longer than 4 characters"},
        {"type", "65536", "'65536' is larger than 65535"},
        {"practice_id", "-1", "'-1' is not a number"},
        {"colour", "red",
         "no field 'colour' (fields: time, date, provider, type, practice_id, description, note)"},
    };
    for (const Case& c : cases) {
        JournalRecord r;
        std::string error;
        EXPECT_FALSE(r.Set(c.field, c.value, &error)) << c.field;
        EXPECT_EQ(c.error, error) << c.field;
    }
}

}  // namespace
}  // namespace kv::handheld_tool
