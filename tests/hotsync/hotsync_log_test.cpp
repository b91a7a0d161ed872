// The HotSync log (hslog20) and common library (pdcmn21) as the host sees
// them, also with a conduit module loaded as the HotSync Manager loads it,
// and the printed form of the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "emulation/hotsync/conduit_module.h"
#include "emulation/hotsync/hotsync_common_host.h"
#include "emulation/hotsync/hotsync_log_host.h"
#include "emulation/hotsync/log_printout.h"
#include "platform/hotsync_log.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

struct Entry {
    std::string text;
    int32_t activity;
    std::string time;
};

std::vector<Entry> AllEntries() {
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < HotSyncLogEntryCount(); ++i) {
        HotSyncLogEntry entry{};
        EXPECT_TRUE(HotSyncLogEntryAt(i, &entry));
        entries.push_back({entry.text, entry.activity, entry.time});
    }
    return entries;
}

class HotSyncLogTest : public ::testing::Test {
  protected:
    void SetUp() override { HotSyncLogClear(); }
    void TearDown() override { HotSyncLogClear(); }
};

TEST_F(HotSyncLogTest, KeepsEntriesInOrderWithActivityAndTimeStamp) {
    test::ScopedEnv now("KV_NOW", "09:41:07");
    struct Case {
        const char* text;
        int32_t activity;
        int32_t stamp;
        const char* stored;
        const char* time;
    };
    const Case cases[] = {
        {"", kLogActivityStart, 0, "", ""},
        {"12 appointments sent", kLogActivityText, 1, "12 appointments sent", "09:41:07"},
        {"first\r\nsecond", kLogActivityFailure, 0, "first\r\nsecond", ""},
        {nullptr, kLogActivityText, 0, "", ""},
        {"Appointments", kLogActivitySuccess, 7, "Appointments", "09:41:07"},
        {"Appointments", 99, 0, "Appointments", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(0, LogAddEntry(c.text, c.activity, c.stamp));

    std::vector<Entry> entries = AllEntries();
    ASSERT_EQ(std::size(cases), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].stored, entries[i].text);
        EXPECT_EQ(cases[i].activity, entries[i].activity);
        EXPECT_EQ(cases[i].time, entries[i].time);
    }
    HotSyncLogEntry past_end{};
    EXPECT_FALSE(HotSyncLogEntryAt(static_cast<uint32_t>(entries.size()), &past_end));
    EXPECT_FALSE(HotSyncLogEntryAt(0, nullptr));

    HotSyncLogClear();
    EXPECT_EQ(0u, HotSyncLogEntryCount());
}

TEST_F(HotSyncLogTest, ReadsATextNoFurtherThanTheCap) {
    // Exactly the cap and no terminator: a read past it is caught by the
    // address sanitizer.
    auto unterminated = std::make_unique<char[]>(kHotSyncLogMaxText);
    std::fill_n(unterminated.get(), kHotSyncLogMaxText, 'x');
    EXPECT_EQ(0, LogAddEntry(unterminated.get(), kLogActivityText, 0));
    const std::string longer(3 * kHotSyncLogMaxText, 'y');
    EXPECT_EQ(0, LogAddEntry(longer.c_str(), kLogActivityText, 0));

    std::vector<Entry> entries = AllEntries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(std::string(kHotSyncLogMaxText, 'x'), entries[0].text);
    EXPECT_EQ(std::string(kHotSyncLogMaxText, 'y'), entries[1].text);
}

TEST_F(HotSyncLogTest, TextsStayValidAsTheLogGrowsAndAFullLogSaysSo) {
    ASSERT_EQ(0, LogAddEntry("short", kLogActivityText, 0));
    HotSyncLogEntry first{};
    ASSERT_TRUE(HotSyncLogEntryAt(0, &first));

    int32_t last_result = 0;
    for (uint32_t i = 1; i < kHotSyncLogMaxEntries - 1; ++i)
        last_result = LogAddEntry("entry", kLogActivityText, 0);
    EXPECT_EQ(0, last_result);
    EXPECT_STREQ("short", first.text);

    EXPECT_NE(0, LogAddEntry("one too many", kLogActivityText, 0));
    EXPECT_NE(0, LogAddEntry("and another", kLogActivityText, 0));
    ASSERT_EQ(kHotSyncLogMaxEntries, HotSyncLogEntryCount());
    HotSyncLogEntry last{};
    ASSERT_TRUE(HotSyncLogEntryAt(kHotSyncLogMaxEntries - 1, &last));
    EXPECT_NE(nullptr, std::strstr(last.text, "later entries were dropped")) << last.text;
}

