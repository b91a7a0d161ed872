#include "tools/handheld/records/appointment_record.h"

#include <gtest/gtest.h>

#include "handheld_tool/record_bytes.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using test::B;
using test::Bytes;
using test::Chars;
using test::Z;

// 9:50 to 10:15 on 3 January 2006, DR01 in OP1, appointment 70000, open.
AppointmentRecord Checkup() {
    AppointmentRecord r;
    r.start_hour = 9;
    r.start_minute = 50;
    r.end_hour = 10;
    r.end_minute = 15;
    r.date = PackDate(2006, 1, 3, kHandheldDateBase);
    r.provider = "DR01";
    r.operatory = "OP1";
    r.appointment_id = 70000;
    r.kind = 1;
    return r;
}

const Bytes kCheckupFixed = B({9, 50, 10, 15, 0xCC, 0x23}) + Z("DR01") + Chars("OP1") + B({0, 0}) +
                            B({0x00, 0x01, 0x11, 0x70}) + B({0x00, 0x01});

TEST(AppointmentRecord, WithoutTextsPacksTo24Bytes) {
    Bytes packed = Checkup().Pack();
    ASSERT_EQ(24u, packed.size());
    EXPECT_EQ(kCheckupFixed + B({0x00, 0x00}), packed);
}

TEST(AppointmentRecord, TextsFollowInFlagTableOrder) {
    AppointmentRecord r = Checkup();
    r.note = "bring x-rays";
    r.medical_alerts = "Penicillin\rLatex";
    r.work_phone = "555-0101x12";
    r.home_phone = "555-0100";
    r.patient = "Smith, Ann";
    r.description = "Checkup";
    Bytes expected = kCheckupFixed + B({0x1F, 0x80}) + Z("Checkup") + Z("Smith, Ann") +
                     Z("555-0100") + Z("555-0101x12") + Z("Penicillin\rLatex") + Z("bring x-rays");
    Bytes packed = r.Pack();
    EXPECT_EQ(expected, packed);

    AppointmentRecord back;
    std::string fault;
    ASSERT_TRUE(AppointmentRecord::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_EQ("Checkup", back.description.value_or("?"));
    EXPECT_EQ("Smith, Ann", back.patient.value_or("?"));
    EXPECT_EQ("555-0100", back.home_phone.value_or("?"));
    EXPECT_EQ("555-0101x12", back.work_phone.value_or("?"));
    EXPECT_EQ("Penicillin\rLatex", back.medical_alerts.value_or("?"));
    EXPECT_EQ("bring x-rays", back.note.value_or("?"));
    EXPECT_EQ("OP1", back.operatory);
    EXPECT_EQ(70000u, back.appointment_id);
    EXPECT_EQ(packed, back.Pack());
}

TEST(AppointmentRecord, AbsentTextsLeaveNoGap) {
    // Only the phone (0x0200) and the note (0x1000): the note directly after
    // the phone.
    Bytes bytes = kCheckupFixed + B({0x12, 0x00}) + Z("555-0100") + Z("n");
    AppointmentRecord r;
    std::string fault;
    ASSERT_TRUE(AppointmentRecord::Unpack(bytes.data(), bytes.size(), &r, &fault)) << fault;
    EXPECT_FALSE(r.description);
    EXPECT_FALSE(r.patient);
    EXPECT_EQ("555-0100", r.home_phone.value_or("?"));
    EXPECT_FALSE(r.work_phone);
    EXPECT_EQ("n", r.note.value_or("?"));
}

TEST(AppointmentRecord, EndPastMidnightIsKeptAsStored) {
    Bytes bytes =
        B({23, 0, 25, 0}) + Bytes(kCheckupFixed.begin() + 4, kCheckupFixed.end()) + B({0, 0});
    AppointmentRecord r;
    std::string fault;
    ASSERT_TRUE(AppointmentRecord::Unpack(bytes.data(), bytes.size(), &r, &fault)) << fault;
    EXPECT_EQ("25:00", r.ToJson()["end"]);
}

TEST(AppointmentRecord, RefusesBrokenRecords) {
    struct Case {
        const char* what;
        Bytes bytes;
        const char* fault;
    } cases[] = {
        {"fixed part short", test::Prefix(kCheckupFixed + B({0, 0}), 23),
         "fixed part short: 23 of 24 bytes"},
        {"operatory unterminated",
         B({9, 50, 10, 15, 0xCC, 0x23}) + Z("DR01") + Chars("OP123") +
             B({0, 1, 0x11, 0x70, 0, 1, 0, 0}),
         "operatory id without terminator"},
        {"alerts flag past the end", kCheckupFixed + B({0x00, 0x80}),
         "flag 0x0080 announces medical_alerts past the end of the record"},
        {"patient unterminated", kCheckupFixed + B({0x0C, 0x00}) + Z("Checkup") + Chars("Smith"),
         "patient without terminator"},
        {"note after the last text missing", kCheckupFixed + B({0x18, 0x00}) + Z("Checkup"),
         "flag 0x1000 announces note past the end of the record"},
        {"bytes after the texts", kCheckupFixed + B({0x08, 0x00}) + Z("Checkup") + Z("x"),
         "2 bytes after the last field"},
    };
    for (const Case& c : cases) {
        AppointmentRecord r;
        std::string fault;
        EXPECT_FALSE(AppointmentRecord::Unpack(c.bytes.data(), c.bytes.size(), &r, &fault))
            << c.what;
        EXPECT_EQ(c.fault, fault) << c.what;
    }
}

TEST(AppointmentRecord, SetsFieldsByName) {
    AppointmentRecord r;
    std::string error;
    for (auto [field, value] :
         std::vector<std::pair<std::string, std::string>>{{"start", "09:50"},
                                                          {"end", "10:15"},
                                                          {"date", "2006-01-03"},
                                                          {"provider", "DR01"},
                                                          {"operatory", "OP1"},
                                                          {"appointment_id", "70000"},
                                                          {"kind", "1"}})
        ASSERT_TRUE(r.Set(field, value, &error)) << field << ": " << error;
    EXPECT_EQ(kCheckupFixed + B({0, 0}), r.Pack());
    ASSERT_TRUE(r.Set("medical_alerts", "Latex", &error));
    EXPECT_EQ(0x00, r.Pack()[22]);
    EXPECT_EQ(0x80, r.Pack()[23]);
    EXPECT_FALSE(r.Set("operatory", "OP12345", &error));
}

}  // namespace
}  // namespace kv::handheld_tool
