// kvpractice as a user runs it: the built tool against a real installation in
// a temporary directory.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "support/practice_fixture.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using nlohmann::json;
using test::FileExists;
using test::FileMode;
using test::ReadTextFile;
using test::TempDir;
using test::WriteTextFile;

struct RunResult {
    int status;
    std::string output;  // stdout and stderr
};

RunResult Kvpractice(const std::string& args) {
    std::string command = std::string(KVPRACTICE_PATH) + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    RunResult result{-1, {}};
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), n);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class KvpracticeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = dir_.path() + "/practice";
        RunResult init = Kvpractice("init " + root_);
        ASSERT_EQ(0, init.status) << init.output;
    }

    RunResult Import(const json& document) {
        WriteTextFile(dir_.File("import.json"), document.dump());
        return Kvpractice("import " + root_ + " " + dir_.File("import.json"));
    }

    json Export(int file) {
        RunResult r = Kvpractice("export " + root_ + " " + std::to_string(file) + " --raw");
        EXPECT_EQ(0, r.status) << r.output;
        return json::parse(r.output, nullptr, false)[std::to_string(file)];
    }

    TempDir dir_;
    std::string root_;
};

TEST_F(KvpracticeTest, InitLaysOutAWholeInstallation) {
    EXPECT_EQ("[GENERAL]\nData_Version=11.1\n", ReadTextFile(root_ + "/data/KVRDATA.INF"));
    std::string registry = ReadTextFile(root_ + "/registry.ini");
    EXPECT_NE(std::string::npos,
              registry.find("[Software\\Kalvora Dental Systems, Inc.\\KALVORA\\GENERAL]"));
    EXPECT_NE(std::string::npos, registry.find("path=" + root_ + "/data/\n"));
    EXPECT_NE(std::string::npos, registry.find("ExePath=" + root_ + "/exe\n"));
    EXPECT_NE(std::string::npos,
              ReadTextFile(root_ + "/windows/KALVORA.INI").find("path=" + root_ + "/data/"));
    for (const char* library : {"kvrdb32.so", "kvr32sm.so", "kvr32.so"})
        EXPECT_TRUE(FileExists(root_ + "/exe/" + library)) << library;
    EXPECT_EQ(0600, FileMode(root_ + "/data/KALVORA.KDB"));
    EXPECT_EQ(0600, FileMode(root_ + "/data/KVSETTINGS.INI"));

    RunResult again = Kvpractice("init " + root_);
    EXPECT_EQ(1, again.status);
    EXPECT_NE(std::string::npos, again.output.find("already holds a practice installation"));
}

TEST_F(KvpracticeTest, ImportsNamedAndRawRecordsAndExportsThem) {
    std::string raw_patient(558 * 2, '0');
    raw_patient.replace(4, 8, "39300000");  // patient id 0x3039 = 12345, little-endian
    RunResult r = Import({{"18",
                           {{{"patient_id", 7},
                             {"last_name", "Moreau"},
                             {"first_name", "Claire"},
                             {"primary_provider", "DR01"},
                             {"birth_date", "1984-02-29"},
                             {"status", 1}},
                            {{"raw", raw_patient.substr(0, 40)}}}},
                          {"44", {{{"raw", "3100070000000000000048690a00"}}}}});
    ASSERT_EQ(0, r.status) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("Imported 3 records"));

    json patients = Export(18);
    ASSERT_EQ(2u, patients.size());
    EXPECT_EQ("Moreau", patients[0]["last_name"]);
    EXPECT_EQ("DR01", patients[0]["primary_provider"]);
    EXPECT_EQ("1984-02-29", patients[0]["birth_date"]);
    EXPECT_EQ(12345, patients[1]["patient_id"]);
    EXPECT_EQ(558u * 2, patients[1]["raw"].get<std::string>().size());  // zero-padded

    json notes = Export(44);  // a variable-length record keeps the bytes as given
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ("3100070000000000000048690a00", notes[0]["raw"]);
    EXPECT_EQ("Hi\n", notes[0]["text"]);
    EXPECT_EQ(7, notes[0]["owner"]);
}

