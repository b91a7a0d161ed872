#include "emulation/handheld/handheld_device.h"

#include <gtest/gtest.h>

#include "emulation/handheld/handheld_database.h"
#include "platform/sync_manager.h"
#include "support/temp_dir.h"

namespace kv::handheld {
namespace {

TEST(HandheldUserFile, ReadsNameAndNumbers) {
    struct Case {
        std::string text;
        int32_t rc;
        std::string name;
        uint32_t user_id;
        uint32_t last_sync_pc;
    };
    const Case cases[] = {
        {"Dr. Ada Molar\n", 0, "Dr. Ada Molar", 0, 0},
        {"Dr. Ada Molar \t\r\nuser_id=4711\nlast_sync_pc=0x1F\n", 0, "Dr. Ada Molar", 4711, 31},
        {" Lead Blank", 0, " Lead Blank", 0, 0},
        {"Ada\nuser_id=12x\nlast_sync_pc=99999999999\nnote=1\n", 0, "Ada", 0, 0},
        {"Ada\r\nuser_id=-1\r\nuser_id=7\r\n", 0, "Ada", 7, 0},
        {std::string(70, 'x') + "\n", 0, std::string(63, 'x'), 0, 0},
        {"", kSyncErrNoUser, "", 0, 0},
        {" \r\nuser_id=1\n", kSyncErrNoUser, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        test::TempDir dir;
        test::WriteTextFile(dir.File("user.txt"), c.text);
        HandheldUser user;
        user.name = "untouched";
        ASSERT_EQ(c.rc, HandheldDevice(dir.path()).ReadUser(&user));
        if (c.rc != 0) {
            EXPECT_EQ("untouched", user.name);
            continue;
        }
        EXPECT_EQ(c.name, user.name);
        EXPECT_EQ(c.user_id, user.user_id);
        EXPECT_EQ(c.last_sync_pc, user.last_sync_pc);
    }
}

TEST(HandheldUserFile, MissingFileIsNoUser) {
    test::TempDir dir;
    HandheldUser user;
    EXPECT_EQ(kSyncErrNoUser, HandheldDevice(dir.path()).ReadUser(&user));
}

TEST(HandheldDevice, ChecksDatabaseNamesAsFileNames) {
    struct Case {
        std::string name;
        int32_t rc;
    };
    const Case cases[] = {
        {"KalvoraAppointments", 0},
        {std::string(31, 'a'), 0},
        {"With space-", 0},
        {std::string(32, 'a'), kSyncErrBadName},
        {"", kSyncErrBadName},
        {"a/b", kSyncErrBadName},
        {".", kSyncErrBadName},
        {"..", kSyncErrBadName},
        {"tab\there", kSyncErrBadName},
    };
    for (const Case& c : cases) EXPECT_EQ(c.rc, CheckDatabaseName(c.name)) << c.name;
}

TEST(HandheldDevice, ListsOnlyDatabaseFiles) {
    test::TempDir dir;
    HandheldDevice device(dir.path() + "/");
    for (const char* file : {"B.pdb", "A.pdb", "A.pdb.lock", "user.txt", "C.pdb.XyZ123"})
        test::WriteTextFile(dir.File(file), "x");
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), device.DatabaseNames());
    EXPECT_EQ(dir.File("A.pdb"), device.DatabasePath("A"));
}

TEST(HandheldDevice, LockIsExclusiveUntilReleased) {
    test::TempDir dir;
    HandheldDevice device(dir.path());
    DatabaseLock first;
    DatabaseLock second;
    std::string error;
    ASSERT_EQ(0, device.Lock("Memo", &first, &error)) << error;
    EXPECT_EQ(0600, test::FileMode(dir.File("Memo.pdb.lock")));
    EXPECT_EQ(kSyncErrAlreadyOpen, device.Lock("Memo", &second, &error));
    EXPECT_EQ(dir.File("Memo.pdb") + ": already open", error);
    EXPECT_EQ(0, device.Lock("Other", &second, &error));
    DatabaseLock moved = std::move(first);
    EXPECT_FALSE(first.held());
    EXPECT_EQ(kSyncErrAlreadyOpen, device.Lock("Memo", &second, &error));
    moved.Release();
    EXPECT_EQ(0, device.Lock("Memo", &second, &error));

    HandheldDevice missing(dir.File("absent"));
    EXPECT_EQ(kSyncErrGeneral, missing.Lock("Memo", &first, &error));
}

TEST(RecordAttributes, MapFileFlagsToSyncBitsAndBack) {
    struct Case {
        uint8_t file_flags;
        bool has_data;
        uint8_t sync_bits;
    };
    const Case cases[] = {
        {0x00, true, 0x00},
        {kPdbRecDelete, false, kSyncRecDeleted},
        {kPdbRecDelete, true, kSyncRecArchived},
        {kPdbRecDirty, true, kSyncRecDirty},
        {kPdbRecBusy, true, kSyncRecBusy},
        {kPdbRecSecret, false, kSyncRecSecret},
        {kPdbRecDelete | kPdbRecDirty, false, kSyncRecDeleted | kSyncRecDirty},
        {0xF0, true, kSyncRecArchived | kSyncRecDirty | kSyncRecBusy | kSyncRecSecret},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.file_flags) * 2 + c.has_data);
        PdbRecord record{c.file_flags, 5, 1,
                         c.has_data ? std::vector<uint8_t>{1} : std::vector<uint8_t>{}};
        EXPECT_EQ(c.sync_bits, SyncAttributesOf(record));
        EXPECT_EQ(c.file_flags, FileFlagsOf(c.sync_bits));
    }
    EXPECT_EQ(kPdbRecDelete, FileFlagsOf(kSyncRecDeleted | kSyncRecArchived | 0x07));
}

