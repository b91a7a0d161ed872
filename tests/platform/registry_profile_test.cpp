#include <gtest/gtest.h>

#include <cstring>

#include "platform/os.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::WriteTextFile;

constexpr const char* kKey = "Software\\Kalvora Dental Systems, Inc.\\KALVORA\\GENERAL";

class RegistryTest : public ::testing::Test {
  protected:
    RegistryTest() : env_("KV_REGISTRY", dir_.File("registry.ini")) {
        WriteTextFile(dir_.File("registry.ini"),
                      "garbage line\n"
                      "[Software\\Other]\npath=wrong\n"
                      "[software\\kalvora dental systems, inc.\\KALVORA\\general]\n"
                      "path=/srv/practice/data/\n"
                      "=no key\n"
                      "Empty=\n");
    }
    TempDir dir_;
    ScopedEnv env_;
};

TEST_F(RegistryTest, ReadsAValueWhenItFitsTheBuffer) {
    os::RegistryKey key = os::OpenCurrentUserKey(kKey);
    ASSERT_NE(nullptr, key);
    const std::string expected = "/srv/practice/data/";
    char exact[20];  // the text and its terminator, no more
    ASSERT_EQ(expected.size() + 1, sizeof exact);
    EXPECT_TRUE(os::QueryRegistryValue(key, "PATH", exact, sizeof exact));
    EXPECT_EQ(expected, exact);

    char small[19];
    std::memset(small, 'x', sizeof small);
    EXPECT_FALSE(os::QueryRegistryValue(key, "path", small, sizeof small));
    EXPECT_EQ(os::kErrorMoreData, os::LastError());
    EXPECT_EQ('x', small[0]);  // untouched

    char empty[4] = "abc";
    EXPECT_TRUE(os::QueryRegistryValue(key, "Empty", empty, sizeof empty));
    EXPECT_STREQ("", empty);
    EXPECT_FALSE(os::QueryRegistryValue(key, "ExePath", exact, sizeof exact));
    os::CloseRegistryKey(key);
}

TEST_F(RegistryTest, MissingKeyOrRegistryFileCannotBeOpened) {
    EXPECT_EQ(nullptr, os::OpenCurrentUserKey("Software\\Nobody"));
    ScopedEnv no_file("KV_REGISTRY", dir_.File("absent.ini"));
    EXPECT_EQ(nullptr, os::OpenCurrentUserKey(kKey));
}

class ProfileTest : public ::testing::Test {
  protected:
    ProfileTest() : env_("KV_WINDIR", dir_.path() + "/windows/") {
        WriteTextFile(dir_.File("windows/Kalvora.ini"),
                      "[GENERAL]\nExePath=C:\\KALVORA\\EXE\nbroken line\nLong=0123456789\n");
        WriteTextFile(dir_.File("data/KVRDATA.INF"), "[GENERAL]\nData_Version=11.1\n");
    }
    TempDir dir_;
    ScopedEnv env_;
};

TEST_F(ProfileTest, BareNameIsFoundInTheWindowsDirectoryWhateverItsCase) {
    char buffer[64];
    EXPECT_EQ(14u,
              os::GetProfileString("general", "exepath", "", buffer, sizeof buffer, "KALVORA.INI"));
    EXPECT_STREQ("C:\\KALVORA\\EXE", buffer);
}

TEST_F(ProfileTest, PathsMayUseBackslashes) {
    std::string path = dir_.path() + "\\data\\KVRDATA.INF";
    char buffer[16];
    os::GetProfileString("GENERAL", "Data_Version", "", buffer, sizeof buffer, path.c_str());
    EXPECT_STREQ("11.1", buffer);
}

TEST_F(ProfileTest, DefaultsAndTruncation) {
    struct Case {
        const char* key;
        const char* file;
        const char* default_value;
        uint32_t size;
        const char* expected;
    };
    const Case cases[] = {
        {"Long", "KALVORA.INI", "", 64, "0123456789"},
        {"Long", "KALVORA.INI", "", 5, "0123"},
        {"Missing", "KALVORA.INI", "fallback  ", 64, "fallback"},
        {"Missing", "KALVORA.INI", "fallback", 4, "fal"},
        {"Long", "NOFILE.INI", "none", 64, "none"},
        {"broken line", "KALVORA.INI", "", 64, ""},
    };
    for (const Case& c : cases) {
        char buffer[64 + 1];
        std::memset(buffer, 'x', sizeof buffer);
        uint32_t n =
            os::GetProfileString("GENERAL", c.key, c.default_value, buffer, c.size, c.file);
        EXPECT_STREQ(c.expected, buffer) << c.key << " size " << c.size;
        EXPECT_EQ(std::strlen(c.expected), n);
        EXPECT_EQ('x', buffer[c.size]) << "wrote past the buffer";
    }
}

}  // namespace
}  // namespace kv
