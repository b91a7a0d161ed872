#include "conduit_world.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "emulation/hotsync/hotsync_log_host.h"
#include "emulation/practice/practice_date.h"
#include "platform/bounded_text.h"
#include "platform/byte_order.h"
#include "platform/posix/desktop_answers.h"

namespace kv::test {

std::string Rule() {
    return std::string(67, '=');
}

ConduitWorld::ConduitWorld()
    : handheld_env_("KV_HANDHELD", handheld_.path()),
      today_env_(std::make_unique<ScopedEnv>("KV_TODAY", kToday)),
      now_env_("KV_NOW", kNow) {
    practice_.SetRegistry({{"path", practice_.data_dir()}, {"ExePath", PracticeLibraryDir()}});
    WriteTextFile(handheld_.File("user.txt"), std::string(kHotSyncUser) + "\n");
    desktop::AllowTerminalAnswers(false);
    SetAnswers("");
    ClearHotSyncLog();
}

ConduitWorld::~ConduitWorld() {
    answers_env_.reset();
    desktop::RestartAnswers();
}

std::unique_ptr<hotsync::ConduitModule> ConduitWorld::Load(const std::string& conduit) {
    std::string error;
    auto module = hotsync::ConduitModule::Load(ConduitDir(), conduit, &error);
    EXPECT_TRUE(module) << error;
    return module;
}

int32_t ConduitWorld::Sync(const hotsync::ConduitModule& conduit, int32_t sync_type) {
    SyncProperties properties{};
    properties.sync_type = sync_type;
    return conduit.open_conduit()(nullptr, &properties);
}

std::vector<hotsync::LogLine> ConduitWorld::HotSyncLog() {
    std::vector<hotsync::LogLine> lines;
    for (uint32_t i = 0; i < HotSyncLogEntryCount(); ++i) {
        HotSyncLogEntry entry{};
        if (HotSyncLogEntryAt(i, &entry)) lines.push_back({entry.text, entry.activity, entry.time});
    }
    return lines;
}

void ConduitWorld::ClearHotSyncLog() {
    HotSyncLogClear();
}

void ConduitWorld::SetAnswers(const std::string& answers) {
    answers_env_.reset();
    answers_env_ = std::make_unique<ScopedEnv>("KV_ANSWERS", answers);
    desktop::RestartAnswers();
}

void ConduitWorld::SetSettings(const std::string& ini_text) {
    WriteTextFile(practice_.data_dir() + "KVSETTINGS.INI", ini_text);
}

void ConduitWorld::AssociateUser(const std::string& id, const std::string& more_settings) {
    SetSettings("[PALMID]\n" + std::string(kHotSyncUser) + "=" + id + "\n" + more_settings);
}

void ConduitWorld::SetToday(const std::string& date) {
    today_env_.reset();
    today_env_ = std::make_unique<ScopedEnv>("KV_TODAY", date);
}

std::vector<DayRecord> ConduitWorld::DayRecords() {
    std::vector<DayRecord> records;
    auto store = practice_.OpenStore();
    if (!store) {
        ADD_FAILURE() << "no practice store";
        return records;
    }
    for (const practice::StoredRecord& stored : store->All(45, 45)) {
        const std::vector<uint8_t>& data = stored.data;
        if (data.size() < 10) continue;
        DayRecord record;
        record.number = static_cast<int32_t>(LoadLE32(data.data() + 2));
        record.date = static_cast<int32_t>(LoadLE32(data.data() + 6));
        const char* text = reinterpret_cast<const char*>(data.data() + 10);
        record.text = std::string(text, BoundedLength(text, data.size() - 10));
        record.size = data.size();
        records.push_back(record);
    }
    return records;
}

void ConduitWorld::AddDayRecord(int32_t number, const std::string& date, const std::string& text) {
    std::vector<uint8_t> data(10 + text.size() + 1, 0);
    data[0] = '(';
    StoreLE32(data.data() + 2, static_cast<uint32_t>(number));
    StoreLE32(data.data() + 6, static_cast<uint32_t>(PracticeDate(date)));
    std::copy(text.begin(), text.end(), data.begin() + 10);
    auto store = practice_.OpenStore();
    ASSERT_TRUE(store);
    int64_t row = 0;
    ASSERT_TRUE(store->Add(45, data, &row));
}

int32_t PracticeDate(const std::string& date) {
    return practice::ParseIsoDate(date).value_or(0);
}

std::string ConduitDir() {
    const char* build = std::getenv("KV_BUILD_DIR");
    return std::string(build ? build : ".") + "/conduits";
}

void CopyModules(const std::string& from_dir, const std::vector<std::string>& names,
                 const std::string& to_dir) {
    for (const std::string& name : names) {
        std::filesystem::copy_file(from_dir + "/" + name + ".so", to_dir + "/" + name + ".so",
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace kv::test
