#pragma once
// The main window's procedures on the headless dialog layer with the
// simulated library in process: a run of the window with a script, code
// files in the working directory, the device under test, a fixed-number
// serialization double, and a check that no box went unanswered.

#include "core/code_image.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_read.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "gui/action_state.h"
#include "gui/code_file_actions.h"
#include "gui/command_line.h"
#include "gui/main_actions.h"
#include "gui/main_controls.h"
#include "gui/main_dialog.h"
#include "gui/main_window_state.h"
#include "gui/procedure_frame.h"
#include "gui/serial_number.h"
#include "gui/setup_runners.h"
#include "gui/sn_hooks.h"
#include "gui/status_lamps.h"
#include "platform/sound.h"
#include "sim/sim_library.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/device_rows.h"

#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace guitest {

// Every debug call counted; the call numbered failAt (from 0) fails in the
// simulated library with error; onCall runs before each call.
struct CallWatchState {
    int32_t count = 0;
    int32_t failAt = -1;
    int32_t error = 5;
    std::function<void(const char* entry)> onCall;
    void Reset() { *this = CallWatchState{}; }
};
extern CallWatchState CallWatch;
// The noted simulated library behind the watch.
const core::DebugApi& WatchedSimApi();

using testsupport::DeviceRowNamed;

// Serialization with one fixed number "SN" written as its ASCII bytes and a
// model text, in place of the engine's entries: the SN steps run against
// it, and it counts the history records it was asked for.
struct FixedSerialNumber {
    std::string number = "0000012345";
    std::string model = "MODEL-A";
    int32_t modelOn = 1;
    int32_t historyRecords = 0;
    int32_t readBackResult = -1; // -1: read the target; else this result

    static inline FixedSerialNumber* current = nullptr;

    ~FixedSerialNumber() {
        if (current == this) {
            gui::SetSerializationHooks(nullptr);
            current = nullptr;
        }
    }
    void Install() {
        static const gui::SerializationHooks hooks{
            [] { return int32_t{0}; },
            [](std::string_view) { return int32_t{0}; },
            [] { return current->ReadBack(); },
            [](const std::string&) { return int32_t{1}; },
            [](std::string_view) {
                current->Pack();
                gui::SerialNumber.SerialNumberText = current->number;
                return int32_t{1};
            },
            [] {
                ++current->historyRecords;
                return int32_t{1};
            },
            [] { return int32_t{1}; },
            [] { return int32_t{1}; },
            [](int32_t) { return int32_t{1}; },
        };
        current = this;
        gui::SetSerializationHooks(&hooks);
        core::Settings.SerializationEnable = 1;
        core::Settings.ModelTextEnable = modelOn;
        gui::MainDialogRefresh();
        gui::MainWindowSetText(1051, number);
        Pack();
    }
    int32_t ReadBack() {
        if (readBackResult >= 0) {
            return readBackResult;
        }
        const int32_t n = static_cast<int32_t>(number.size());
        if (core::TargetReadRange(core::Settings.SNStartAddress, n) != 1) {
            return 4;
        }
        const uint8_t* b = &core::Images.ReadImage[core::ImageIndex(core::Settings.SNStartAddress)];
        const std::string read(reinterpret_cast<const char*>(b), number.size());
        if (read.find('\xFF') != std::string::npos) {
            return 0;
        }
        gui::SerialNumber.SnReadBackText = read;
        return 0x21;
    }
    void Pack() {
        core::SerialData.SerialNumberCount = static_cast<int32_t>(number.size());
        std::copy(number.begin(), number.end(), core::SerialData.SerialNumberBytes);
        std::fill(core::SerialData.ModelTextBytes, core::SerialData.ModelTextBytes + 32, 0xFF);
        std::copy(model.begin(), model.end(), core::SerialData.ModelTextBytes);
        core::Settings.ModelTextSize = static_cast<int32_t>(model.size());
    }
};

class ActionsTest : public SessionGuiTest {
protected:
    void SetUp() override {
        SessionGuiTest::SetUp();
        CallWatch.Reset();
        core::DebugApiUse(&WatchedSimApi());
    }
    void TearDown() override {
        SessionGuiTest::TearDown();
        CallWatch.Reset();
    }
    // Between the cases of a table: every state back to the start, the
    // watched library still in use.
    void ResetBetweenCases() {
        gui::GuiStateReset();
        gui::ArtworkRegister();
        core::CoreStateReset();
        core::DebugApiUse(&WatchedSimApi());
        CallWatch.Reset();
        sim::SimReset();
    }

