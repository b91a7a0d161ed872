// The Sync Manager stand-in's record operations as a conduit sees them:
// sync20 linked in, a handheld directory under KV_HANDHELD.
#include <gtest/gtest.h>

#include <cstring>

#include "handheld/sync_fixture.h"

namespace kv::test {
namespace {

using handheld::PdbDatabase;

TEST_F(SyncTest, ReadsRecordsByIndexAndById) {
    PdbDatabase stored = NumberedDatabase("Memo", 2);
    stored.records[1] = {handheld::kPdbRecSecret, 7, 0xABCDEF, {'h', 'e', 'l', 'l', 'o'}};
    PutOnDisk(stored);
    SyncDatabase db = Open("Memo");

    uint8_t buffer[5 + 3];
    std::memset(buffer, 0xEE, sizeof buffer);
    SyncRecord r{};
    r.database = db;
    r.index = 1;
    r.buffer = buffer;
    r.buffer_size = 5;
    ASSERT_EQ(0, SyncReadRecordByIndex(&r));
    EXPECT_EQ(0xABCDEFu, r.record_id);
    EXPECT_EQ(1, r.index);
    EXPECT_EQ(kSyncRecSecret, r.attributes);
    EXPECT_EQ(7, r.category);
    EXPECT_EQ(5u, r.record_size);
    EXPECT_EQ(0, std::memcmp(buffer, "hello\xEE\xEE\xEE", 8));  // guard bytes intact

    SyncRecord by_id{};
    by_id.database = db;
    by_id.record_id = 1;
    by_id.index = 99;
    by_id.buffer = buffer;
    by_id.buffer_size = sizeof buffer;
    ASSERT_EQ(0, SyncReadRecordById(&by_id));
    EXPECT_EQ(0, by_id.index);
    EXPECT_EQ(1u, by_id.record_size);
    EXPECT_EQ(0, buffer[0]);
}

TEST_F(SyncTest, ReadNeverWritesPastTheBuffer) {
    PdbDatabase stored = NumberedDatabase("Memo", 1);
    stored.records[0].data.assign(200, 0x42);
    PutOnDisk(stored);
    SyncDatabase db = Open("Memo");
    struct Case {
        const char* what;
        uint32_t buffer_size;
        bool null_buffer;
        int32_t rc;
    };
    const Case cases[] = {
        {"one byte short", 199, false, kSyncErrBufferTooSmall},
        {"no room", 0, false, kSyncErrBufferTooSmall},
        {"no buffer", 0, true, kSyncErrBufferTooSmall},
        {"no buffer but room claimed", 200, true, kSyncErrBadArgument},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> buffer(256, 0xEE);
        SyncRecord r{};
        r.database = db;
        r.buffer = c.null_buffer ? nullptr : buffer.data();
        r.buffer_size = c.buffer_size;
        EXPECT_EQ(c.rc, SyncReadRecordByIndex(&r));
        EXPECT_EQ(std::vector<uint8_t>(256, 0xEE), buffer);
        if (c.rc == kSyncErrBufferTooSmall) {
            EXPECT_EQ(200u, r.record_size);  // the room needed
        }
    }
}

TEST_F(SyncTest, ReadOfAMissingRecordIsRecordNotFound) {
    PutOnDisk(NumberedDatabase("Memo", 2));
    SyncDatabase db = Open("Memo");
    uint8_t buffer[4];
    SyncRecord r{};
    r.database = db;
    r.buffer = buffer;
    r.buffer_size = sizeof buffer;
    r.index = 2;
    EXPECT_EQ(kSyncErrRecordNotFound, SyncReadRecordByIndex(&r));
    r.record_id = 3;
    EXPECT_EQ(kSyncErrRecordNotFound, SyncReadRecordById(&r));
    r.record_id = 0;
    EXPECT_EQ(kSyncErrRecordNotFound, SyncReadRecordById(&r));
    EXPECT_EQ(kSyncErrBadArgument, SyncReadRecordByIndex(nullptr));
    EXPECT_EQ(kSyncErrBadArgument, SyncReadRecordById(nullptr));
}

TEST_F(SyncTest, WriteAppendsWithNewIdsAndReplacesInPlace) {
    SyncDatabase db = Create("Memo");
    const uint32_t a = Add(db, {'a'});
    const uint32_t b = Add(db, {'b'});
    const uint32_t c = Add(db, {'c'});
    EXPECT_NE(0u, a);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_NE(a, c);
    EXPECT_EQ(0u, a & 0xFF000000);

    std::vector<uint8_t> data = {'B', 'B'};
    SyncRecord r{};
    r.database = db;
    r.record_id = b;
    r.attributes = kSyncRecDirty;
    r.category = 4;
    r.buffer = data.data();
    r.record_size = 2;
    ASSERT_EQ(0, SyncWriteRecord(&r));
    EXPECT_EQ(b, r.record_id);
    EXPECT_EQ(1, r.index);
    EXPECT_EQ(3, Count(db));
    ReadBack back = ReadAt(db, 1);
    EXPECT_EQ(b, back.fields.record_id);
    EXPECT_EQ(data, back.data);
    EXPECT_EQ(kSyncRecDirty, back.fields.attributes);
    EXPECT_EQ(4, back.fields.category);

    r.record_id = 0xFFFFFF;
    EXPECT_EQ(kSyncErrRecordNotFound, SyncWriteRecord(&r));
    EXPECT_EQ(3, Count(db));

    ASSERT_EQ(0, Close(db));
    PdbDatabase disk = OnDisk("Memo");
    ASSERT_EQ(3u, disk.records.size());
    EXPECT_EQ((std::vector<uint32_t>{a, b, c}),
              (std::vector<uint32_t>{disk.records[0].unique_id, disk.records[1].unique_id,
                                     disk.records[2].unique_id}));
    EXPECT_EQ(handheld::kPdbRecDirty, disk.records[1].flags);
    EXPECT_EQ(4, disk.records[1].category);
}

TEST_F(SyncTest, WriteRefusesBadCategoriesSizesAndBuffers) {
    SyncDatabase db = Create("Memo");
    std::vector<uint8_t> big(65506, 0x5A);
    struct Case {
        const char* what;
        int16_t category;
        uint32_t size;
        bool null_buffer;
        int32_t rc;
    };
    const Case cases[] = {
        {"category 16", 16, 1, false, kSyncErrBadArgument},
        {"category -1", -1, 1, false, kSyncErrBadArgument},
        {"65,506 bytes", 0, 65506, false, kSyncErrRecordTooLarge},
        {"no buffer", 0, 5, true, kSyncErrBadArgument},
        {"65,505 bytes", 15, 65505, false, 0},
        {"empty without buffer", 0, 0, true, 0},
    };
    uint16_t expected_count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SyncRecord r{};
        r.database = db;
        r.category = c.category;
        r.buffer = c.null_buffer ? nullptr : big.data();
        r.record_size = c.size;
        EXPECT_EQ(c.rc, SyncWriteRecord(&r));
        EXPECT_EQ(c.rc == 0, r.record_id != 0);
        if (c.rc == 0) ++expected_count;
        EXPECT_EQ(expected_count, Count(db));
    }
    ReadBack back = ReadAt(db, 0);
    EXPECT_EQ(std::vector<uint8_t>(65505, 0x5A), back.data);
    EXPECT_EQ(15, back.fields.category);
    EXPECT_EQ(kSyncErrBadArgument, SyncWriteRecord(nullptr));
}

TEST_F(SyncTest, AttributesMapBetweenSyncBitsAndFileFlags) {
    struct Case {
        const char* what;
        uint8_t written;
        std::vector<uint8_t> data;
        uint8_t read;
        uint8_t file_byte;  // flags and category 2
    };
    const Case cases[] = {
        {"plain", 0, {1}, 0, 0x02},
        {"dirty secret", kSyncRecDirty | kSyncRecSecret, {1}, 0x50, 0x52},
        {"busy", kSyncRecBusy, {1}, kSyncRecBusy, 0x22},
        {"archived, data kept", kSyncRecArchived, {1}, kSyncRecArchived, 0x82},
        {"deleted, no data", kSyncRecDeleted, {}, kSyncRecDeleted, 0x82},
        {"deleted with data reads archived", kSyncRecDeleted, {1}, kSyncRecArchived, 0x82},
        {"archived without data reads deleted", kSyncRecArchived, {}, kSyncRecDeleted, 0x82},
        {"dirty deleted", kSyncRecDeleted | kSyncRecDirty, {}, 0xC0, 0xC2},
        {"unknown low bits dropped", 0x07, {1}, 0, 0x02},
    };
    SyncDatabase db = Create("Attrs");
    for (const Case& c : cases) Add(db, c.data, c.written, 2);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(cases[i].read, ReadAt(db, static_cast<uint16_t>(i)).fields.attributes);
    }
    ASSERT_EQ(0, Close(db));
    std::string bytes = Bytes("Attrs");
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(cases[i].file_byte,
                  static_cast<uint8_t>(
                      bytes.at(handheld::kPdbHeaderSize + handheld::kPdbRecordEntrySize * i + 4)));
    }
}

