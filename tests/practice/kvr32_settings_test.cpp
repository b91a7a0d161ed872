// The practice utility library as the conduits meet it: the settings store
// and profile files.
#include "practice/kvr32_fixture.h"

namespace kv {
namespace {

// ---- Settings ----

class Kvr32SettingsTest : public Kvr32Test {
  protected:
    void SetUp() override {
        Kvr32Test::SetUp();
        get_int_ = Entry<KVR_GetPrivateInfInt_fn>("KVR_GetPrivateInfInt");
        get_string_ = Entry<KVR_GetPrivateInfString_fn>("KVR_GetPrivateInfString");
        write_int_ = Entry<KVR_WritePrivateInfInt_fn>("KVR_WritePrivateInfInt");
        write_string_ = Entry<KVR_WritePrivateInfString_fn>("KVR_WritePrivateInfString");
        ASSERT_TRUE(get_int_ && get_string_ && write_int_ && write_string_);
    }

    std::string GetString(const char* section, const char* key, const char* default_value) {
        char text[260];
        get_string_(section, key, default_value, text, sizeof text);
        return text;
    }

    KVR_GetPrivateInfInt_fn get_int_ = nullptr;
    KVR_GetPrivateInfString_fn get_string_ = nullptr;
    KVR_WritePrivateInfInt_fn write_int_ = nullptr;
    KVR_WritePrivateInfString_fn write_string_ = nullptr;
};

TEST_F(Kvr32SettingsTest, StoredInTheRegistryDataDirectory) {
    EXPECT_EQ(5, get_int_("KVMOBILE_APPTLIST", "ABCD_Cnt", 5));
    EXPECT_EQ("none", GetString("PALMID", "Dr Smith", "none"));

    EXPECT_NE(0, write_string_("PALMID", "Dr Smith", "ABCD"));
    EXPECT_NE(0, write_int_("KVMOBILE_APPTLIST", "ABCD_Cnt", 3));
    EXPECT_EQ("ABCD", GetString("palmid", "DR SMITH", "none"));
    EXPECT_EQ(3, get_int_("kvmobile_apptlist", "abcd_cnt", 5));
    EXPECT_EQ("3", GetString("KVMOBILE_APPTLIST", "ABCD_Cnt", ""));

    const std::string file = install_.data_dir() + "KVSETTINGS.INI";
    EXPECT_NE(std::string::npos, ReadTextFile(file).find("Dr Smith=ABCD"));
    EXPECT_EQ(0600, test::FileMode(file));
}

TEST_F(Kvr32SettingsTest, StringsAreCutToTheBuffer) {
    ASSERT_NE(0, write_string_("KVMOBILE", "ABCD_SEL_PROVIDERS", "DR01DR02DR03"));
    struct Case {
        int size;
        const char* text;
    };
    for (const Case& c :
         {Case{13, "DR01DR02DR03"}, Case{12, "DR01DR02DR0"}, Case{5, "DR01"}, Case{1, ""}}) {
        GuardedBuffer text(static_cast<size_t>(c.size));
        EXPECT_EQ(static_cast<int>(std::strlen(c.text)),
                  get_string_("KVMOBILE", "ABCD_SEL_PROVIDERS", "", text.data(), text.size()));
        EXPECT_EQ(c.text, text.text());
        EXPECT_TRUE(text.GuardsIntact()) << c.size;
    }
    GuardedBuffer text(4);
    EXPECT_EQ(3, get_string_("KVMOBILE", "absent", "default", text.data(), text.size()));
    EXPECT_EQ("def", text.text());
    EXPECT_TRUE(text.GuardsIntact());

    GuardedBuffer untouched(4);
    EXPECT_EQ(0, get_string_("KVMOBILE", "ABCD_SEL_PROVIDERS", "", untouched.data(), 0));
    EXPECT_EQ(0, get_string_("KVMOBILE", "ABCD_SEL_PROVIDERS", "", untouched.data(), -5));
    EXPECT_TRUE(untouched.Untouched());
}

TEST_F(Kvr32SettingsTest, DataDirectoryFallsBackToKalvoraIniAndIsLookedUpEveryCall) {
    const std::string other = install_.root() + "/other/";
    std::filesystem::create_directories(other);
    install_.SetRegistry({{"ExePath", install_.exe_dir()}});  // no "path"
    install_.SetKalvoraIni({{"path", other}});

    EXPECT_NE(0, write_string_("PALMID", "Handheld", "WXYZ"));
    EXPECT_NE(std::string::npos, ReadTextFile(other + "KVSETTINGS.INI").find("Handheld=WXYZ"));
    EXPECT_FALSE(test::FileExists(install_.data_dir() + "KVSETTINGS.INI"));

    install_.SetRegistry({{"path", install_.data_dir()}});
    EXPECT_EQ("", GetString("PALMID", "Handheld", ""));
    install_.SetRegistry({});
    EXPECT_EQ("WXYZ", GetString("PALMID", "Handheld", ""));
}

TEST_F(Kvr32SettingsTest, NoDataDirectoryReadsDefaultsAndRefusesWrites) {
    install_.SetRegistry({});
    install_.SetKalvoraIni({});
    EXPECT_EQ(0, write_string_("PALMID", "Handheld", "WXYZ"));
    EXPECT_EQ(0, write_int_("KVMOBILE", "ABCD_Cnt", 2));
    EXPECT_EQ(9, get_int_("KVMOBILE", "ABCD_Cnt", 9));
    EXPECT_EQ("dflt", GetString("PALMID", "Handheld", "dflt"));
}

TEST_F(Kvr32SettingsTest, MissingArgumentsAreRefused) {
    EXPECT_EQ(0, write_string_(nullptr, "k", "v"));
    EXPECT_EQ(0, write_string_("S", nullptr, "v"));
    EXPECT_EQ(0, write_string_("S", "k", nullptr));
    EXPECT_EQ(0, write_int_("S", nullptr, 1));
    EXPECT_EQ(4, get_int_(nullptr, "k", 4));
    EXPECT_EQ("", GetString("S", nullptr, nullptr));
}

// ---- Profile files ----

class Kvr32ProfileTest : public Kvr32Test {
  protected:
    void SetUp() override {
        Kvr32Test::SetUp();
        get_profile_ = Entry<KVR_GetPrivateProfileString_fn>("KVR_GetPrivateProfileString");
        ASSERT_TRUE(get_profile_);
    }

