// The practice-side sync log as the built conduits store it in practice file
// 45: one record per day, texts appended in order, continuation records when
// the day's record is full, and the failures that lose nothing but the text.
#include <gtest/gtest.h>

#include "conduit_world.h"

namespace kv::test {
namespace {

constexpr size_t kMaxRecord = 65535;

std::string OneSync(const char* start, const char* success, const char* user_line) {
    const std::string stamp = std::string(kNow) + " " + kTodayText + "\r\n";
    return start + stamp + user_line + "\r\n" + success + stamp + Rule() + "\r\n\r\n";
}

const std::string& JournalText() {
    static const std::string text =
        OneSync("KVJournal HotSync operation initiated ",
                "KvJournal HotSync operation completed successfully ", "KVMobile User: DR01\r\n");
    return text;
}

const std::string& PrescriptionText() {
    static const std::string text =
        OneSync("KVRx HotSync operation initiated ",
                "KvRx HotSync operation completed successfully ", "KVMobile User: DR01\r\n");
    return text;
}

const std::string& AppointmentText() {
    static const std::string text =
        OneSync("KvAppts HotSync operation initiated ",
                "KvAppts HotSync operation completed successfully ", "KVMobile User: DR01\r\n");
    return text;
}

// Lines of earlier texts of the day, `size` bytes in all.
std::string EarlierText(size_t size) {
    std::string text;
    while (text.size() < size) text += "earlier line " + std::to_string(text.size()) + "\r\n";
    text.resize(size);
    return text;
}

TEST(SyncLogRecord, FirstSyncOfTheDayCreatesItAndASecondConduitAppendsDirectly) {
    ConduitWorld world;
    world.AssociateUser("DR01");
    auto journal = world.Load("KvrOJC");
    auto appointments = world.Load("KvrALC");
    ASSERT_TRUE(journal && appointments);

    EXPECT_EQ(world.Sync(*journal), 0);
    auto records = world.DayRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].number, 1);
    EXPECT_EQ(records[0].date, PracticeDate(kToday));
    EXPECT_EQ(records[0].text, JournalText());
    EXPECT_EQ(records[0].size, 10 + JournalText().size() + 1);

    EXPECT_EQ(world.Sync(*appointments), 0);
    records = world.DayRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, JournalText() + AppointmentText());
    EXPECT_EQ(records[0].size, 10 + JournalText().size() + AppointmentText().size() + 1)
        << "grows by exactly the text";
}

TEST(SyncLogRecord, NextDayStartsANewRecordAndLeavesTheOldOne) {
    ConduitWorld world;
    world.AssociateUser("DR01");
    auto journal = world.Load("KvrOJC");
    ASSERT_TRUE(journal);
    EXPECT_EQ(world.Sync(*journal), 0);
    world.SetToday("2026-12-12");
    EXPECT_EQ(world.Sync(*journal), 0);
    auto records = world.DayRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].date, PracticeDate(kToday));
    EXPECT_EQ(records[0].text, JournalText());
    EXPECT_EQ(records[1].date, PracticeDate("2026-12-12"));
    EXPECT_EQ(records[1].number, 1);
    EXPECT_NE(records[1].text.find("12/12/2026"), std::string::npos);
}

TEST(SyncLogRecord, FullDayRecordGetsContinuationRecords) {
    const size_t room = kMaxRecord - 11;  // text room of one record
    struct Case {
        const char* what;
        std::vector<size_t> earlier;  // text sizes of the day's records 1, 2, ...
        size_t expected_records;
        bool appended;  // the text went into the last record
    } cases[] = {
        {"room left", {1000}, 1, true},
        {"record 1 full", {room}, 2, false},
        {"just fits", {0}, 1, true},
        {"record 1 full, record 2 has room", {room - 100, 500}, 2, true},
        {"records 1 and 2 full", {room - 100, room - 100}, 3, false},
    };
    cases[2].earlier = {room - JournalText().size()};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConduitWorld world;
        world.AssociateUser("DR01");
        std::vector<std::string> earlier;
        for (size_t i = 0; i < c.earlier.size(); ++i) {
            earlier.push_back(EarlierText(c.earlier[i]));
            world.AddDayRecord(static_cast<int32_t>(i + 1), kToday, earlier.back());
        }
        world.AddDayRecord(1, "2026-12-10", "the day before\r\n");
        auto journal = world.Load("KvrOJC");
        ASSERT_TRUE(journal);
        EXPECT_EQ(world.Sync(*journal), 0);

        std::vector<DayRecord> today;
        for (const DayRecord& r : world.DayRecords())
            if (r.date == PracticeDate(kToday)) today.push_back(r);
        ASSERT_EQ(today.size(), c.expected_records);
        std::string all;
        for (size_t i = 0; i < today.size(); ++i) {
            EXPECT_EQ(today[i].number, static_cast<int32_t>(i + 1));
            EXPECT_LE(today[i].size, kMaxRecord);
            if (i < earlier.size() && !(c.appended && i + 1 == earlier.size())) {
                EXPECT_EQ(today[i].text, earlier[i]) << "record " << i + 1 << " untouched";
            }
            all += today[i].text;
        }
        std::string expected;
        for (const std::string& e : earlier) expected += e;
        EXPECT_EQ(all, expected + JournalText()) << "nothing of the day lost, in order";
        if (!c.appended) {
            EXPECT_EQ(today.back().text, JournalText());
        }
    }
}

TEST(SyncLogRecord, NoMemoryForTheRecordLosesOnlyThatText) {
    ConduitWorld world;
    world.AssociateUser("DR01");
    // The module's movable memory fails its second allocation: in a conduit
    // without steps, the record buffer of the second synchronisation's store.
    ScopedEnv fail("KV_FAIL_MOVABLE_ALLOC", "2");
    auto prescriptions = world.Load("KvrRXC");
    ASSERT_TRUE(prescriptions);
    EXPECT_EQ(world.Sync(*prescriptions), 0);
    ConduitWorld::ClearHotSyncLog();
    EXPECT_EQ(world.Sync(*prescriptions), 0);
    for (const hotsync::LogLine& line : ConduitWorld::HotSyncLog())
        EXPECT_NE(line.text, "Unable to write Kalvora Hotsync log.") << "nothing reported";
    auto records = world.DayRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, PrescriptionText()) << "the second text is lost";

    // The next synchronisation stores its own text only.
    EXPECT_EQ(world.Sync(*prescriptions), 0);
    records = world.DayRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, PrescriptionText() + PrescriptionText());
}

}  // namespace
}  // namespace kv::test
