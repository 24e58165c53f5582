// Durable appends: a record is in the file whole and reported as saved, or
// reported as lost with how much of it reached the file; nothing is ever
// cut back. Whether a record would fit, found out without writing; and the
// local time source tests put in place.

#include "platform/append_file.h"
#include "platform/local_time.h"
#include "platform/services.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int32_t g_fault = 0;
int32_t Fault(const std::string&, std::string_view) {
    return g_fault;
}

TEST(FileAppendDurableTest, AppendsAndNeverCutsBack) {
    testsupport::TempDir dir;
    const std::string path = dir.File("history.sn");
    EXPECT_TRUE(platform::FileAppendDurable(path, "one\r\n")); // created
    EXPECT_TRUE(platform::FileAppendDurable(path, "two\r\n"));
    platform::SetFileAppendHook(&Fault);
    // Failed before a byte was written, then half way: what reached the
    // file stays (another program may have appended behind it), and the
    // caller learns how much that was.
    const struct {
        int32_t fault;
        size_t written;
        const char* file;
    } cases[] = {{1, 0, "one\r\ntwo\r\n"}, {2, 3, "one\r\ntwo\r\nthr"}};
    for (const auto& c : cases) {
        g_fault = c.fault;
        size_t written = 99;
        EXPECT_FALSE(platform::FileAppendDurable(path, "three\r\n", &written)) << c.fault;
        EXPECT_EQ(written, c.written) << c.fault;
        EXPECT_EQ(testsupport::ReadFile(path), c.file) << c.fault;
    }
    // The unhooked append goes on working while the hook breaks the others.
    EXPECT_TRUE(platform::FileAppendDurableUnhooked(path, "\r\nfour\r\n"));
    g_fault = 0;
    size_t written = 0;
    EXPECT_TRUE(platform::FileAppendDurable(path, "five\r\n", &written));
    EXPECT_EQ(written, 6u);
    platform::ResetServices();
    EXPECT_EQ(testsupport::ReadFile(path), "one\r\ntwo\r\nthr\r\nfour\r\nfive\r\n");
    EXPECT_FALSE(platform::FileAppendDurable(dir.File("no/such/dir"), "x"));
}

// Whether a record fits: never a byte written, the file's size and
// contents as they were; a file-size limit one byte short, a read-only file
// and a folder say no, a limit of exactly the record says yes. Each case in
// a child, so that the limit and the lost rights end with it.
TEST(FileAppendDurableTest, RoomCheckWritesNothing) {
    testsupport::TempDir dir;
    const std::string path = dir.File("history.sn");
    const std::string before = "F3 \t00007 \t.\r\n";
    testsupport::WriteFile(path, before);
    const std::string record = "F3 \t00008 \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt\r\n";
    EXPECT_TRUE(platform::FileAppendRoomCheck(path, record));
    EXPECT_EQ(testsupport::ReadFile(path), before);
    EXPECT_EQ(std::filesystem::file_size(path), before.size());
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_FALSE(platform::FileAppendRoomCheck(dir.File("folder"), record));
    EXPECT_EQ(errno, EISDIR);
    const struct {
        const char* name;
        long limit; // extra bytes allowed past the file, -1: read-only instead
        bool fits;
    } cases[] = {{"one byte short", static_cast<long>(record.size()) - 1, false},
                 {"exactly", static_cast<long>(record.size()), true},
                 {"read-only", -1, false}};
    for (const auto& c : cases) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            if (c.limit < 0) {
                ::chmod(dir.path().c_str(), 0755);
                ::chmod(path.c_str(), 0444);
                if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                    _exit(10);
                }
            } else {
                const rlim_t limit = before.size() + static_cast<rlim_t>(c.limit);
                const rlimit l{limit, limit};
                if (::setrlimit(RLIMIT_FSIZE, &l) != 0) {
                    _exit(11);
                }
            }
            _exit(platform::FileAppendRoomCheck(path, record) == c.fits ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.name;
        EXPECT_EQ(testsupport::ReadFile(path), before) << c.name;
        ::chmod(path.c_str(), 0644);
    }
}

// While another program appends record after record, room checks run
// against the same file: every record of the other program is still there,
// in order, none cut off by a check.
TEST(FileAppendDurableTest, RoomChecksNeverCutOffAnotherWritersRecords) {
    testsupport::TempDir dir;
    const std::string path = dir.File("history.sn");
    constexpr int kRecords = 400;
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        for (int i = 0; i < kRecords; ++i) {
            if (!platform::FileAppendDurable(path, "record " + std::to_string(i) + "\r\n")) {
                _exit(1);
            }
        }
        _exit(0);
    }
    int status = 0;
    int checks = 0;
    while (::waitpid(writer, &status, WNOHANG) == 0) {
        EXPECT_TRUE(platform::FileAppendRoomCheck(path, "a trial record of some length\r\n"));
        ++checks;
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string expected;
    for (int i = 0; i < kRecords; ++i) {
        expected += "record " + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(testsupport::ReadFile(path), expected) << checks << " checks";
}

TEST(LocalTimeTest, SourceIsReplaceableAndNamesIgnoreTheLocale) {
    platform::LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 10;
    platform::SetLocalTimeSource([t] { return t; });
    EXPECT_EQ(platform::LocalTimeNow().day, 10);
    platform::SetLocalTimeSource({});
    EXPECT_GE(platform::LocalTimeNow().year, 2024);
    EXPECT_EQ(platform::WeekdayOf(2026, 12, 10), 4);
    EXPECT_EQ(platform::WeekdayOf(2000, 2, 29), 2);
    EXPECT_EQ(platform::WeekdayAbbrev(4), "Thu");
    EXPECT_EQ(platform::MonthAbbrev(12), "Dec");
    EXPECT_EQ(platform::MonthAbbrev(13), "???");
}

} // namespace
