// OpenConduit of the built conduit modules: the session's steps, their
// failures and the texts they leave in the HotSync log and the practice's
// sync log.
#include <gtest/gtest.h>

#include "conduit_world.h"
#include "emulation/handheld/sync_faults.h"
#include "stderr_capture.h"

namespace kv::test {
namespace {

using hotsync::LogLine;

struct Texts {
    const char* conduit;
    const char* do_nothing;
    const char* start;
    const char* success;
    const char* aborted;
    const char* first_section;
    const char* first_key;
    const char* notice;  // nullptr: none
};

const Texts kVariants[] = {
    {"KvrOJC", "KVJournal - sync configured to Do Nothing",
     "KVJournal HotSync operation initiated ",
     "KvJournal HotSync operation completed successfully ", "KvJournal HotSync operation aborted ",
     "KVMOBILE_OFFICEJOURNAL", "_Cnt",
     "KVJournal is configured in Kalvora to not download any entries."},
    {"KvrALC", "Kalvora Appointment List - sync configured to Do Nothing",
     "KvAppts HotSync operation initiated ", "KvAppts HotSync operation completed successfully ",
     "KvAppts HotSync operation aborted ", "KVMOBILE_APPTLIST", "_Cnt",
     "KVAppts is configured in Kalvora to not download any appointments."},
    {"KvrPVC", "Kalvora Patient Viewer - sync configured to Do Nothing",
     "KvPatients HotSync operation initiated ",
     "KvPatients HotSync operation completed successfully ",
     "KvPatients HotSync operation aborted ", "KVMOBILE_PATVIEWER", "_PatientViewer",
     "KVPatientViewer is configured in Kalvora to not download any patient information."},
    {"KvrRXC", "Kalvora Prescriptions - sync configured to Do Nothing",
     "KVRx HotSync operation initiated ", "KvRx HotSync operation completed successfully ",
     "KvRx HotSync operation aborted ", "KVMOBILE_RX", "_PurgeWks", nullptr},
};

std::string Stamp() {
    return std::string(kNow) + " " + kTodayText + "\r\n";
}

std::string Closing(const std::string& title) {
    return title + Stamp() + Rule() + "\r\n\r\n";
}

// The text of a synchronisation that failed at one of the session's checks.
std::string AbortedText(const Texts& t, const std::string& message) {
    return t.start + Stamp() + message + "\r\n" + Closing(t.aborted);
}

void ExpectLog(const std::vector<LogLine>& log, const std::vector<LogLine>& expected) {
    ASSERT_EQ(log.size(), expected.size());
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].text, expected[i].text) << "entry " << i;
        EXPECT_EQ(log[i].activity, expected[i].activity) << "entry " << i;
    }
}

class OpenConduitTest : public ::testing::Test {
  protected:
    void TearDown() override { SyncStandInResetFaults(); }
    ConduitWorld world_;
};

TEST_F(OpenConduitTest, DoNothingLogsOneNoticeAndRegistersNothing) {
    for (const Texts& t : kVariants) {
        SCOPED_TRACE(t.conduit);
        auto conduit = world_.Load(t.conduit);
        ASSERT_TRUE(conduit);
        ConduitWorld::ClearHotSyncLog();
        SyncStandInResetFaults();
        // A registration would fail; Do Nothing never gets there.
        ASSERT_EQ(SyncStandInFailOperation("SyncRegister", kSyncErrGeneral, 1), 0);
        EXPECT_EQ(world_.Sync(*conduit, kSyncTypeDoNothing), 0);
        ExpectLog(ConduitWorld::HotSyncLog(), {{t.do_nothing, -1, ""}});
        EXPECT_TRUE(world_.DayRecords().empty()) << "nothing stored";
    }
}

TEST_F(OpenConduitTest, DoNothingLeavesNoTextForTheNextSynchronisation) {
    world_.AssociateUser("DR01");
    auto conduit = world_.Load("KvrOJC");
    ASSERT_TRUE(conduit);
    EXPECT_EQ(world_.Sync(*conduit, kSyncTypeDoNothing), 0);
    EXPECT_EQ(world_.Sync(*conduit), 0);
    EXPECT_EQ(world_.Sync(*conduit), 0);
    const std::string one = std::string(kVariants[0].start) + Stamp() +
                            "KVMobile User: DR01\r\n\r\n" + Closing(kVariants[0].success);
    auto records = world_.DayRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, one + one) << "two synchronisations, nothing else";
}

