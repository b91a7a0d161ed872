#include "emulation/handheld/fault_table.h"

#include <gtest/gtest.h>

namespace kv::handheld {
namespace {

std::vector<int32_t> Calls(FaultTable* table, const char* operation, int n) {
    std::vector<int32_t> results;
    for (int i = 0; i < n; ++i) results.push_back(table->OnCall(operation));
    return results;
}

TEST(FaultTable, FailsOnlyTheNthCallOfItsOperation) {
    FaultTable table;
    ASSERT_TRUE(table.Plan("SyncWriteRecord", 0x400E, 3));
    ASSERT_TRUE(table.Plan("SyncWriteRecord", -1, 5));
    EXPECT_EQ((std::vector<int32_t>{0, 0}), Calls(&table, "SyncReadRecordById", 2));
    EXPECT_EQ((std::vector<int32_t>{0, 0, 0x400E, 0, -1, 0}), Calls(&table, "SyncWriteRecord", 6));
    table.Reset();
    EXPECT_EQ((std::vector<int32_t>{0, 0, 0}), Calls(&table, "SyncWriteRecord", 3));
}

TEST(FaultTable, CountsCallsMadeBeforeTheFaultWasPlanned) {
    FaultTable table;
    Calls(&table, "SyncCloseDatabase", 2);
    ASSERT_TRUE(table.Plan("SyncCloseDatabase", 0x4003, 2));  // already past
    ASSERT_TRUE(table.Plan("SyncCloseDatabase", 0x4004, 3));
    EXPECT_EQ((std::vector<int32_t>{0x4004, 0}), Calls(&table, "SyncCloseDatabase", 2));
}

TEST(FaultTable, RefusesUnknownOperationsAndSenselessFaults) {
    FaultTable table;
    EXPECT_FALSE(table.Plan("SyncHostToHHWord", 1, 1));
    EXPECT_FALSE(table.Plan("SyncWrite", 1, 1));
    EXPECT_FALSE(table.Plan("SyncWriteRecord", 0, 1));
    EXPECT_FALSE(table.Plan("SyncWriteRecord", 1, 0));
    EXPECT_EQ(0, table.OnCall("NotAnOperation"));
    EXPECT_EQ((std::vector<int32_t>{0}), Calls(&table, "SyncWriteRecord", 1));
}

TEST(FaultTable, PlansAListOfEntries) {
    struct Case {
        const char* list;
        bool ok;
        std::vector<int32_t> write_calls;  // results of the first 3 SyncWriteRecord calls
    };
    const Case cases[] = {
        {"SyncWriteRecord:0x400E:3,SyncCloseDatabase:16387:1", true, {0, 0, 0x400E}},
        {" SyncWriteRecord:16385:1 , SyncWriteRecord:0X4002:2 ,", true, {0x4001, 0x4002, 0}},
        {"SyncWriteRecord:0xFFFFFFFF:1", true, {-1, 0, 0}},
        {"", true, {0, 0, 0}},
        {"SyncWriteRecord:1:2,Bogus:1:1,SyncWriteRecord:2:3", false, {0, 1, 0}},
        {"SyncWriteRecord:1", false, {0, 0, 0}},
        {"SyncWriteRecord:x:1", false, {0, 0, 0}},
        {"SyncWriteRecord:1:0", false, {0, 0, 0}},
        {"SyncWriteRecord:1:2:3", false, {0, 0, 0}},
        {"SyncWriteRecord:0x1FFFFFFFF:1", false, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        FaultTable table;
        std::string error;
        EXPECT_EQ(c.ok, table.PlanList(c.list, &error)) << error;
        EXPECT_EQ(c.ok, error.empty()) << error;
        EXPECT_EQ(c.write_calls, Calls(&table, "SyncWriteRecord", 3));
    }
}

}  // namespace
}  // namespace kv::handheld