TEST_F(SyncTest, DeleteRemovesAtOnceAndLaterRecordsMoveDown) {
    PutOnDisk(NumberedDatabase("Memo", 4));
    SyncDatabase db = Open("Memo");
    SyncRecord r{};
    r.database = db;
    r.record_id = 2;
    ASSERT_EQ(0, SyncDeleteRecord(&r));
    EXPECT_EQ(3, Count(db));
    EXPECT_EQ(3u, ReadAt(db, 1).fields.record_id);
    EXPECT_EQ(4u, ReadAt(db, 2).fields.record_id);
    EXPECT_EQ(kSyncErrRecordNotFound, SyncDeleteRecord(&r));
    EXPECT_EQ(kSyncErrBadArgument, SyncDeleteRecord(nullptr));
    ASSERT_EQ(0, Close(db));
    EXPECT_EQ(3u, OnDisk("Memo").records.size());

    db = Open("Memo");
    ASSERT_EQ(0, SyncDeleteAllRecords(db));
    EXPECT_EQ(0, Count(db));
    ASSERT_EQ(0, Close(db));
    EXPECT_TRUE(OnDisk("Memo").records.empty());
}

TEST_F(SyncTest, WritesTheAppInfoBlock) {
    SyncDatabase db = Create("Memo");
    const uint8_t block[] = {'c', 'a', 't', 0, 9};
    ASSERT_EQ(0, SyncWriteAppInfoBlock(db, block, sizeof block));
    const uint8_t shorter[] = {7};
    ASSERT_EQ(0, SyncWriteAppInfoBlock(db, shorter, sizeof shorter));  // replaces
    EXPECT_EQ(kSyncErrBadArgument, SyncWriteAppInfoBlock(db, nullptr, 3));
    ASSERT_EQ(0, Close(db));
    EXPECT_EQ(std::vector<uint8_t>{7}, OnDisk("Memo").app_info);

    db = Open("Memo");
    ASSERT_EQ(0, SyncWriteAppInfoBlock(db, nullptr, 0));
    ASSERT_EQ(0, Close(db));
    EXPECT_TRUE(OnDisk("Memo").app_info.empty());
}