TEST_F(OpenConduitTest, RefusedRegistrationIsReturnedWithNothingLogged) {
    auto conduit = world_.Load("KvrALC");
    ASSERT_TRUE(conduit);
    ConduitWorld::ClearHotSyncLog();
    ASSERT_EQ(SyncStandInFailOperation("SyncRegister", kSyncErrNotRegistered, 1), 0);
    EXPECT_EQ(world_.Sync(*conduit), kSyncErrNotRegistered);
    EXPECT_TRUE(ConduitWorld::HotSyncLog().empty());
    EXPECT_TRUE(world_.DayRecords().empty());
}

TEST_F(OpenConduitTest, SuccessfulSynchronisationLinesForAKnownAndAnUnknownUser) {
    for (const bool known : {true, false}) {
        for (const Texts& t : kVariants) {
            SCOPED_TRACE(std::string(t.conduit) + (known ? " known" : " unknown"));
            ConduitWorld world;
            if (known) world.AssociateUser("DR01");
            auto conduit = world.Load(t.conduit);
            ASSERT_TRUE(conduit);
            ConduitWorld::ClearHotSyncLog();
            EXPECT_EQ(world.Sync(*conduit), 0);
            ExpectLog(ConduitWorld::HotSyncLog(), {{"", 19, ""}, {t.conduit, 20, ""}});
            auto records = world.DayRecords();
            ASSERT_EQ(records.size(), 1u);
            EXPECT_EQ(records[0].text,
                      t.start + Stamp() +
                          (known ? "KVMobile User: DR01\r\n" : "KVMobile User: <Unknown>\r\n") +
                          "\r\n" + Closing(t.success));
        }
    }
}

TEST_F(OpenConduitTest, FirstSettingZeroEndsWithItsNoticeOrGoesOn) {
    for (const Texts& t : kVariants) {
        SCOPED_TRACE(t.conduit);
        ConduitWorld world;
        world.AssociateUser("DR01",
                            "[" + std::string(t.first_section) + "]\nDR01" + t.first_key + "=0\n");
        auto conduit = world.Load(t.conduit);
        ASSERT_TRUE(conduit);
        EXPECT_EQ(world.Sync(*conduit), 0);
        auto records = world.DayRecords();
        ASSERT_EQ(records.size(), 1u);
        const std::string notice = t.notice ? std::string(t.notice) + "\r\n" : "";
        EXPECT_EQ(records[0].text,
                  t.start + Stamp() + "KVMobile User: DR01\r\n\r\n" + notice + Closing(t.success));
        // Only the conduits without a notice go on to their steps.
        const bool provider_list = std::string(t.conduit) != "KvrRXC";
        const std::string list =
            std::string(t.conduit) == "KvrPVC" ? "/KvrPVRscDB.pdb" : "/KvrRscDB.pdb";
        EXPECT_EQ(FileExists(world.handheld() + list), provider_list && !t.notice);
    }
}

TEST_F(OpenConduitTest, DataVersionMustReadExactly11Point1) {
    struct Case {
        const char* what;
        const char* version_file;  // nullptr: no KVRDATA.INF
        bool strip_trailing_slash;
        bool passes;
    } cases[] = {
        {"11.1", "[GENERAL]\nData_Version=11.1\n", false, true},
        {"11.01", "[GENERAL]\nData_Version=11.01\n", false, false},
        {"11.10", "[GENERAL]\nData_Version=11.10\n", false, false},
        {"11.1 and a space", "[GENERAL]\nData_Version=\"11.1 \"\n", false, false},
        {"12.0", "[GENERAL]\nData_Version=12.0\n", false, false},
        {"empty", "[GENERAL]\nData_Version=\n", false, false},
        {"no key", "[GENERAL]\nVersion=11.1\n", false, false},
        {"no file", nullptr, false, false},
        {"data directory without its trailing slash", "[GENERAL]\nData_Version=11.1\n", true,
         false},
    };
    const Texts& t = kVariants[0];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConduitWorld world;
        PracticeInstallation& practice = world.practice();
        const std::string file = practice.data_dir() + "KVRDATA.INF";
        if (c.version_file)
            WriteTextFile(file, c.version_file);
        else
            std::remove(file.c_str());
        if (c.strip_trailing_slash) {
            std::string dir = practice.data_dir();
            dir.pop_back();
            practice.SetRegistry({{"path", dir}, {"ExePath", PracticeLibraryDir()}});
        }
        auto conduit = world.Load(t.conduit);
        ASSERT_TRUE(conduit);
        ConduitWorld::ClearHotSyncLog();
        const int32_t result = world.Sync(*conduit);
        if (c.passes) {
            EXPECT_EQ(result, 0);
            continue;
        }
        EXPECT_EQ(result, 4101);
        ExpectLog(ConduitWorld::HotSyncLog(),
                  {{"", 19, ""},
                   {"Unable to Sync.  Incompatible database version.", 22, ""},
                   {t.conduit, 21, ""}});
        auto records = world.DayRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].text,
                  AbortedText(t, "Unable to Sync.  Incompatible database version."));
    }
}

