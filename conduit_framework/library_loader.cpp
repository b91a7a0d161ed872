#include "conduit_framework/library_loader.h"

#include <cstdio>

#include "conduit_framework/installation_settings.h"
#include "platform/bounded_text.h"
#include "platform/desktop.h"

namespace kv::conduit {
namespace {

constexpr size_t kWorkingDirectorySize = 260;
constexpr size_t kMessageSize = 512;

// Loads path with the executables directory as the working directory for the
// moment, when the working directory can be remembered.
os::ModuleHandle LoadFromDirectory(const std::string& directory, const std::string& path) {
    char remembered[kWorkingDirectorySize] = {};
    const bool can_return =
        os::GetWorkingDirectory(remembered, static_cast<uint32_t>(sizeof remembered)) != 0;
    const bool moved =
        can_return && !directory.empty() && os::SetWorkingDirectory(directory.c_str());
    os::ModuleHandle module = os::LoadModule(path.c_str());
    if (moved) {
        const uint32_t error = os::LastError();  // keep the load's error code
        os::SetWorkingDirectory(remembered);
        os::SetLastError(error);
    }
    return module;
}

void ShowLoadFailure(const PracticeLibrary& library, uint32_t error) {
    char message[kMessageSize];
    std::snprintf(message, sizeof message, library.message_format, static_cast<long>(error));
    desktop::ShowMessageBox(desktop::ActiveWindow(), message, library.caption,
                            desktop::Buttons::kOk, desktop::Icon::kNone);
}

}  // namespace

std::string LibraryPath(const std::string& exe_directory, const char* file_name) {
    std::string directory = exe_directory;
    if (!directory.empty() && directory.back() == '\\') directory.pop_back();
    if (directory.empty()) return file_name;
    return directory + "\\" + file_name;
}

os::ModuleHandle LoadPracticeLibrary(const PracticeLibrary& library) {
    char exe_directory[kExeDirectorySize] = {};
    ReadExeDirectory(exe_directory, sizeof exe_directory);
    std::string directory = FieldText(exe_directory, sizeof exe_directory);
    if (!directory.empty() && directory.back() == '\\') directory.pop_back();

    os::ModuleHandle module =
        LoadFromDirectory(directory, LibraryPath(directory, library.file_name));
    if (!module) module = os::LoadModule(library.file_name);
    if (!module) ShowLoadFailure(library, os::LastError());
    return module;
}

}  // namespace kv::conduit
