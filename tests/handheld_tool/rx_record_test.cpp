#include "tools/handheld/records/rx_record.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "handheld_tool/record_bytes.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using test::B;
using test::Bytes;
using test::Chars;
using test::Z;
using test::Zeros;

// Prescription 500 of 31 December 2005 for patient 77, "Amoxicillin 500mg".
RxRecord Amoxicillin() {
    RxRecord r;
    r.prescription_id = 500;
    r.date = PackDate(2005, 12, 31, kRxDateBase);
    r.patient_name = "Smith, Ann";
    r.patient_id = 77;
    r.definition = "Amoxicillin 500mg";
    return r;
}

// Year 105, month 12, day 31: (105 << 9) | (12 << 5) | 31 = 0xD39F.
const Bytes kFixed = B({0, 0, 0x01, 0xF4, 0xD3, 0x9F}) + Chars("Smith, Ann") + Zeros(32) +
                     B({0, 0, 0, 77}) + Chars("Amoxicillin 500mg") + Zeros(35);

TEST(RxRecord, WithoutTextsIs106BytesAndItsDateCountsFrom1900) {
    Bytes packed = Amoxicillin().Pack();
    ASSERT_EQ(106u, packed.size());
    EXPECT_EQ(kFixed + B({0, 0}), packed);
    EXPECT_EQ(105, packed[4] >> 1) << "year field";

    RxRecord back;
    std::string fault;
    ASSERT_TRUE(RxRecord::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_EQ("2005-12-31", back.ToJson()["date"]);
}

TEST(RxRecord, MarkedFlagTakesNoPlaceAmongTheTexts) {
    RxRecord r = Amoxicillin();
    r.marked = true;
    EXPECT_EQ(kFixed + B({0x20, 0x00}), r.Pack());
    r.second_note = "take with food";
    r.number = "12";
    r.definition_text = "";
    r.medical_alerts = "Penicillin\rLatex\rAsthma";
    r.extra_text = "3 times a day";
    r.note = "short";
    Bytes expected = kFixed + B({0xFE, 0x00}) + Z("") + Z("12") + Z("3 times a day") + Z("short") +
                     Z("Penicillin\rLatex\rAsthma") + Z("take with food");
    Bytes packed = r.Pack();
    EXPECT_EQ(expected, packed);
    RxRecord back;
    std::string fault;
    ASSERT_TRUE(RxRecord::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_EQ(packed, back.Pack());
    EXPECT_TRUE(back.marked);
    EXPECT_EQ("", back.definition_text.value_or("?"));
}

TEST(RxRecord, FixedTextsFillTheirWidth) {
    RxRecord r = Amoxicillin();
    r.patient_name = std::string(41, 'N');
    r.definition = std::string(50, 'D');
    Bytes packed = r.Pack();
    EXPECT_EQ(0, packed[47]);
    EXPECT_EQ(0, packed[102]);
    EXPECT_EQ(0, packed[103]);
    RxRecord back;
    std::string fault;
    ASSERT_TRUE(RxRecord::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_EQ(r.patient_name, back.patient_name);
    EXPECT_EQ(r.definition, back.definition);
}

TEST(RxRecord, RefusesBrokenRecords) {
    // A name running into byte 47, a definition text into byte 102.
    Bytes long_name = kFixed + B({0, 0});
    std::fill(long_name.begin() + 6, long_name.begin() + 48, 'n');
    Bytes long_definition = kFixed + B({0, 0});
    std::fill(long_definition.begin() + 52, long_definition.begin() + 103, 'd');
    struct Case {
        const char* what;
        Bytes bytes;
        const char* fault;
    } cases[] = {
        {"fixed part short", test::Prefix(kFixed, 105), "fixed part short: 105 of 106 bytes"},
        {"name reaches byte 47", long_name, "patient name longer than 41 characters"},
        {"definition reaches byte 102", long_definition,
         "definition text longer than 50 characters"},
        {"unused flag bits", kFixed + B({0x00, 0x01}), "flags 0x0001 set unused bits"},
        {"number not digits", kFixed + B({0x40, 0x00}) + Z("12a"),
         "number text is not decimal digits"},
        {"second note past the end", kFixed + B({0x02, 0x00}),
         "flag 0x0200 announces second_note past the end of the record"},
        {"note unterminated", kFixed + B({0x08, 0x00}) + Chars("abc"), "note without terminator"},
        {"bytes after the texts", kFixed + B({0, 0}) + B({1, 2, 3}),
         "3 bytes after the last field"},
    };
    for (const Case& c : cases) {
        RxRecord r;
        std::string fault;
        EXPECT_FALSE(RxRecord::Unpack(c.bytes.data(), c.bytes.size(), &r, &fault)) << c.what;
        EXPECT_EQ(c.fault, fault) << c.what;
    }
}

TEST(RxRecord, SetsFieldsByName) {
    RxRecord r;
    std::string error;
    for (auto [field, value] :
         std::vector<std::pair<std::string, std::string>>{{"prescription_id", "500"},
                                                          {"date", "2005-12-31"},
                                                          {"patient_name", "Smith, Ann"},
                                                          {"patient_id", "77"},
                                                          {"definition", "Amoxicillin 500mg"}})
        ASSERT_TRUE(r.Set(field, value, &error)) << field << ": " << error;
    EXPECT_EQ(kFixed + B({0, 0}), r.Pack());

    struct Case {
        const char* field;
        std::string value;
        const char* error;
    } bad[] = {
        {"date", "1899-12-31", "year of '1899-12-31' is outside 1900..2027"},
        {"date", "2028-01-01", "year of '2028-01-01' is outside 1900..2027"},
        {"patient_name", std::string(42, 'n'), "is longer than 41 characters"},
        {"number", "1e3", "number is decimal digits, not '1e3'"},
        {"marked", "1", "marked is true or false, not '1'"},
    };
    for (const Case& c : bad) {
        EXPECT_FALSE(r.Set(c.field, c.value, &error)) << c.field;
        EXPECT_NE(std::string::npos, error.find(c.error)) << c.field << ": " << error;
    }
}

}  // namespace
}  // namespace kv::handheld_tool
