#include "platform/process.h"

#include <cerrno>
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

private:
    // Fork twice: the middle child ends once it has watched the program for
    // waitMs (0: at once), so the program is adopted by init and never
    // lingers as our zombie; an early failure goes back on the pipe as -1.
    static int Start(const std::vector<std::string>& argv, int waitMs) {
        ExecPlan plan = MakePlan(argv);
        if (plan.error) {
            return plan.error;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return errno;
        }
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
            pid_t child = ::fork();
            if (child < 0) {
                WriteErrno(fds[1], errno);
                ::_exit(127);
            }
            if (child == 0) {
                ExecChild(plan, nullptr, fds[1]);
            }
            for (int waited = 0; waited < waitMs; waited += 10) {
                int status = 0;
                const pid_t r = ::waitpid(child, &status, WNOHANG);
                if (r == child) {
                    // A failed exec has written its errno first; that is
                    // what the parent reads then.
                    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                        WriteErrno(fds[1], -1);
                    }
                    ::_exit(0);
                }
                struct timespec t = {0, 10 * 1000 * 1000};
                ::nanosleep(&t, nullptr);
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        int status = 0;
        WaitFor(mid, &status);
        int err = ReadErrno(fds[0]);
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

} // namespace platform
