#include "support/practice_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace kv::test {

PracticeInstallation::PracticeInstallation()
    : registry_env_("KV_REGISTRY", dir_.path() + "/registry.ini"),
      windows_env_("KV_WINDIR", dir_.path() + "/windows") {
    std::filesystem::create_directories(data_dir());
    std::filesystem::create_directories(exe_dir());
    std::filesystem::create_directories(windows_dir());
    std::string error;
    if (!practice::PracticeStore::Create(data_dir(), &error))
        throw std::runtime_error("cannot create practice database: " + error);
    WriteTextFile(data_dir() + "KVRDATA.INF", "[GENERAL]\nData_Version=11.1\n");
    SetRegistry({{"path", data_dir()}, {"ExePath", exe_dir()}});
    SetKalvoraIni({{"path", data_dir()}, {"ExePath", exe_dir()}});
}

void PracticeInstallation::SetRegistry(const std::map<std::string, std::string>& values) {
    std::string text = "[Software\\Kalvora Dental Systems, Inc.\\KALVORA\\GENERAL]\n";
    for (const auto& [k, v] : values) text += k + "=" + v + "\n";
    WriteTextFile(registry_file(), text);
}

void PracticeInstallation::SetKalvoraIni(const std::map<std::string, std::string>& values) {
    std::string text = "[GENERAL]\n";
    for (const auto& [k, v] : values) text += k + "=" + v + "\n";
    WriteTextFile(windows_dir() + "/KALVORA.INI", text);
}

std::unique_ptr<practice::PracticeStore> PracticeInstallation::OpenStore() const {
    std::string error;
    return practice::PracticeStore::Open(data_dir(), &error);
}

std::string PracticeLibraryDir() {
    const char* dir = std::getenv("KV_PRACTICE_LIBS");
    return dir ? dir : "";
}

PracticeModule::PracticeModule(const std::string& name)
    : handle_(os::LoadModule((PracticeLibraryDir() + "/" + name + ".dll").c_str())) {}

PracticeModule::~PracticeModule() {
    os::FreeModule(handle_);
}

}  // namespace kv::test
