// The HotSync common library (pdcmn21) as the host and the tests see it: how
// many times a module of this process initialised it with InitPdcmn5DLL.
#pragma once

#include <cstdint>

extern "C" {

// The number of InitPdcmn5DLL calls in this process so far.
uint32_t HotSyncCommonInitCount();

}  // extern "C"
