// A practice installation on Linux, laid out as the practice's setup would:
//
//   DIR/data/           the practice data: KALVORA.KDB (practice database),
//                       KVRDATA.INF (data version 11.1), KVSETTINGS.INI
//   DIR/exe/            the practice libraries: kvrdb32.so, kvr32sm.so, kvr32.so
//   DIR/windows/        the Windows directory, with KALVORA.INI
//   DIR/registry.ini    the current user's registry: the practice's key with
//                       "path" (data directory, trailing '/') and "ExePath"
//
// Programs find it through KV_REGISTRY=DIR/registry.ini and KV_WINDIR=DIR/windows.
#pragma once

#include <string>

namespace kv::tools {

struct Installation {
    std::string root;  // absolute
    std::string data_dir() const { return root + "/data/"; }
    std::string exe_dir() const { return root + "/exe"; }
    std::string windows_dir() const { return root + "/windows"; }
    std::string registry_file() const { return root + "/registry.ini"; }
};

// The installation rooted at dir (made absolute).
Installation InstallationAt(const std::string& dir);

// Creates a new installation in dir (which may exist but must not hold one
// already), copying the practice libraries from library_dir. false with a
// message on failure.
bool CreateInstallation(const Installation& inst, const std::string& library_dir,
                        std::string* error);

// True when dir holds an installation's practice database.
bool HasInstallation(const Installation& inst);

// The shell lines that point programs at the installation.
std::string EnvironmentLines(const Installation& inst);

}  // namespace kv::tools
