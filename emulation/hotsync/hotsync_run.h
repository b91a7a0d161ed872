// One HotSync as the HotSync Manager runs it: the conduits in the order
// given, each loaded from the conduit folder, told the sync action kept for
// it on this handheld, and run with OpenConduit. A conduit that cannot be
// loaded, or lacks an export, is reported and the next one runs. The HotSync
// log is emptied first; the entries each conduit adds (also while its module
// loads) are gathered into its outcome.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kv::hotsync {

struct LogLine {
    std::string text;
    int32_t activity = 0;
    std::string time;  // "HH:MM:SS", or "" when the entry asked for none
};

struct ConduitOutcome {
    enum class Status { kOk, kFailed, kNotRun };

    std::string name;  // the conduit as named to the run
    Status status = Status::kNotRun;
    int32_t result = 0;     // what OpenConduit answered (kOk, kFailed)
    int32_t sync_type = 0;  // what it was told (kOk, kFailed)
    std::string problem;    // why it did not run (kNotRun)
    std::vector<LogLine> log;
};

struct HotSyncRequest {
    std::string conduit_dir;
    std::vector<std::string> conduits;  // in the order they run
    std::string handheld;               // the handheld's directory
    std::string user;                   // the HotSync user name
};

struct HotSyncReport {
    std::string date;  // when it started: "YYYY-MM-DD"
    std::string time;  // "HH:MM:SS"
    std::string user;
    std::vector<ConduitOutcome> outcomes;

    // True when every conduit ran and answered 0.
    bool Succeeded() const;
};

// Called before each conduit runs with its name, its place (1-based) and the
// number of conduits.
using ProgressFn = std::function<void(const std::string& conduit, size_t place, size_t count)>;

// Runs the HotSync; progress may be empty.
HotSyncReport RunHotSync(const HotSyncRequest& request, const ProgressFn& progress);

}  // namespace kv::hotsync
