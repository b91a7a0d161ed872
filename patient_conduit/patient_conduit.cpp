// KvrPVC, the patient viewer conduit: its texts, its settings and its steps,
// and the five entry points over them (thin shims, conduit_exports_impl.h).
//
// Steps so far: its own provider list, for the providers of its patient list
// details. The update schedule, the patient list and the stamp of the last
// update come with their own work.
#include "conduit_framework/conduit_exports_impl.h"
#include "conduit_framework/mobile_settings.h"
#include "conduit_framework/open_conduit.h"
#include "conduit_framework/provider_list.h"
#include "conduit_framework/user_association.h"

namespace kv::conduit {
namespace {

void ReadPatientViewerSettings(ConduitSession& session, int32_t /*enabled*/) {
    session.provider_filter = ReadProviderFilter(kSectionPatientViewer, session.user_id,
                                                 kDetailsProviderCount, kDetailsProviders);
}

int32_t WritePatientViewerProviderList(ConduitSession& session) {
    return WriteProviderList(kPatientViewerProviderList, session.provider_filter);
}

const ConduitStep kPatientViewerSteps[] = {WritePatientViewerProviderList};

const ConduitVariant kPatientViewer = {
    "KvrPVC",
    "Kalvora Patient Viewer - sync configured to Do Nothing",
    "KvPatients HotSync operation initiated ",
    "KvPatients HotSync operation completed successfully ",
    "KvPatients HotSync operation aborted ",
    kHandheldQuestion,
    {kSectionPatientViewer, "_PatientViewer", 3,
     "KVPatientViewer is configured in Kalvora to not download any patient information."},
    ReadPatientViewerSettings,
    kPatientViewerSteps,
    sizeof kPatientViewerSteps / sizeof kPatientViewerSteps[0],
};

}  // namespace
}  // namespace kv::conduit

KV_DEFINE_CONDUIT_EXPORTS(kv::conduit::kPatientViewer)
