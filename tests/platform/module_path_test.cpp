#include "platform/module_path.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {

TEST(ModulePathTest, ProgramDirectoryHoldsTheRunningProgram) {
    const std::string path = platform::ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::path(path).filename(), "platform_tests");
    const std::string dir = platform::ProgramDirectory();
    EXPECT_EQ(dir.front(), '/');
    EXPECT_NE(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir) / "platform_tests"));
}

TEST(ModulePathTest, OverrideReplacesTheDirectoryUntilReset) {
    const std::string real = platform::ProgramDirectory();
    platform::SetProgramDirectoryOverride("/opt/bench");
    EXPECT_EQ(platform::ProgramDirectory(), "/opt/bench");
    platform::ResetServices();
    EXPECT_EQ(platform::ProgramDirectory(), real);
}

int AFunctionOfTheProgram() {
    return 1;
}

TEST(ModulePathTest, TheModuleOfAnAddressIsTheFileThatHoldsIt) {
    EXPECT_EQ(platform::ModulePathOf(reinterpret_cast<const void*>(&AFunctionOfTheProgram)),
              platform::ProgramPath());
    // A shared object of the system, by its resolved path.
    const std::string libc = platform::ModulePathOf(reinterpret_cast<const void*>(&::getpid));
    ASSERT_FALSE(libc.empty());
    EXPECT_EQ(libc.front(), '/');
    EXPECT_NE(std::filesystem::path(libc).filename().string().find("libc"), std::string::npos)
        << libc;
    EXPECT_TRUE(std::filesystem::exists(libc));
    EXPECT_EQ(platform::ModulePathOf(nullptr), "");
    int on_the_stack = 0;
    EXPECT_EQ(platform::ModulePathOf(&on_the_stack), "");
}

} // namespace
