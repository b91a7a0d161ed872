// The four information entry points and ConfigureConduit of the built
// conduit modules, called as the HotSync Manager calls them.
#include <gtest/gtest.h>

#include <cstring>

#include "conduit_world.h"
#include "emulation/hotsync/hotsync_common_host.h"
#include "stderr_capture.h"

namespace kv::test {
namespace {

const char* const kConduits[] = {"KvrALC", "KvrOJC", "KvrPVC", "KvrRXC"};

TEST(ConduitInformation, EveryConduitAnswersWithItsNameAndTheSameValues) {
    ConduitWorld world;
    for (const char* name : kConduits) {
        SCOPED_TRACE(name);
        auto conduit = world.Load(name);
        ASSERT_TRUE(conduit);
        EXPECT_EQ(conduit->get_version()(), 0x100u);

        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(conduit->get_name()(buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, name);
        for (size_t i = std::strlen(name); i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0);

        ConduitNameRequest request{1, 80};
        char info[32] = {};
        uint32_t size = sizeof info;
        EXPECT_EQ(conduit->get_info()(kConduitInfoName, &request, info, &size), 0);
        EXPECT_STREQ(info, name);

        uint32_t value = 0;
        size = 4;
        EXPECT_EQ(conduit->get_info()(kConduitInfoValue, nullptr, &value, &size), 0);
        EXPECT_EQ(value, 1536u);
        EXPECT_EQ(conduit->get_info()(kConduitInfoSyncAction, nullptr, &value, &size), 0);
        EXPECT_EQ(value, 3u);
    }
}

TEST(ConduitInformation, NameIsCutToTheBufferAndASizeOfZeroWritesNothing) {
    ConduitWorld world;
    auto conduit = world.Load("KvrOJC");
    ASSERT_TRUE(conduit);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(conduit->get_name()(buffer, 4), 0);
    EXPECT_STREQ(buffer, "Kvr");
    EXPECT_EQ(buffer[4], 'x');  // nothing past the size

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(conduit->get_name()(buffer, 0), 0);
    EXPECT_EQ(buffer[0], 'x');

    ConduitNameRequest request{1, 80};
    std::memset(buffer, 'x', sizeof buffer);
    uint32_t size = 4;
    EXPECT_EQ(conduit->get_info()(kConduitInfoName, &request, buffer, &size), 0);
    EXPECT_STREQ(buffer, "Kvr");
    std::memset(buffer, 'x', sizeof buffer);
    size = 0;
    EXPECT_EQ(conduit->get_info()(kConduitInfoName, &request, buffer, &size), 0);
    EXPECT_EQ(buffer[0], 'x');
}

TEST(ConduitInformation, RefusesBadRequestsWithTheirCodesInOrder) {
    ConduitWorld world;
    auto conduit = world.Load("KvrALC");
    ASSERT_TRUE(conduit);
    ConduitNameRequest good{1, 80};
    ConduitNameRequest bad_version{2, 80};
    ConduitNameRequest bad_width{1, 79};
    uint32_t output[2] = {0xAAAAAAAA, 0xAAAAAAAA};
    uint32_t four = 4, eight = 8, three = 3;
    struct Case {
        const char* what;
        int32_t type;
        void* input;
        void* output;
        uint32_t* size;
        int32_t expected;
    } cases[] = {
        {"no output, no size", kConduitInfoValue, nullptr, nullptr, nullptr, 4209},
        {"no output", kConduitInfoName, &good, nullptr, &four, 4209},
        {"no size", kConduitInfoName, &good, output, nullptr, 4215},
        {"name without input", kConduitInfoName, nullptr, output, &eight, 4212},
        {"name request version 2", kConduitInfoName, &bad_version, output, &eight, 4213},
        {"name request width 79", kConduitInfoName, &bad_width, output, &eight, 4213},
        {"value into 8 bytes", kConduitInfoValue, nullptr, output, &eight, 4211},
        {"value into 3 bytes", kConduitInfoValue, nullptr, output, &three, 4211},
        {"sync action into 8 bytes", kConduitInfoSyncAction, nullptr, output, &eight, 4211},
        {"unknown type 3", 3, &good, output, &four, 4208},
        {"unknown type -1", -1, &good, output, &four, 4208},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(conduit->get_info()(c.type, c.input, c.output, c.size), c.expected);
        EXPECT_EQ(output[0], 0xAAAAAAAAu) << "nothing written";
    }
}

TEST(ConfigureConduit, YesChoosesDoNothingNoTheDefaultCancelKeepsTheAction) {
    ConduitWorld world;
    auto conduit = world.Load("KvrPVC");
    ASSERT_TRUE(conduit);
    struct Case {
        const char* answer;
        int32_t result;
        int32_t sync_type;
    } cases[] = {{"yes", 0, 6}, {"no", 0, 3}, {"cancel", -1, 42}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        world.SetAnswers(c.answer);
        SyncPreference preference{};
        preference.scope = 7;
        preference.sync_type = 42;
        StderrCapture echo;
        EXPECT_EQ(conduit->configure()(&preference), c.result);
        EXPECT_EQ(preference.scope, 0);
        EXPECT_EQ(preference.sync_type, c.sync_type);
        EXPECT_NE(echo.Text().find(
                      "[message box] Kalvora Dental Systems: The Kalvora default syncing Action "
                      "is \"Desktop overwrites Handheld\".\\nIf you want to change the syncing "
                      "Action to \"Do Nothing\" press Yes, otherwise press No to return to the "
                      "default Action."),
                  std::string::npos)
            << echo.Text();
    }
}

TEST(ConduitLibrary, InitialisesTheHotSyncCommonLibraryOncePerLoad) {
    ConduitWorld world;
    const uint32_t before = HotSyncCommonInitCount();
    {
        auto journal = world.Load("KvrOJC");
        auto appointments = world.Load("KvrALC");
        ASSERT_TRUE(journal && appointments);
        EXPECT_EQ(HotSyncCommonInitCount(), before + 2);
        EXPECT_EQ(world.Sync(*journal), 0);
        EXPECT_EQ(HotSyncCommonInitCount(), before + 2) << "not again for a synchronisation";
    }
    auto again = world.Load("KvrOJC");
    EXPECT_EQ(HotSyncCommonInitCount(), before + 3) << "a new load starts up again";
}

}  // namespace
}  // namespace kv::test
