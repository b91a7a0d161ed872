#include "emulation/handheld/fault_table.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace kv::handheld {
namespace {

constexpr const char* kOperations[] = {
    "SyncRegister",          "SyncUnregister",         "SyncReadUserIdentity",
    "SyncOpenDatabase",      "SyncCreateDatabase",     "SyncCloseDatabase",
    "SyncGetDBRecordCount",  "SyncReadRecordByIndex",  "SyncReadRecordById",
    "SyncWriteRecord",       "SyncDeleteRecord",       "SyncDeleteAllRecords",
    "SyncWriteAppInfoBlock", "SyncPurgeMarkedRecords", "SyncClearDirtyMarks",
};

// A whole field as a 32-bit number, decimal or 0x hex (codes may be written
// as unsigned hex, e.g. 0xFFFFFFFF).
bool ParseInt32(const std::string& field, int32_t* value) {
    if (field.empty() || field[0] == '+' || field[0] == ' ') return false;
    errno = 0;
    char* end = nullptr;
    long long n = std::strtoll(field.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || n < INT32_MIN || n > UINT32_MAX) return false;
    *value = static_cast<int32_t>(static_cast<uint32_t>(n));
    return true;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool FaultTable::IsOperation(const std::string& name) {
    for (const char* op : kOperations)
        if (name == op) return true;
    return false;
}

bool FaultTable::Plan(const std::string& operation, int32_t code, int32_t nth) {
    if (!IsOperation(operation) || code == 0 || nth < 1) return false;
    operations_[operation].faults.push_back(Fault{nth, code});
    return true;
}

bool FaultTable::PlanList(const std::string& list, std::string* error) {
    std::istringstream entries(list);
    std::string entry;
    while (std::getline(entries, entry, ',')) {
        entry = Trim(entry);
        if (entry.empty()) continue;
        size_t first = entry.find(':');
        size_t second = first == std::string::npos ? first : entry.find(':', first + 1);
        int32_t code = 0;
        int32_t nth = 0;
        bool ok = second != std::string::npos &&
                  ParseInt32(entry.substr(first + 1, second - first - 1), &code) &&
                  ParseInt32(entry.substr(second + 1), &nth) &&
                  Plan(entry.substr(0, first), code, nth);
        if (!ok) {
            *error = "bad fault \"" + entry + "\" (want operation:code:nth)";
            return false;
        }
    }
    return true;
}

int32_t FaultTable::OnCall(const char* operation) {
    auto it = operations_.find(std::string_view(operation));
    if (it == operations_.end()) {
        if (!IsOperation(operation)) return 0;
        it = operations_.emplace(operation, Operation{}).first;
    }
    Operation& op = it->second;
    ++op.calls;
    for (const Fault& f : op.faults)
        if (f.nth == op.calls) return f.code;
    return 0;
}

}  // namespace kv::handheld