    KVR_GetPrivateProfileString_fn get_profile_ = nullptr;
};

TEST_F(Kvr32ProfileTest, BareNamesAreReadFromTheWindowsDirectory) {
    WriteTextFile(install_.windows_dir() + "/KALVORA.INI",
                  "junk before any section\n"
                  "[GENERAL]\n"
                  "no equals here\n"
                  "=empty key\n"
                  "path=" +
                      install_.data_dir() +
                      "\n"
                      "[broken\n"
                      "path=wrong\n");
    for (const char* file : {"KALVORA.INI", "KALVORA", "kalvora.ini"}) {
        char text[260] = "?";
        const int length = get_profile_("GENERAL", "path", "", text, sizeof text, file);
        EXPECT_EQ(install_.data_dir(), text) << file;
        EXPECT_EQ(static_cast<int>(install_.data_dir().size()), length);
    }
    char text[32];
    EXPECT_EQ(4, get_profile_("GENERAL", "ExePath", "none", text, sizeof text, "KALVORA.INI"));
    EXPECT_STREQ("none", text);
    EXPECT_EQ(4, get_profile_("broken", "path", "none", text, sizeof text, "KALVORA.INI"));
    EXPECT_EQ(4, get_profile_("GENERAL", "path", "none", text, sizeof text, "ABSENT"));
}

TEST_F(Kvr32ProfileTest, DataVersionIsReadByPathAndCutToTheBuffer) {
    const std::string file = install_.data_dir() + "KVRDATA.INF";
    struct Case {
        int size;
        const char* text;
    };
    for (const Case& c : {Case{259, "11.1"}, Case{5, "11.1"}, Case{4, "11."}, Case{1, ""}}) {
        GuardedBuffer text(static_cast<size_t>(c.size));
        EXPECT_EQ(
            static_cast<int>(std::strlen(c.text)),
            get_profile_("GENERAL", "Data_Version", "", text.data(), text.size(), file.c_str()));
        EXPECT_EQ(c.text, text.text());
        EXPECT_TRUE(text.GuardsIntact()) << c.size;
    }
    GuardedBuffer untouched(8);
    EXPECT_EQ(0, get_profile_("GENERAL", "Data_Version", "", untouched.data(), 0, file.c_str()));
    EXPECT_TRUE(untouched.Untouched());

    const std::string absent = install_.root() + "/nowhere/KVRDATA.INF";
    char text[16] = "?";
    EXPECT_EQ(0, get_profile_("GENERAL", "Data_Version", "", text, sizeof text, absent.c_str()));
    EXPECT_STREQ("", text);
}

}  // namespace
}  // namespace kv
