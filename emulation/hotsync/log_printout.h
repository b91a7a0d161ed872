// The HotSync log as the person at the desktop reads it after a HotSync:
//
//   HotSync started 2024-03-05 14:02:11 for "Dr. Ames"
//     KvrALC: started
//     KvrALC: [14:02:11] 12 appointments sent
//     KvrALC: error: The practice database cannot be opened.
//             (a second line of the same entry)
//     KvrALC: Appointments synchronized successfully
//     KvrALC => OK; sync action 3 (Desktop overwrites Handheld)
//     KvrOJC => FAILED: OpenConduit answered 16385 (0x4001); sync action 3 (...)
//     KvrPVC => NOT RUN: cannot load /.../KvrPVC.so (error 126: module not found)
//   HotSync finished: 1 of 3 conduits OK
//
// Each entry is prefixed with the conduit that added it; by activity:
// start "started", failure "error: <text>", success "<text> synchronized
// successfully", aborted "<text> aborted" (text: the conduit's name, the
// module's name when empty), plain text as it is, any other code
// "(activity N) <text>". Entries that asked for a time stamp carry
// "[HH:MM:SS]". Further lines of an entry are indented under its first.
// The outcome line of each conduit follows its entries.
#pragma once

#include <string>

#include "emulation/hotsync/hotsync_run.h"

namespace kv::hotsync {

std::string FormatHotSyncLog(const HotSyncReport& report);

}  // namespace kv::hotsync