TEST_F(KvpracticeTest, ABadRecordRefusesTheWholeImportNamingRecordAndField) {
    struct Case {
        json document;
        std::string message;
    };
    const Case cases[] = {
        {{{"6", {{{"id", "DR01"}}, {{"id", "TOOLONG"}}}}},
         "record 2: field \"id\": longer than 4 characters"},
        {{{"18", {{{"birth_date", "2005-02-29"}}}}}, "field \"birth_date\": not a date"},
        {{{"18", {{{"shoe_size", 9}}}}}, "field \"shoe_size\": no such field"},
        {{{"47", {{{"alert_number", 300}}}}}, "field \"alert_number\": out of range 0..255"},
        {{{"9", {{{"raw", std::string(257 * 2, '0')}}}}}, "field \"raw\": longer than 256 bytes"},
        {{{"12345", json::array()}}, "\"12345\" is not a practice file number"},
    };
    for (const Case& c : cases) {
        json document = c.document;
        document["6"].push_back({{"id", "ZZ99"}});  // a good record that must not land
        RunResult r = Import(document);
        EXPECT_EQ(1, r.status) << c.message;
        EXPECT_NE(std::string::npos, r.output.find(c.message)) << r.output;
        EXPECT_NE(std::string::npos, r.output.find("nothing imported")) << r.output;
    }
    EXPECT_EQ(0u, Export(6).size());
}

TEST_F(KvpracticeTest, SettingsAreWrittenAndReadBack) {
    EXPECT_EQ(0, Kvpractice("settings " + root_ + " set PALMID \"Anna Whitaker\" DR01").status);
    RunResult get = Kvpractice("settings " + root_ + " get palmid \"Anna Whitaker\"");
    EXPECT_EQ(0, get.status);
    EXPECT_EQ("DR01\n", get.output);
    RunResult missing = Kvpractice("settings " + root_ + " get PALMID Nobody");
    EXPECT_EQ(1, missing.status);
    EXPECT_EQ(0600, FileMode(root_ + "/data/KVSETTINGS.INI"));
}

TEST_F(KvpracticeTest, SyncLogPrintsTheStoredTextsByDay) {
    ASSERT_EQ(0, Import({{"45",
                          {{{"kind", "("},
                            {"number", 1},
                            {"date", "2026-12-10"},
                            {"text", "first day\r\nline two\r\n"}},
                           {{"kind", "("},
                            {"number", 1},
                            {"date", "2026-12-11"},
                            {"text", "second day\r\n"}}}}})
                     .status);
    RunResult all = Kvpractice("synclog " + root_);
    EXPECT_EQ(0, all.status);
    EXPECT_EQ(
        "==== Sync log of 2026-12-10 ====\nfirst day\nline two\n"
        "==== Sync log of 2026-12-11 ====\nsecond day\n",
        all.output);
    RunResult one = Kvpractice("synclog " + root_ + " --date 2026-12-11");
    EXPECT_EQ("==== Sync log of 2026-12-11 ====\nsecond day\n", one.output);
    EXPECT_EQ("No sync log for 2026-12-09\n",
              Kvpractice("synclog " + root_ + " --date 2026-12-09").output);
}

TEST(Kvpractice, DemoCreatesAPracticeWithResourcesAndPreferences) {
    TempDir dir;
    RunResult r = Kvpractice("demo " + dir.path() + "/demo");
    ASSERT_EQ(0, r.status) << r.output;
    EXPECT_NE(std::string::npos,
              r.output.find("export KV_REGISTRY=" + dir.path() + "/demo/registry.ini"));
    RunResult resources = Kvpractice("export " + dir.path() + "/demo 6");
    json list = json::parse(resources.output)["6"];
    ASSERT_GE(list.size(), 6u);
    EXPECT_EQ("DR01", list[0]["id"]);  // key 7: providers first, by id
    EXPECT_EQ(1, list[0]["kind"]);
    bool flagged_provider = false;
    for (const json& r : list) flagged_provider |= r["kind"] == 1 && r["flag_a"] != 0;
    EXPECT_TRUE(flagged_provider);  // kept off the patient viewer's provider list
    EXPECT_EQ("DR01\n",
              Kvpractice("settings " + dir.path() + "/demo get PALMID \"Anna Whitaker\"").output);
    json prefs = json::parse(Kvpractice("export " + dir.path() + "/demo 95").output)["95"];
    ASSERT_EQ(1u, prefs.size());
    EXPECT_EQ(-1, prefs[0]["sunday"]);
    EXPECT_EQ("12-25", prefs[0]["holidays"][2]);
}

TEST(Kvpractice, CommandsOnAMissingInstallationSaySo) {
    TempDir dir;
    RunResult r = Kvpractice("export " + dir.path() + "/none 6");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.output.find("holds no practice installation"));
}

}  // namespace
}  // namespace kv
