#include "tools/handheld/record_edits.h"

#include <gtest/gtest.h>

#include <functional>

namespace kv::handheld_tool {
namespace {

using handheld::kPdbRecBusy;
using handheld::kPdbRecDelete;
using handheld::kPdbRecDirty;
using handheld::kPdbRecSecret;
using handheld::PdbDatabase;
using handheld::PdbRecord;

PdbRecord Record(uint32_t id, uint8_t flags = 0, std::vector<uint8_t> data = {1, 2, 3}) {
    PdbRecord r;
    r.unique_id = id;
    r.flags = flags;
    r.category = 1;
    r.data = std::move(data);
    return r;
}

PdbDatabase TwoRecords() {
    PdbDatabase db;
    db.name = "KvrOJDB";
    db.unique_id_seed = 10;
    db.records = {Record(5), Record(10)};
    return db;
}

TEST(UniqueIds, AreNonZeroUnusedAndTwentyFourBits) {
    struct Case {
        uint32_t seed;
        std::vector<uint32_t> in_use;
        uint32_t expected_id;
        uint32_t expected_seed;
    } cases[] = {
        {0, {}, 1, 2},                    // zero is never an id
        {7, {}, 7, 8},                    // the seed's value
        {7, {7, 8}, 9, 10},               // taken ids are skipped
        {0xFFFFFF, {}, 0xFFFFFF, 1},      // the seed wraps past zero
        {0xFFFFFF, {0xFFFFFF, 1}, 2, 3},  // and so does the search
        {0x12000005, {}, 5, 6},           // bits above 24 are dropped
    };
    for (const Case& c : cases) {
        PdbDatabase db;
        db.unique_id_seed = c.seed;
        for (uint32_t id : c.in_use) db.records.push_back(Record(id));
        EXPECT_EQ(c.expected_id, TakeUniqueId(&db)) << std::hex << c.seed;
        EXPECT_EQ(c.expected_seed, db.unique_id_seed) << std::hex << c.seed;
    }
}

TEST(RecordEdits, NewRecordIsDirtyAtTheEndWithAFreshId) {
    PdbDatabase db = TwoRecords();
    size_t index = 0;
    std::string error;
    ASSERT_TRUE(AddRecord(&db, {9, 9}, 3, &index, &error)) << error;
    ASSERT_EQ(2u, index);
    const PdbRecord& added = db.records[2];
    EXPECT_EQ(kPdbRecDirty, added.flags);
    EXPECT_EQ(3, added.category);
    EXPECT_EQ(11u, added.unique_id) << "10 is taken";
    EXPECT_EQ((std::vector<uint8_t>{9, 9}), added.data);
    EXPECT_EQ(1u, db.modification_number);
}

TEST(RecordEdits, ChangeKeepsPlaceIdAndOtherFlags) {
    PdbDatabase db = TwoRecords();
    db.records[1].flags = kPdbRecSecret;
    std::string error;
    ASSERT_TRUE(ChangeRecord(&db, 1, {7}, std::nullopt, &error)) << error;
    EXPECT_EQ(kPdbRecSecret | kPdbRecDirty, db.records[1].flags);
    EXPECT_EQ(10u, db.records[1].unique_id);
    EXPECT_EQ(1, db.records[1].category);
    EXPECT_EQ((std::vector<uint8_t>{7}), db.records[1].data);
    ASSERT_TRUE(ChangeRecord(&db, 1, {8}, uint8_t{4}, &error)) << error;
    EXPECT_EQ(4, db.records[1].category);
}

TEST(RecordEdits, DeleteDropsTheDataArchiveKeepsIt) {
    PdbDatabase db = TwoRecords();
    std::string error;
    ASSERT_TRUE(DeleteRecord(&db, 0, &error)) << error;
    ASSERT_TRUE(ArchiveRecord(&db, 1, &error)) << error;
    EXPECT_EQ(kPdbRecDelete | kPdbRecDirty, db.records[0].flags);
    EXPECT_TRUE(db.records[0].data.empty());
    EXPECT_EQ(kPdbRecDelete | kPdbRecDirty, db.records[1].flags);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), db.records[1].data);
    EXPECT_EQ(std::vector<std::string>({"deleted", "dirty"}), AttributeWords(db.records[0]));
    EXPECT_EQ(std::vector<std::string>({"archived", "dirty"}), AttributeWords(db.records[1]));
    EXPECT_EQ(2u, db.records.size()) << "records stay until the desktop purges them";
}

