// The world of the framework's record helpers, provider list, settings and
// user association tests: a practice installation in a temporary directory
// whose practice libraries are the build's (bound through the framework's
// Database() and Utilities()), records put into its practice database
// through the practice store, and, for the provider list, a handheld
// directory behind the Sync Manager stand-in with the logs emptied.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "emulation/handheld/pdb_file.h"
#include "support/practice_fixture.h"
#include "support/temp_dir.h"

namespace kv::test {

class PracticeWorld : public ::testing::Test {
  protected:
    void SetUp() override;

    // Adds a record to a practice file; fails the test when it cannot.
    void AddRecord(int file, const std::vector<uint8_t>& data);
    // A resource record of practice file 6: kind, 4-character id, the byte at
    // offset 256.
    void AddResource(uint8_t kind, const char* id, uint8_t flag = 0);
    // A note of practice file 44: 10-byte header, text, terminator.
    void AddNote(uint8_t kind, int32_t owner, const std::string& text);
    // Points the installation at a data directory without a practice
    // database: sessions can no longer be started.
    void RemovePracticeDatabase();

    // The practice date of a civil date, through the practice library.
    static int32_t Date(int year, int month, int day);

    PracticeInstallation install_;
    TempDir empty_data_;
};

// A registered conduit with a handheld directory of its own, no planned
// Sync Manager faults and empty logs.
class HandheldWorld : public PracticeWorld {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The handheld database as its file holds it; fails the test when there
    // is none.
    handheld::PdbDatabase OnHandheld(const std::string& name);
    bool OnHandheldExists(const std::string& name) const;

    // The HotSync log entries added so far: text and activity.
    static std::vector<std::pair<std::string, int32_t>> HotSyncEntries();

    TempDir handheld_;
    ScopedEnv handheld_env_{"KV_HANDHELD", handheld_.path()};
    uint32_t conduit_ = 0;
};

}  // namespace kv::test