    // The window (no start-up picture, no firmware offer) with script as the operator.
    void Run(std::function<void(ui::Driver&)> script) {
        gui::CommandLine.CommandLineText = "-nf";
        session().OnDialog(107, [script = std::move(script)](ui::Driver& d) {
            gui::Frame.FirmwareUpdateOffer = 0;
            // The start-up's "no library beside the program" box is the fixture's.
            ui::TranscriptClear();
            script(d);
            d.Close();
        });
        gui::MainDialog dialog;
        dialog.DoModal();
    }
    // USB, report of the current run only, 3.0 V, unlocked, then extra lines.
    void Config(const std::string& extra = "") {
        WriteConfig("ReportHistory 0\r\nVccIndex 4\r\n" + extra);
    }
    // The device both selected and on the board.
    static void Device(const char* name) {
        sim::SimSelectDeviceNamed(name);
        core::Settings.SelectedProcessorIndex = DeviceRowNamed(name);
        core::DeviceSelectByIndex();
    }
    // A TI-TXT code file of the given text in the working directory.
    std::string CodeFile(const std::string& name, const std::string& text) {
        testsupport::WriteFile(dir_.File(name), text);
        return dir_.File(name);
    }
    // A TI-TXT file with count bytes from start (byte i = (i * 7 + 3) & 0xFF,
    // never 0xFF) and the reset vector.
    static std::string TiTxt(int32_t start, int32_t count) {
        std::string t;
        char line[16];
        std::snprintf(line, sizeof line, "@%04X\n", static_cast<unsigned>(start));
        t += line;
        for (int32_t i = 0; i < count; ++i) {
            std::snprintf(line, sizeof line, "%02X%s", static_cast<unsigned>(Byte(i)),
                          (i % 16 == 15) ? "\n" : " ");
            t += line;
        }
        t += "\n@FFFE\n00 11\nq\n";
        return t;
    }
    // Reads TiTxt(start, count) as "a.txt" the way the operator's open does.
    int32_t LoadTiTxt(int32_t start, int32_t count) {
        return gui::CodeFileReadAndReport(0, CodeFile("a.txt", TiTxt(start, count)));
    }
    // The report's lines for a verify that found the sector at addr ("0x1200") wrong.
    static std::string VerifyFailedAt(const std::string& addr) {
        return "Verifying Flash Memory ...................\t failed\r\n"
               " Verification error - sector addr " +
               addr + "\r\n:";
    }
    static uint8_t Byte(int32_t i) {
        const uint8_t b = static_cast<uint8_t>((i * 7 + 3) & 0xFF);
        return b == 0xFF ? 0x5A : b;
    }
    // The report with the run time masked.
    static std::string Masked(const std::string& report) {
        return std::regex_replace(report, std::regex(R"(run time = *[0-9.]+ sec)"),
                                  "run time = * sec");
    }
    static int32_t Lamp(int32_t row) {
        return gui::StatusDisplay.StatusLampTable[static_cast<size_t>(row)].bitmap;
    }
    // Boxes nobody answered (the script ran short).
    static bool Unattended() {
        for (const std::string& l : LinesWith({"(unattended)"})) {
            ADD_FAILURE() << l;
        }
        return ui::TranscriptHas("(unattended)");
    }

    // Every VerifyMask word of the programming image as the board holds it.
    static bool FlashMatchesImage() {
        for (int32_t a = core::kImageStart; a < core::kImageEnd; a += 2) {
            if (core::Images.VerifyMask[core::WordIndex(a)] == 0) {
                continue;
            }
            const int32_t i = core::ImageIndex(a);
            if (sim::Sim().Peek(static_cast<uint32_t>(a)) != core::Images.ProgramImage.data[i] ||
                sim::Sim().Peek(static_cast<uint32_t>(a + 1)) !=
                    core::Images.ProgramImage.data[i + 1]) {
                return false;
            }
        }
        return true;
    }
    static std::vector<uint8_t> Dco() { return sim::Sim().PeekRange(0x10F8, 8); }
    // The report's result line.
    static bool Done(const std::string& report) {
        return report.find(" -------- D O N E ---") != std::string::npos;
    }
};

} // namespace guitest
