#pragma once
// A serializing station as the tests and the benchmark run it: Quillbay's
// main window on the headless dialog layer with the simulated library in
// process, a small code file in a working directory of its own, and the SN
// history on a path that other stations may share. Each run is one AUTO
// PROGRAM through the window on a fresh, blank simulated F149, with the SN
// (type and byte mode of the caller's choice) at 0xF000.

#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "debugif/debugif_reset.h"
#include "gui/action_state.h"
#include "gui/artwork.h"
#include "gui/code_file_actions.h"
#include "gui/command_line.h"
#include "gui/gui_state.h"
#include "gui/main_controls.h"
#include "gui/main_dialog.h"
#include "gui/procedure_frame.h"
#include "gui/serial_number.h"
#include "gui/sn_format.h"
#include "platform/module_path.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "sim/sim_library.h"
#include "tests/serial/sn_local_time.h"
#include "tests/support/silent_sound.h"
#include "ui/test_session.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace sn_station {

inline constexpr int32_t kSnAt = 0xF000;

struct Board {
    bool passed = false;
    std::string sn;     // the SN the board carries, "" when none
    std::string report; // the run's report
};

class Station {
public:
    // workDir holds the station's "config.ini" and code file; history is
    // the SN history file, shared or not.
    Station(const std::string& workDir, const std::string& history, int32_t type, int32_t mode)
        : workDir_(workDir), history_(history), type_(type), mode_(mode) {
        std::filesystem::create_directories(workDir_);
        std::filesystem::current_path(workDir_);
        Write("config.ini", "CommPortIndex 3\r\nSelected_UIF\t\tTIUSB\r\nReportHistory 0\r\n"
                            "VccIndex 4\r\n");
        std::string code = "@8000\n";
        char b[4];
        for (int i = 0; i < 0x40; ++i) {
            std::snprintf(b, sizeof b, "%02X", (i * 7 + 3) & 0x7F);
            code += b;
            code += (i % 16 == 15) ? '\n' : ' ';
        }
        Write("a.txt", code + "@FFFE\n00 80\nq\n");
        core::CoreStateReset();
        gui::GuiStateReset();
        platform::ResetServices();
        platform::SetSoundService(&silent_);
        debugif::ResetDebugifState();
        sim::SimReset();
        core::DebugApiUse(&sim::SimDebugApi());
        // No debug library beside the program: the simulated one is in process.
        platform::SetProgramDirectoryOverride(workDir_ + "/bin");
        gui::ArtworkRegister();
    }
    ~Station() { platform::SetSoundService(nullptr); }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // Opens the main window, serialization set up, and runs body in it.
    // False when the window could not be set up (body did not run).
    bool Run(const std::function<void(ui::Driver&)>& body) {
        ui::TestSession session;
        session_ = &session;
        gui::CommandLine.CommandLineText = "-nf";
        bool ready = false;
        session.OnDialog(107, [&](ui::Driver& d) {
            gui::Frame.FirmwareUpdateOffer = 0;
            FreshBoard();
            if (gui::CodeFileReadAndReport(0, workDir_ + "/a.txt") != 1) {
                d.Close();
                return;
            }
            auto& s = core::Settings;
            s.SerializationEnable = 1;
            s.ModelTextEnable = 0;
            s.SNFilePathAndName = history_;
            s.SNDispFormatIndex = type_;
            s.SNMemFormatIndex = mode_;
            s.Custom_SN_size = 8;
            s.Starting_SN = 1;
            s.SN_increment = 1;
            s.SNStartAddress = kSnAt;
            s.SNExistWarnEn = 1;
            gui::SerialNumber.ManualSnFlag = 0;
            gui::SerialNumberPrepareNext();
            gui::MainDialogRefresh();
            gui::SerialNumberDisplayUpdate(1);
            ready = true;
            body(d);
            d.Close();
        });
        gui::MainDialog dialog;
        dialog.DoModal();
        session_ = nullptr;
        return ready;
    }
    // The dialog layer's session while Run runs: box answers, transcript.
    ui::TestSession& Session() { return *session_; }

    // A fresh, blank board of the simulated F149, selected as well.
    static void FreshBoard() {
        sim::SimSelectDeviceNamed("149");
        for (int32_t r = 1; r <= core::DeviceInfoTable.count; ++r) {
            std::string n(core::DeviceInfoTable.records[r].name);
            n.erase(n.find_last_not_of(' ') + 1);
            if (n == "149") {
                core::Settings.SelectedProcessorIndex = r;
            }
        }
        core::DeviceSelectByIndex();
    }

    // AUTO PROGRAM through the window on a fresh board (faults the caller
    // put on the simulated target stay in place for it).
    static Board AutoProgram(ui::Driver& d) {
        Board board;
        d.Click(1001);
        board.report = d.Target().GetItemText(1026);
        board.passed = board.report.find(" -------- D O N E ---") != std::string::npos;
        const std::vector<uint8_t> bytes = sim::Sim().PeekRange(kSnAt, 16);
        std::string decoded;
        if (gui::SnDecodeBytes(bytes.data(), decoded) == 1) {
            board.sn = decoded;
        }
        return board;
    }

private:
    void Write(const std::string& name, const std::string& text) {
        std::ofstream out(workDir_ + "/" + name, std::ios::binary | std::ios::trunc);
        out << text;
    }

    std::string workDir_;
    std::string history_;
    int32_t type_;
    int32_t mode_;
    testsupport::SilentSound silent_; // the result sound is the operator's, not the run's
    ui::TestSession* session_ = nullptr;
};

} // namespace sn_station