TEST(HotSyncCommonLibrary, CountsEveryInitialisation) {
    const uint32_t before = HotSyncCommonInitCount();
    EXPECT_EQ(0, InitPdcmn5DLL());
    EXPECT_EQ(0, InitPdcmn5DLL());
    EXPECT_EQ(before + 2, HotSyncCommonInitCount());
}

// A conduit loaded as the HotSync Manager loads it shares the host's log
// and common library, and initialises the library once as it loads.
TEST_F(HotSyncLogTest, ALoadedConduitWritesIntoTheHostsLog) {
    const uint32_t before = HotSyncCommonInitCount();
    std::string problem;
    auto conduit = hotsync::ConduitModule::Load(KV_TEST_CONDUIT_DIR, "KvTestConduit", &problem);
    ASSERT_NE(nullptr, conduit) << problem;
    EXPECT_EQ(before + 1, HotSyncCommonInitCount());

    SyncProperties properties{};
    properties.sync_type = kSyncTypeDoNothing;
    std::strcpy(properties.user_name, "Dr. Ames");
    EXPECT_EQ(0, conduit->open_conduit()(nullptr, &properties));
    EXPECT_EQ(0, conduit->open_conduit()(nullptr, &properties));
    EXPECT_EQ(before + 1, HotSyncCommonInitCount());

    std::vector<Entry> entries = AllEntries();
    ASSERT_EQ(8u, entries.size());
    EXPECT_EQ(kLogActivityStart, entries[0].activity);
    EXPECT_EQ("sync type 6, user \"Dr. Ames\", handheld ", entries[1].text);
    EXPECT_EQ("Test Conduit", entries[3].text);
    EXPECT_EQ(kLogActivitySuccess, entries[3].activity);
}

TEST(HotSyncLogPrintout, ShowsEachEntryByActivityAndEachOutcome) {
    hotsync::HotSyncReport report;
    report.date = "2024-03-05";
    report.time = "14:02:11";
    report.user = "Dr. Ames";
    hotsync::ConduitOutcome ok;
    ok.name = "KvrALC";
    ok.status = hotsync::ConduitOutcome::Status::kOk;
    ok.sync_type = kSyncTypeDesktopOverwritesHandheld;
    ok.log = {{"", kLogActivityStart, ""},
              {"sent", kLogActivityText, "14:02:12"},
              {"line one\r\nline two\nline three", kLogActivityFailure, ""},
              {"", kLogActivitySuccess, ""},
              {"Day Notes", kLogActivityAborted, ""},
              {"odd", 42, ""}};
    hotsync::ConduitOutcome failed;
    failed.name = "KvrOJC";
    failed.status = hotsync::ConduitOutcome::Status::kFailed;
    failed.result = 0x4001;
    failed.sync_type = kSyncTypeDoNothing;
    hotsync::ConduitOutcome not_run;
    not_run.name = "KvrPVC";
    not_run.problem = "cannot load /c/KvrPVC.so (error 126: module not found)";
    report.outcomes = {ok, failed, not_run};

    EXPECT_EQ(
        "HotSync started 2024-03-05 14:02:11 for \"Dr. Ames\"\n"
        "  KvrALC: started\n"
        "  KvrALC: [14:02:12] sent\n"
        "  KvrALC: error: line one\n"
        "          line two\n"
        "          line three\n"
        "  KvrALC: KvrALC synchronized successfully\n"
        "  KvrALC: Day Notes aborted\n"
        "  KvrALC: (activity 42) odd\n"
        "  KvrALC => OK; sync action 3 (Desktop overwrites Handheld)\n"
        "  KvrOJC => FAILED: OpenConduit answered 16385 (0x4001); sync action 6 (Do Nothing)\n"
        "  KvrPVC => NOT RUN: cannot load /c/KvrPVC.so (error 126: module not found)\n"
        "HotSync finished: 1 of 3 conduits OK\n",
        hotsync::FormatHotSyncLog(report));
    EXPECT_FALSE(report.Succeeded());
    report.outcomes = {ok};
    EXPECT_TRUE(report.Succeeded());
}

}  // namespace
}  // namespace kv
