// A practice installation in a temporary directory, as `kvpractice init`
// lays it out: root/data/ (practice database, KVRDATA.INF with 11.1),
// root/exe/, root/windows/ (KALVORA.INI) and root/registry.ini. The
// environment (KV_REGISTRY, KV_WINDIR) points at it while the object lives.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "emulation/practice/practice_store.h"
#include "platform/os.h"
#include "support/temp_dir.h"

namespace kv::test {

class PracticeInstallation {
  public:
    PracticeInstallation();

    const std::string& root() const { return dir_.path(); }
    std::string data_dir() const { return dir_.path() + "/data/"; }
    std::string exe_dir() const { return dir_.path() + "/exe"; }
    std::string windows_dir() const { return dir_.path() + "/windows"; }
    std::string registry_file() const { return dir_.path() + "/registry.ini"; }

    // Rewrites the practice's registry key with these values.
    void SetRegistry(const std::map<std::string, std::string>& values);
    // Rewrites section GENERAL of KALVORA.INI with these values.
    void SetKalvoraIni(const std::map<std::string, std::string>& values);

    std::unique_ptr<practice::PracticeStore> OpenStore() const;

  private:
    TempDir dir_;
    ScopedEnv registry_env_;
    ScopedEnv windows_env_;
};

// A module of the practice libraries from the build (KV_PRACTICE_LIBS).
class PracticeModule {
  public:
    explicit PracticeModule(const std::string& name);
    ~PracticeModule();
    PracticeModule(const PracticeModule&) = delete;
    PracticeModule& operator=(const PracticeModule&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    template <typename F>
    F Get(const char* symbol) const {
        return reinterpret_cast<F>(os::FindSymbol(handle_, symbol));
    }

  private:
    os::ModuleHandle handle_;
};

// The directory the build puts the practice libraries in.
std::string PracticeLibraryDir();

}  // namespace kv::test
