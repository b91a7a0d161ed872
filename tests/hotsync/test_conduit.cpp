// A conduit for the HotSync Manager's tests, built as several modules (see
// CMakeLists.txt): KV_TEST_CONDUIT_ID names the module, KV_TEST_CONDUIT_TITLE
// is its display name, KV_TEST_CONDUIT_PARTIAL leaves out GetConduitInfo and
// ConfigureConduit.
//
// It initialises the HotSync common library once when it is loaded. What
// OpenConduit does, in log entries: start; what it was told; how many times
// the common library was initialised so far; the environment it was given
// (when KV_TEST_CONDUIT_SHOW_ENV is set); with sync type 6 nothing more
// than success; else a time-stamped two-line entry, an optional Yes/No box
// (when KV_TEST_CONDUIT_ASK is set), and success, or a failure message and
// abort when KV_TEST_RESULT_<id> holds a non-zero number, which it answers.
// ConfigureConduit asks a Yes/No/Cancel box: Yes chooses Do Nothing, No
// Desktop overwrites Handheld, Cancel cancels.
#include <cstdlib>
#include <cstring>
#include <string>

#include "emulation/hotsync/hotsync_common_host.h"
#include "platform/bounded_text.h"
#include "platform/conduit_exports.h"
#include "platform/desktop.h"
#include "platform/hotsync_log.h"

#define KV_CONDUIT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char* kId = KV_TEST_CONDUIT_ID;
constexpr const char* kTitle = KV_TEST_CONDUIT_TITLE;
constexpr uint32_t kVersion = 0x101;
constexpr uint32_t kInfoValue = 0x600;

const int32_t g_common_library = InitPdcmn5DLL();

int32_t RequestedResult() {
    const std::string name = std::string("KV_TEST_RESULT_") + kId;
    const char* value = std::getenv(name.c_str());
    return value ? static_cast<int32_t>(std::strtol(value, nullptr, 0)) : 0;
}

void Log(const std::string& text, int32_t activity = kLogActivityText, int32_t stamp = 0) {
    LogAddEntry(text.c_str(), activity, stamp);
}

int32_t Synchronize(const SyncProperties& properties) {
    Log("", kLogActivityStart);
    Log("sync type " + std::to_string(properties.sync_type) + ", user \"" +
        kv::FieldText(properties.user_name, sizeof properties.user_name) + "\", handheld " +
        kv::FieldText(properties.handheld_path, sizeof properties.handheld_path));
    Log("common library initialised " + std::to_string(HotSyncCommonInitCount()) + " time(s)");
    if (std::getenv("KV_TEST_CONDUIT_SHOW_ENV")) {
        std::string line;
        for (const char* name : {"KV_REGISTRY", "KV_WINDIR", "KV_HANDHELD", "KV_TODAY"}) {
            const char* value = std::getenv(name);
            line += std::string(line.empty() ? "" : " ") + name + "=" + (value ? value : "");
        }
        Log(line);
    }
    if (properties.sync_type == kSyncTypeDoNothing) {
        Log(kTitle, kLogActivitySuccess);
        return 0;
    }
    Log("records sent: 2\r\nrecords read back: 0", kLogActivityText, 1);
    if (std::getenv("KV_TEST_CONDUIT_ASK")) {
        const kv::desktop::Answer answer = kv::desktop::ShowMessageBox(
            kv::desktop::ActiveWindow(), "Send everything again?", kTitle,
            kv::desktop::Buttons::kYesNo, kv::desktop::Icon::kQuestion);
        Log(answer == kv::desktop::Answer::kYes ? "answer Yes" : "answer No");
    }
    const int32_t result = RequestedResult();
    if (result != 0) {
        Log("asked to fail with " + std::to_string(result), kLogActivityFailure);
        Log(kTitle, kLogActivityAborted);
        return result;
    }
    Log(kTitle, kLogActivitySuccess);
    return 0;
}

[[maybe_unused]] int32_t CopyOut(const char* text, void* output, uint32_t* output_size) {
    if (!output || !output_size || *output_size == 0) return kSyncErrBadArgument;
    const size_t length = std::strlen(text);
    if (length + 1 > *output_size) return kSyncErrBufferTooSmall;
    std::memcpy(output, text, length + 1);
    *output_size = static_cast<uint32_t>(length + 1);
    return 0;
}

[[maybe_unused]] int32_t CopyOut(uint32_t value, void* output, uint32_t* output_size) {
    if (!output || !output_size || *output_size < sizeof value) return kSyncErrBadArgument;
    std::memcpy(output, &value, sizeof value);
    *output_size = sizeof value;
    return 0;
}

}  // namespace

KV_CONDUIT_EXPORT int32_t OpenConduit(void* /*progress_callback*/, SyncProperties* properties) {
    if (!properties || g_common_library != 0) return kSyncErrBadArgument;
    try {
        return Synchronize(*properties);
    } catch (...) {
        return kSyncErrGeneral;
    }
}

KV_CONDUIT_EXPORT int32_t GetConduitName(char* buffer, uint16_t size) {
    if (!buffer || size == 0) return kSyncErrBadArgument;
    kv::CopyText(buffer, size, kTitle);
    return 0;
}

KV_CONDUIT_EXPORT uint32_t GetConduitVersion() {
    return kVersion;
}

#ifndef KV_TEST_CONDUIT_PARTIAL

KV_CONDUIT_EXPORT int32_t GetConduitInfo(int32_t info_type, void* input, void* output,
                                         uint32_t* output_size) {
    switch (info_type) {
        case kConduitInfoName: {
            const auto* request = static_cast<const ConduitNameRequest*>(input);
            if (!request || request->version != kConduitNameRequestVersion ||
                request->width != kConduitNameRequestWidth)
                return kSyncErrBadArgument;
            return CopyOut((std::string(kTitle) + " (HotSync)").c_str(), output, output_size);
        }
        case kConduitInfoValue:
            return CopyOut(kInfoValue, output, output_size);
        case kConduitInfoSyncAction:
            return CopyOut(static_cast<uint32_t>(kSyncTypeDesktopOverwritesHandheld), output,
                           output_size);
        default:
            return kSyncErrBadArgument;
    }
}

KV_CONDUIT_EXPORT int32_t ConfigureConduit(SyncPreference* preference) {
    if (!preference) return kSyncErrBadArgument;
    try {
        preference->scope = 0;
        const kv::desktop::Answer answer = kv::desktop::ShowMessageBox(
            kv::desktop::ActiveWindow(),
            "Leave the handheld as it is at the next HotSync?\nNo: the desktop overwrites it.",
            kTitle, kv::desktop::Buttons::kYesNoCancel, kv::desktop::Icon::kQuestion);
        if (answer == kv::desktop::Answer::kCancel) return kConfigureCancelled;
        preference->sync_type = answer == kv::desktop::Answer::kYes
                                    ? kSyncTypeDoNothing
                                    : kSyncTypeDesktopOverwritesHandheld;
        return 0;
    } catch (...) {
        return kSyncErrGeneral;
    }
}

#endif