class HandheldDatabaseTest : public ::testing::Test {
  protected:
    void Store(const PdbDatabase& db) {
        std::string error;
        ASSERT_EQ(0, device_.Store(db.name, db, &error)) << error;
    }
    std::unique_ptr<HandheldDatabase> Open(const std::string& name) {
        std::unique_ptr<HandheldDatabase> db;
        std::string error;
        EXPECT_EQ(0, HandheldDatabase::Open(device_, name, &db, &error)) << error;
        return db;
    }

    test::TempDir dir_;
    HandheldDevice device_{dir_.path()};
};

TEST_F(HandheldDatabaseTest, NewIdsComeFromTheSeedSkippingZeroAndIdsInUse) {
    PdbDatabase stored;
    stored.name = "Ids";
    stored.unique_id_seed = 0xFFFFFE;
    stored.records.push_back({0, 0, 0xFFFFFF, {}});
    stored.records.push_back({0, 0, 0x000001, {}});
    Store(stored);
    auto db = Open("Ids");
    ASSERT_TRUE(db);
    std::vector<uint32_t> ids;
    for (int i = 0; i < 3; ++i) {
        uint32_t id = 0;
        uint16_t index = 0;
        ASSERT_EQ(0, db->Write(&id, 0, 0, nullptr, 0, &index));
        EXPECT_EQ(2 + i, index);
        ids.push_back(id);
    }
    EXPECT_EQ((std::vector<uint32_t>{0xFFFFFE, 0x000002, 0x000003}), ids);
    EXPECT_EQ(4u, db->contents().unique_id_seed);
}

TEST_F(HandheldDatabaseTest, CreatedDatabasesStartTheSeedAwayFromIndexes) {
    std::unique_ptr<HandheldDatabase> db;
    std::string error;
    NewDatabase spec;
    spec.name = "Fresh";
    ASSERT_EQ(0, HandheldDatabase::Create(device_, spec, 1000, &db, &error)) << error;
    uint32_t id = 0;
    uint16_t index = 0;
    ASSERT_EQ(0, db->Write(&id, 0, 0, nullptr, 0, &index));
    EXPECT_EQ(kFirstUniqueId, id);
    EXPECT_EQ(0, db->Close(2000, &error)) << error;
    PdbDatabase back;
    ASSERT_EQ(0, device_.Load("Fresh", &back, &error)) << error;
    EXPECT_EQ(1000u, back.creation_time);
    EXPECT_EQ(2000u, back.modification_time);
    EXPECT_EQ(1u, back.modification_number);
}

TEST_F(HandheldDatabaseTest, KeepsTheFileNameWhenTheHeaderNameDiffers) {
    PdbDatabase stored;
    stored.name = "Renamed";
    std::string error;
    ASSERT_EQ(0, device_.Store("OnDisk", stored, &error)) << error;
    auto db = Open("OnDisk");
    ASSERT_TRUE(db);
    db->DeleteAll();
    db->WriteAppInfo(nullptr, 0);  // a change all the same
    ASSERT_EQ(0, db->Close(1, &error)) << error;
    EXPECT_EQ(std::vector<std::string>{"OnDisk"}, device_.DatabaseNames());
}

}  // namespace
}  // namespace kv::handheld
