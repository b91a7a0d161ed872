// What the HotSync Manager keeps in a handheld's directory besides the
// handheld's databases:
//   user.txt     the HotSync user name, on its first line (the handheld
//                stand-in reads it from there)
//   hotsync.ini  the sync action kept for each conduit:
//                  [SyncActions]
//                  KvrALC=6
//                a conduit without a line gets kSyncTypeDesktopOverwritesHandheld
// Files are written whole or not at all (a temporary file renamed over the
// old one).
#pragma once

#include <cstdint>
#include <string>

namespace kv::hotsync {

constexpr const char* kUserFile = "user.txt";
constexpr const char* kSyncActionsFile = "hotsync.ini";
constexpr const char* kSyncActionsSection = "SyncActions";

// The first line of <handheld>/user.txt, or "" when there is none.
std::string ReadHandheldUser(const std::string& handheld);

// Makes name the first line of <handheld>/user.txt, keeping any further
// lines; creates the directory (owner-only) when it does not exist. False
// with *error on failure.
bool WriteHandheldUser(const std::string& handheld, const std::string& name, std::string* error);

// The sync action kept for conduit on this handheld (names ignore case), or
// kSyncTypeDesktopOverwritesHandheld when none is kept or it is not a number.
int32_t KeptSyncAction(const std::string& handheld, const std::string& conduit);

// Keeps action for conduit on this handheld. False with *error on failure.
bool KeepSyncAction(const std::string& handheld, const std::string& conduit, int32_t action,
                    std::string* error);

// How a sync action reads: "3 (Desktop overwrites Handheld)", "6 (Do
// Nothing)", else the number alone.
std::string SyncActionText(int32_t action);

}  // namespace kv::hotsync
