// What every record layout of the registry shares: a full record decodes,
// every cut of it is refused without reading past the cut, the dump's values
// fed back through --set build the same bytes, and an edit without
// assignments re-encodes a record unchanged.
#include <gtest/gtest.h>

#include <memory>

#include "handheld_tool/record_bytes.h"
#include "tools/handheld/database_registry.h"
#include "tools/handheld/records/appointment_record.h"
#include "tools/handheld/records/day_note_record.h"
#include "tools/handheld/records/field_values.h"
#include "tools/handheld/records/journal_record.h"
#include "tools/handheld/records/patient_record.h"
#include "tools/handheld/records/provider_record.h"
#include "tools/handheld/records/rx_record.h"

namespace kv::handheld_tool {
namespace {

using test::Bytes;

Bytes FullJournal() {
    JournalRecord r;
    r.hour = 16;
    r.minute = 45;
    r.date = PackDate(2006, 3, 1, kHandheldDateBase);
    r.provider = "DR02";
    r.type = 2;
    r.practice_id = 99;
    r.description = "Order supplies";
    r.note = "gloves\nmasks";
    return r.Pack();
}

Bytes FullAppointment() {
    AppointmentRecord r;
    r.start_hour = 8;
    r.start_minute = 30;
    r.end_hour = 12;
    r.end_minute = 30;
    r.date = PackDate(2006, 1, 4, kHandheldDateBase);
    r.provider = "DR01";
    r.operatory = "OP2";
    r.appointment_id = 4242;
    r.kind = 2;
    r.description = "Crown";
    r.patient = "Jones, Bob";
    r.home_phone = "(555) 010-0200";
    r.work_phone = "(555) 010-0300x7";
    r.medical_alerts = "Latex";
    r.note = "nervous";
    return r.Pack();
}

Bytes FullDayNote() {
    DayNoteRecord r;
    r.date = PackDate(2006, 1, 5, kHandheldDateBase);
    r.origin = 1;
    r.text = "Inventory";
    return r.Pack();
}

Bytes FullPatient() {
    PatientRecord r;
    r.patient_id = 31337;
    r.flag = true;
    r.provider = "DR03";
    r.last_name =
        "Nu\xF1"
        "ez";
    r.first_name = "Eva";
    r.middle_initial = "M";
    r.preferred_name = "Evie";
    r.home_phone = "555-1000";
    r.work_phone = "555-2000";
    r.ssn = "987-65-4321";
    r.chart_number = "A1";
    r.birth_date = PackDate(1980, 7, 4, kHandheldDateBase);
    r.last_visit = PackDate(2005, 11, 30, kHandheldDateBase);
    r.status = 1;
    r.billing_type = 5;
    r.next_appointment_date = PackDate(2006, 2, 1, kHandheldDateBase);
    r.next_appointment_time = PatientRecord::ClockTime{10, 0};
    r.note = "prefers mornings";
    return r.Pack();
}

Bytes FullRx() {
    RxRecord r;
    r.prescription_id = 8;
    r.date = PackDate(2006, 1, 2, kRxDateBase);
    r.patient_name =
        "Nu\xF1"
        "ez, Eva M";
    r.patient_id = 31337;
    r.definition = "Ibuprofen 600mg";
    r.marked = true;
    r.definition_text = "Ibuprofen";
    r.number = "20";
    r.extra_text = "every 6 hours";
    r.note = "with food";
    r.medical_alerts = "Asthma";
    r.second_note = "no refills";
    return r.Pack();
}

Bytes FullProvider() {
    ProviderRecord r;
    r.practice_id = "HYG1";
    return r.Pack();
}

struct Layout {
    const char* database;
    Bytes full;
};

std::vector<Layout> Layouts() {
    return {{"KvrOJDB", FullJournal()},
            {"KvrApptsDB", FullAppointment()},
            {"KvrDayNotesDB", FullDayNote()},
            {"KvPatientsDB", FullPatient()},
            {"KvrRxDB", FullRx()},
            {"KvrRscDB", FullProvider()},
            {"KvrPVRscDB", FullProvider()}};
}

TEST(RecordLayouts, EveryDatabaseOfTheSystemHasOne) {
    for (const Layout& layout : Layouts())
        EXPECT_NE(nullptr, FindCodec(layout.database)) << layout.database;
    EXPECT_EQ(nullptr, FindCodec("MemoDB"));
    EXPECT_EQ(7u, KnownDatabases().size());
}

TEST(RecordLayouts, EveryCutOfAFullRecordIsRefused) {
    for (const Layout& layout : Layouts()) {
        const RecordCodec* codec = FindCodec(layout.database);
        ASSERT_NE(nullptr, codec) << layout.database;
        nlohmann::ordered_json fields;
        std::string fault;
        ASSERT_TRUE(codec->decode(layout.full, &fields, &fault))
            << layout.database << ": " << fault;
        for (size_t n = 0; n < layout.full.size(); ++n) {
            // Exactly n bytes on the heap: a read past them is caught.
            Bytes cut = test::Prefix(layout.full, n);
            cut.shrink_to_fit();
            EXPECT_FALSE(codec->decode(cut, &fields, &fault)) << layout.database << " cut to " << n;
            EXPECT_FALSE(fault.empty());
        }
    }
}

// The value of a dumped field as --set takes it.
std::string SetValue(const nlohmann::ordered_json& value) {
    if (value.is_string()) return value.get<std::string>();
    return value.dump();
}

TEST(RecordLayouts, DumpedFieldsSetOnANewRecordRebuildItExactly) {
    for (const Layout& layout : Layouts()) {
        const RecordCodec* codec = FindCodec(layout.database);
        nlohmann::ordered_json fields;
        std::string fault;
        ASSERT_TRUE(codec->decode(layout.full, &fields, &fault))
            << layout.database << ": " << fault;
        const std::vector<std::string>& names = codec->field_names();
        std::vector<FieldAssignment> sets;
        for (const auto& item : fields.items()) {
            bool settable = std::find(names.begin(), names.end(), item.key()) != names.end();
            if (settable) sets.push_back({item.key(), SetValue(item.value())});
        }
        Bytes rebuilt;
        std::string error;
        ASSERT_TRUE(codec->edit(nullptr, sets, &rebuilt, &error))
            << layout.database << ": " << error;
        EXPECT_EQ(layout.full, rebuilt) << layout.database;
    }
}

TEST(RecordLayouts, EditWithoutAssignmentsKeepsTheBytes) {
    for (const Layout& layout : Layouts()) {
        const RecordCodec* codec = FindCodec(layout.database);
        Bytes out;
        std::string error;
        ASSERT_TRUE(codec->edit(&layout.full, {}, &out, &error))
            << layout.database << ": " << error;
        EXPECT_EQ(layout.full, out) << layout.database;
    }
}

TEST(RecordLayouts, EditRefusesARecordThatDoesNotDecodeAndAnUnknownField) {
    const RecordCodec* codec = FindCodec("KvrOJDB");
    Bytes broken = test::Prefix(FullJournal(), 10);
    Bytes out;
    std::string error;
    EXPECT_FALSE(codec->edit(&broken, {{"type", "1"}}, &out, &error));
    EXPECT_EQ("the record does not decode: fixed part short: 10 of 18 bytes", error);
    EXPECT_FALSE(codec->edit(nullptr, {{"colour", "red"}}, &out, &error));
    EXPECT_EQ(0u, error.find("--set colour: no field 'colour'")) << error;
}

}  // namespace
}  // namespace kv::handheld_tool
