// ConduitVariant: what makes one conduit of the four: its texts in the two
// logs, its association question, its first setting (which can end the
// synchronisation at once as configured not to download), how it reads its
// other settings, and its steps in their fixed order. Each conduit module
// defines one constant variant; OpenConduit and the information exports
// take everything conduit-specific from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "conduit_framework/conduit_session.h"

namespace kv::conduit {

// One of the conduit's steps: 0, or the code that ends the synchronisation
// as aborted.
using ConduitStep = int32_t (*)(ConduitSession& session);

// Reads the conduit's settings after its first setting (whose value it is
// given) and before its steps. Fills the session; it cannot fail.
using SettingsReader = void (*)(ConduitSession& session, int32_t first_setting);

struct FirstSetting {
    const char* section;     // "KVMOBILE_OFFICEJOURNAL"
    const char* key_suffix;  // "_Cnt", after the practice user id
    int default_value;
    // Appended to the sync log text when the setting is 0, and the
    // synchronisation ends successfully; nullptr: the value 0 ends nothing.
    const char* notice;
};

struct ConduitVariant {
    const char* conduit_name;       // "KvrOJC": name exports, final HotSync log entry
    const char* do_nothing_notice;  // "KVJournal - sync configured to Do Nothing"
    const char* start_title;        // "KVJournal HotSync operation initiated "
    const char* success_title;      // "KvJournal HotSync operation completed successfully "
    const char* aborted_title;      // "KvJournal HotSync operation aborted "
    const char* association_question;
    FirstSetting first_setting;
    SettingsReader read_settings;  // nullptr: nothing more to read
    const ConduitStep* steps;
    size_t step_count;
};

}  // namespace kv::conduit