TEST_F(OpenConduitTest, UnreadableHotSyncUserAbortsWith4214) {
    const Texts& t = kVariants[3];
    for (const char* user_file : {"", "   \n"}) {
        SCOPED_TRACE(std::string("user.txt \"") + user_file + "\"");
        ConduitWorld world;
        WriteTextFile(world.handheld() + "/user.txt", user_file);
        auto conduit = world.Load(t.conduit);
        ASSERT_TRUE(conduit);
        ConduitWorld::ClearHotSyncLog();
        EXPECT_EQ(world.Sync(*conduit), 4214);
        ExpectLog(ConduitWorld::HotSyncLog(), {{"", 19, ""},
                                               {"Unable to Sync.  Unable to get User ID.", 22, ""},
                                               {t.conduit, 21, ""}});
        auto records = world.DayRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].text, AbortedText(t, "Unable to Sync.  Unable to get User ID."));
    }
}

TEST_F(OpenConduitTest, FailingStepReturnsItsCodeAndStoresTheAbortedLines) {
    for (const Texts& t : kVariants) {
        if (std::string(t.conduit) == "KvrRXC") continue;  // no steps yet
        SCOPED_TRACE(t.conduit);
        ConduitWorld world;
        world.AssociateUser("DR01");
        auto conduit = world.Load(t.conduit);
        ASSERT_TRUE(conduit);
        ConduitWorld::ClearHotSyncLog();
        SyncStandInResetFaults();
        ASSERT_EQ(SyncStandInFailOperation("SyncOpenDatabase", kSyncErrCorruptDatabase, 1), 0);
        EXPECT_EQ(world.Sync(*conduit), kSyncErrCorruptDatabase);
        ExpectLog(ConduitWorld::HotSyncLog(), {{"", 19, ""}, {t.conduit, 21, ""}});
        auto records = world.DayRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].text,
                  t.start + Stamp() + "KVMobile User: DR01\r\n\r\n" + Closing(t.aborted));

        // The next synchronisation of the same load starts afresh.
        EXPECT_EQ(world.Sync(*conduit), 0);
        records = world.DayRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].text, t.start + Stamp() + "KVMobile User: DR01\r\n\r\n" +
                                       Closing(t.aborted) + t.start + Stamp() +
                                       "KVMobile User: DR01\r\n\r\n" + Closing(t.success));
    }
}

TEST_F(OpenConduitTest, AssociationQuestionNamesTheHandheldOrThePalm) {
    for (const Texts& t : kVariants) {
        SCOPED_TRACE(t.conduit);
        ConduitWorld world;
        auto conduit = world.Load(t.conduit);
        ASSERT_TRUE(conduit);
        world.SetAnswers("no");
        StderrCapture echo;
        EXPECT_EQ(world.Sync(*conduit), 0);
        const std::string device = std::string(t.conduit) == "KvrRXC" ? "Palm" : "handheld";
        EXPECT_NE(echo.Text().find("[message box] Kalvora Dental Systems: This " + device +
                                   " is currently not associated with a Kalvora user.  Would "
                                   "you like to select one? -> No"),
                  std::string::npos)
            << echo.Text();
    }
}

}  // namespace
}  // namespace kv::test
