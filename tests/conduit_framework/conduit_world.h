// The world a conduit module runs in, as the HotSync Manager loads it: a
// practice installation whose executables directory is the build's practice
// libraries (or a directory the test lays out), a handheld directory with
// its HotSync user, pinned date and time, the desktop's answers, and the
// HotSync log emptied. Conduit modules are loaded from the build's conduit
// folder with the HotSync Manager's own loader.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emulation/hotsync/conduit_module.h"
#include "emulation/hotsync/hotsync_run.h"
#include "support/practice_fixture.h"
#include "support/temp_dir.h"

namespace kv::test {

constexpr const char* kToday = "2026-12-11";
constexpr const char* kTodayText = "12/11/2026";
constexpr const char* kNow = "09:30:15";
constexpr const char* kHotSyncUser = "Dr Ames";

// The 67 equals signs that close a synchronisation's text.
std::string Rule();

// A day's sync log record of practice file 45.
struct DayRecord {
    int32_t number = 0;
    int32_t date = 0;
    std::string text;  // before the first zero byte
    size_t size = 0;   // bytes stored
};

class ConduitWorld {
  public:
    ConduitWorld();
    ~ConduitWorld();

    PracticeInstallation& practice() { return practice_; }
    const std::string& handheld() const { return handheld_.path(); }

    // Loads conduit (e.g. "KvrOJC") from the build's conduit folder; fails the
    // test when it cannot.
    std::unique_ptr<hotsync::ConduitModule> Load(const std::string& conduit);
    // OpenConduit with this sync type.
    static int32_t Sync(const hotsync::ConduitModule& conduit,
                        int32_t sync_type = kSyncTypeDesktopOverwritesHandheld);

    // The HotSync log entries since the world was made (or the last
    // ClearHotSyncLog()).
    static std::vector<hotsync::LogLine> HotSyncLog();
    static void ClearHotSyncLog();

    // The desktop's next answers (KV_ANSWERS), taken from the first.
    void SetAnswers(const std::string& answers);
    // Writes the practice settings store (KVSETTINGS.INI) whole.
    void SetSettings(const std::string& ini_text);
    // Ties the HotSync user to a practice user in "PALMID" (plus more text).
    void AssociateUser(const std::string& id, const std::string& more_settings = "");
    // Pins today (YYYY-MM-DD).
    void SetToday(const std::string& date);

    // The sync log records of file 45, in key order.
    std::vector<DayRecord> DayRecords();
    // Adds a sync log record to file 45 directly.
    void AddDayRecord(int32_t number, const std::string& date, const std::string& text);

  private:
    PracticeInstallation practice_;
    TempDir handheld_;
    ScopedEnv handheld_env_;
    std::unique_ptr<ScopedEnv> today_env_;
    ScopedEnv now_env_;
    std::unique_ptr<ScopedEnv> answers_env_;
};

// The practice date of a "YYYY-MM-DD" text.
int32_t PracticeDate(const std::string& date);

// The directory the build puts the conduit modules in.
std::string ConduitDir();

// Copies the named modules of from_dir (e.g. "kvr32sm") into to_dir.
void CopyModules(const std::string& from_dir, const std::vector<std::string>& names,
                 const std::string& to_dir);

}  // namespace kv::test
