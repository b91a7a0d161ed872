#include "emulation/hotsync/conduit_module.h"

#include <vector>

#include "platform/ini_text.h"

namespace kv::hotsync {
namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string WithoutSuffix(const std::string& name) {
    for (const char* suffix : {".dll", ".so"}) {
        const std::string s = suffix;
        if (EndsWithIgnoringCase(name, s)) return name.substr(0, name.size() - s.size());
    }
    return name;
}

// The module file: "<dir>/<name>" or the path given, without suffix.
std::string ModuleBase(const std::string& dir, const std::string& name) {
    const std::string path = os::NativePath(name);
    if (path.find('/') != std::string::npos) return WithoutSuffix(path);
    return os::NativePath(dir) + "/" + WithoutSuffix(path);
}

std::string LoadProblem(uint32_t code) {
    switch (code) {
        case os::kErrorModNotFound:
            return "module not found";
        case os::kErrorBadExeFormat:
            return "not a loadable module, or a library it needs is missing";
        default:
            return "error";
    }
}

template <typename Function>
void Bind(os::ModuleHandle module, const char* export_name, Function* function,
          std::vector<std::string>* missing) {
    *function = reinterpret_cast<Function>(os::FindSymbol(module, export_name));
    if (!*function) missing->push_back(export_name);
}

}  // namespace

std::string ConduitName(const std::string& name) {
    const std::string path = os::NativePath(name);
    const size_t slash = path.rfind('/');
    return WithoutSuffix(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::unique_ptr<ConduitModule> ConduitModule::Load(const std::string& dir, const std::string& name,
                                                   std::string* error) {
    std::unique_ptr<ConduitModule> conduit(new ConduitModule());
    const std::string base = ModuleBase(dir, name);
    conduit->name_ = ConduitName(name);
    conduit->path_ = base + ".so";
    conduit->module_ = os::LoadModule((base + ".dll").c_str());
    if (!conduit->module_) {
        const uint32_t code = os::LastError();
        *error = "cannot load " + conduit->path_ + " (error " + std::to_string(code) + ": " +
                 LoadProblem(code) + ")";
        return nullptr;
    }
    std::vector<std::string> missing;
    Bind(conduit->module_, kOpenConduitExport, &conduit->open_, &missing);
    Bind(conduit->module_, kGetConduitNameExport, &conduit->get_name_, &missing);
    Bind(conduit->module_, kGetConduitVersionExport, &conduit->get_version_, &missing);
    Bind(conduit->module_, kGetConduitInfoExport, &conduit->get_info_, &missing);
    Bind(conduit->module_, kConfigureConduitExport, &conduit->configure_, &missing);
    if (!missing.empty()) {
        *error = conduit->path_ + " lacks export" + (missing.size() > 1 ? "s " : " ");
        for (size_t i = 0; i < missing.size(); ++i) *error += (i ? ", " : "") + missing[i];
        return nullptr;
    }
    return conduit;
}

ConduitModule::~ConduitModule() {
    os::FreeModule(module_);
}

}  // namespace kv::hotsync
