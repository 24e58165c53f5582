#pragma once
// Main-window tests on the headless dialog layer: a fresh working directory
// (where "config.ini" lives), the simulated library behind the target layer
// with every debug call noted in the transcript, no debug library beside the
// program, and the session's clock.

#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/settings.h"
#include "debugif/debugif_reset.h"
#include "gui/artwork.h"
#include "gui/gui_state.h"
#include "platform/module_path.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "sim/sim_library.h"
#include "tests/support/temp_dir.h"
#include "ui/test_session.h"
#include "ui/transcript.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace guitest {

// The simulated library's entries, each noted in the transcript first
// ("debug MSP430_VCC(0)"), so that tests see them in order with boxes,
// dialogs and timers.
const core::DebugApi& NotedSimApi();

// The transcript lines that contain any of fragments, in order.
std::vector<std::string> LinesWith(const std::vector<std::string>& fragments);

// Sounds and beeps go nowhere: a test never plays through the machine's
// speakers (nor waits for a tone).
class SilentSound : public platform::SoundService {
public:
    bool PlayWave(const std::string&) override { return true; }
    void Beep(uint32_t, uint32_t) override {}
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        core::CoreStateReset();
        gui::GuiStateReset();
        platform::ResetServices();
        platform::SetSoundService(&silent_);
        debugif::ResetDebugifState();
        sim::SimReset();
        core::DebugApiUse(&NotedSimApi());
        // The binding finds no library: the program's directory is empty.
        platform::SetProgramDirectoryOverride(dir_.File("bin"));
        gui::ArtworkRegister();
    }
    void TearDown() override {
        std::filesystem::current_path(oldDirectory_);
        sim::SimReset();
        core::CoreStateReset();
        gui::GuiStateReset();
        debugif::ResetDebugifState();
        platform::ResetServices();
    }

    // A "config.ini" in the working directory that selects the USB adapter.
    void WriteConfig(const std::string& extraLines = "") {
        testsupport::WriteFile(dir_.File("config.ini"),
                               ";============= MSP430Fxx setup =============\r\n"
                               "CommPortIndex 3\r\nSelected_UIF\t\tTIUSB\r\n" +
                                   extraLines);
    }

    testsupport::TempDir dir_;
    std::filesystem::path oldDirectory_;
    SilentSound silent_;
};

// A GuiTest with the headless dialog session; the session comes after the
// fixture's reset of the platform services and goes before they are reset
// again.
class SessionGuiTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        sessionHolder_.emplace();
    }
    void TearDown() override {
        sessionHolder_.reset();
        GuiTest::TearDown();
    }
    ui::TestSession& session() { return *sessionHolder_; }

    std::optional<ui::TestSession> sessionHolder_;
};

} // namespace guitest
