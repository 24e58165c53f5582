#pragma once
// A process launcher that records the text viewer's starts instead of
// opening a window; programs that are waited for (srec_cat) really run.

#include "platform/process.h"

#include <string>
#include <vector>

namespace testsupport {

class RecordingLauncher : public platform::ProcessLauncher {
public:
    int StartDetached(const std::vector<std::string>& argv) override {
        started.push_back(argv);
        return 0;
    }
    platform::RunResult RunAndWait(const std::vector<std::string>& argv,
                                   const std::string& workingDir) override {
        return platform::SystemLauncher().RunAndWait(argv, workingDir);
    }
    std::vector<std::vector<std::string>> started;
};

} // namespace testsupport
