#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/os.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

std::string TestModuleDir() {
    const char* build = std::getenv("KV_BUILD_DIR");
    return std::string(build ? build : ".") + "/testmodules";
}

using AnswerFn = int (*)();

TEST(ModuleLoader, LoadsByWindowsStylePathAndFindsExports) {
    std::string path = TestModuleDir() + "\\KV_TEST_MODULE.DLL";  // case and separator as Windows
    os::ModuleHandle module = os::LoadModule(path.c_str());
    ASSERT_NE(nullptr, module) << path;
    auto answer = reinterpret_cast<AnswerFn>(os::FindSymbol(module, "KvTestAnswer"));
    ASSERT_NE(nullptr, answer);
    EXPECT_EQ(42, answer());
    EXPECT_EQ(nullptr, os::FindSymbol(module, "NoSuchExport"));
    EXPECT_EQ(os::kErrorProcNotFound, os::LastError());
    os::FreeModule(module);
}

TEST(ModuleLoader, BareNameIsSearchedAlongThePath) {
    const char* old_path = std::getenv("PATH");
    test::ScopedEnv path(
        "PATH", std::string("/nonexistent:") + TestModuleDir() + ":" + (old_path ? old_path : ""));
    os::ModuleHandle module = os::LoadModule("kv_test_module.dll");
    ASSERT_NE(nullptr, module);
    os::FreeModule(module);

    EXPECT_EQ(nullptr, os::LoadModule("kv_no_such_module.dll"));
    EXPECT_EQ(os::kErrorModNotFound, os::LastError());
}

TEST(ModuleLoader, AFileThatIsNoModuleFailsWithItsOwnCode) {
    test::TempDir dir;
    test::WriteTextFile(dir.File("broken.so"), "not a shared object");
    EXPECT_EQ(nullptr, os::LoadModule((dir.path() + "/broken.dll").c_str()));
    EXPECT_EQ(os::kErrorBadExeFormat, os::LastError());
    EXPECT_EQ(nullptr, os::LoadModule((dir.path() + "/absent.dll").c_str()));
    EXPECT_EQ(os::kErrorModNotFound, os::LastError());
}

TEST(WorkingDirectory, ChangesAndComesBack) {
    char before[4096];
    ASSERT_NE(0u, os::GetWorkingDirectory(before, sizeof before));
    test::TempDir dir;
    ASSERT_TRUE(os::SetWorkingDirectory(dir.path().c_str()));
    char now[4096];
    ASSERT_NE(0u, os::GetWorkingDirectory(now, sizeof now));
    EXPECT_EQ(std::filesystem::canonical(dir.path()).string(), now);
    char tiny[2];
    EXPECT_EQ(0u, os::GetWorkingDirectory(tiny, sizeof tiny));
    EXPECT_FALSE(os::SetWorkingDirectory((dir.path() + "/missing").c_str()));
    ASSERT_TRUE(os::SetWorkingDirectory(before));
}

}  // namespace
}  // namespace kv
