#include "conduit_framework/mobile_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "conduit_framework/practice_utilities.h"
#include "conduit_framework_parts/parts_fixture.h"
#include "platform/bounded_text.h"

namespace kv::conduit {
namespace {

PracticeUserId User(const char* text) {
    PracticeUserId id;
    CopyText(id.text, sizeof id.text, text);
    return id;
}

std::vector<std::string> Ids(const ProviderFilter& filter) {
    std::vector<std::string> ids;
    for (int i = 0; i < filter.count; ++i)
        ids.emplace_back(filter.ids[static_cast<size_t>(i)].data(), ProviderFilter::kIdLength);
    return ids;
}

class MobileSettingsTest : public test::PracticeWorld {
  protected:
    static void Write(const char* section, const std::string& key, int value) {
        Utilities().WritePrivateInfInt(section, key.c_str(), value);
    }
    static void Write(const char* section, const std::string& key, const std::string& value) {
        Utilities().WritePrivateInfString(section, key.c_str(), value.c_str());
    }
};

TEST(SettingsKey, IsTheUserIdFollowedByTheSuffix) {
    EXPECT_EQ("ABCD_SEL_PROVIDERS", SettingsKey(User("ABCD"), "_SEL_PROVIDERS"));
    EXPECT_EQ("ABCD_DETAILS_NONPATIENTS", SettingsKey(User("ABCD"), "_DETAILS_NONPATIENTS"));
    EXPECT_EQ("_____Cnt", SettingsKey(PracticeUserId::Unknown(), "_Cnt"));
    EXPECT_EQ("AB_Cnt", SettingsKey(User("AB"), "_Cnt"));
}

TEST_F(MobileSettingsTest, ReadsTheUsersIntegerOrTheDefault) {
    Write(kSectionAppointments, "ABCD_Cnt", 2);
    Write(kSectionAppointments, "WXYZ_Cnt", 0);
    Write(kSectionJournal, "ABCD_Cnt", 4);
    struct Case {
        const char* section;
        const char* user;
        const char* suffix;
        int default_value;
        int expected;
    };
    const Case cases[] = {
        {kSectionAppointments, "ABCD", "_Cnt", 3, 2},
        {kSectionAppointments, "WXYZ", "_Cnt", 3, 0},
        {kSectionJournal, "ABCD", "_Cnt", 1, 4},
        {kSectionAppointments, "ABCD", "_PurgeWks", 1, 1},
        {kSectionAppointments, "____", "_Cnt", 3, 3},
        {kSectionPrescriptions, "ABCD", "_Cnt", 30, 30},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ReadSettingInt(c.section, User(c.user), c.suffix, c.default_value))
            << c.section << " " << c.user << c.suffix;
}

TEST_F(MobileSettingsTest, ReadsAProviderSelectionIntoASortedFilter) {
    struct Case {
        const char* name;
        bool count_stored;
        int count;
        bool ids_stored;
        std::string ids;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"nothing stored", false, 0, false, "", {}},
        {"count 0", true, 0, true, "ABCD", {}},
        {"two ids, sorted", true, 2, true, "WXYZABCD", {"ABCD", "WXYZ"}},
        {"fewer ids than the count", true, 3, true, "ABCD", {"ABCD"}},
        {"more ids than the count", true, 1, true, "WXYZABCD", {"WXYZ"}},
        {"count 12, eight ids",
         true,
         12,
         true,
         "H001G001F001E001D001C001B001A001",
         {"A001", "B001", "C001", "D001", "E001", "F001", "G001", "H001"}},
        {"count 12, twelve ids: ten taken",
         true,
         12,
         true,
         "L001K001J001I001H001G001F001E001D001C001B001A001",
         {"C001", "D001", "E001", "F001", "G001", "H001", "I001", "J001", "K001", "L001"}},
        {"count 3, empty text", true, 3, true, "", {}},
        {"count 3, no text stored", true, 3, false, "", {}},
        {"negative count", true, -1, true, "ABCD", {}},
        {"ids of lower case and digits", true, 3, true, "dr0110DRDR01", {"10DR", "DR01", "dr01"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case its own user, so that no case sees another's keys.
        const std::string user = "U" + std::to_string(100 + n++);
        if (c.count_stored) Write(kSectionMobile, user + "_SEL_PROV_CNT", c.count);
        if (c.ids_stored) Write(kSectionMobile, user + "_SEL_PROVIDERS", c.ids);
        const ProviderFilter filter = ReadProviderFilter(
            kSectionMobile, User(user.c_str()), kSelectedProviderCount, kSelectedProviders);
        EXPECT_EQ(c.expected, Ids(filter));
        EXPECT_EQ(c.expected.empty(), filter.empty());
    }
}

TEST_F(MobileSettingsTest, ReadsTheSelectionOfTheSectionAndSuffixesGiven) {
    Write(kSectionMobile, "ABCD_SEL_PROV_CNT", 1);
    Write(kSectionMobile, "ABCD_SEL_PROVIDERS", "AAAA");
    Write(kSectionPatientViewer, "ABCD_DETAILS_PROV_CNT", 2);
    Write(kSectionPatientViewer, "ABCD_DETAILS_PROVIDERS", "ZZZZBBBB");
    Write(kSectionMobile, "WXYZ_SEL_PROV_CNT", 1);
    Write(kSectionMobile, "WXYZ_SEL_PROVIDERS", "CCCC");

    const ProviderFilter details = ReadProviderFilter(kSectionPatientViewer, User("ABCD"),
                                                      kDetailsProviderCount, kDetailsProviders);
    EXPECT_EQ((std::vector<std::string>{"BBBB", "ZZZZ"}), Ids(details));
    const ProviderFilter selected = ReadProviderFilter(kSectionMobile, User("ABCD"),
                                                       kSelectedProviderCount, kSelectedProviders);
    EXPECT_EQ((std::vector<std::string>{"AAAA"}), Ids(selected));
    const ProviderFilter unknown = ReadProviderFilter(kSectionMobile, PracticeUserId::Unknown(),
                                                      kSelectedProviderCount, kSelectedProviders);
    EXPECT_TRUE(unknown.empty());
}

TEST_F(MobileSettingsTest, AFilterReadFindsItsIdsByBinarySearch) {
    Write(kSectionMobile, "ABCD_SEL_PROV_CNT", 5);
    Write(kSectionMobile, "ABCD_SEL_PROVIDERS", "MMMMBBBBZZZZAAAAQQQQ");
    const ProviderFilter filter = ReadProviderFilter(kSectionMobile, User("ABCD"),
                                                     kSelectedProviderCount, kSelectedProviders);
    for (const char* id : {"AAAA", "BBBB", "MMMM", "QQQQ", "ZZZZ"})
        EXPECT_TRUE(filter.Contains(id)) << id;
    for (const char* id : {"AAAB", "CCCC", "ZZZY", "____"}) EXPECT_FALSE(filter.Contains(id)) << id;
}

}  // namespace
}  // namespace kv::conduit