void ExpectSameDatabase(const PdbDatabase& a, const PdbDatabase& b, const std::string& what) {
    ASSERT_EQ(a.records.size(), b.records.size()) << what;
    for (size_t i = 0; i < a.records.size(); ++i) {
        EXPECT_EQ(a.records[i].flags, b.records[i].flags) << what << ", record " << i;
        EXPECT_EQ(a.records[i].category, b.records[i].category) << what << ", record " << i;
        EXPECT_EQ(a.records[i].unique_id, b.records[i].unique_id) << what << ", record " << i;
        EXPECT_EQ(a.records[i].data, b.records[i].data) << what << ", record " << i;
    }
    EXPECT_EQ(a.unique_id_seed, b.unique_id_seed) << what;
    EXPECT_EQ(a.modification_number, b.modification_number) << what;
}

TEST(RecordEdits, RefusalsNameTheFaultAndChangeNothing) {
    PdbDatabase base = TwoRecords();
    base.records.push_back(Record(20, kPdbRecDelete, {}));
    base.records.push_back(Record(21, kPdbRecDelete | kPdbRecBusy));
    const std::vector<uint8_t> too_large(kMaxRecordSize + 1);
    struct Case {
        const char* error;
        std::function<bool(PdbDatabase*, std::string*)> edit;
    } cases[] = {
        {"record 2 is already deleted",
         [](PdbDatabase* db, std::string* e) { return ChangeRecord(db, 2, {1}, std::nullopt, e); }},
        {"record 3 is already archived",
         [](PdbDatabase* db, std::string* e) { return DeleteRecord(db, 3, e); }},
        {"record 2 is already deleted",
         [](PdbDatabase* db, std::string* e) { return ArchiveRecord(db, 2, e); }},
        {"no record at index 4 (4 records)",
         [](PdbDatabase* db, std::string* e) { return ArchiveRecord(db, 4, e); }},
        {"a record of 65506 bytes passes the limit of 65505",
         [&](PdbDatabase* db, std::string* e) {
             return ChangeRecord(db, 0, too_large, std::nullopt, e);
         }},
        {"a record of 65506 bytes passes the limit of 65505",
         [&](PdbDatabase* db, std::string* e) {
             size_t index;
             return AddRecord(db, too_large, 0, &index, e);
         }},
        {"category 16 is not 0..15",
         [](PdbDatabase* db, std::string* e) {
             size_t index;
             return AddRecord(db, {1}, 16, &index, e);
         }},
        {"category 16 is not 0..15",
         [](PdbDatabase* db, std::string* e) { return ChangeRecord(db, 0, {1}, uint8_t{16}, e); }},
    };
    for (const Case& c : cases) {
        PdbDatabase db = base;
        std::string error;
        EXPECT_FALSE(c.edit(&db, &error)) << c.error;
        EXPECT_EQ(c.error, error);
        ExpectSameDatabase(base, db, c.error);
    }
}

TEST(RecordEdits, RecordsAreFoundByIndexOrUniqueId) {
    PdbDatabase db = TwoRecords();
    size_t index = 99;
    std::string error;
    ASSERT_TRUE(FindRecord(db, RecordSelector{true, 10}, &index, &error)) << error;
    EXPECT_EQ(1u, index);
    ASSERT_TRUE(FindRecord(db, RecordSelector{false, 0}, &index, &error)) << error;
    EXPECT_EQ(0u, index);
    EXPECT_FALSE(FindRecord(db, RecordSelector{true, 99}, &index, &error));
    EXPECT_EQ("no record with unique id 99", error);
    EXPECT_FALSE(FindRecord(db, RecordSelector{false, 2}, &index, &error));
    EXPECT_EQ("no record at index 2 (2 records)", error);
}

TEST(RecordEdits, AFullDatabaseTakesNoNewRecord) {
    PdbDatabase db;
    db.records.resize(kMaxRecords);
    for (size_t i = 0; i < kMaxRecords; ++i) db.records[i].unique_id = static_cast<uint32_t>(i + 1);
    size_t index = 0;
    std::string error;
    EXPECT_FALSE(AddRecord(&db, {1}, 0, &index, &error));
    EXPECT_EQ("the database holds the most records a handheld allows (65535)", error);
    EXPECT_EQ(kMaxRecords, db.records.size());
}

}  // namespace
}  // namespace kv::handheld_tool
