#include "platform/process.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

// Everything the child needs, prepared before fork(): between fork() and
// exec only async-signal-safe calls are allowed.
struct ExecPlan {
    std::vector<std::string> candidates; // full paths to try, in order
    std::vector<char*> argv;
    int error = 0;
};

ExecPlan MakePlan(const std::vector<std::string>& args) {
    ExecPlan plan;
    if (args.empty() || args[0].empty()) {
        plan.error = ENOENT;
        return plan;
    }
    const std::string& prog = args[0];
    if (prog.find('/') != std::string::npos) {
        plan.candidates.push_back(prog);
    } else {
        const char* env = std::getenv("PATH");
        std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
        size_t pos = 0;
        for (;;) {
            size_t end = path.find(':', pos);
            const size_t len = (end == std::string::npos ? path.size() : end) - pos;
            // An empty PATH entry means the current directory.
            std::string full = len == 0 ? std::string(".") : path.substr(pos, len);
            full += '/';
            full += prog;
            if (::access(full.c_str(), X_OK) == 0) {
                plan.candidates.push_back(full);
            }
            if (end == std::string::npos) {
                break;
            }
            pos = end + 1;
        }
        if (plan.candidates.empty()) {
            plan.error = ENOENT;
            return plan;
        }
    }
    // The child may change directory before exec: make relative names
    // absolute while they still mean what the caller meant.
    char cwd[4096];
    for (std::string& c : plan.candidates) {
        if (c[0] != '/' && ::getcwd(cwd, sizeof cwd)) {
            c = std::string(cwd) + "/" + c;
        }
    }
    for (const std::string& a : args) {
        plan.argv.push_back(const_cast<char*>(a.c_str()));
    }
    plan.argv.push_back(nullptr);
    return plan;
}

void WriteErrno(int fd, int err) {
    // Best effort: the parent reads this to learn why the start failed.
    ssize_t ignored = ::write(fd, &err, sizeof err);
    (void)ignored;
}

// Runs in the child after fork(): change directory, exec, or report errno on
// the pipe and end. Never returns.
[[noreturn]] void ExecChild(const ExecPlan& plan, const char* dir, int errFd) {
    if (dir && ::chdir(dir) != 0) {
        WriteErrno(errFd, errno);
        ::_exit(127);
    }
    int err = ENOENT;
    for (const std::string& c : plan.candidates) {
        ::execve(c.c_str(), plan.argv.data(), environ);
        err = errno;
    }
    WriteErrno(errFd, err);
    ::_exit(127);
}

