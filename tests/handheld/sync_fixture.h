// The world of a Sync Manager test: a handheld directory named by
// KV_HANDHELD, a registered conduit, no planned faults, and helpers that
// drive the stand-in (sync20, linked as a conduit links it) and look at the
// files it leaves.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulation/handheld/pdb_file.h"
#include "emulation/handheld/sync_faults.h"
#include "platform/sync_manager.h"
#include "support/temp_dir.h"

namespace kv::test {

// A record as read back: its fields and its data.
struct ReadBack {
    int32_t rc = 0;
    SyncRecord fields{};
    std::vector<uint8_t> data;
};

class SyncTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return dir_.File(name + ".pdb"); }
    std::string Bytes(const std::string& name) const { return ReadTextFile(Path(name)); }

    // Opens or creates (empty, 'DATA'/'KVAL') a database; fails the test when
    // that fails. Closed at the end of the test unless closed before.
    SyncDatabase Open(const std::string& name);
    SyncDatabase Create(const std::string& name);
    int32_t Close(SyncDatabase db);

    // Appends a record; its id.
    uint32_t Add(SyncDatabase db, const std::vector<uint8_t>& data, uint8_t attributes = 0,
                 int16_t category = 0);
    ReadBack ReadAt(SyncDatabase db, uint16_t index);
    uint16_t Count(SyncDatabase db);

    // The file of a database, decoded; and a database put straight on disk.
    handheld::PdbDatabase OnDisk(const std::string& name);
    void PutOnDisk(const handheld::PdbDatabase& db);

    TempDir dir_;
    ScopedEnv handheld_env_{"KV_HANDHELD", dir_.path()};
    SyncConduitHandle conduit_ = 0;
    std::vector<SyncDatabase> open_;
};

// A database of n records with ids 1..n, record i holding the byte i & 0xFF.
handheld::PdbDatabase NumberedDatabase(const std::string& name, size_t n);

// Collects what is written to stderr while it lives.
class StderrCapture {
  public:
    StderrCapture();
    ~StderrCapture();
    std::string Finish();

  private:
    TempDir dir_;
    int saved_ = -1;
};

}  // namespace kv::test
