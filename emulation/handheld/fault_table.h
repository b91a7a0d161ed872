// Planned failures of the Sync Manager stand-in: "operation X fails with
// code C on its n-th call". Every call of an operation is counted from the
// start (or the last Reset); a call whose count matches a planned fault fails
// with its code and does nothing else. Operations are named by their exported
// function names (SyncWriteRecord, ...); the byte-order helpers cannot fail.
//
// A list, as KV_SYNC_FAULTS holds it: entries "operation:code:nth" separated
// by commas, code and nth decimal or 0x hex, e.g.
//   SyncWriteRecord:0x400E:3,SyncCloseDatabase:16387:1
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kv::handheld {

constexpr const char* kSyncFaultsEnv = "KV_SYNC_FAULTS";

class FaultTable {
  public:
    static bool IsOperation(const std::string& name);

    // Plans a fault; false (nothing planned) for an unknown operation, code 0
    // or nth below 1.
    bool Plan(const std::string& operation, int32_t code, int32_t nth);
    // Plans every entry of a list; false with the first bad entry named in
    // *error, the entries before it planned.
    bool PlanList(const std::string& list, std::string* error);
    // Forgets all faults and call counts.
    void Reset() { operations_.clear(); }

    // Counts a call of operation: the code it fails with, or 0.
    int32_t OnCall(const char* operation);

  private:
    struct Fault {
        int64_t nth;
        int32_t code;
    };
    struct Operation {
        int64_t calls = 0;
        std::vector<Fault> faults;
    };
    std::map<std::string, Operation, std::less<>> operations_;
};

}  // namespace kv::handheld
