#include "tools/handheld/records/day_note_record.h"

#include <gtest/gtest.h>

#include "handheld_tool/record_bytes.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using test::B;
using test::Bytes;
using test::Chars;
using test::Z;

TEST(DayNoteRecord, IsTheTextLengthPlusFour) {
    DayNoteRecord r;
    r.date = PackDate(2006, 1, 3, kHandheldDateBase);
    r.origin = 1;
    r.text = "Staff meeting\nat noon";
    Bytes packed = r.Pack();
    EXPECT_EQ(r.text.size() + 4, packed.size());
    EXPECT_EQ(B({0xCC, 0x23, 0x01}) + Z("Staff meeting\nat noon"), packed);

    DayNoteRecord back;
    std::string fault;
    ASSERT_TRUE(DayNoteRecord::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_EQ(1, back.origin);
    EXPECT_EQ(r.text, back.text);
    EXPECT_EQ("2006-01-03", back.ToJson()["date"]);
}

TEST(DayNoteRecord, RefusesBrokenRecords) {
    struct Case {
        Bytes bytes;
        const char* fault;
    } cases[] = {
        {B({0xCC, 0x23}), "fixed part short: 2 of 3 bytes"},
        {B({0xCC, 0x23, 0}), "no text after the fixed part"},
        {B({0xCC, 0x23, 0}) + Chars("note"), "text without terminator"},
        {B({0xCC, 0x23, 0}) + Z("note") + Z("more"), "5 bytes after the last field"},
    };
    for (const Case& c : cases) {
        DayNoteRecord r;
        std::string fault;
        EXPECT_FALSE(DayNoteRecord::Unpack(c.bytes.data(), c.bytes.size(), &r, &fault));
        EXPECT_EQ(c.fault, fault);
    }
}

TEST(DayNoteRecord, ANoteWrittenOnTheHandheldHasOriginZero) {
    DayNoteRecord r;
    std::string error;
    ASSERT_TRUE(r.Set("date", "2006-01-03", &error)) << error;
    ASSERT_TRUE(r.Set("text", "Closed at 3", &error)) << error;
    EXPECT_EQ(B({0xCC, 0x23, 0x00}) + Z("Closed at 3"), r.Pack());
}

}  // namespace
}  // namespace kv::handheld_tool
