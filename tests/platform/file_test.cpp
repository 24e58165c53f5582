#include "platform/file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using platform::File;
using platform::FileModeCreate;
using platform::FileModeNoTruncate;
using platform::FileModeRead;
using platform::FileModeReadWrite;
using platform::FileModeWrite;
using platform::FileShareDenyWrite;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// What each flag combination does to an existing file "old" when "new" is
// written at its start.
TEST(FileOpenTest, FlagsDecideCreationAndTruncation) {
    struct Case {
        uint32_t flags;
        bool opensExisting;
        std::string afterWrite; // contents after writing "new" to the existing "oldtext"
        bool createsMissing;
    };
    const Case cases[] = {
        {FileModeWrite, true, "newtext", false},
        {FileModeReadWrite, true, "newtext", false},
        {FileModeCreate | FileModeWrite, true, "new", true},
        {FileModeCreate | FileModeNoTruncate | FileModeWrite, true, "newtext", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        TempDir dir;
        const std::string existing = dir.File("existing.txt");
        WriteFile(existing, "oldtext");
        {
            File f(existing, c.flags);
            ASSERT_EQ(f.IsOpen(), c.opensExisting);
            ASSERT_EQ(std::fwrite("new", 1, 3, f.get()), 3u);
            EXPECT_TRUE(f.Close());
        }
        EXPECT_EQ(ReadFile(existing), c.afterWrite);

        const std::string missing = dir.File("missing.txt");
        File m(missing, c.flags);
        EXPECT_EQ(m.IsOpen(), c.createsMissing);
        EXPECT_EQ(std::filesystem::exists(missing), c.createsMissing);
    }
}

TEST(FileOpenTest, ReadsExistingFilesButNotDirectoriesOrMissingFiles) {
    TempDir dir;
    WriteFile(dir.File("a.txt"), "abc");
    File f(dir.File("a.txt"), FileModeRead | FileShareDenyWrite);
    ASSERT_TRUE(f.IsOpen());
    char buf[4] = {};
    EXPECT_EQ(std::fread(buf, 1, 3, f.get()), 3u);
    EXPECT_STREQ(buf, "abc");

    EXPECT_FALSE(File(dir.File("none.txt"), FileModeRead).IsOpen());
    EXPECT_FALSE(File(dir.path().string(), FileModeRead).IsOpen());
}

TEST(FileProbeTest, ProbingChangesNothingOnDisk) {
    TempDir dir;
    const std::string existing = dir.File("keep.txt");
    WriteFile(existing, "precious contents");
    const uint32_t createWrite = FileModeCreate | FileModeWrite;

    EXPECT_TRUE(platform::FileProbe(existing, createWrite));
    EXPECT_EQ(ReadFile(existing), "precious contents");

    const std::string fresh = dir.File("fresh.txt");
    EXPECT_TRUE(platform::FileProbe(fresh, createWrite));
    EXPECT_FALSE(std::filesystem::exists(fresh));

    EXPECT_TRUE(platform::FileProbe(existing, FileModeRead | FileShareDenyWrite));
    EXPECT_FALSE(platform::FileProbe(fresh, FileModeRead));
    EXPECT_FALSE(platform::FileProbe(fresh, FileModeWrite)); // no create flag
    EXPECT_FALSE(platform::FileProbe(dir.File("no/such/dir.txt"), createWrite));
    EXPECT_FALSE(platform::FileProbe(dir.path().string(), FileModeRead));
    EXPECT_FALSE(platform::FileProbe(dir.path().string(), createWrite));
}

TEST(FileTest, MovedFileIsClosedOnce) {
    TempDir dir;
    File a(dir.File("m.txt"), FileModeCreate | FileModeWrite);
    ASSERT_TRUE(a.IsOpen());
    File b(std::move(a));
    EXPECT_FALSE(a.IsOpen());
    EXPECT_TRUE(b.IsOpen());
    File c;
    c = std::move(b);
    EXPECT_TRUE(c.IsOpen());
    EXPECT_TRUE(c.Close());
    EXPECT_TRUE(c.Close()); // closing a closed File is harmless
}

} // namespace
