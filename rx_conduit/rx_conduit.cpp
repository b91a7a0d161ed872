// KvrRXC, the prescriptions conduit: its texts, its first setting and the
// five entry points over them (thin shims, conduit_exports_impl.h).
//
// Its first setting is the purge weeks, whose 0 ends nothing. No steps yet:
// the Rx settings, the read-back with its purge and the download come with
// their own work.
#include "conduit_framework/conduit_exports_impl.h"
#include "conduit_framework/mobile_settings.h"
#include "conduit_framework/open_conduit.h"
#include "conduit_framework/user_association.h"

namespace kv::conduit {
namespace {

void ReadPrescriptionSettings(ConduitSession& session, int32_t purge_weeks) {
    session.purge_date = PurgeDateFor(session.today, purge_weeks);
}

const ConduitVariant kPrescriptions = {
    "KvrRXC",
    "Kalvora Prescriptions - sync configured to Do Nothing",
    "KVRx HotSync operation initiated ",
    "KvRx HotSync operation completed successfully ",
    "KvRx HotSync operation aborted ",
    kPalmQuestion,
    {kSectionPrescriptions, "_PurgeWks", 1, nullptr},
    ReadPrescriptionSettings,
    nullptr,
    0,
};

}  // namespace
}  // namespace kv::conduit

KV_DEFINE_CONDUIT_EXPORTS(kv::conduit::kPrescriptions)
