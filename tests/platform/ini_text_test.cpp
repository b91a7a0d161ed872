#include "platform/ini_text.h"

#include <gtest/gtest.h>

#include "platform/bounded_text.h"

namespace kv {
namespace {

TEST(IniText, ReadsAsWindowsDoesAndIgnoresMalformedLines) {
    IniText ini = IniText::Parse(
        "orphan=before any section\n"
        "[General]\r\n"
        "  Path = C:\\KALVORA\\DATA\\  \r\n"
        "no equals sign here\n"
        "=empty key\n"
        "; comment=1\n"
        "quoted=\"  padded  \"\n"
        "path=second value is ignored\n"
        "[broken\n"
        "inbroken=1\n"
        "[other]\n"
        "x=1\n");
    EXPECT_EQ("C:\\KALVORA\\DATA\\", ini.Get("GENERAL", "PATH").value_or("?"));
    EXPECT_EQ("  padded  ", ini.Get("general", "quoted").value_or("?"));
    EXPECT_FALSE(ini.Get("general", "orphan"));
    EXPECT_FALSE(ini.Get("general", "no equals sign here"));
    EXPECT_FALSE(ini.Get("general", "; comment"));
    EXPECT_FALSE(ini.Get("broken", "inbroken"));
    EXPECT_FALSE(ini.Get("other", "inbroken"));
    EXPECT_EQ("1", ini.Get("OTHER", "x").value_or("?"));
}

TEST(IniText, SetAndRemoveKeepTheRestInOrder) {
    IniText ini = IniText::Parse("[a]\nk1=1\nk2=2\n");
    ini.Set("A", "K1", "one");
    ini.Set("b", "new", "3");
    EXPECT_TRUE(ini.Remove("a", "k2"));
    EXPECT_FALSE(ini.Remove("a", "k2"));
    EXPECT_EQ("[a]\nk1=one\n\n[b]\nnew=3\n", ini.Format());
    EXPECT_EQ("one", IniText::Parse(ini.Format()).Get("a", "k1").value_or("?"));
}

TEST(BoundedText, CopiesCutAndTerminated) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(4u, CopyText(buffer, 5, "abcdefgh"));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_EQ('x', buffer[5]);
    EXPECT_EQ(0u, CopyText(buffer, 0, "abc"));
    EXPECT_EQ('a', buffer[0]);
    const char field[4] = {'a', 'b', 'c', 'd'};  // no terminator
    EXPECT_EQ("abcd", FieldText(field, sizeof field));
    EXPECT_EQ(2u, BoundedLength("ab\0cd", 5));
}

}  // namespace
}  // namespace kv
