// kvpractice: the practice side of the mobile system on Linux. Creates
// practice installations, imports and exports practice records, reads and
// writes practice settings and prints the sync log the conduits store.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "emulation/practice/practice_date.h"
#include "emulation/practice/practice_store.h"
#include "emulation/practice/settings_store.h"
#include "platform/bounded_text.h"
#include "platform/byte_order.h"
#include "tools/kvpractice/demo_practice.h"
#include "tools/kvpractice/installer.h"
#include "tools/kvpractice/record_json.h"

namespace kv::tools {
namespace {

constexpr int kSyncLogFile = 45;
constexpr uint8_t kSyncLogKind = '(';

std::string LibraryDir() {
    const char* dir = std::getenv("KV_PRACTICE_LIBS");
    return dir && *dir ? dir : KV_PRACTICE_LIB_DIR;
}

int Fail(const std::string& message) {
    std::cerr << "kvpractice: " << message << "\n";
    return 1;
}

std::unique_ptr<practice::PracticeStore> OpenStore(const Installation& inst, std::string* error) {
    if (!HasInstallation(inst)) {
        *error =
            inst.root + " holds no practice installation (run: kvpractice init " + inst.root + ")";
        return nullptr;
    }
    return practice::PracticeStore::Open(inst.data_dir(), error);
}

int Init(const std::string& dir) {
    Installation inst = InstallationAt(dir);
    std::string error;
    if (!CreateInstallation(inst, LibraryDir(), &error)) return Fail(error);
    std::cout << "Practice installation created in " << inst.root << "\n"
              << "To use it:\n"
              << EnvironmentLines(inst);
    return 0;
}

int ImportJson(const Installation& inst, const nlohmann::json& document) {
    std::string error;
    auto store = OpenStore(inst, &error);
    if (!store) return Fail(error);
    size_t count = 0;
    if (!ImportDocument(*store, document, &count, &error))
        return Fail(error + "; nothing imported");
    std::cout << "Imported " << count << " records\n";
    return 0;
}

int Import(const std::string& dir, const std::string& file) {
    std::ifstream in_file;
    if (file != "-") {
        in_file.open(file);
        if (!in_file) return Fail("cannot read " + file);
    }
    std::istream& in = file == "-" ? std::cin : in_file;
    nlohmann::json document = nlohmann::json::parse(in, nullptr, false);
    if (document.is_discarded()) return Fail(file + " is not valid JSON");
    return ImportJson(InstallationAt(dir), document);
}

int Export(const std::string& dir, int file_number, bool with_raw) {
    const practice::FileDef* file = practice::FindFile(file_number);
    if (!file) return Fail(std::to_string(file_number) + " is not a practice file number");
    std::string error;
    auto store = OpenStore(InstallationAt(dir), &error);
    if (!store) return Fail(error);
    nlohmann::json records = nlohmann::json::array();
    for (const practice::StoredRecord& r : store->All(file_number))
        records.push_back(RecordToJson(*file, r.data, with_raw));
    std::cout << nlohmann::json{{std::to_string(file_number), records}}.dump(2) << "\n";
    return 0;
}

int Settings(const std::string& dir, const std::string& action, const std::string& section,
             const std::string& key, const std::vector<std::string>& value) {
    Installation inst = InstallationAt(dir);
    if (!HasInstallation(inst)) return Fail(inst.root + " holds no practice installation");
    practice::SettingsStore settings(inst.data_dir());
    if (action == "get") {
        auto v = settings.GetString(section, key);
        if (!v) return Fail("no setting " + section + " / " + key);
        std::cout << *v << "\n";
        return 0;
    }
    if (action == "set") {
        if (value.size() != 1) return Fail("settings set needs SECTION KEY VALUE");
        if (!settings.SetString(section, key, value[0]))
            return Fail("cannot write " + settings.path());
        return 0;
    }
    return Fail("settings: unknown action \"" + action + "\" (get or set)");
}

// Line ends as the terminal shows them.
std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out.push_back(c);
    return out;
}

int SyncLog(const std::string& dir, const std::string& date_text) {
    std::optional<int32_t> date;
    if (!date_text.empty()) {
        date = practice::ParseIsoDate(date_text);
        if (!date) return Fail("not a date (YYYY-MM-DD): " + date_text);
    }
    std::string error;
    auto store = OpenStore(InstallationAt(dir), &error);
    if (!store) return Fail(error);
    size_t shown = 0;
    for (const practice::StoredRecord& r : store->All(kSyncLogFile)) {
        if (r.data.size() <= practice::kVarTextOffset || r.data[0] != kSyncLogKind) continue;
        int32_t day = static_cast<int32_t>(LoadLE32(r.data.data() + 6));
        if (date && day != *date) continue;
        std::string text = FieldText(r.data.data() + practice::kVarTextOffset,
                                     r.data.size() - practice::kVarTextOffset);
        std::cout << "==== Sync log of " << practice::FormatIsoDate(day) << " ====\n"
                  << WithoutCarriageReturns(text);
        ++shown;
    }
    if (shown == 0) std::cout << "No sync log" << (date ? " for " + date_text : "") << "\n";
    return 0;
}

int Demo(const std::string& dir) {
    if (int rc = Init(dir)) return rc;
    Installation inst = InstallationAt(dir);
    if (int rc = ImportJson(inst, DemoPracticeDocument())) return rc;
    practice::SettingsStore settings(inst.data_dir());
    for (const DemoSetting& s : DemoSettings())
        if (!settings.SetString(s.section, s.key, s.value))
            return Fail("cannot write " + settings.path());
    std::cout << "Demo handheld user \"" << kDemoHotSyncUser << "\" is associated with DR01\n";
    return 0;
}

int Run(int argc, char** argv) {
    CLI::App app{"kvpractice: the practice side of the Kalvora mobile system"};
    app.require_subcommand(1);
    std::string dir, file, section, key, action, date;
    std::vector<std::string> value;
    int file_number = 0;
    bool with_raw = false;
    int rc = 0;

    auto* init = app.add_subcommand("init", "create a practice installation in DIR");
    init->add_option("DIR", dir)->required();
    init->callback([&] { rc = Init(dir); });

    auto* import = app.add_subcommand("import", "import practice records from JSON (- = stdin)");
    import->add_option("DIR", dir)->required();
    import->add_option("FILE", file)->required();
    import->callback([&] { rc = Import(dir, file);
});

auto* exp = app.add_subcommand("export", "print the records of a practice file as JSON");
exp->add_option("DIR", dir)->required();
exp->add_option("FILE_NUMBER", file_number)->required();
exp->add_flag("--raw", with_raw, "add each record's bytes in hex");
exp->callback([&] { rc = Export(dir, file_number, with_raw); });

auto* settings = app.add_subcommand("settings", "read or write a practice setting");
settings->add_option("DIR", dir)->required();
settings->add_option("ACTION", action, "get or set")->required();
settings->add_option("SECTION", section)->required();
settings->add_option("KEY", key)->required();
settings->add_option("VALUE", value);
settings->callback([&] { rc = Settings(dir, action, section, key, value); });

auto* synclog = app.add_subcommand("synclog", "print the sync log the conduits stored");
synclog->add_option("DIR", dir)->required();
synclog->add_option("--date", date, "only this day (YYYY-MM-DD)");
synclog->callback([&] { rc = SyncLog(dir, date); });

auto* demo = app.add_subcommand("demo", "create an installation holding a demo practice");
demo->add_option("DIR", dir)->required();
demo->callback([&] { rc = Demo(dir); });

CLI11_PARSE(app, argc, argv);
return rc;
}  // namespace

}  // namespace kv::tools
}  // namespace kv::tools

int main(int argc, char** argv) {
    return kv::tools::Run(argc, argv);
}
