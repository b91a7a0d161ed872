#include "conduit_framework_parts/parts_fixture.h"

#include "conduit_framework/practice_database.h"
#include "conduit_framework/practice_utilities.h"
#include "conduit_framework/sync_log.h"
#include "emulation/handheld/sync_faults.h"
#include "emulation/hotsync/hotsync_log_host.h"
#include "platform/byte_order.h"
#include "platform/sync_manager.h"

namespace kv::test {

void PracticeWorld::SetUp() {
    // Every installation here names the build's practice libraries as its
    // executables. The framework binds them when the process starts (from
    // the working directory, where ctest runs the test); a run from
    // elsewhere binds them now, as a conduit library loaded at this point
    // would.
    const std::map<std::string, std::string> settings = {{"path", install_.data_dir()},
                                                         {"ExePath", PracticeLibraryDir()}};
    install_.SetRegistry(settings);
    install_.SetKalvoraIni(settings);
    if (!conduit::Database().loaded() && conduit::Database().Load()) conduit::Database().Bind();
    if (!conduit::Utilities().loaded() && conduit::Utilities().Load()) conduit::Utilities().Bind();
    ASSERT_TRUE(conduit::Database().loaded());
    ASSERT_TRUE(conduit::Utilities().loaded());
}

void PracticeWorld::AddRecord(int file, const std::vector<uint8_t>& data) {
    auto store = install_.OpenStore();
    ASSERT_TRUE(store);
    int64_t row = 0;
    ASSERT_TRUE(store->Add(file, data, &row)) << store->last_error();
}

void PracticeWorld::AddResource(uint8_t kind, const char* id, uint8_t flag) {
    std::vector<uint8_t> record(512, 0);
    record[0] = kind;
    for (size_t i = 0; i < 4 && id[i] != '\0'; ++i) record[1 + i] = static_cast<uint8_t>(id[i]);
    record[256] = flag;
    AddRecord(6, record);
}

void PracticeWorld::AddNote(uint8_t kind, int32_t owner, const std::string& text) {
    // The 10-byte header, the text and its terminator.
    std::vector<uint8_t> record(10 + text.size() + 1, 0);
    record[0] = kind;
    StoreLE32(record.data() + 2, static_cast<uint32_t>(owner));
    for (size_t i = 0; i < text.size(); ++i) record[10 + i] = static_cast<uint8_t>(text[i]);
    AddRecord(44, record);
}

void PracticeWorld::RemovePracticeDatabase() {
    const std::map<std::string, std::string> settings = {{"path", empty_data_.path() + "/"},
                                                         {"ExePath", PracticeLibraryDir()}};
    install_.SetRegistry(settings);
    install_.SetKalvoraIni(settings);
}

int32_t PracticeWorld::Date(int year, int month, int day) {
    return conduit::Utilities().DateIn(static_cast<int16_t>(year), static_cast<int16_t>(month),
                                       static_cast<int16_t>(day));
}

void HandheldWorld::SetUp() {
    PracticeWorld::SetUp();
    SyncStandInResetFaults();
    ASSERT_EQ(0, SyncRegister(&conduit_));
    HotSyncLogClear();
    conduit::Log().Clear();
}

void HandheldWorld::TearDown() {
    SyncStandInResetFaults();
    SyncUnregister(conduit_);
    conduit::Log().Clear();
}

handheld::PdbDatabase HandheldWorld::OnHandheld(const std::string& name) {
    handheld::PdbDatabase db;
    std::string error;
    EXPECT_TRUE(handheld::ReadPdbFile(handheld_.File(name + ".pdb"), &db, &error)) << error;
    return db;
}

bool HandheldWorld::OnHandheldExists(const std::string& name) const {
    return FileExists(handheld_.File(name + ".pdb"));
}

std::vector<std::pair<std::string, int32_t>> HandheldWorld::HotSyncEntries() {
    std::vector<std::pair<std::string, int32_t>> entries;
    HotSyncLogEntry entry{};
    for (uint32_t i = 0; HotSyncLogEntryAt(i, &entry); ++i)
        entries.emplace_back(entry.text, entry.activity);
    return entries;
}

}  // namespace kv::test