// Reads the errno a child wrote before it ended, or 0 when the pipe closed
// without one (the exec succeeded and close-on-exec closed it).
int ReadErrno(int fd) {
    int err = 0;
    ssize_t n;
    do {
        n = ::read(fd, &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof err) ? err : 0;
}

pid_t WaitFor(pid_t pid, int* status) {
    pid_t r;
    do {
        r = ::waitpid(pid, status, 0);
    } while (r < 0 && errno == EINTR);
    return r;
}

class SystemProcessLauncher final : public ProcessLauncher {
public:
    int StartDetached(const std::vector<std::string>& argv) override { return Start(argv, 0); }

    int StartWatched(const std::vector<std::string>& argv, int waitMs) override {
        return Start(argv, waitMs);
    }

    RunResult RunAndWait(const std::vector<std::string>& argv,
                         const std::string& workingDir) override {
        RunResult result;
        ExecPlan plan = MakePlan(argv);
        if (plan.error) {
            result.error = plan.error;
            return result;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            result.error = errno;
            return result;
        }
        const char* dir = workingDir.empty() ? nullptr : workingDir.c_str();
        pid_t pid = ::fork();
        if (pid < 0) {
            result.error = errno;
            ::close(fds[0]);
            ::close(fds[1]);
            return result;
        }
        if (pid == 0) {
            ::close(fds[0]);
            ExecChild(plan, dir, fds[1]);
        }
        ::close(fds[1]);
        const int err = ReadErrno(fds[0]);
        ::close(fds[0]);
        int status = 0;
        if (WaitFor(pid, &status) < 0) {
            result.error = errno;
            return result;
        }
        if (err) {
            result.error = err;
            return result;
        }
        result.started = true;
        if (WIFEXITED(status)) {
            result.exitStatus = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
        return result;
    }

    int StartWatchedLonger(const std::vector<std::string>& argv, int waitMs, int laterMs) override {
        int fd = -1;
        const int r = Start(argv, waitMs, laterMs, &fd);
        if (fd >= 0) {
            late_.push_back({fd, argv});
        }
        return r;
    }

    std::vector<std::vector<std::string>> LateFailures() override {
        std::vector<std::vector<std::string>> failed;
        for (size_t i = 0; i < late_.size();) {
            int value = 0;
            const ssize_t n = ::read(late_[i].fd, &value, sizeof value);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                ++i; // still watched
                continue;
            }
            // A value after the running mark is only ever a failure; the
            // pipe's end is a program that ended well or was watched long
            // enough.
            if (n == static_cast<ssize_t>(sizeof value) && value == -1) {
                failed.push_back(late_[i].argv);
            }
            ::close(late_[i].fd);
            late_.erase(late_.begin() + static_cast<std::ptrdiff_t>(i));
        }
        return failed;
    }

private:
    // The watcher's word that the program still runs after waitMs and is
    // watched on.
    static constexpr int kStillRunning = -2;

    struct LateWatch {
        int fd; // the pipe's read end, non-blocking
        std::vector<std::string> argv;
    };
    std::vector<LateWatch> late_;

    // Watches child for up to ms: true once it ended, after writing -1 on
    // fd when it failed.
    static bool Watch(pid_t child, int ms, int fd) {
        for (int waited = 0; waited < ms; waited += 10) {
            int status = 0;
            const pid_t r = ::waitpid(child, &status, WNOHANG);
            if (r == child) {
                // A failed exec has written its errno first; that is what
                // the parent reads then.
                if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                    WriteErrno(fd, -1);
                }
                return true;
            }
            struct timespec t = {0, 10 * 1000 * 1000};
            ::nanosleep(&t, nullptr);
        }
        return false;
    }

    // Fork twice: the middle child ends once it has watched the program for
    // waitMs (0: at once), so the program is adopted by init and never
    // lingers as our zombie; an early failure goes back on the pipe as -1.
    // With laterMs past waitMs the watcher is one fork further down, so
    // that it outlives the middle child (nothing of it is ours to reap):
    // after waitMs it says the program runs on, keeps watching, and a
    // failure until laterMs reaches the pipe left with *keptFd.
    static int Start(const std::vector<std::string>& argv, int waitMs, int laterMs = 0,
                     int* keptFd = nullptr) {
        ExecPlan plan = MakePlan(argv);
        if (plan.error) {
            return plan.error;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return errno;
        }
        const bool later = keptFd != nullptr && laterMs > waitMs;
        pid_t mid = ::fork();
        if (mid < 0) {
            int err = errno;
            ::close(fds[0]);
            ::close(fds[1]);
            return err;
        }
        if (mid == 0) {
            ::close(fds[0]);
            ::setsid();
            if (later) {
                const pid_t watcher = ::fork();
                if (watcher < 0) {
                    WriteErrno(fds[1], errno);
                    ::_exit(127);
                }
                if (watcher > 0) {
                    ::_exit(0);
                }
            }
            pid_t child = ::fork();
            if (child < 0) {
                WriteErrno(fds[1], errno);
                ::_exit(127);
            }
            if (child == 0) {
                ExecChild(plan, nullptr, fds[1]);
            }
            if (Watch(child, waitMs, fds[1])) {
                ::_exit(0);
            }
            if (later) {
                WriteErrno(fds[1], kStillRunning);
                Watch(child, laterMs - waitMs, fds[1]);
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        int status = 0;
        WaitFor(mid, &status);
        int err = ReadErrno(fds[0]);
        if (err == kStillRunning) {
            if (::fcntl(fds[0], F_SETFL, O_NONBLOCK) == 0) {
                *keptFd = fds[0];
                return 0;
            }
            err = 0;
        }
        ::close(fds[0]);
        return err;
    }
};

SystemProcessLauncher systemLauncher;
ProcessLauncher* current = &systemLauncher;

} // namespace

ProcessLauncher& SystemLauncher() {
    return systemLauncher;
}

void SetProcessLauncher(ProcessLauncher* launcher) {
    current = launcher ? launcher : &systemLauncher;
}

int StartDetached(const std::vector<std::string>& argv) {
    return current->StartDetached(argv);
}

RunResult RunAndWait(const std::vector<std::string>& argv, const std::string& workingDir) {
    return current->RunAndWait(argv, workingDir);
}

int StartWatched(const std::vector<std::string>& argv, int waitMs) {
    return current->StartWatched(argv, waitMs);
}

int StartWatchedLonger(const std::vector<std::string>& argv, int waitMs, int laterMs) {
    return current->StartWatchedLonger(argv, waitMs, laterMs);
}

std::vector<std::vector<std::string>> LateFailures() {
    return current->LateFailures();
}

} // namespace platform
