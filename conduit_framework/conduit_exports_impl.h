// The five conduit entry points over a ConduitVariant. Each conduit module
// exports them under their plain names as thin shims (KV_CONDUIT_EXPORT)
// that call these; nothing thrown inside leaves them.
//
// The four information entry points answer alike in every conduit, apart
// from the conduit name.
#pragma once

#include <cstdint>

#include "conduit_framework/conduit_variant.h"
#include "platform/conduit_exports.h"

#if defined(_WIN32)
#define KV_CONDUIT_EXPORT extern "C" __declspec(dllexport)
#else
#define KV_CONDUIT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace kv::conduit {

// GetConduitInfo's answers.
constexpr int32_t kInfoErrUnknownType = 4208;
constexpr int32_t kInfoErrNoOutput = 4209;
constexpr int32_t kInfoErrOutputSize = 4211;
constexpr int32_t kInfoErrNoInput = 4212;
constexpr int32_t kInfoErrBadRequest = 4213;
constexpr int32_t kInfoErrNoOutputSize = 4215;

constexpr uint32_t kConduitVersion = 0x100;
constexpr uint32_t kConduitInfoValueAnswer = 0x600;

// ConfigureConduit's question.
constexpr const char* kConfigureCaption = "Kalvora Dental Systems";
constexpr const char* kConfigureQuestion =
    "The Kalvora default syncing Action is \"Desktop overwrites Handheld\".\nIf you want to "
    "change the syncing Action to \"Do Nothing\" press Yes, otherwise press No to return to the "
    "default Action.";

// One synchronisation (open_conduit.h). The progress callback is not used; a
// missing properties record does nothing and answers kSyncErrBadArgument.
int32_t OpenConduitFor(const ConduitVariant& variant, void* progress_callback,
                       SyncProperties* properties);

// Zero-fills buffer[0, size), then copies the conduit name cut to size - 1
// characters. Answers 0; a size of 0 (or no buffer) writes nothing.
int32_t ConduitNameFor(const ConduitVariant& variant, char* buffer, uint16_t size);

// 0x100.
uint32_t ConduitVersion();

// Checks output (4209) then output_size (4215); type 0: input (4212), its
// first two members 1 and 80 (4213), then the name cut to *output_size - 1;
// types 1 and 2: *output_size 4 (4211), then 1536 or 3; other types 4208.
// *output_size is not changed.
int32_t ConduitInfoFor(const ConduitVariant& variant, int32_t info_type, void* input, void* output,
                       uint32_t* output_size);

// Sets the scope (byte 516) to 0, then asks the question (Yes/No/Cancel):
// Yes stores Do Nothing (6) at byte 520, No Desktop overwrites Handheld (3);
// both answer 0. Cancel or closing the box answers -1 and leaves 520 alone.
int32_t ConfigureConduitFor(SyncPreference* preference);

}  // namespace kv::conduit

// Defines the five exports of a conduit module over its variant (a constant
// ConduitVariant in scope where the macro is used).
#define KV_DEFINE_CONDUIT_EXPORTS(variant)                                                       \
    KV_CONDUIT_EXPORT int32_t KV_SYNC_CALL OpenConduit(void* progress_callback,                  \
                                                       SyncProperties* properties) {             \
        return ::kv::conduit::OpenConduitFor(variant, progress_callback, properties);            \
    }                                                                                            \
    KV_CONDUIT_EXPORT int32_t KV_SYNC_CALL GetConduitName(char* buffer, uint16_t size) {         \
        return ::kv::conduit::ConduitNameFor(variant, buffer, size);                             \
    }                                                                                            \
    KV_CONDUIT_EXPORT uint32_t KV_SYNC_CALL GetConduitVersion() {                                \
        return ::kv::conduit::ConduitVersion();                                                  \
    }                                                                                            \
    KV_CONDUIT_EXPORT int32_t KV_SYNC_CALL GetConduitInfo(int32_t info_type, void* input,        \
                                                          void* output, uint32_t* output_size) { \
        return ::kv::conduit::ConduitInfoFor(variant, info_type, input, output, output_size);    \
    }                                                                                            \
    KV_CONDUIT_EXPORT int32_t KV_SYNC_CALL ConfigureConduit(SyncPreference* preference) {        \
        return ::kv::conduit::ConfigureConduitFor(preference);                                   \
    }
