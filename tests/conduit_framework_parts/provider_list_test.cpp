#include "conduit_framework/provider_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "conduit_framework/sync_log.h"
#include "conduit_framework_parts/parts_fixture.h"
#include "emulation/handheld/sync_faults.h"
#include "emulation/hotsync/hotsync_log_host.h"
#include "platform/hotsync_log.h"
#include "platform/sync_manager.h"

namespace kv::conduit {
namespace {

using handheld::FourCharCode;
using handheld::PdbDatabase;

// A record as the handheld holds it: its id text and category.
struct Sent {
    std::string id;
    int category;
    bool operator==(const Sent& o) const { return id == o.id && category == o.category; }
};

std::ostream& operator<<(std::ostream& out, const Sent& s) {
    return out << s.id << "/" << s.category;
}

ProviderFilter Filter(std::vector<const char*> ids) {
    ProviderFilter filter;
    for (const char* id : ids)
        std::memcpy(filter.ids[static_cast<size_t>(filter.count++)].data(), id, 4);
    filter.Sort();
    return filter;
}

// The 66-byte application-info block, byte by byte.
std::vector<uint8_t> GoldenAppInfo() {
    std::vector<uint8_t> block = {0x00, 0x04};
    for (const char* name : {"Providers", "Staff", "Operatories", "Other"}) {
        std::string field(name);
        field.resize(16, '\0');
        block.insert(block.end(), field.begin(), field.end());
    }
    return block;
}

class ProviderListTest : public test::HandheldWorld {
  protected:
    // Providers DR01..DR03 (DR02 flagged), staff, operatories, added out of
    // order: key 7 puts them in order.
    void AddPractice() {
        AddResource(3, "OP02");
        AddResource(1, "DR03");
        AddResource(2, "ST01");
        AddResource(1, "DR01");
        AddResource(3, "OP01");
        AddResource(2, "AAAA");
        AddResource(1, "DR02", 1);
        AddResource(4, "XX01");
    }

    // Every record of a handheld database, checking the record form.
    std::vector<Sent> Records(const std::string& name) {
        std::vector<Sent> sent;
        for (const handheld::PdbRecord& r : OnHandheld(name).records) {
            EXPECT_EQ(5u, r.data.size());
            EXPECT_EQ(0, r.flags);
            if (r.data.size() == 5) {
                EXPECT_EQ(0, r.data[4]);
            }
            sent.push_back({std::string(r.data.begin(), r.data.begin() + 4), r.category});
        }
        return sent;
    }