TEST_F(SyncTest, PurgeRemovesMarkedRecordsAndClearDirtyKeepsOtherFlags) {
    using namespace handheld;
    PdbDatabase stored = NumberedDatabase("Memo", 6);
    stored.records[0].flags = kPdbRecDirty;
    stored.records[1] = {kPdbRecDelete | kPdbRecDirty, 0, 2, {}};   // deleted
    stored.records[2] = {kPdbRecDelete | kPdbRecDirty, 0, 3, {3}};  // archived
    stored.records[3].flags = kPdbRecDirty | kPdbRecSecret;
    stored.records[4] = {kPdbRecDelete, 0, 5, {}};
    stored.records[5].flags = kPdbRecBusy;
    PutOnDisk(stored);

    SyncDatabase db = Open("Memo");
    ASSERT_EQ(0, SyncPurgeMarkedRecords(db));
    ASSERT_EQ(3, Count(db));
    ASSERT_EQ(0, SyncClearDirtyMarks(db));
    std::vector<std::pair<uint32_t, uint8_t>> left;
    for (uint16_t i = 0; i < 3; ++i)
        left.emplace_back(ReadAt(db, i).fields.record_id, ReadAt(db, i).fields.attributes);
    EXPECT_EQ(
        (std::vector<std::pair<uint32_t, uint8_t>>{{1, 0}, {4, kSyncRecSecret}, {6, kSyncRecBusy}}),
        left);
    ASSERT_EQ(0, Close(db));
    PdbDatabase disk = OnDisk("Memo");
    ASSERT_EQ(3u, disk.records.size());
    EXPECT_EQ(kPdbRecSecret, disk.records[1].flags);
    EXPECT_EQ(kPdbRecBusy, disk.records[2].flags);
}

