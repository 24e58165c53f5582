#include "platform/process.h"
#include "platform/services.h"
#include "platform/text_viewer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

namespace {

using platform::RunAndWait;
using platform::RunResult;
using platform::StartDetached;
using testsupport::ReadFile;
using testsupport::TempDir;

bool WaitForFile(const std::string& path) {
    // Generous: the detached program runs on its own schedule.
    for (int i = 0; i < 1000; ++i) {
        if (std::filesystem::exists(path) && !ReadFile(path).empty()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(RunAndWaitTest, ReportsHowTheProgramEnded) {
    struct Case {
        std::vector<std::string> argv;
        bool started;
        int exitStatus;
        int signal;
    };
    const Case cases[] = {
        {{"/bin/sh", "-c", "exit 0"}, true, 0, 0},
        {{"/bin/sh", "-c", "exit 3"}, true, 3, 0},
        {{"sh", "-c", "exit 255"}, true, 255, 0}, // found through PATH
        {{"/bin/sh", "-c", "kill -9 $$"}, true, -1, SIGKILL},
        {{"/no/such/program"}, false, -1, 0},
        {{"no-such-program-anywhere"}, false, -1, 0},
        {{}, false, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv.empty() ? std::string("(empty)") : c.argv.back());
        const RunResult r = RunAndWait(c.argv, "");
        EXPECT_EQ(r.started, c.started);
        EXPECT_EQ(r.exitStatus, c.exitStatus);
        EXPECT_EQ(r.signal, c.signal);
        if (!c.started) {
            EXPECT_EQ(r.error, ENOENT);
        }
    }
}

TEST(RunAndWaitTest, RunsInTheGivenDirectoryWithoutAShell) {
    TempDir dir;
    // Shell syntax in an argument stays a plain argument.
    RunResult r = RunAndWait(
        {"/bin/sh", "-c", "pwd > out.txt; printf '%s' \"$1\" > arg.txt", "sh", "x; touch injected"},
        dir.path().string());
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(ReadFile(dir.File("out.txt")),
              std::filesystem::canonical(dir.path()).string() + "\n");
    EXPECT_EQ(ReadFile(dir.File("arg.txt")), "x; touch injected");
    EXPECT_FALSE(std::filesystem::exists(dir.File("injected")));

    r = RunAndWait({"/bin/true"}, dir.File("missing-dir"));
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.error, ENOENT);
}

TEST(RunAndWaitTest, RelativeProgramIsResolvedBeforeChangingDirectory) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "work");
    const std::string script = dir.File("tool.sh");
    testsupport::WriteFile(script, "#!/bin/sh\necho ran > ran.txt\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const RunResult r = RunAndWait({"./tool.sh"}, (dir.path() / "work").string());
    std::filesystem::current_path(old);
    ASSERT_TRUE(r.started);
    EXPECT_EQ(ReadFile(dir.File("work/ran.txt")), "ran\n");
}

TEST(StartDetachedTest, StartsAndLeavesNoChildBehind) {
    TempDir dir;
    const std::string marker = dir.File("marker.txt");
    EXPECT_EQ(StartDetached({"/bin/sh", "-c", "echo started > \"$1\"", "sh", marker}), 0);
    EXPECT_TRUE(WaitForFile(marker));
    EXPECT_EQ(ReadFile(marker), "started\n");
    // The program was handed to init: there is no child of ours to reap.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(StartDetachedTest, ReportsAProgramThatCannotStart) {
    EXPECT_EQ(StartDetached({"/no/such/viewer"}), ENOENT);
    EXPECT_EQ(StartDetached({"no-such-viewer-anywhere", "file.txt"}), ENOENT);
    EXPECT_EQ(StartDetached({}), ENOENT);
}

// A watched start: a program that cannot start or ends with a failure
// within the wait is not started; one that ends well, or still runs when
// the wait is over, is.
TEST(StartDetachedTest, AWatchedStartTellsAFailureAtOnce) {
    struct Case {
        std::vector<std::string> argv;
        int result;
    };
    const Case cases[] = {
        {{"/no/such/viewer", "a.txt"}, ENOENT}, {{"/bin/sh", "-c", "exit 3"}, -1},
        {{"/bin/sh", "-c", "kill -9 $$"}, -1},  {{"/bin/sh", "-c", "exit 0"}, 0},
        {{"/bin/sh", "-c", "sleep 2"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv.back());
        EXPECT_EQ(platform::StartWatched(c.argv, 300), c.result);
    }
    // Nothing left for us to reap.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

// A start watched longer: the first wait tells what it always told; a
// program still running then and failing before the later watch ends is
// handed out by LateFailures, once; one that ends well, or runs on past
// the later watch, never is. Nothing is left for us to reap at any time.
// The programs take tenths of a second.
TEST(StartDetachedTest, AWatchLongerHandsOutALateFailureOnce) {
    struct Case {
        std::vector<std::string> argv;
        int result;
        bool late;
    };
    const Case cases[] = {
        {{"/no/such/viewer", "a.txt"}, ENOENT, false},
        {{"/bin/sh", "-c", "exit 3", "at once"}, -1, false},
        {{"/bin/sh", "-c", "sleep 0.15; exit 3", "late"}, 0, true},
        {{"/bin/sh", "-c", "sleep 0.15; kill -9 $$", "killed late"}, 0, true},
        {{"/bin/sh", "-c", "sleep 0.15; exit 0", "ends well"}, 0, false},
        {{"/bin/sh", "-c", "sleep 2; exit 3", "past the watch"}, 0, false},
    };
    constexpr int kWaitMs = 50;
    constexpr int kLaterMs = 500;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv.back());
        EXPECT_EQ(platform::StartWatchedLonger(c.argv, kWaitMs, kLaterMs), c.result);
    }
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    std::vector<std::vector<std::string>> reported;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kLaterMs + 400);
    while (std::chrono::steady_clock::now() < deadline) {
        for (std::vector<std::string>& argv : platform::LateFailures()) {
            reported.push_back(std::move(argv));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::vector<std::vector<std::string>> late;
    for (const Case& c : cases) {
        if (c.late) {
            late.push_back(c.argv);
        }
    }
    std::sort(reported.begin(), reported.end());
    std::sort(late.begin(), late.end());
    EXPECT_EQ(reported, late);
    EXPECT_TRUE(platform::LateFailures().empty());
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

class RecordingLauncher : public platform::ProcessLauncher {
public:
    int StartDetached(const std::vector<std::string>& argv) override {
        detached.push_back(argv);
        return 0;
    }
    RunResult RunAndWait(const std::vector<std::string>& argv, const std::string& dir) override {
        waited.push_back(argv);
        dirs.push_back(dir);
        RunResult r;
        r.started = true;
        r.exitStatus = 7;
        return r;
    }
    std::vector<std::vector<std::string>> detached, waited;
    std::vector<std::string> dirs;
};

TEST(ProcessLauncherTest, InjectedLauncherTakesTheCallsUntilReset) {
    RecordingLauncher fake;
    platform::SetProcessLauncher(&fake);
    EXPECT_EQ(StartDetached({"viewer", "a.txt"}), 0);
    EXPECT_EQ(RunAndWait({"conv", "in.out"}, "/tmp").exitStatus, 7);
    platform::ResetServices();
    EXPECT_EQ(StartDetached({"/no/such/viewer"}), ENOENT);
    ASSERT_EQ(fake.detached.size(), 1u);
    EXPECT_EQ(fake.detached[0], (std::vector<std::string>{"viewer", "a.txt"}));
    ASSERT_EQ(fake.waited.size(), 1u);
    EXPECT_EQ(fake.dirs[0], "/tmp");
}

TEST(TextViewerTest, DefaultsToXdgOpenAndIsSettable) {
    EXPECT_EQ(platform::TextViewer(), (std::vector<std::string>{"xdg-open"}));
    platform::SetTextViewer({"mousepad", "--new-window"});
    EXPECT_EQ(platform::TextViewer(), (std::vector<std::string>{"mousepad", "--new-window"}));
    platform::SetTextViewer({});
    EXPECT_EQ(platform::TextViewer(), (std::vector<std::string>{"xdg-open"}));
    platform::SetTextViewer({"less"});
    platform::ResetServices();
    EXPECT_EQ(platform::TextViewer(), (std::vector<std::string>{"xdg-open"}));
}

} // namespace