    static std::vector<std::pair<std::string, int32_t>> Failures(std::vector<std::string> texts) {
        std::vector<std::pair<std::string, int32_t>> entries;
        for (auto& t : texts) entries.emplace_back(t, kLogActivityFailure);
        return entries;
    }
};

const std::vector<Sent> kAllSent = {
    {"DR01", 0}, {"DR02", 0}, {"DR03", 0}, {"OP01", 2}, {"OP02", 2}};

TEST_F(ProviderListTest, CreatesTheDatabaseWithItsPropertiesAndAppInfoBlock) {
    AddPractice();
    ASSERT_EQ(0, WriteProviderList(kAppointmentProviderList, ProviderFilter{}));
    const PdbDatabase db = OnHandheld("KvrRscDB");
    EXPECT_EQ("KvrRscDB", db.name);
    EXPECT_EQ(FourCharCode("RSCS"), db.type);
    EXPECT_EQ(FourCharCode("KVAL"), db.creator);
    EXPECT_EQ(0, db.attributes);
    EXPECT_EQ(0, db.version);
    EXPECT_EQ(GoldenAppInfo(), db.app_info);
    EXPECT_TRUE(db.sort_info.empty());
    EXPECT_EQ(kAllSent, Records("KvrRscDB"));
    EXPECT_TRUE(HotSyncEntries().empty());
    EXPECT_EQ("", Log().text());
}

TEST_F(ProviderListTest, SendsTheFilteredProvidersAndEveryOperatoryButNoStaff) {
    AddPractice();
    struct Case {
        const char* name;
        ProviderFilter filter;
        std::vector<Sent> sent;
    };
    const Case cases[] = {
        {"no filter: every provider", {}, kAllSent},
        {"two of them",
         Filter({"DR03", "DR01"}),
         {{"DR01", 0}, {"DR03", 0}, {"OP01", 2}, {"OP02", 2}}},
        {"one of them", Filter({"DR02"}), {{"DR02", 0}, {"OP01", 2}, {"OP02", 2}}},
        {"none of them", Filter({"ZZZZ", "DR00"}), {{"OP01", 2}, {"OP02", 2}}},
        {"a staff id and an operatory id", Filter({"ST01", "OP01"}), {{"OP01", 2}, {"OP02", 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0, WriteProviderList(kAppointmentProviderList, c.filter));
        EXPECT_EQ(c.sent, Records("KvrRscDB"));
    }
    EXPECT_TRUE(HotSyncEntries().empty());
}

TEST_F(ProviderListTest, ASecondRunReplacesEveryRecord) {
    AddPractice();
    ASSERT_EQ(0, WriteProviderList(kJournalProviderList, ProviderFilter{}));
    ASSERT_EQ(0, WriteProviderList(kJournalProviderList, ProviderFilter{}));
    EXPECT_EQ(kAllSent, Records("KvrRscDB"));
    ASSERT_EQ(0, WriteProviderList(kJournalProviderList, Filter({"DR02"})));
    EXPECT_EQ((std::vector<Sent>{{"DR02", 0}, {"OP01", 2}, {"OP02", 2}}), Records("KvrRscDB"));
}

TEST_F(ProviderListTest, KeepsTheCreatorOfWhicheverConduitCreatedTheSharedDatabase) {
    AddPractice();
    ASSERT_EQ(0, WriteProviderList(kJournalProviderList, ProviderFilter{}));
    ASSERT_EQ(0, WriteProviderList(kAppointmentProviderList, Filter({"DR01"})));
    const PdbDatabase db = OnHandheld("KvrRscDB");
    EXPECT_EQ(FourCharCode("KVOJ"), db.creator);
    EXPECT_EQ((std::vector<Sent>{{"DR01", 0}, {"OP01", 2}, {"OP02", 2}}), Records("KvrRscDB"));
    EXPECT_FALSE(OnHandheldExists("KvrPVRscDB"));
}

TEST_F(ProviderListTest, ThePatientViewerListSkipsFlaggedProvidersInItsOwnDatabase) {
    AddPractice();
    ASSERT_EQ(0, WriteProviderList(kPatientViewerProviderList, ProviderFilter{}));
    const PdbDatabase db = OnHandheld("KvrPVRscDB");
    EXPECT_EQ(FourCharCode("KVPM"), db.creator);
    EXPECT_EQ(FourCharCode("RSCS"), db.type);
    EXPECT_EQ(GoldenAppInfo(), db.app_info);
    EXPECT_EQ((std::vector<Sent>{{"DR01", 0}, {"DR03", 0}, {"OP01", 2}, {"OP02", 2}}),
              Records("KvrPVRscDB"));
    ASSERT_EQ(0, WriteProviderList(kPatientViewerProviderList, Filter({"DR02", "DR03"})));
    EXPECT_EQ((std::vector<Sent>{{"DR03", 0}, {"OP01", 2}, {"OP02", 2}}), Records("KvrPVRscDB"));
    EXPECT_FALSE(OnHandheldExists("KvrRscDB"));
}

TEST_F(ProviderListTest, WithoutResourcesOnlyTheAppInfoBlockIsWritten) {
    ASSERT_EQ(0, WriteProviderList(kAppointmentProviderList, ProviderFilter{}));
    const PdbDatabase db = OnHandheld("KvrRscDB");
    EXPECT_TRUE(db.records.empty());
    EXPECT_EQ(GoldenAppInfo(), db.app_info);
    EXPECT_TRUE(HotSyncEntries().empty());
}

TEST_F(ProviderListTest, FilesEachKindUnderItsCategory) {
    const std::pair<uint8_t, int16_t> kinds[] = {{1, 0}, {2, 1}, {3, 2}, {0, 3}, {4, 3}, {255, 3}};
    for (auto [kind, category] : kinds) EXPECT_EQ(category, CategoryOfKind(kind)) << int(kind);
}

TEST_F(ProviderListTest, WithoutThePracticeDatabaseTheListIsEmptiedAndTheFailureLogged) {
    AddPractice();
    ASSERT_EQ(0, WriteProviderList(kAppointmentProviderList, ProviderFilter{}));
    RemovePracticeDatabase();
    EXPECT_EQ(0, WriteProviderList(kAppointmentProviderList, ProviderFilter{}));
    EXPECT_TRUE(OnHandheld("KvrRscDB").records.empty());
    EXPECT_EQ(GoldenAppInfo(), OnHandheld("KvrRscDB").app_info);
    EXPECT_EQ(Failures({"Unable to open Kalvora Resource database file"}), HotSyncEntries());
    EXPECT_EQ("Unable to open Kalvora Resource database file\r\n", Log().text());
}

// ---- Sync Manager failures ----

struct FaultCase {
    const char* operation;
    int32_t code;
    int32_t nth;
    int32_t result;
    const char* appointment_message;  // nullptr: none
    const char* journal_message;
    std::vector<Sent> left;  // what the handheld holds afterwards
};

class ProviderListFaultTest : public ProviderListTest {
  protected:
    // A first run fills the list; the second meets the fault.
    void Run(const ProviderListVariant& variant, const FaultCase& c, bool message_of_journal) {
        SCOPED_TRACE(std::string(c.operation) + " " + variant.database_name);
        ASSERT_EQ(0, WriteProviderList(variant, Filter({"DR01"})));
        HotSyncLogClear();
        Log().Clear();
        SyncStandInResetFaults();
        ASSERT_EQ(0, SyncStandInFailOperation(c.operation, c.code, c.nth));
        EXPECT_EQ(c.result, WriteProviderList(variant, ProviderFilter{}));
        SyncStandInResetFaults();
        const char* message = message_of_journal ? c.journal_message : c.appointment_message;
        if (message) {
            EXPECT_EQ(Failures({message}), HotSyncEntries());
            EXPECT_EQ(std::string(message) + "\r\n", Log().text());
        } else {
            EXPECT_TRUE(HotSyncEntries().empty());
            EXPECT_EQ("", Log().text());
        }
        EXPECT_EQ(c.left, Records(variant.database_name));
    }
};

const std::vector<Sent> kFirstRun = {{"DR01", 0}, {"OP01", 2}, {"OP02", 2}};

const FaultCase kFaultCases[] = {
    {"SyncOpenDatabase", 0x4001, 1, 0x4001, nullptr, nullptr, kFirstRun},
    {"SyncOpenDatabase", 0x4004, 1, 0x4004, nullptr, nullptr, kFirstRun},
    {"SyncDeleteAllRecords", 0x400E, 1, 0, "Unable to update Providers/Operatories on handheld",
     "Unable to update Providers on handheld", kFirstRun},
    {"SyncWriteAppInfoBlock",
     0x400E,
     1,
     0,
     "Unable to update Providers/Operatories on handheld",
     "Unable to update Providers on handheld",
     {}},
    {"SyncWriteRecord",
     0x400E,
     1,
     0,
     "Unable to write Provider/Op to handheld.",
     "Unable to write Provider to handheld.",
     {}},
    {"SyncWriteRecord",
     0x4009,
     2,
     0,
     "Unable to write Provider/Op to handheld.",
     "Unable to write Provider to handheld.",
     {{"DR01", 0}}},
    {"SyncWriteRecord",
     0x400E,
     4,
     0,
     "Unable to write Provider/Op to handheld.",
     "Unable to write Provider to handheld.",
     {{"DR01", 0}, {"DR02", 0}, {"DR03", 0}}},
    {"SyncWriteRecord",
     0x400E,
     5,
     0,
     "Unable to write Provider/Op to handheld.",
     "Unable to write Provider to handheld.",
     {{"DR01", 0}, {"DR02", 0}, {"DR03", 0}, {"OP01", 2}}},
    {"SyncCloseDatabase", 0x400E, 1, 0x400E, "Unable to update Providers/Operatories on handheld",
     "Unable to update Providers on handheld", kFirstRun},  // nothing reached the file
};

TEST_F(ProviderListFaultTest, AppointmentListGivesTheExactMessagesAndResults) {
    AddPractice();
    for (const FaultCase& c : kFaultCases) Run(kAppointmentProviderList, c, false);
}

TEST_F(ProviderListFaultTest, OfficeJournalGivesItsOwnMessages) {
    AddPractice();
    for (const FaultCase& c : kFaultCases) Run(kJournalProviderList, c, true);
}

TEST_F(ProviderListFaultTest, AFailedCreateIsLoggedAndReturned) {
    AddPractice();
    struct Case {
        const ProviderListVariant* variant;
        const char* message;
    };
    const Case cases[] = {
        {&kAppointmentProviderList, "Unable to create Provider/Op database on handheld"},
        {&kJournalProviderList, "Unable to create Provider database on handheld"},
        {&kPatientViewerProviderList, "Unable to create Provider/Op database on handheld"},
    };
    for (const Case& c : cases) {
        HotSyncLogClear();
        Log().Clear();
        ASSERT_EQ(0, SyncStandInFailOperation("SyncCreateDatabase", 0x4005, 1));
        EXPECT_EQ(0x4005, WriteProviderList(*c.variant, ProviderFilter{}));
        SyncStandInResetFaults();
        EXPECT_EQ(Failures({c.message}), HotSyncEntries());
        EXPECT_EQ(std::string(c.message) + "\r\n", Log().text());
        EXPECT_FALSE(OnHandheldExists(c.variant->database_name));
    }
}

}  // namespace
}  // namespace kv::conduit
