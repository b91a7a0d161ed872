#include "conduit_framework/conduit_exports_impl.h"

#include <cstring>

#include "conduit_framework/conduit_session.h"
#include "conduit_framework/open_conduit.h"
#include "conduit_framework/sync_log.h"
#include "platform/bounded_text.h"
#include "platform/desktop.h"
#include "platform/sync_manager.h"

namespace kv::conduit {
namespace {

constexpr uint32_t kInfoValueSize = sizeof(uint32_t);

int32_t CopyInfoValue(uint32_t value, void* output, const uint32_t* output_size) {
    if (*output_size != kInfoValueSize) return kInfoErrOutputSize;
    std::memcpy(output, &value, sizeof value);
    return 0;
}

int32_t CopyInfoName(const char* name, const void* input, void* output,
                     const uint32_t* output_size) {
    if (!input) return kInfoErrNoInput;
    ConduitNameRequest request;
    std::memcpy(&request, input, sizeof request);
    if (request.version != kConduitNameRequestVersion || request.width != kConduitNameRequestWidth)
        return kInfoErrBadRequest;
    CopyText(static_cast<char*>(output), *output_size, name);
    return 0;
}

// After a failure that escaped a synchronisation: the session's handle and
// lists are given back and the text is dropped, so that the next one starts
// clean.
void Recover() {
    try {
        ConduitSession& session = Session();
        if (session.registered) SyncUnregister(session.conduit_handle);
        session.registered = false;
        session.ReleaseLists();
        Log().Clear();
    } catch (...) {
    }
}

}  // namespace

int32_t OpenConduitFor(const ConduitVariant& variant, void* /*progress_callback*/,
                       SyncProperties* properties) {
    if (!properties) return kSyncErrBadArgument;
    try {
        return RunOpenConduit(variant, *properties);
    } catch (...) {
        Recover();
        return kSyncErrGeneral;
    }
}

int32_t ConduitNameFor(const ConduitVariant& variant, char* buffer, uint16_t size) {
    if (!buffer || size == 0) return 0;
    std::memset(buffer, 0, size);
    CopyText(buffer, size, variant.conduit_name);
    return 0;
}

uint32_t ConduitVersion() {
    return kConduitVersion;
}

int32_t ConduitInfoFor(const ConduitVariant& variant, int32_t info_type, void* input, void* output,
                       uint32_t* output_size) {
    if (!output) return kInfoErrNoOutput;
    if (!output_size) return kInfoErrNoOutputSize;
    switch (info_type) {
        case kConduitInfoName:
            return CopyInfoName(variant.conduit_name, input, output, output_size);
        case kConduitInfoValue:
            return CopyInfoValue(kConduitInfoValueAnswer, output, output_size);
        case kConduitInfoSyncAction:
            return CopyInfoValue(static_cast<uint32_t>(kSyncTypeDesktopOverwritesHandheld), output,
                                 output_size);
        default:
            return kInfoErrUnknownType;
    }
}

int32_t ConfigureConduitFor(SyncPreference* preference) {
    if (!preference) return kConfigureCancelled;
    try {
        preference->scope = 0;
        const desktop::Answer answer =
            desktop::ShowMessageBox(desktop::ActiveWindow(), kConfigureQuestion, kConfigureCaption,
                                    desktop::Buttons::kYesNoCancel, desktop::Icon::kQuestion);
        if (answer == desktop::Answer::kYes) {
            preference->sync_type = kSyncTypeDoNothing;
        } else if (answer == desktop::Answer::kNo) {
            preference->sync_type = kSyncTypeDesktopOverwritesHandheld;
        } else {
            return kConfigureCancelled;
        }
        return 0;
    } catch (...) {
        return kConfigureCancelled;
    }
}

}  // namespace kv::conduit
