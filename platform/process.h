#pragma once
// Starting other programs from an argument vector, never through a shell.

#include <string>
#include <vector>

namespace platform {

struct RunResult {
    bool started = false; // the program was found and executed
    int error = 0;        // errno of the failed start when !started
    int exitStatus = -1;  // 0..255 when it ended normally, else -1
    int signal = 0;       // the signal that ended it, else 0
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts argv[0] with argv and leaves it running on its own (it is not a
    // child that has to be waited for). Returns 0 when it was started, else
    // an errno value.
    virtual int StartDetached(const std::vector<std::string>& argv) = 0;
    // Starts argv[0] with argv in workingDir (empty: the current directory)
    // and waits until it ends.
    virtual RunResult RunAndWait(const std::vector<std::string>& argv,
                                 const std::string& workingDir) = 0;
    // As StartDetached, and a program that ends with a failure within
    // waitMs counts as not started (-1; a program still running then, or
    // one that ended well, 0). For a viewer whose failure the operator must
    // learn of. The default only starts it.
    virtual int StartWatched(const std::vector<std::string>& argv, int waitMs) {
        (void)waitMs;
        return StartDetached(argv);
    }
    // As StartWatched; a program still running after waitMs is watched on
    // until laterMs from its start, and a failure in that time is handed
    // out by LateFailures. The default watches no longer.
    virtual int StartWatchedLonger(const std::vector<std::string>& argv, int waitMs, int laterMs) {
        (void)laterMs;
        return StartWatched(argv, waitMs);
    }
    // The argv of every program StartWatchedLonger left running that has
    // ended with a failure since, each once. Never waits.
    virtual std::vector<std::vector<std::string>> LateFailures() { return {}; }
};

// The real launcher: fork and exec; argv[0] without a '/' is looked up in PATH.
ProcessLauncher& SystemLauncher();

// Routes the free functions below to launcher; nullptr restores the real one.
// The caller keeps launcher alive while it is set.
void SetProcessLauncher(ProcessLauncher* launcher);

int StartDetached(const std::vector<std::string>& argv);
RunResult RunAndWait(const std::vector<std::string>& argv, const std::string& workingDir);
int StartWatched(const std::vector<std::string>& argv, int waitMs);
int StartWatchedLonger(const std::vector<std::string>& argv, int waitMs, int laterMs);
std::vector<std::vector<std::string>> LateFailures();

} // namespace platform
