// The quillbay program itself, started as an operator's session would
// start it: without a display it says so and stops; offscreen a
// termination signal ends it in each state it can wait in (starting up,
// a box open, the window idle), through its own exit that writes
// "config.ini".

#include "tests/gui/emulated_f149.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace guitest {
namespace {

const std::string kProgram = std::string(QUILL_BINARY_DIR) + "/bin/quillbay";

struct Child {
    pid_t pid = -1;
    int stderrFd = -1;
};

// Starts quillbay in dir with the environment changed as given ("NAME="
// removes NAME, "NAME=value" sets it).
Child Start(const std::string& dir, const std::vector<std::string>& changes) {
    int err[2];
    if (::pipe2(err, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(err[1], 2);
        if (::chdir(dir.c_str()) != 0) {
            ::_exit(126);
        }
        for (const std::string& c : changes) {
            const size_t eq = c.find('=');
            const std::string name = c.substr(0, eq);
            const std::string value = c.substr(eq + 1);
            if (value.empty()) {
                ::unsetenv(name.c_str());
            } else {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
        }
        ::execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(err[1]);
    return Child{pid, err[0]};
}

// Everything the child wrote on stderr until it closed it.
std::string StderrOf(Child& c) {
    std::string out;
    char buffer[512];
    for (;;) {
        struct pollfd p = {c.stderrFd, POLLIN, 0};
        if (::poll(&p, 1, 20000) <= 0) {
            break;
        }
        const ssize_t n = ::read(c.stderrFd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(c.stderrFd);
    c.stderrFd = -1;
    return out;
}

// The exit status, or -1 when it did not end within limitMs (it is killed
// then).
int WaitFor(Child& c, int limitMs) {
    for (int waited = 0; waited <= limitMs; waited += 20) {
        int status = 0;
        if (::waitpid(c.pid, &status, WNOHANG) == c.pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(c.pid, SIGKILL);
    ::waitpid(c.pid, nullptr, 0);
    return -1;
}

// Waits (at most 10 s) until the child catches signal: before its main has
// run, a signal ends any program on the spot.
bool WaitUntilCaught(pid_t pid, int signal) {
    for (int waited = 0; waited < 10000; waited += 5) {
        const std::string status =
            testsupport::ReadFile("/proc/" + std::to_string(pid) + "/status");
        const size_t at = status.find("SigCgt:");
        if (at != std::string::npos) {
            const unsigned long long mask = std::stoull(status.substr(at + 7), nullptr, 16);
            if ((mask >> (signal - 1)) & 1u) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(QuillbayProcessTest, WithoutADisplayItSaysSoOnOneLineAndStops) {
    testsupport::TempDir dir;
    Child c = Start(dir.path().string(), {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
    ASSERT_GT(c.pid, 0);
    const std::string err = StderrOf(c);
    const int status = WaitFor(c, 20000);
    EXPECT_NE(status, 0);
    EXPECT_NE(status, -1) << "still running";
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_NE(err.find("no display"), std::string::npos) << err;
}

// Each signal in a state the program waits in. "box open": the setup names
// a debug library that is not there, so the start-up shows its error box.
TEST(QuillbayProcessTest, ATerminationSignalEndsItThroughItsExitInEveryState) {
    struct Case {
        const char* name;
        int signal;
        int delayMs; // after the signal handlers are in place
        bool missingLibrary;
    };
    const Case cases[] = {
        {"starting", SIGTERM, 0, false},
        {"box open", SIGINT, 1500, true},
        {"window idle", SIGHUP, 1500, false},
        {"window idle", SIGTERM, 1500, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.name) + " signal " + std::to_string(k.signal));
        EmulatedF149 emulated;
        ASSERT_TRUE(emulated.started()) << emulated.error();
        const std::string config = emulated.work().File("config.ini");
        if (k.missingLibrary) {
            testsupport::WriteFile(config,
                                   ";============= MSP430Fxx setup =============\r\n"
                                   "CommPortIndex 3\r\nSelected_UIF\t\tCOM250\r\n"
                                   "AdapterIndex 1\r\nMSP430DLL1\t\t/nonexistent/debug.so\r\n");
        }
        const std::string before = testsupport::ReadFile(config);
        Child c = Start(emulated.work().path().string(), {"QT_QPA_PLATFORM=offscreen"});
        ASSERT_GT(c.pid, 0);
        EXPECT_TRUE(WaitUntilCaught(c.pid, k.signal));
        std::this_thread::sleep_for(std::chrono::milliseconds(k.delayMs));
        ::kill(c.pid, k.signal);
        const int status = WaitFor(c, 15000);
        const std::string err = StderrOf(c);
        EXPECT_EQ(status, 0) << err;
        // Written back by the exit (the saved form differs from the hand-written one).
        EXPECT_NE(testsupport::ReadFile(config), before);
        EXPECT_NE(testsupport::ReadFile(config).find("CommPortIndex"), std::string::npos);
    }
}

} // namespace
} // namespace guitest
