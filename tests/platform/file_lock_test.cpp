// The lock stations take around their claims and appends: a program waits
// while another holds it, gives up after its wait, and gets it once the
// holder is gone, also when the holder was killed; reading what others
// appended since an earlier look.

#include "platform/file_lock.h"
#include "platform/file_tail.h"
#include "platform/services.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A child that takes the lock, says so on the pipe and holds it until it is
// killed.
pid_t HoldInChild(const std::string& path) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        platform::FileLock lock(path, 1000);
        const char held = lock.Held() ? 'y' : 'n';
        if (::write(fds[1], &held, 1) != 1) {
            _exit(2);
        }
        for (;;) {
            ::pause();
        }
    }
    ::close(fds[1]);
    char held = 0;
    const bool ok = ::read(fds[0], &held, 1) == 1 && held == 'y';
    ::close(fds[0]);
    if (!ok) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return -1;
    }
    return child;
}

TEST(FileLockTest, OneHolderAtATimeAndADeadHoldersLockEnds) {
    testsupport::TempDir dir;
    const std::string path = dir.File("history.sn.lock");
    const pid_t holder = HoldInChild(path);
    ASSERT_GT(holder, 0);
    {
        platform::FileLock lock(path, 30); // a short wait: the holder stays
        EXPECT_FALSE(lock.Held());
        EXPECT_EQ(lock.Error(), ETIMEDOUT);
    }
    {
        // A program without the lock would go ahead: so does the test hook.
        platform::SetFileLocksSkipped(true);
        platform::FileLock lock(path, 30);
        EXPECT_TRUE(lock.Held());
        platform::ResetServices();
    }
    ::kill(holder, SIGKILL);
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    {
        platform::FileLock lock(path, 1000);
        EXPECT_TRUE(lock.Held());
        // Held here, so another program waits for it in turn.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::FileLock other(path, 30);
            _exit(!other.Held() && other.Error() == ETIMEDOUT ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Released when it went: the next one gets it at once.
    platform::FileLock again(path, 0);
    EXPECT_TRUE(again.Held());
    // The lock file is all it touched: it is there, empty.
    EXPECT_EQ(std::filesystem::file_size(path), 0u);

    platform::FileLock nowhere(dir.File("no/such/dir/x.lock"), 0);
    EXPECT_FALSE(nowhere.Held());
    EXPECT_EQ(nowhere.Error(), ENOENT);
    const std::string name = platform::LockHolderName();
    EXPECT_EQ(name.substr(name.find(':') + 1), std::to_string(::getpid())) << name;
}

TEST(FileReadFromTest, ReadsWhatCameSinceAnOffsetAndTellsTheFileApart) {
    testsupport::TempDir dir;
    const std::string path = dir.File("history.sn");
    testsupport::WriteFile(path, "one\r\ntwo\r\n");
    platform::FileIdentity id, again;
    uint64_t size = 0;
    std::string out;
    EXPECT_EQ(platform::FileReadFrom(path, 5, id, size, out), 0);
    EXPECT_EQ(out, "two\r\n");
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(platform::FileReadFrom(path, 99, again, size, out), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(again, id);
    // Replaced under its name (as a rename does): another file.
    testsupport::WriteFile(dir.File("new"), "one\r\n");
    std::filesystem::rename(dir.File("new"), path);
    EXPECT_EQ(platform::FileReadFrom(path, 0, again, size, out), 0);
    EXPECT_EQ(out, "one\r\n");
    EXPECT_NE(again, id);

    // What is no regular file is not read, and a pipe never blocks.
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("folder"));
    const struct {
        const char* name;
        int error;
    } cases[] = {{"missing", ENOENT}, {"folder", EISDIR}, {"fifo", EINVAL}};
    for (const auto& c : cases) {
        out = "x";
        EXPECT_EQ(platform::FileReadFrom(dir.File(c.name), 0, id, size, out), c.error) << c.name;
        EXPECT_EQ(out, "") << c.name;
    }
}

} // namespace
