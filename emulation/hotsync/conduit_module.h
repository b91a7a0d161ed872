// A conduit module loaded as the HotSync Manager loads it: the file named
// after the conduit in the conduit folder, bound at run time, with all five
// exports of platform/conduit_exports.h looked up by name. The module stays
// loaded while the object lives.
#pragma once

#include <memory>
#include <string>

#include "platform/conduit_exports.h"
#include "platform/os.h"

namespace kv::hotsync {

class ConduitModule {
  public:
    // Loads conduit `name` from dir ("<dir>/<name>.dll", on Linux the same
    // name with ".so"); a name with a directory part is taken as the module's
    // path. On failure answers nullptr and sets *error to what went wrong:
    // the module file and why it cannot be loaded, or the exports it lacks.
    static std::unique_ptr<ConduitModule> Load(const std::string& dir, const std::string& name,
                                               std::string* error);

    ~ConduitModule();
    ConduitModule(const ConduitModule&) = delete;
    ConduitModule& operator=(const ConduitModule&) = delete;

    // The conduit's name as given (without directory and suffix).
    const std::string& name() const { return name_; }
    // The module file, as this platform names it.
    const std::string& path() const { return path_; }

    OpenConduit_fn open_conduit() const { return open_; }
    GetConduitName_fn get_name() const { return get_name_; }
    GetConduitVersion_fn get_version() const { return get_version_; }
    GetConduitInfo_fn get_info() const { return get_info_; }
    ConfigureConduit_fn configure() const { return configure_; }

  private:
    ConduitModule() = default;

    std::string name_;
    std::string path_;
    os::ModuleHandle module_ = nullptr;
    OpenConduit_fn open_ = nullptr;
    GetConduitName_fn get_name_ = nullptr;
    GetConduitVersion_fn get_version_ = nullptr;
    GetConduitInfo_fn get_info_ = nullptr;
    ConfigureConduit_fn configure_ = nullptr;
};

// The conduit's name for messages and the kept sync actions: `name` without
// directory and without a ".dll" or ".so" suffix.
std::string ConduitName(const std::string& name);

}  // namespace kv::hotsync
