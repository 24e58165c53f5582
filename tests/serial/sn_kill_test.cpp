// A writer killed with SIGKILL at random points: every record it reported
// as saved is in the history, whole and in order, and the next SN is above
// all of them.

#include "sn_fixture.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace sn_test {
namespace {

// The child: appends SN after SN and reports each one once it is saved.
[[noreturn]] void AppendForever(int reportFd) {
    for (;;) {
        gui::SerialNumberPrepareNext();
        if (gui::SerialNumberFromText(gui::SerialNumberFormat()) != 1 ||
            gui::SnHistoryAppend() != 1) {
            _exit(3);
        }
        const std::string line = gui::SerialNumber.SerialNumberText + "\n";
        if (::write(reportFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            _exit(4);
        }
    }
}

TEST_F(SnTest, KilledWriterLosesNoReportedRecord) {
    Use(3, 0);
    std::mt19937 random(20261210);
    std::vector<std::string> reported;
    for (int run = 0; run < 100; ++run) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            AppendForever(fds[1]);
        }
        ::close(fds[1]);
        // Wait for a few reports, then kill it wherever it is.
        const int want = 1 + static_cast<int>(random() % 4);
        std::string pending;
        int got = 0;
        char buf[256];
        while (got < want) {
            const ssize_t n = ::read(fds[0], buf, sizeof buf);
            ASSERT_GT(n, 0) << "the writer stopped";
            pending.append(buf, static_cast<size_t>(n));
            size_t nl;
            while ((nl = pending.find('\n')) != std::string::npos) {
                reported.push_back(pending.substr(0, nl));
                pending.erase(0, nl + 1);
                ++got;
            }
        }
        ::kill(child, SIGKILL);
        // Reports written before the kill count too.
        ssize_t n;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0) {
            pending.append(buf, static_cast<size_t>(n));
        }
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            reported.push_back(pending.substr(0, nl));
            pending.erase(0, nl + 1);
        }
        ::close(fds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    }

    // Every reported record whole, in the order reported, each SN once.
    std::istringstream file(ReadHistory());
    std::string line;
    size_t next = 0;
    std::vector<std::string> seen;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (next < reported.size() &&
            line == "F3 \t" + reported[next] + " \t. \t( Thu, Dec 10,2026, 11:14 ) \tblink.txt") {
            ++next;
        }
        if (line.size() > 9 && line.substr(line.size() - 9) == "blink.txt") {
            seen.push_back(line.substr(4, 5));
        }
    }
    EXPECT_EQ(next, reported.size());
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end())
        << "an SN twice in the history";

    gui::SerialNumberPrepareNext();
    for (const std::string& sn : reported) {
        EXPECT_GT(gui::SerialNumber.NextSerialNumber, static_cast<uint32_t>(std::stoul(sn)));
    }
}

} // namespace
} // namespace sn_test
