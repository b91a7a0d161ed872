// pdcmn21: the HotSync common library. A conduit library calls its start-up
// entry once; this stand-in counts the calls so that tests can check it.
#include <atomic>

#include "emulation/hotsync/hotsync_common_host.h"
#include "platform/hotsync_log.h"

#define KV_HOTSYNC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<uint32_t> g_init_count{0};

}  // namespace

KV_HOTSYNC_EXPORT int32_t InitPdcmn5DLL() {
    g_init_count.fetch_add(1);
    return 0;
}

KV_HOTSYNC_EXPORT uint32_t HotSyncCommonInitCount() {
    return g_init_count.load();
}
