#include "emulation/practice/settings_store.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <vector>

#include "support/temp_dir.h"

namespace kv::practice {
namespace {

using test::FileMode;
using test::ReadTextFile;
using test::TempDir;
using test::WriteTextFile;

class SettingsStoreTest : public ::testing::Test {
  protected:
    std::string file() const { return dir_.File(kSettingsFileName); }

    TempDir dir_;
    SettingsStore store_{dir_.path()};
};

TEST_F(SettingsStoreTest, LivesInTheDataDirectoryWhateverTheSeparators) {
    EXPECT_EQ(file(), store_.path());
    EXPECT_EQ(file(), SettingsStore(dir_.path() + "\\").path());
}

TEST_F(SettingsStoreTest, MissingFileOrKeyYieldsTheDefault) {
    EXPECT_FALSE(store_.GetString("KVMOBILE", "ABCD_Cnt"));
    EXPECT_EQ(7, store_.GetInt("KVMOBILE", "ABCD_Cnt", 7));
    ASSERT_TRUE(store_.SetInt("KVMOBILE", "ABCD_Cnt", 3));
    EXPECT_EQ(-1, store_.GetInt("KVMOBILE", "other", -1));
    EXPECT_EQ(-1, store_.GetInt("OTHER", "ABCD_Cnt", -1));
}

TEST_F(SettingsStoreTest, ValuesRoundTripAndNamesIgnoreCase) {
    ASSERT_TRUE(store_.SetString("PALMID", "Dr Smith", "ABCD"));
    ASSERT_TRUE(store_.SetInt("KVMOBILE", "ABCD_SEL_PROV_CNT", -42));
    ASSERT_TRUE(store_.SetString("KVMOBILE", "empty", ""));

    SettingsStore reopened(dir_.path());
    EXPECT_EQ("ABCD", reopened.GetString("palmid", "DR SMITH"));
    EXPECT_EQ(-42, reopened.GetInt("kvmobile", "abcd_sel_prov_cnt", 0));
    EXPECT_EQ("", reopened.GetString("KVMOBILE", "Empty"));

    // A key set again in another case replaces the value, keeping one entry.
    ASSERT_TRUE(store_.SetString("palmid", "DR SMITH", "WXYZ"));
    EXPECT_EQ("WXYZ", store_.GetString("PALMID", "Dr Smith"));
    EXPECT_EQ("[PALMID]\nDr Smith=WXYZ\n\n[KVMOBILE]\nABCD_SEL_PROV_CNT=-42\nempty=\n",
              ReadTextFile(file()));
}

TEST_F(SettingsStoreTest, IntegersReadLikeAtoi) {
    struct Case {
        const char* stored;
        int value;
    };
    for (const Case& c : {Case{"12", 12}, Case{"-3", -3}, Case{"8 weeks", 8}, Case{"abc", 0},
                          Case{"99999999999", 2147483647}, Case{"", 0}}) {
        ASSERT_TRUE(store_.SetString("S", "k", c.stored));
        EXPECT_EQ(c.value, store_.GetInt("S", "k", 5)) << '"' << c.stored << '"';
    }
}

TEST_F(SettingsStoreTest, CharactersTheLineFormatCannotHoldAreEscaped) {
    const std::string awkward[] = {"a=b",    "semi;colon", "[bracket]", "two\nlines", "cr\r",
                                   "# hash", "100%",       " padded ",  "\"quoted\"", "%41"};
    for (const std::string& text : awkward) {
        ASSERT_TRUE(store_.SetString("S", text, text)) << text;
        ASSERT_TRUE(store_.SetString(text, "key", text)) << text;
    }
    SettingsStore reopened(dir_.path());
    for (const std::string& text : awkward) {
        EXPECT_EQ(text, reopened.GetString("S", text)) << text;
        EXPECT_EQ(text, reopened.GetString(text, "key")) << text;
    }
    const std::string on_disk = ReadTextFile(file());
    EXPECT_NE(std::string::npos, on_disk.find("a%3Db=a%3Db\n"));
    EXPECT_NE(std::string::npos, on_disk.find("two%0Alines=two%0Alines\n"));
    EXPECT_NE(std::string::npos, on_disk.find("%20padded%20="));
}

TEST_F(SettingsStoreTest, RewriteIsAtomicAndOwnerOnly) {
    ASSERT_TRUE(store_.SetString("S", "k", "v1"));
    EXPECT_EQ(0600, FileMode(file()));
    WriteTextFile(file(), "[S]\nk=v1\n");
    std::filesystem::permissions(file(), std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write |
                                             std::filesystem::perms::others_read);
    ASSERT_TRUE(store_.SetString("S", "k", "v2"));
    EXPECT_EQ(0600, FileMode(file()));  // a rewrite takes readers away again

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(std::vector<std::string>{kSettingsFileName}, names);
}

// Files may grow to `bytes` while the object lives; writing past that fails
// with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_limit_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_limit_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_limit_);
        std::signal(SIGXFSZ, old_handler_);
    }

  private:
    rlimit old_limit_{};
    void (*old_handler_)(int);
};

TEST_F(SettingsStoreTest, FailedWriteLeavesTheOldFileAndNoTemporary) {
    ASSERT_TRUE(store_.SetString("S", "k", "kept"));
    {
        FileSizeLimit limit(16);
        EXPECT_FALSE(store_.SetString("S", "k", std::string(100, 'x')));
    }
    EXPECT_EQ("kept", store_.GetString("S", "k"));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir_.path()),
                               std::filesystem::directory_iterator()));

    SettingsStore nowhere(dir_.File("absent"));
    EXPECT_FALSE(nowhere.SetString("S", "k", "v"));
}

TEST_F(SettingsStoreTest, UnreadableFileIsNotReplaced) {
    std::filesystem::create_directory(file());  // in the way: readable by nobody
    EXPECT_FALSE(store_.SetString("S", "k", "v"));
    EXPECT_FALSE(store_.GetString("S", "k"));
    EXPECT_TRUE(std::filesystem::is_directory(file()));
}

TEST_F(SettingsStoreTest, MalformedLinesAreIgnoredAndGoodEntriesSurviveARewrite) {
    WriteTextFile(file(),
                  "orphan=before any section\n"
                  "[KVMOBILE]\n"
                  "ABCD_Cnt=4\n"
                  "no equals sign\n"
                  "=no key\n"
                  "; a comment\n"
                  "[broken\n"
                  "hidden=under a broken header\n"
                  "[PALMID]\n"
                  "Handheld=WXYZ\n");
    EXPECT_EQ(4, store_.GetInt("KVMOBILE", "ABCD_Cnt", 0));
    EXPECT_EQ("WXYZ", store_.GetString("PALMID", "Handheld"));
    EXPECT_FALSE(store_.GetString("broken", "hidden"));

    ASSERT_TRUE(store_.SetInt("KVMOBILE", "ABCD_PurgeWks", 2));
    SettingsStore reopened(dir_.path());
    EXPECT_EQ(4, reopened.GetInt("KVMOBILE", "ABCD_Cnt", 0));
    EXPECT_EQ(2, reopened.GetInt("KVMOBILE", "ABCD_PurgeWks", 0));
    EXPECT_EQ("WXYZ", reopened.GetString("PALMID", "Handheld"));
}

TEST_F(SettingsStoreTest, EmptyKeyIsRefused) {
    EXPECT_FALSE(store_.SetString("S", "", "v"));
    EXPECT_FALSE(test::FileExists(file()));
}

}  // namespace
}  // namespace kv::practice
