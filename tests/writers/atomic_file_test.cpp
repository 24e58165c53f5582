// Replacing a file as a whole: the old file survives every failure before the
// rename, and a committed file takes the old one's place and rights.

#include "platform/atomic_file.h"
#include "platform/services.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

using testsupport::ReadFile;
using testsupport::WriteFile;

class AtomicFileTest : public ::testing::Test {
protected:
    void TearDown() override { platform::ResetServices(); }

    int Entries() const {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
            (void)e;
            ++n;
        }
        return n;
    }

    testsupport::TempDir dir_;
};

std::string g_seenTemp;
bool CrashBeforeRename(const std::string& temp, const std::string&) {
    g_seenTemp = ReadFile(temp); // the new data is complete on disk at this point
    return false;
}

TEST_F(AtomicFileTest, ACrashBeforeTheRenameLeavesTheOldFile) {
    const std::string path = dir_.File("config.ini");
    WriteFile(path, "old\r\n");
    platform::SetAtomicFileCommitHook(&CrashBeforeRename);
    {
        platform::AtomicFile f(path);
        ASSERT_TRUE(f.IsOpen());
        std::fputs("new\r\n", f.get());
        EXPECT_FALSE(f.Commit());
        EXPECT_NE(f.Error(), 0);
    }
    EXPECT_EQ(g_seenTemp, "new\r\n");
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(AtomicFileTest, AbandonedWritesLeaveNothingBehind) {
    const std::string path = dir_.File("a.txt");
    WriteFile(path, "old");
    {
        platform::AtomicFile f(path);
        ASSERT_TRUE(f.IsOpen());
        std::fputs("half", f.get());
        EXPECT_EQ(Entries(), 2); // the temporary file sits beside the target
    }
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(AtomicFileTest, CommitReplacesAndKeepsTheRights) {
    const std::string path = dir_.File("a.txt");
    WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    platform::AtomicFile f(path);
    ASSERT_TRUE(f.IsOpen());
    std::fputs("new", f.get());
    ASSERT_TRUE(f.Commit());
    EXPECT_EQ(ReadFile(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(), 1);
    EXPECT_FALSE(f.Commit()); // once only
}

TEST_F(AtomicFileTest, ALinkStaysALink) {
    const std::string real = dir_.File("real.cfg");
    const std::string link = dir_.File("link.cfg");
    WriteFile(real, "old");
    std::filesystem::create_symlink(real, link);
    platform::AtomicFile f(link);
    ASSERT_TRUE(f.IsOpen());
    std::fputs("new", f.get());
    ASSERT_TRUE(f.Commit());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "new");
}

TEST_F(AtomicFileTest, TargetsThatCannotBeWritten) {
    platform::AtomicFile missing(dir_.File("no/such/dir/a.txt"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Error(), ENOENT);
    EXPECT_FALSE(missing.Commit());

    std::filesystem::create_directory(dir_.File("sub"));
    platform::AtomicFile directory(dir_.File("sub"));
    EXPECT_FALSE(directory.IsOpen());
    EXPECT_EQ(directory.Error(), EISDIR);
}

} // namespace
