#include "platform/module_path.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <filesystem>

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

} // namespace
