#include "emulation/hotsync/log_printout.h"

#include <cstdio>
#include <sstream>

#include "emulation/hotsync/handheld_files.h"
#include "platform/hotsync_log.h"

namespace kv::hotsync {
namespace {

std::string EntryText(const LogLine& line, const std::string& conduit) {
    const std::string& named = line.text.empty() ? conduit : line.text;
    switch (line.activity) {
        case kLogActivityText:
            return line.text;
        case kLogActivityStart:
            return line.text.empty() ? "started" : "started: " + line.text;
        case kLogActivitySuccess:
            return named + " synchronized successfully";
        case kLogActivityAborted:
            return named + " aborted";
        case kLogActivityFailure:
            return "error: " + line.text;
        default:
            return "(activity " + std::to_string(line.activity) + ") " + line.text;
    }
}

// text split at its line breaks (CR LF, LF or CR); at least one line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

void PrintEntry(std::ostream& out, const std::string& conduit, const LogLine& line) {
    const std::string prefix = "  " + conduit + ": ";
    const std::string stamp = line.time.empty() ? "" : "[" + line.time + "] ";
    const std::vector<std::string> lines = Lines(EntryText(line, conduit));
    out << prefix << stamp << lines[0] << "\n";
    const std::string indent(prefix.size(), ' ');
    for (size_t i = 1; i < lines.size(); ++i) out << indent << lines[i] << "\n";
}

std::string Hex(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<uint32_t>(value));
    return text;
}

void PrintOutcome(std::ostream& out, const ConduitOutcome& outcome) {
    out << "  " << outcome.name << " => ";
    switch (outcome.status) {
        case ConduitOutcome::Status::kOk:
            out << "OK";
            break;
        case ConduitOutcome::Status::kFailed:
            out << "FAILED: OpenConduit answered " << outcome.result << " (" << Hex(outcome.result)
                << ")";
            break;
        case ConduitOutcome::Status::kNotRun:
            out << "NOT RUN: " << outcome.problem << "\n";
            return;
    }
    out << "; sync action " << SyncActionText(outcome.sync_type) << "\n";
}

}  // namespace

std::string FormatHotSyncLog(const HotSyncReport& report) {
    std::ostringstream out;
    out << "HotSync started " << report.date << " " << report.time;
    if (!report.user.empty()) out << " for \"" << report.user << "\"";
    out << "\n";
    size_t ok = 0;
    for (const ConduitOutcome& outcome : report.outcomes) {
        for (const LogLine& line : outcome.log) PrintEntry(out, outcome.name, line);
        PrintOutcome(out, outcome);
        if (outcome.status == ConduitOutcome::Status::kOk) ++ok;
    }
    out << "HotSync finished: " << ok << " of " << report.outcomes.size() << " conduits OK\n";
    return out.str();
}

}  // namespace kv::hotsync
