#pragma once
// An emulated MSP-FET430UIF with an F149 behind it, served in process on a
// pseudo-terminal registered as COM250 in a temporary emulated-adapters
// directory (QUILL_EMULATED_ADAPTERS points there while it lives), and a
// working directory whose "config.ini" selects USB and that adapter.

#include "sim/emu_adapter.h"
#include "sim/emu_board.h"
#include "sim/emu_pty.h"
#include "sim/emu_target_handler.h"
#include "sim/sim_target.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace guitest {

class EmulatedF149 {
public:
    // baud: the link-rate model's rate (0 paces nothing).
    explicit EmulatedF149(uint32_t baud = 0) {
        std::filesystem::create_directory(adapters_.path() / "adapters");
        ::setenv("QUILL_EMULATED_ADAPTERS", adapters_.File("adapters").c_str(), 1);
        sim::EmuSelectDeviceNamed(target_, "149");
        server_.SetBaud(baud);
        started_ = server_.Start(adapters_.File("adapters"), "COM250", &error_);
        testsupport::WriteFile(work_.File("config.ini"),
                               ";============= MSP430Fxx setup =============\r\n"
                               "CommPortIndex 3\r\nSelected_UIF\t\tCOM250\r\n");
        oldDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(work_.path());
    }
    ~EmulatedF149() {
        std::filesystem::current_path(oldDirectory_);
        server_.Stop();
        ::unsetenv("QUILL_EMULATED_ADAPTERS");
    }
    EmulatedF149(const EmulatedF149&) = delete;
    EmulatedF149& operator=(const EmulatedF149&) = delete;

    bool started() const { return started_; }
    const std::string& error() const { return error_; }
    const testsupport::TempDir& work() const { return work_; }
    sim::EmuAdapter& adapter() { return adapter_; }
    // The terminal the programs open as COM250.
    const std::string& portPath() const { return server_.slave_path(); }

private:
    testsupport::TempDir adapters_;
    testsupport::TempDir work_;
    sim::SimTarget target_;
    sim::EmuTargetHandler handler_{target_};
    sim::EmuAdapter adapter_{handler_, sim::EmuLink::kSerial};
    sim::EmuPtyServer server_{adapter_};
    std::string error_;
    bool started_ = false;
    std::filesystem::path oldDirectory_;
};

} // namespace guitest
