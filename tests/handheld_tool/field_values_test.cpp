#include "tools/handheld/records/field_values.h"

#include <gtest/gtest.h>

#include "handheld_tool/record_bytes.h"

namespace kv::handheld_tool {
namespace {

using test::B;
using test::Bytes;
using test::Chars;
using test::Z;

TEST(HandheldDate, PacksYearMonthDayIntoSixteenBits) {
    uint16_t leap_day = PackDate(2004, 2, 29, kHandheldDateBase);
    EXPECT_EQ(100, leap_day >> 9);
    EXPECT_EQ(2, (leap_day >> 5) & 0x0F);
    EXPECT_EQ(29, leap_day & 0x1F);
    EXPECT_EQ(0xCC23, PackDate(2006, 1, 3, kHandheldDateBase));
    EXPECT_EQ(105, PackDate(2005, 12, 31, kRxDateBase) >> 9);
    EXPECT_EQ("2004-02-29", DateText(leap_day, kHandheldDateBase));
    EXPECT_EQ("1904-00-00", DateText(0, kHandheldDateBase)) << "shown as stored";
}

TEST(HandheldDate, ParsesOnlyCalendarDaysWithinTheBase) {
    struct Case {
        const char* text;
        int base;
        bool ok;
    } cases[] = {
        {"2004-02-29", kHandheldDateBase, true},  {"2005-02-29", kHandheldDateBase, false},
        {"2000-02-29", kHandheldDateBase, true},  {"2100-02-29", kHandheldDateBase, false},
        {"2006-04-31", kHandheldDateBase, false}, {"2006-13-01", kHandheldDateBase, false},
        {"2006-00-10", kHandheldDateBase, false}, {"1904-01-01", kHandheldDateBase, true},
        {"1903-12-31", kHandheldDateBase, false}, {"2031-12-31", kHandheldDateBase, true},
        {"2032-01-01", kHandheldDateBase, false}, {"1900-01-01", kRxDateBase, true},
        {"2027-12-31", kRxDateBase, true},        {"06-01-03", kHandheldDateBase, false},
        {"2006/01/03", kHandheldDateBase, false}, {"2006-01-3x", kHandheldDateBase, false},
    };
    for (const Case& c : cases) {
        uint16_t packed = 0;
        std::string error;
        EXPECT_EQ(c.ok, ParseDate(c.text, c.base, &packed, &error)) << c.text << ": " << error;
        if (c.ok) {
            EXPECT_EQ(c.text, DateText(packed, c.base));
        }
    }
}

TEST(HandheldTime, ParsesTimesOfDay) {
    struct Case {
        const char* text;
        bool ok;
        int hour, minute;
    } cases[] = {
        {"13:15", true, 13, 15}, {"9:05", true, 9, 5},    {"00:00", true, 0, 0},
        {"23:59", true, 23, 59}, {"24:00", false, 0, 0},  {"12:60", false, 0, 0},
        {"12:5", false, 0, 0},   {"123:00", false, 0, 0}, {"", false, 0, 0},
        {":30", false, 0, 0},
    };
    for (const Case& c : cases) {
        uint8_t hour = 99, minute = 99;
        std::string error;
        EXPECT_EQ(c.ok, ParseTime(c.text, &hour, &minute, &error)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.hour, hour) << c.text;
            EXPECT_EQ(c.minute, minute) << c.text;
        }
    }
    EXPECT_EQ("25:07", TimeText(25, 7));
}

TEST(FieldNumber, ParsesDecimalAndHexWithinItsWidth) {
    struct Case {
        const char* text;
        uint64_t max;
        bool ok;
        uint64_t value;
    } cases[] = {
        {"0", 255, true, 0},
        {"255", 255, true, 255},
        {"256", 255, false, 0},
        {"0xff", 255, true, 255},
        {"0X1F", 255, true, 31},
        {"0x100", 255, false, 0},
        {"4294967295", 0xFFFFFFFF, true, 0xFFFFFFFF},
        {"4294967296", 0xFFFFFFFF, false, 0},
        {"99999999999999999999999", 0xFFFFFFFF, false, 0},
        {"", 255, false, 0},
        {"0x", 255, false, 0},
        {"-1", 255, false, 0},
        {"12 ", 255, false, 0},
    };
    for (const Case& c : cases) {
        uint64_t value = 12345;
        std::string error;
        EXPECT_EQ(c.ok, ParseNumber(c.text, c.max, &value, &error)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.value, value) << c.text;
        }
    }
}

TEST(FieldText, CommandLineTextBecomesLatin1AndBack) {
    std::string out, error;
    ASSERT_TRUE(ParseText("M\xC3\xBCller", kAnyLength, &out, &error)) << error;
    EXPECT_EQ("M\xFCller", out);
    EXPECT_EQ("M\xC3\xBCller", ShowText(out));
    EXPECT_FALSE(ParseText("\xE2\x82\xAC", kAnyLength, &out, &error)) << "the euro sign";
    EXPECT_FALSE(ParseText("\xC3", kAnyLength, &out, &error)) << "a cut sequence";
    EXPECT_TRUE(ParseText("\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC", 4, &out, &error))
        << "four characters of two bytes each fit four";
    EXPECT_FALSE(ParseText("abcde", 4, &out, &error));
    EXPECT_EQ("'abcde' is longer than 4 characters", error);
}

TEST(FieldText, ReadsStopAtTheRecordsEnd) {
    Bytes bytes = Z("one") + Chars("two");
    ByteReader r(bytes.data(), bytes.size());
    std::string text;
    ASSERT_TRUE(ReadText(r, &text));
    EXPECT_EQ("one", text);
    EXPECT_FALSE(ReadText(r, &text)) << "no terminator before the end";

    struct Case {
        Bytes bytes;
        size_t width, max;
        bool ok;
        const char* text;
    } fixed[] = {
        {Z("DR01"), 5, 4, true, "DR01"},
        {Chars("DR012"), 5, 4, false, ""},
        {Z("DR0"), 5, 4, false, ""},  // the field is cut
        {Z("ab") + B({0, 0, 0}), 6, 2, true, "ab"},
        {Chars("abc") + B({0, 0, 0}), 6, 2, false, ""},
    };
    for (const Case& c : fixed) {
        ByteReader fr(c.bytes.data(), c.bytes.size());
        std::string out;
        EXPECT_EQ(c.ok, ReadFixedText(fr, c.width, c.max, &out));
        if (c.ok) {
            EXPECT_EQ(c.text, out);
        }
    }
}

TEST(FieldText, FixedWidthWritesAreZeroFilledAndCut) {
    Bytes out(8, 0xAA);
    ByteWriter w(out.data(), out.size());
    WriteFixedText(w, "OP1", 5);
    WriteFixedText(w, "toolong", 3);
    EXPECT_TRUE(w.ok());
    EXPECT_EQ(Z("OP1") + B({0}) + Z("to"), out);
}

}  // namespace
}  // namespace kv::handheld_tool
