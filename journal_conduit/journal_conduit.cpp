// KvrOJC, the office journal conduit: its texts, its settings and its steps,
// and the five entry points over them (thin shims, conduit_exports_impl.h).
//
// Steps so far: the provider list. The journal read-back and the journal
// download come with their own work.
#include "conduit_framework/conduit_exports_impl.h"
#include "conduit_framework/mobile_settings.h"
#include "conduit_framework/open_conduit.h"
#include "conduit_framework/provider_list.h"
#include "conduit_framework/record_helpers.h"
#include "conduit_framework/user_association.h"

namespace kv::conduit {
namespace {

// Steps 11 to 14: preferences, the download window of `weeks` weeks, the
// purge date and the followed providers.
void ReadJournalSettings(ConduitSession& session, int32_t weeks) {
    ReadPracticePreferences(&session.preferences);
    session.window_end = session.today + 7 * static_cast<int16_t>(weeks);
    session.purge_date = ReadPurgeDate(session, kSectionJournal);
    session.provider_filter = ReadProviderFilter(kSectionMobile, session.user_id,
                                                 kSelectedProviderCount, kSelectedProviders);
}

int32_t WriteJournalProviderList(ConduitSession& session) {
    return WriteProviderList(kJournalProviderList, session.provider_filter);
}

const ConduitStep kJournalSteps[] = {WriteJournalProviderList};

const ConduitVariant kJournal = {
    "KvrOJC",
    "KVJournal - sync configured to Do Nothing",
    "KVJournal HotSync operation initiated ",
    "KvJournal HotSync operation completed successfully ",
    "KvJournal HotSync operation aborted ",
    kHandheldQuestion,
    {kSectionJournal, "_Cnt", 1, "KVJournal is configured in Kalvora to not download any entries."},
    ReadJournalSettings,
    kJournalSteps,
    sizeof kJournalSteps / sizeof kJournalSteps[0],
};

}  // namespace
}  // namespace kv::conduit

KV_DEFINE_CONDUIT_EXPORTS(kv::conduit::kJournal)
