#include "emulation/hotsync/hotsync_run.h"

#include <memory>

#include "emulation/hotsync/conduit_module.h"
#include "emulation/hotsync/handheld_files.h"
#include "emulation/hotsync/hotsync_clock.h"
#include "emulation/hotsync/hotsync_log_host.h"
#include "platform/bounded_text.h"
#include "platform/conduit_exports.h"

namespace kv::hotsync {
namespace {

// The log entries from index first on.
std::vector<LogLine> EntriesFrom(uint32_t first) {
    std::vector<LogLine> lines;
    const uint32_t count = HotSyncLogEntryCount();
    for (uint32_t i = first; i < count; ++i) {
        HotSyncLogEntry entry{};
        if (HotSyncLogEntryAt(i, &entry)) lines.push_back({entry.text, entry.activity, entry.time});
    }
    return lines;
}

SyncProperties PropertiesFor(const HotSyncRequest& request, const std::string& conduit) {
    SyncProperties properties{};
    properties.sync_type = KeptSyncAction(request.handheld, conduit);
    CopyText(properties.user_name, sizeof properties.user_name, request.user);
    CopyText(properties.handheld_path, sizeof properties.handheld_path, request.handheld);
    return properties;
}

ConduitOutcome RunConduit(const HotSyncRequest& request, const std::string& name) {
    ConduitOutcome outcome;
    outcome.name = ConduitName(name);
    const uint32_t first_entry = HotSyncLogEntryCount();
    std::string problem;
    std::unique_ptr<ConduitModule> conduit =
        ConduitModule::Load(request.conduit_dir, name, &problem);
    if (conduit) {
        SyncProperties properties = PropertiesFor(request, outcome.name);
        outcome.sync_type = properties.sync_type;
        outcome.result = conduit->open_conduit()(nullptr, &properties);
        outcome.status =
            outcome.result == 0 ? ConduitOutcome::Status::kOk : ConduitOutcome::Status::kFailed;
    } else {
        outcome.problem = problem;
    }
    outcome.log = EntriesFrom(first_entry);
    return outcome;
}

}  // namespace

bool HotSyncReport::Succeeded() const {
    for (const ConduitOutcome& outcome : outcomes)
        if (outcome.status != ConduitOutcome::Status::kOk) return false;
    return true;
}

HotSyncReport RunHotSync(const HotSyncRequest& request, const ProgressFn& progress) {
    HotSyncReport report;
    report.date = DateText();
    report.time = TimeText();
    report.user = request.user;
    HotSyncLogClear();
    for (size_t i = 0; i < request.conduits.size(); ++i) {
        if (progress) progress(ConduitName(request.conduits[i]), i + 1, request.conduits.size());
        report.outcomes.push_back(RunConduit(request, request.conduits[i]));
    }
    return report;
}

}  // namespace kv::hotsync
