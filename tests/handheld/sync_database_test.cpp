// The Sync Manager stand-in as a conduit sees it: registration, the user,
// opening, creating and closing databases; sync20 linked in, a handheld
// directory under KV_HANDHELD.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "emulation/handheld/handheld_device.h"
#include "handheld/sync_fixture.h"

namespace kv::test {
namespace {

using handheld::FourCharCode;
using handheld::PdbDatabase;

TEST(SyncRegistration, HandlesAreDistinctAndReleasedOnce) {
    SyncConduitHandle a = 0, b = 0;
    ASSERT_EQ(0, SyncRegister(&a));
    ASSERT_EQ(0, SyncRegister(&b));
    EXPECT_NE(0u, a);
    EXPECT_NE(a, b);
    EXPECT_EQ(0, SyncUnregister(a));
    EXPECT_EQ(kSyncErrNotRegistered, SyncUnregister(a));
    EXPECT_EQ(0, SyncUnregister(b));
    EXPECT_EQ(kSyncErrNotRegistered, SyncUnregister(0));
    EXPECT_EQ(kSyncErrBadArgument, SyncRegister(nullptr));
}

TEST(SyncRegistration, EveryOtherOperationNeedsARegisteredConduit) {
    TempDir dir;
    ScopedEnv env("KV_HANDHELD", dir.path());
    WriteTextFile(dir.File("user.txt"), "Ada\n");
    SyncUserIdentity user{};
    SyncDatabase db = 0;
    SyncDatabaseSpec spec{};
    std::strcpy(spec.name, "Never");
    SyncRecord record{};
    uint16_t count = 0;
    const std::function<int32_t()> operations[] = {
        [&] { return SyncReadUserIdentity(&user); },
        [&] { return SyncOpenDatabase("Never", 0, &db, kSyncOpenReadWriteExclusive); },
        [&] { return SyncCreateDatabase(&spec); },
        [&] { return SyncCloseDatabase(1); },
        [&] { return SyncGetDBRecordCount(1, &count); },
        [&] { return SyncReadRecordByIndex(&record); },
        [&] { return SyncReadRecordById(&record); },
        [&] { return SyncWriteRecord(&record); },
        [&] { return SyncDeleteRecord(&record); },
        [&] { return SyncDeleteAllRecords(1); },
        [&] { return SyncWriteAppInfoBlock(1, nullptr, 0); },
        [&] { return SyncPurgeMarkedRecords(1); },
        [&] { return SyncClearDirtyMarks(1); },
    };
    for (size_t i = 0; i < std::size(operations); ++i)
        EXPECT_EQ(kSyncErrNotRegistered, operations[i]()) << "operation " << i;
    EXPECT_FALSE(FileExists(dir.File("Never.pdb")));
}

TEST_F(SyncTest, ReadsTheUserIdentity) {
    WriteTextFile(dir_.File("user.txt"), "Dr. Ada Molar \r\nuser_id=4711\nlast_sync_pc=0x2A\n");
    SyncUserIdentity user;
    std::memset(&user, 0xEE, sizeof user);
    ASSERT_EQ(0, SyncReadUserIdentity(&user));
    EXPECT_STREQ("Dr. Ada Molar", user.name);
    EXPECT_EQ(0, user.name[sizeof user.name - 1]);  // the rest is cleared
    EXPECT_EQ(4711u, user.user_id);
    EXPECT_EQ(42u, user.last_sync_pc);

    WriteTextFile(dir_.File("user.txt"), std::string(100, 'u'));
    ASSERT_EQ(0, SyncReadUserIdentity(&user));
    EXPECT_EQ(std::string(63, 'u'), user.name);

    EXPECT_EQ(kSyncErrBadArgument, SyncReadUserIdentity(nullptr));
    WriteTextFile(dir_.File("user.txt"), "\r\n");
    EXPECT_EQ(kSyncErrNoUser, SyncReadUserIdentity(&user));
    ::unlink(dir_.File("user.txt").c_str());
    EXPECT_EQ(kSyncErrNoUser, SyncReadUserIdentity(&user));
    ScopedEnv no_handheld("KV_HANDHELD", "");
    EXPECT_EQ(kSyncErrNoUser, SyncReadUserIdentity(&user));
}

TEST_F(SyncTest, OpenRefusesMissingDatabasesAndBadArguments) {
    PutOnDisk(NumberedDatabase("Here", 1));
    PutOnDisk(NumberedDatabase(std::string(31, 'n'), 1));
    struct Case {
        const char* what;
        const char* name;
        int32_t card;
        bool with_handle;
        int32_t rc;
    };
    const std::string longest(31, 'n');
    const std::string too_long(32, 'n');
    const Case cases[] = {
        {"missing", "Missing", 0, true, 0x4003},
        {"other card", "Here", 1, true, kSyncErrNotFound},
        {"32 characters", too_long.c_str(), 0, true, kSyncErrBadName},
        {"empty name", "", 0, true, kSyncErrBadName},
        {"path in the name", "../Here", 0, true, kSyncErrBadName},
        {"no name", nullptr, 0, true, kSyncErrBadArgument},
        {"no handle", "Here", 0, false, kSyncErrBadArgument},
        {"31 characters", longest.c_str(), 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SyncDatabase db = 0;
        EXPECT_EQ(c.rc, SyncOpenDatabase(c.name, c.card, c.with_handle ? &db : nullptr,
                                         kSyncOpenReadWriteExclusive));
        EXPECT_EQ(c.rc == 0, db != 0);
        if (db) {
            EXPECT_EQ(0, SyncCloseDatabase(db));
        }
    }
    ScopedEnv no_handheld("KV_HANDHELD", "");
    SyncDatabase db = 0;
    EXPECT_EQ(kSyncErrGeneral, SyncOpenDatabase("Here", 0, &db, kSyncOpenReadWriteExclusive));
}

TEST_F(SyncTest, SecondOpenOfAnOpenDatabaseIsRefused) {
    PutOnDisk(NumberedDatabase("Memo", 2));
    SyncDatabase first = Open("Memo");
    SyncDatabase second = 0;
    EXPECT_EQ(kSyncErrAlreadyOpen,
              SyncOpenDatabase("Memo", 0, &second, kSyncOpenReadWriteExclusive));
    EXPECT_EQ(0, second);
    SyncDatabaseSpec spec{};
    std::strcpy(spec.name, "Memo");
    EXPECT_EQ(kSyncErrAlreadyOpen, SyncCreateDatabase(&spec));
    EXPECT_EQ(2, Count(first));  // the refusals left the first open alone
    EXPECT_EQ(0, Close(first));
    Close(Open("Memo"));
}

TEST_F(SyncTest, CorruptDatabaseIsRefusedReportedAndLeftAlone) {
    std::string garbage(100, '\x01');  // a name of control characters
    WriteTextFile(Path("Broken"), garbage);
    StderrCapture capture;
    SyncDatabase db = 0;
    EXPECT_EQ(kSyncErrCorruptDatabase,
              SyncOpenDatabase("Broken", 0, &db, kSyncOpenReadWriteExclusive));
    std::string reported = capture.Finish();
    EXPECT_NE(std::string::npos, reported.find(Path("Broken") + ": bad database name")) << reported;
    EXPECT_EQ(garbage, Bytes("Broken"));
    PutOnDisk(NumberedDatabase("Broken", 1));  // the refusal did not keep it locked
    Close(Open("Broken"));
}

TEST_F(SyncTest, CreateMakesTheDatabaseFileAtClose) {
    const std::string name(31, 'c');
    SyncDatabaseSpec spec{};
    spec.creator = FourCharCode("KVAL");
    spec.type = FourCharCode("Appt");
    spec.flags = 0x0008;
    spec.version = 3;
    std::memcpy(spec.name, name.data(), name.size());
    ASSERT_EQ(0, SyncCreateDatabase(&spec));
    ASSERT_NE(0, spec.database);
    EXPECT_FALSE(FileExists(Path(name)));  // a crash now leaves no database
    EXPECT_EQ(0, Count(spec.database));
    Add(spec.database, {1, 2});
    ASSERT_EQ(0, SyncCloseDatabase(spec.database));

    EXPECT_EQ(0600, FileMode(Path(name)));
    PdbDatabase db = OnDisk(name);
    EXPECT_EQ(name, db.name);
    EXPECT_EQ(FourCharCode("KVAL"), db.creator);
    EXPECT_EQ(FourCharCode("Appt"), db.type);
    EXPECT_EQ(0x0008, db.attributes);
    EXPECT_EQ(3, db.version);
    EXPECT_EQ(1u, db.modification_number);
    EXPECT_GT(db.creation_time, handheld::PalmTimeFromUnix(1600000000));
    EXPECT_LE(db.creation_time, db.modification_time);
    ASSERT_EQ(1u, db.records.size());
    EXPECT_EQ((std::vector<uint8_t>{1, 2}), db.records[0].data);

    spec.database = 0;
    EXPECT_EQ(kSyncErrAlreadyExists, SyncCreateDatabase(&spec));
    EXPECT_EQ(0, spec.database);
    Close(Open(name));  // the refusal released the name
}

TEST_F(SyncTest, CreateRefusesBadSpecs) {
    struct Case {
        const char* what;
        std::function<void(SyncDatabaseSpec*)> spoil;
        int32_t rc;
    };
    const Case cases[] = {
        {"unterminated name", [](SyncDatabaseSpec* s) { std::memset(s->name, 'n', 32); },
         kSyncErrBadName},
        {"empty name", [](SyncDatabaseSpec* s) { s->name[0] = 0; }, kSyncErrBadName},
        {"card 1", [](SyncDatabaseSpec* s) { s->card = 1; }, kSyncErrBadArgument},
        {"resource database", [](SyncDatabaseSpec* s) { s->flags = 0x0001; }, kSyncErrBadArgument},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SyncDatabaseSpec spec{};
        std::strcpy(spec.name, "Spoilt");
        c.spoil(&spec);
        EXPECT_EQ(c.rc, SyncCreateDatabase(&spec));
        EXPECT_EQ(0, spec.database);
    }
    EXPECT_EQ(kSyncErrBadArgument, SyncCreateDatabase(nullptr));
    EXPECT_EQ(std::vector<std::string>{}, handheld::HandheldDevice(dir_.path()).DatabaseNames());
}

TEST_F(SyncTest, CloseRewritesOnlyAChangedDatabase) {
    PdbDatabase stored = NumberedDatabase("Memo", 3);
    stored.modification_number = 41;
    stored.modification_time = 1000;
    stored.creation_time = 500;
    stored.records[1].flags = handheld::kPdbRecDirty;
    PutOnDisk(stored);
    const std::string before = Bytes("Memo");

    SyncDatabase db = Open("Memo");
    ReadAt(db, 0);
    SyncPurgeMarkedRecords(db);  // nothing marked
    EXPECT_EQ(0, Close(db));
    EXPECT_EQ(before, Bytes("Memo"));

    db = Open("Memo");
    EXPECT_EQ(0, SyncClearDirtyMarks(db));
    EXPECT_EQ(0, Close(db));
    PdbDatabase after = OnDisk("Memo");
    EXPECT_EQ(42u, after.modification_number);
    EXPECT_GT(after.modification_time, 1000u);
    EXPECT_EQ(500u, after.creation_time);
    EXPECT_EQ(0, after.records[1].flags);
    EXPECT_EQ(kSyncErrBadArgument, SyncCloseDatabase(db));  // already closed
}

TEST_F(SyncTest, CloseThatCannotWriteAnswersWriteErrorAndReleases) {
    PutOnDisk(NumberedDatabase("Memo", 1));
    const std::string before = Bytes("Memo");
    SyncDatabase db = Open("Memo");
    Add(db, {2});
    const std::string moved = dir_.path() + ".away";
    ASSERT_EQ(0, std::rename(dir_.path().c_str(), moved.c_str()));
    StderrCapture capture;
    EXPECT_EQ(kSyncErrWrite, Close(db));
    std::string reported = capture.Finish();
    ASSERT_EQ(0, std::rename(moved.c_str(), dir_.path().c_str()));
    EXPECT_NE(std::string::npos, reported.find("sync20: " + Path("Memo") + ": cannot be written"))
        << reported;
    EXPECT_EQ(before, Bytes("Memo"));
    EXPECT_EQ(kSyncErrBadArgument, SyncCloseDatabase(db));  // released all the same
    Close(Open("Memo"));
}

}  // namespace
}  // namespace kv::test
