// The binding of the practice libraries by the built conduit modules: where
// they are loaded from, the loader's message boxes, the working directory,
// and a database library without its initialisation.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "conduit_world.h"
#include "stderr_capture.h"

namespace kv::test {
namespace {

constexpr const char* kDatabaseBox =
    "[message box] Kalvora Database Loader: Unable to load KVRDB32.DLL\\nPlease make sure the "
    "location of all Kalvora Executables is included in the PATH Statement\\nError Code = 126 "
    "-> OK";
constexpr const char* kUtilityCaption = "[message box] Kalvora DLL Loader: ";

std::string WorkingDirectory() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

bool Logged(const std::string& text, int32_t activity) {
    for (const hotsync::LogLine& line : ConduitWorld::HotSyncLog())
        if (line.text == text && line.activity == activity) return true;
    return false;
}

TEST(PracticeBinding, LoadsFromTheExecutablesDirectoryWithOrWithoutATrailingBackslash) {
    for (const char* ending : {"", "\\"}) {
        SCOPED_TRACE(std::string("ending \"") + ending + "\"");
        ConduitWorld world;
        PracticeInstallation& practice = world.practice();
        CopyModules(PracticeLibraryDir(), {"kvrdb32", "kvr32sm"}, practice.exe_dir());
        practice.SetRegistry(
            {{"path", practice.data_dir()}, {"ExePath", practice.exe_dir() + ending}});
        const std::string cwd = WorkingDirectory();
        StderrCapture echo;
        auto conduit = world.Load("KvrOJC");
        ASSERT_TRUE(conduit);
        EXPECT_EQ(WorkingDirectory(), cwd);
        EXPECT_EQ(world.Sync(*conduit), 0);
        EXPECT_EQ(echo.Text().find(" Loader: "), std::string::npos) << echo.Text();
        EXPECT_EQ(world.DayRecords().size(), 1u);
    }
}

TEST(PracticeBinding, ExecutablesDirectoryFromKalvoraIniWhenTheRegistryHasNone) {
    ConduitWorld world;
    PracticeInstallation& practice = world.practice();
    CopyModules(PracticeLibraryDir(), {"kvrdb32", "kvr32sm"}, practice.exe_dir());
    practice.SetRegistry({{"path", practice.data_dir()}});
    practice.SetKalvoraIni({{"path", practice.data_dir()}, {"ExePath", practice.exe_dir()}});
    StderrCapture echo;
    auto conduit = world.Load("KvrALC");
    ASSERT_TRUE(conduit);
    EXPECT_EQ(world.Sync(*conduit), 0);
    EXPECT_EQ(echo.Text().find(" Loader: "), std::string::npos) << echo.Text();
}

TEST(PracticeBinding, MissingDatabaseLibraryShowsTheLoaderBoxAndFailsTheInitialisation) {
    ConduitWorld world;
    PracticeInstallation& practice = world.practice();
    // The utility library alone; it finds the database library it links
    // through its own search path, which is not the conduit's.
    CopyModules(PracticeLibraryDir(), {"kvr32sm"}, practice.exe_dir());
    practice.SetRegistry({{"path", practice.data_dir()}, {"ExePath", practice.exe_dir()}});
    const std::string cwd = WorkingDirectory();
    StderrCapture echo;
    auto conduit = world.Load("KvrRXC");
    ASSERT_TRUE(conduit);
    EXPECT_EQ(WorkingDirectory(), cwd);
    EXPECT_EQ(Count(echo.Text(), kDatabaseBox), 1u) << echo.Text();
    EXPECT_EQ(echo.Text().find(kUtilityCaption), std::string::npos);

    ConduitWorld::ClearHotSyncLog();
    EXPECT_EQ(world.Sync(*conduit), 4101);
    EXPECT_EQ(WorkingDirectory(), cwd);
    EXPECT_EQ(Count(echo.Text(), kDatabaseBox), 2u) << "a second chance, and its box";
    EXPECT_TRUE(Logged("Unable to Sync.  Unable to initialize database.", 22));
    EXPECT_TRUE(Logged("KvrRXC", 21));
    // Without the database library nothing can be stored.
    EXPECT_TRUE(Logged("Unable to write Kalvora Hotsync log.", -1));
}

TEST(PracticeBinding, MissingUtilityLibraryShowsItsBoxAndFailsTheVersionCheck) {
    ConduitWorld world;
    PracticeInstallation& practice = world.practice();
    CopyModules(PracticeLibraryDir(), {"kvrdb32"}, practice.exe_dir());
    practice.SetRegistry({{"path", practice.data_dir()}, {"ExePath", practice.exe_dir()}});
    StderrCapture echo;
    auto conduit = world.Load("KvrPVC");
    ASSERT_TRUE(conduit);
    EXPECT_EQ(Count(echo.Text(), kUtilityCaption), 1u) << echo.Text();
    EXPECT_NE(echo.Text().find("Unable to load KVR32sm.DLL\\nPlease make sure the location of "
                               "all Kalvora Executables is included in the PATH Statement\\n"
                               "Error Code = 126 -> OK"),
              std::string::npos);
    ConduitWorld::ClearHotSyncLog();
    EXPECT_EQ(world.Sync(*conduit), 4101);
    EXPECT_EQ(Count(echo.Text(), kUtilityCaption), 1u) << "no second attempt";
    EXPECT_TRUE(Logged("Unable to Sync.  Incompatible database version.", 22));
}

TEST(PracticeBinding, DatabaseLibraryWithoutInitialisationLoadsButTheSyncFails) {
    ConduitWorld world;
    PracticeInstallation& practice = world.practice();
    CopyModules(KV_NO_INIT_PRACTICE_DIR, {"kvrdb32"}, practice.exe_dir());
    CopyModules(PracticeLibraryDir(), {"kvr32sm"}, practice.exe_dir());
    practice.SetRegistry({{"path", practice.data_dir()}, {"ExePath", practice.exe_dir()}});
    StderrCapture echo;
    auto conduit = world.Load("KvrOJC");
    ASSERT_TRUE(conduit);
    ConduitWorld::ClearHotSyncLog();
    EXPECT_EQ(world.Sync(*conduit), 4101);
    EXPECT_EQ(echo.Text().find(" Loader: "), std::string::npos) << echo.Text();
    EXPECT_TRUE(Logged("Unable to Sync.  Unable to initialize database.", 22));
    EXPECT_TRUE(Logged("KvrOJC", 21));
}

}  // namespace
}  // namespace kv::test
