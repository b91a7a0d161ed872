// OpenConduit: one whole synchronisation of a conduit, in this order:
//
//    1. today from the practice utility library;
//    2. Do Nothing: the notice in both logs, return 0 (nothing registered);
//    3. registration with the Sync Manager (a refusal is returned at once);
//    4. the start entry in the HotSync log and the start line;
//    5. the data-version check against KVRDATA.INF;
//    6. the practice database initialisation with the data directory;
//    7. the HotSync user from the Sync Manager;
//    8. the practice user tied to it ("PALMID", asking when there is none);
//    9. the user line;
//   10. the conduit's first setting, whose 0 can end the synchronisation;
//   11-14. the conduit's other settings (its settings reader);
//   15. the conduit's steps, the first non-zero result ending them;
//   16. closing: outcome line and rule, the sync log stored, the outcome in
//       the HotSync log, unregistration, the session's lists released.
//
// A failure of steps 5 to 7 is logged and goes straight to step 16 as
// aborted. The sync log text is empty after every return, so that a library
// loaded once can run any number of synchronisations.
#pragma once

#include <cstdint>
#include <string>

#include "conduit_framework/conduit_variant.h"
#include "platform/conduit_exports.h"

namespace kv::conduit {

// The failure messages of the session's own steps.
constexpr const char* kIncompatibleVersionMessage =
    "Unable to Sync.  Incompatible database version.";
constexpr const char* kDatabaseInitMessage = "Unable to Sync.  Unable to initialize database.";
constexpr const char* kNoUserIdMessage = "Unable to Sync.  Unable to get User ID.";

// The rule that ends a synchronisation's text: 67 equals signs.
constexpr size_t kRuleLength = 67;

// Runs one synchronisation of variant; the result OpenConduit answers.
int32_t RunOpenConduit(const ConduitVariant& variant, const SyncProperties& properties);

// For the settings readers: the purge date, today moved back by 7 x the
// weeks of section's "_PurgeWks" (default 1) of the session's user.
int32_t ReadPurgeDate(const ConduitSession& session, const char* section);

// The purge date for a number of purge weeks.
int32_t PurgeDateFor(int32_t today, int32_t purge_weeks);

}  // namespace kv::conduit
