// KvrALC, the appointment list conduit: its texts, its settings and its
// steps, and the five entry points over them (thin shims,
// conduit_exports_impl.h).
//
// Steps so far: the provider list. The appointment and day-note read-backs,
// the download window over the practice's open days and the downloads come
// with their own work.
#include "conduit_framework/conduit_exports_impl.h"
#include "conduit_framework/mobile_settings.h"
#include "conduit_framework/open_conduit.h"
#include "conduit_framework/provider_list.h"
#include "conduit_framework/record_helpers.h"
#include "conduit_framework/user_association.h"

namespace kv::conduit {
namespace {

// Steps 11 to 14: preferences, the purge date and the followed providers.
void ReadAppointmentSettings(ConduitSession& session, int32_t /*days*/) {
    ReadPracticePreferences(&session.preferences);
    session.purge_date = ReadPurgeDate(session, kSectionAppointments);
    session.provider_filter = ReadProviderFilter(kSectionMobile, session.user_id,
                                                 kSelectedProviderCount, kSelectedProviders);
}

int32_t WriteAppointmentProviderList(ConduitSession& session) {
    return WriteProviderList(kAppointmentProviderList, session.provider_filter);
}

const ConduitStep kAppointmentSteps[] = {WriteAppointmentProviderList};

const ConduitVariant kAppointments = {
    "KvrALC",
    "Kalvora Appointment List - sync configured to Do Nothing",
    "KvAppts HotSync operation initiated ",
    "KvAppts HotSync operation completed successfully ",
    "KvAppts HotSync operation aborted ",
    kHandheldQuestion,
    {kSectionAppointments, "_Cnt", 3,
     "KVAppts is configured in Kalvora to not download any appointments."},
    ReadAppointmentSettings,
    kAppointmentSteps,
    sizeof kAppointmentSteps / sizeof kAppointmentSteps[0],
};

}  // namespace
}  // namespace kv::conduit

KV_DEFINE_CONDUIT_EXPORTS(kv::conduit::kAppointments)
