#include "tools/handheld/records/patient_record.h"

#include <gtest/gtest.h>

#include "handheld_tool/record_bytes.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using test::B;
using test::Bytes;
using test::Chars;
using test::Z;

PatientRecord Names() {
    PatientRecord r;
    r.patient_id = 0x01020304;
    r.flag = true;
    r.provider = "DR01";
    r.last_name = "Smith";
    r.first_name = "Ann";
    return r;
}

const Bytes kNamesHead = B({1, 2, 3, 4});
const Bytes kNamesBody = Z("Y") + Z("DR01") + Z("Smith") + Z("Ann");

TEST(PatientRecord, NamesOnlyCarryPresenceWord0x0007) {
    Bytes packed = Names().Pack();
    EXPECT_EQ(kNamesHead + B({0x00, 0x07}) + kNamesBody, packed);
}

TEST(PatientRecord, EveryFieldInTableOrder) {
    PatientRecord r = Names();
    r.flag = false;
    r.middle_initial = "B";
    r.preferred_name = "Annie";
    r.home_phone = "";  // found but empty: still present
    r.work_phone = "555-0101";
    r.ssn = "123-45-6789";
    r.chart_number = "C77";
    r.birth_date = PackDate(1970, 5, 17, kHandheldDateBase);
    r.last_visit = PackDate(2005, 12, 31, kHandheldDateBase);
    r.status = 2;
    r.billing_type = 200;
    r.next_appointment_date = PackDate(2006, 1, 3, kHandheldDateBase);
    r.next_appointment_time = PatientRecord::ClockTime{13, 15};
    r.note = "allergic";
    // 1970-05-17: year 66, month 5, day 17 -> 0x84B1; 2005-12-31: 0xCB9F;
    // 2006-01-03: 0xCC23.
    Bytes expected = kNamesHead + B({0xFF, 0xFF}) + Z("N") + Z("DR01") + Z("Smith") + Z("Ann") +
                     Z("B") + Z("Annie") + Z("") + Z("555-0101") + Z("123-45-6789") + Z("C77") +
                     B({0x84, 0xB1, 0xCB, 0x9F, 2, 200, 0xCC, 0x23, 13, 15}) + Z("allergic");
    Bytes packed = r.Pack();
    EXPECT_EQ(expected, packed);

    PatientRecord back;
    std::string fault;
    ASSERT_TRUE(PatientRecord::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_EQ(packed, back.Pack());
    EXPECT_FALSE(back.flag);
    EXPECT_EQ("", back.home_phone.value_or("?"));
    EXPECT_EQ("1970-05-17", DateText(back.birth_date.value_or(0), kHandheldDateBase));
    EXPECT_EQ(200, back.billing_type.value_or(0));
    EXPECT_EQ("13:15", back.ToJson()["next_appointment_time"]);
}

TEST(PatientRecord, FieldsWalkedByPresenceBits) {
    // Time without date (0x4000), status (0x0800), middle initial (0x0008).
    Bytes bytes = kNamesHead + B({0x48, 0x0F}) + kNamesBody + Z("Q") + B({7}) + B({8, 30});
    PatientRecord r;
    std::string fault;
    ASSERT_TRUE(PatientRecord::Unpack(bytes.data(), bytes.size(), &r, &fault)) << fault;
    EXPECT_EQ("Q", r.middle_initial.value_or("?"));
    EXPECT_EQ(7, r.status.value_or(0));
    EXPECT_FALSE(r.next_appointment_date);
    ASSERT_TRUE(r.next_appointment_time);
    EXPECT_EQ(8, r.next_appointment_time->hour);
    EXPECT_EQ(30, r.next_appointment_time->minute);
    EXPECT_EQ(0x480F, r.Presence());
}

TEST(PatientRecord, EmptyLastNameIsALoneTerminator) {
    PatientRecord r = Names();
    r.last_name = "";
    EXPECT_EQ(kNamesHead + B({0, 7}) + Z("Y") + Z("DR01") + Z("") + Z("Ann"), r.Pack());
}

TEST(PatientRecord, RefusesBrokenRecords) {
    struct Case {
        const char* what;
        Bytes bytes;
        const char* fault;
    } cases[] = {
        {"head short", test::Prefix(kNamesHead + B({0, 7}) + kNamesBody, 12),
         "fixed part short: 12 of 13 bytes"},
        {"always-present bits missing", kNamesHead + B({0x00, 0x03}) + kNamesBody,
         "presence word 0x0003 lacks the always-present bits 0x0007"},
        {"flag text not Y or N", kNamesHead + B({0, 7}) + Z("X") + Z("DR01") + Z("S") + Z("A"),
         "flag text is neither \"Y\" nor \"N\""},
        {"first name missing", kNamesHead + B({0, 7}) + Z("Y") + Z("DR01") + Z("Smith"),
         "flag 0x0004 announces first name past the end of the record"},
        {"last name unterminated", kNamesHead + B({0, 7}) + Z("Y") + Z("DR01") + Chars("Smi"),
         "last name without terminator"},
        {"birth date cut", kNamesHead + B({0x02, 0x07}) + kNamesBody + B({0x84}),
         "presence bit 0x0200 announces birth_date past the end of the record"},
        {"time cut", kNamesHead + B({0x40, 0x07}) + kNamesBody + B({8}),
         "presence bit 0x4000 announces next_appointment_time past the end of the record"},
        {"note missing", kNamesHead + B({0x80, 0x07}) + kNamesBody,
         "flag 0x8000 announces note past the end of the record"},
        {"byte after the last field", kNamesHead + B({0, 7}) + kNamesBody + B({0}),
         "1 bytes after the last field"},
    };
    for (const Case& c : cases) {
        PatientRecord r;
        std::string fault;
        EXPECT_FALSE(PatientRecord::Unpack(c.bytes.data(), c.bytes.size(), &r, &fault)) << c.what;
        EXPECT_EQ(c.fault, fault) << c.what;
    }
}

TEST(PatientRecord, SettingAndClearingOptionalFieldsMovesThePresenceWord) {
    PatientRecord r = Names();
    std::string error;
    ASSERT_TRUE(r.Set("birth_date", "1970-05-17", &error)) << error;
    ASSERT_TRUE(r.Set("next_appointment_time", "13:15", &error)) << error;
    ASSERT_TRUE(r.Set("billing_type", "200", &error)) << error;
    EXPECT_EQ(0x5207, r.Presence());
    ASSERT_TRUE(r.Set("birth_date", "", &error)) << error;
    EXPECT_EQ(0x5007, r.Presence());
    EXPECT_FALSE(r.Set("billing_type", "256", &error));
    EXPECT_FALSE(r.Set("flag", "yes", &error));
    EXPECT_EQ("flag is Y or N, not 'yes'", error);
}

}  // namespace
}  // namespace kv::handheld_tool
