#include "handheld/sync_fixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kv::test {

void SyncTest::SetUp() {
    SyncStandInResetFaults();
    ASSERT_EQ(0, SyncRegister(&conduit_));
    WriteTextFile(dir_.File("user.txt"), "Dr. Ada Molar\n");
}

void SyncTest::TearDown() {
    SyncStandInResetFaults();
    for (SyncDatabase db : open_) SyncCloseDatabase(db);
    SyncUnregister(conduit_);
}

SyncDatabase SyncTest::Open(const std::string& name) {
    SyncDatabase db = 0;
    EXPECT_EQ(0, SyncOpenDatabase(name.c_str(), 0, &db, kSyncOpenReadWriteExclusive)) << name;
    if (db) open_.push_back(db);
    return db;
}

SyncDatabase SyncTest::Create(const std::string& name) {
    SyncDatabaseSpec spec{};
    spec.creator = handheld::FourCharCode("KVAL");
    spec.type = handheld::FourCharCode("DATA");
    std::strncpy(spec.name, name.c_str(), sizeof spec.name - 1);
    EXPECT_EQ(0, SyncCreateDatabase(&spec)) << name;
    if (spec.database) open_.push_back(spec.database);
    return spec.database;
}

int32_t SyncTest::Close(SyncDatabase db) {
    open_.erase(std::remove(open_.begin(), open_.end(), db), open_.end());
    return SyncCloseDatabase(db);
}

uint32_t SyncTest::Add(SyncDatabase db, const std::vector<uint8_t>& data, uint8_t attributes,
                       int16_t category) {
    std::vector<uint8_t> copy = data;
    SyncRecord r{};
    r.database = db;
    r.attributes = attributes;
    r.category = category;
    r.buffer = copy.data();
    r.record_size = static_cast<uint32_t>(copy.size());
    EXPECT_EQ(0, SyncWriteRecord(&r));
    return r.record_id;
}

ReadBack SyncTest::ReadAt(SyncDatabase db, uint16_t index) {
    ReadBack back;
    back.data.resize(handheld::kPdbMaxRecords);
    back.fields.database = db;
    back.fields.index = index;
    back.fields.buffer = back.data.data();
    back.fields.buffer_size = static_cast<uint32_t>(back.data.size());
    back.rc = SyncReadRecordByIndex(&back.fields);
    back.data.resize(back.rc == 0 ? back.fields.record_size : 0);
    back.fields.buffer = nullptr;
    return back;
}

uint16_t SyncTest::Count(SyncDatabase db) {
    uint16_t count = 0xDEAD;
    EXPECT_EQ(0, SyncGetDBRecordCount(db, &count));
    return count;
}

handheld::PdbDatabase SyncTest::OnDisk(const std::string& name) {
    handheld::PdbDatabase db;
    std::string error;
    EXPECT_TRUE(handheld::ReadPdbFile(Path(name), &db, &error)) << error;
    return db;
}

void SyncTest::PutOnDisk(const handheld::PdbDatabase& db) {
    std::string error;
    ASSERT_TRUE(handheld::WritePdbFile(Path(db.name), db, &error)) << error;
}

handheld::PdbDatabase NumberedDatabase(const std::string& name, size_t n) {
    handheld::PdbDatabase db;
    db.name = name;
    db.type = handheld::FourCharCode("DATA");
    db.creator = handheld::FourCharCode("KVAL");
    db.unique_id_seed = 1;
    db.records.resize(n);
    for (size_t i = 0; i < n; ++i) {
        db.records[i].unique_id = static_cast<uint32_t>(i + 1);
        db.records[i].data.assign(1, static_cast<uint8_t>(i));
    }
    return db;
}

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    saved_ = ::dup(2);
    int fd = ::open(dir_.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, 2);
    ::close(fd);
}

StderrCapture::~StderrCapture() {
    Finish();
}

std::string StderrCapture::Finish() {
    if (saved_ >= 0) {
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    return ReadTextFile(dir_.File("stderr"));
}

}  // namespace kv::test
