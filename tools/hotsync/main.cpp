// hotsync: the HotSync Manager on Linux. Runs the conduits for a handheld
// directory and a practice and prints the HotSync log, lets a conduit choose
// the sync action kept for a handheld, and prints what a conduit says about
// itself. See docs/hotsync.md.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "emulation/hotsync/conduit_module.h"
#include "emulation/hotsync/handheld_files.h"
#include "emulation/hotsync/hotsync_clock.h"
#include "emulation/hotsync/hotsync_run.h"
#include "emulation/hotsync/log_printout.h"
#include "platform/bounded_text.h"
#include "platform/conduit_exports.h"
#include "platform/posix/desktop_answers.h"

namespace kv::tools {
namespace {

const std::vector<std::string> kConduitOrder = {"KvrALC", "KvrOJC", "KvrPVC", "KvrRXC"};

struct Options {
    std::string practice;
    std::string handheld;
    std::string user;
    std::vector<std::string> conduits;
    std::string today;
    std::string answers;
    std::string conduit;  // configure, info
};

int Fail(const std::string& message) {
    std::cerr << "hotsync: " << message << "\n";
    return 1;
}

std::string ConduitDir() {
    const char* dir = std::getenv("KV_CONDUIT_DIR");
    return dir && *dir ? dir : KV_CONDUIT_DIR;
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

// Points the conduits at the practice installation, the handheld, the day
// and the answers. False with *error when an option is not usable.
bool SetEnvironment(Options& options, std::string* error) {
    if (!options.practice.empty()) {
        options.practice = Absolute(options.practice);
        if (!std::filesystem::is_directory(options.practice)) {
            *error = options.practice + " is not a directory (a practice installation)";
            return false;
        }
        ::setenv("KV_REGISTRY", (options.practice + "/registry.ini").c_str(), 1);
        ::setenv("KV_WINDIR", (options.practice + "/windows").c_str(), 1);
    }
    if (!options.handheld.empty()) {
        options.handheld = Absolute(options.handheld);
        ::setenv("KV_HANDHELD", options.handheld.c_str(), 1);
    }
    if (!options.today.empty()) {
        if (!hotsync::IsDateText(options.today)) {
            *error = "--today wants a date YYYY-MM-DD, not " + options.today;
            return false;
        }
        ::setenv("KV_TODAY", options.today.c_str(), 1);
    }
    if (!options.answers.empty()) ::setenv("KV_ANSWERS", options.answers.c_str(), 1);
    desktop::RestartAnswers();
    return true;
}

std::unique_ptr<hotsync::ConduitModule> LoadConduit(const std::string& name) {
    std::string problem;
    auto conduit = hotsync::ConduitModule::Load(ConduitDir(), name, &problem);
    if (!conduit) Fail(problem);
    return conduit;
}

int Sync(Options& options) {
    std::string error;
    if (!SetEnvironment(options, &error)) return Fail(error);
    if (!options.user.empty() &&
        !hotsync::WriteHandheldUser(options.handheld, options.user, &error))
        return Fail(error);

    hotsync::HotSyncRequest request;
    request.conduit_dir = ConduitDir();
    request.conduits = options.conduits.empty() ? kConduitOrder : options.conduits;
    request.handheld = options.handheld;
    request.user = hotsync::ReadHandheldUser(options.handheld);

    hotsync::ProgressFn progress;
    if (::isatty(STDOUT_FILENO) == 1) {
        progress = [](const std::string& conduit, size_t place, size_t count) {
            std::cout << "Synchronizing " << conduit << " (" << place << " of " << count << ")..."
                      << std::endl;
        };
    }
    const hotsync::HotSyncReport report = hotsync::RunHotSync(request, progress);
    std::cout << hotsync::FormatHotSyncLog(report) << std::flush;
    return report.Succeeded() ? 0 : 1;
}

int Configure(Options& options) {
    std::string error;
    if (!SetEnvironment(options, &error)) return Fail(error);
    auto conduit = LoadConduit(options.conduit);
    if (!conduit) return 1;

    SyncPreference preference{};
    CopyText(preference.user_name, sizeof preference.user_name,
             hotsync::ReadHandheldUser(options.handheld));
    CopyText(preference.handheld_path, sizeof preference.handheld_path, options.handheld);
    preference.scope = 0;
    preference.sync_type = hotsync::KeptSyncAction(options.handheld, conduit->name());

    const int32_t result = conduit->configure()(&preference);
    if (result == kConfigureCancelled) {
        std::cout << conduit->name() << ": configuration cancelled; nothing kept\n";
        return 0;
    }
    if (result != 0)
        return Fail(conduit->name() + ": ConfigureConduit answered " + std::to_string(result) +
                    "; nothing kept");
    if (!hotsync::KeepSyncAction(options.handheld, conduit->name(), preference.sync_type, &error))
        return Fail(error);
    std::cout << conduit->name() << ": sync action "
              << hotsync::SyncActionText(preference.sync_type) << ", kept in " << options.handheld
              << "/" << hotsync::kSyncActionsFile << "\n";
    return 0;
}

std::string Hex(uint32_t value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

// Prints one answer; false when the export answered an error.
bool PrintAnswer(const char* what, int32_t result, const std::string& value) {
    std::cout << what;
    if (result == 0)
        std::cout << value << "\n";
    else
        std::cout << "failed, answered " << result << "\n";
    return result == 0;
}

int Info(Options& options) {
    std::string error;
    if (!SetEnvironment(options, &error)) return Fail(error);
    auto conduit = LoadConduit(options.conduit);
    if (!conduit) return 1;
    bool ok = true;
    std::cout << "Conduit module:                  " << conduit->path() << "\n";

    char name[256] = {};
    int32_t result = conduit->get_name()(name, sizeof name);
    ok &= PrintAnswer("GetConduitName:                  ", result,
                      "\"" + FieldText(name, sizeof name) + "\"");

    std::cout << "GetConduitVersion:               " << Hex(conduit->get_version()(), 1) << "\n";

    ConduitNameRequest request{kConduitNameRequestVersion, kConduitNameRequestWidth};
    char info_name[256] = {};
    uint32_t size = sizeof info_name;
    result = conduit->get_info()(kConduitInfoName, &request, info_name, &size);
    ok &= PrintAnswer("GetConduitInfo 0 (name):         ", result,
                      "\"" + FieldText(info_name, sizeof info_name) + "\"");

    uint32_t value = 0;
    size = sizeof value;
    result = conduit->get_info()(kConduitInfoValue, nullptr, &value, &size);
    ok &= PrintAnswer("GetConduitInfo 1 (value):        ", result,
                      Hex(value, 8) + " (" + std::to_string(value) + ")");

    int32_t action = 0;
    size = sizeof action;
    result = conduit->get_info()(kConduitInfoSyncAction, nullptr, &action, &size);
    ok &= PrintAnswer("GetConduitInfo 2 (sync action):  ", result, hotsync::SyncActionText(action));
    return ok ? 0 : 1;
}

int Run(int argc, char** argv) {
    CLI::App app{"hotsync: the HotSync Manager on Linux"};
    app.require_subcommand(1);
    Options options;

    CLI::App* sync = app.add_subcommand("sync", "run the conduits for a handheld and a practice");
    sync->add_option("--practice", options.practice, "practice installation directory")->required();
    sync->add_option("--handheld", options.handheld, "handheld directory")->required();
    sync->add_option("--user", options.user, "HotSync user name (kept in the handheld's user.txt)");
    sync->add_option("--conduit", options.conduits, "conduit to run (repeatable; default: all)");
    sync->add_option("--today", options.today, "today's date, YYYY-MM-DD");
    sync->add_option("--answers", options.answers, "answers for message boxes and dialogs");

    CLI::App* configure =
        app.add_subcommand("configure", "let a conduit choose the sync action for a handheld");
    configure->add_option("conduit", options.conduit, "conduit name")->required();
    configure->add_option("--handheld", options.handheld, "handheld directory")->required();
    configure->add_option("--practice", options.practice, "practice installation directory");
    configure->add_option("--answers", options.answers, "answers for message boxes and dialogs");

    CLI::App* info = app.add_subcommand("info", "print what a conduit says about itself");
    info->add_option("conduit", options.conduit, "conduit name")->required();

    CLI11_PARSE(app, argc, argv);
    if (sync->parsed()) return Sync(options);
    if (configure->parsed()) return Configure(options);
    return Info(options);
}

}  // namespace
}  // namespace kv::tools

int main(int argc, char** argv) {
    try {
        return kv::tools::Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "hotsync: " << e.what() << "\n";
        return 1;
    }
}