TEST_F(SyncTest, UnknownHandlesAndNullPointersAreBadArguments) {
    PutOnDisk(NumberedDatabase("Memo", 1));
    SyncDatabase open = Open("Memo");
    uint16_t count = 0;
    uint8_t byte = 0;
    for (SyncDatabase db : {SyncDatabase{0}, SyncDatabase{-1}, SyncDatabase{open + 1000}}) {
        SCOPED_TRACE(db);
        SyncRecord r{};
        r.database = db;
        r.record_id = 1;
        r.buffer = &byte;
        r.buffer_size = 1;
        r.record_size = 1;
        EXPECT_EQ(kSyncErrBadArgument, SyncCloseDatabase(db));
        EXPECT_EQ(kSyncErrBadArgument, SyncGetDBRecordCount(db, &count));
        EXPECT_EQ(kSyncErrBadArgument, SyncReadRecordByIndex(&r));
        EXPECT_EQ(kSyncErrBadArgument, SyncReadRecordById(&r));
        EXPECT_EQ(kSyncErrBadArgument, SyncWriteRecord(&r));
        EXPECT_EQ(kSyncErrBadArgument, SyncDeleteRecord(&r));
        EXPECT_EQ(kSyncErrBadArgument, SyncDeleteAllRecords(db));
        EXPECT_EQ(kSyncErrBadArgument, SyncWriteAppInfoBlock(db, &byte, 1));
        EXPECT_EQ(kSyncErrBadArgument, SyncPurgeMarkedRecords(db));
        EXPECT_EQ(kSyncErrBadArgument, SyncClearDirtyMarks(db));
    }
    EXPECT_EQ(kSyncErrBadArgument, SyncGetDBRecordCount(open, nullptr));
    EXPECT_EQ(1, Count(open));
}

TEST_F(SyncTest, HoldsAtMost65535Records) {
    PutOnDisk(NumberedDatabase("Full", 65535));
    SyncDatabase db = Open("Full");
    EXPECT_EQ(65535, Count(db));
    uint8_t byte = 9;
    SyncRecord r{};
    r.database = db;
    r.buffer = &byte;
    r.record_size = 1;
    EXPECT_EQ(kSyncErrTooManyRecords, SyncWriteRecord(&r));
    EXPECT_EQ(0u, r.record_id);
    r.record_id = 65535;
    EXPECT_EQ(0, SyncWriteRecord(&r));  // replacing still works
    EXPECT_EQ(65534, r.index);

    SyncRecord gone{};
    gone.database = db;
    gone.record_id = 100;
    ASSERT_EQ(0, SyncDeleteRecord(&gone));
    r.record_id = 0;
    ASSERT_EQ(0, SyncWriteRecord(&r));
    EXPECT_EQ(65534, r.index);
    r.record_id = 0;
    EXPECT_EQ(kSyncErrTooManyRecords, SyncWriteRecord(&r));
    ASSERT_EQ(0, Close(db));
    PdbDatabase disk = OnDisk("Full");  // decoding refuses duplicate ids
    EXPECT_EQ(65535u, disk.records.size());
}

TEST(SyncByteOrder, HandheldWordsAreBigEndian) {
    uint16_t word = SyncHostToHHWord(0x1234);
    uint32_t dword = SyncHostToHHDWord(0x12345678);
    uint8_t bytes[4];
    std::memcpy(bytes, &word, 2);
    EXPECT_EQ(0x12, bytes[0]);
    EXPECT_EQ(0x34, bytes[1]);
    std::memcpy(bytes, &dword, 4);
    EXPECT_EQ(0, std::memcmp(bytes, "\x12\x34\x56\x78", 4));
    EXPECT_EQ(0x1234, SyncHHToHostWord(word));
    EXPECT_EQ(0x12345678u, SyncHHToHostDWord(dword));
    const uint8_t from_handheld[4] = {0xCA, 0xFE, 0xBA, 0xBE};
    std::memcpy(&dword, from_handheld, 4);
    EXPECT_EQ(0xCAFEBABEu, SyncHHToHostDWord(dword));
}

}  // namespace
}  // namespace kv::test
