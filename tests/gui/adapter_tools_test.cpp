// The adapter tools: version texts, the version box, the downloader's
// questions and the firmware update dialog, on the simulated library and on
// a scripted debug table for the update's steps.

#include "core/target_state.h"
#include "gui/adapter_tools.h"
#include "tests/gui/actions_fixture.h"

#include <string>

namespace guitest {
namespace {

TEST(VersionDottedTest, EightDigitsOnly) {
    EXPECT_EQ(gui::VersionDotted(20105007), "2.01.05.007");
    EXPECT_EQ(gui::VersionDotted(10000000), "1.00.00.000");
    EXPECT_EQ(gui::VersionDotted(5), "5");
    EXPECT_EQ(gui::VersionDotted(123), "123");
    EXPECT_EQ(gui::VersionDotted(-1), "-1");
}

TEST_F(ActionsTest, FirmwareToolsNeedTheUsbAdapter) {
    WriteConfig("CommPortIndex 0\r\n");
    Run([&](ui::Driver& d) {
        core::Settings.CommPortIndex = 0;
        d.Menu(233);
        d.Menu(228);
    });
    EXPECT_EQ(
        LinesWith({"box [Warning] \"The USB FET has not been selected.\\r\\n\\r\\n"
                   "Please select the TI-USB communication port\\r\\nand try again.\\r\\n\\r\\n\" "
                   "flags 0x20"})
            .size(),
        2u);
}

// A library that tells its version, as one with a parallel port would: the
// simulated library with an "LPT1" that opens.
int32_t libraryVersion = 0;
const core::DebugApi& VersionTellingApi() {
    static core::DebugApi api = [] {
        core::DebugApi a = WatchedSimApi();
        a.Initialize = [](const char* port, int32_t* version) {
            if (std::string(port) == "LPT1") {
                *version = libraryVersion;
                return core::kDebugOk;
            }
            return WatchedSimApi().Initialize(port, version);
        };
        return a;
    }();
    return api;
}

// The Info box by the two versions: the same, not the same, the EZ430
// stick's, and a library that does not tell its own (ours: "n/a"), where
// no mismatch is claimed. The interface stays open after.
TEST_F(ActionsTest, FirmwareVersionBox) {
    struct Case {
        int32_t library; // 0: the library does not tell
        int32_t firmware;
        std::string box;
    };
    const std::string available = "box [Info] \"Available firmware version:\\r\\n    ";
    const std::string current = "\\r\\nCurrent firmware version in the MSP-FET430UIF:\\r\\n    ";
    for (const Case& c :
         {Case{0, 20304000,
               available + "n/a" + current +
                   "2.03.04.000\\r\\n\\r\\nThe firmware version this debug library holds is "
                   "unknown.\\r\\n\\r\\n\" flags 0x0"},
          Case{20304000, 20304000,
               available + "2.03.04.000" + current +
                   "2.03.04.000\\r\\n\\r\\nThe MSP-FET430UIF has the same firmware.\\r\\n\\r\\n\" "
                   "flags 0x0"},
          Case{20401000, 20304000,
               available + "2.04.01.000" + current +
                   "2.03.04.000\\r\\n\\r\\nThe MSP-FET430UIF has not the same "
                   "firmware.\\r\\n\\r\\n\" flags 0x0"},
          Case{0, 10000000,
               available + "n/a" + current +
                   "1.00.00.000\\r\\n\\r\\nWARNING!!!. Probably it is the EZ430 "
                   "stick.\\r\\nIt is not recommended to modify the firmware in the "
                   "EZ430.\\r\\nThe EZ430 can be destroyed if you reload the new "
                   "firmware.\\r\\n\\r\\n\" flags 0x0"}}) {
        SCOPED_TRACE(c.box);
        Config();
        libraryVersion = c.library;
        if (c.library != 0) {
            core::DebugApiUse(&VersionTellingApi());
        }
        Run([&](ui::Driver& d) {
            sim::Sim().firmwareVersion = c.firmware;
            session().Boxes().Answer(platform::IDOK);
            d.Menu(233);
            EXPECT_EQ(core::Target.TargetInterfaceOpen, 1);
        });
        EXPECT_TRUE(ui::TranscriptHas(c.box)) << ui::TranscriptText();
        if (c.library == 0) {
            EXPECT_TRUE(ui::TranscriptHas("debug MSP430_Initialize(LPT1)"));
        }
        ResetBetweenCases();
    }
}

// The downloader: two Yes, Start Update fails with the library's error 34
// shown; the next AUTO PROGRAM passes.
TEST_F(ActionsTest, DownloaderShowsTheUpdateErrorThenRunsGoOn) {
    Config("FlashEraseModeIndex 1\r\n");
    std::string status;
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x1100, 0x20), 1);
        session().Boxes().Answer(platform::IDYES);
        session().Boxes().Answer(platform::IDYES);
        session().OnDialog(221, [&](ui::Driver& f) {
            sim::Sim().FailOperation("MSP430_FET_FwUpdate", 34, 1);
            f.Click(1177);
            status = f.Target().GetItemText(1179);
            EXPECT_TRUE(f.Target().IsItemEnabled(1177));
        });
        d.Menu(228);
        d.Click(1001);
        EXPECT_TRUE(Done(d.Target().GetItemText(1026)));
    });
    EXPECT_TRUE(
        ui::TranscriptHas("box [Warning] \"Warning: \\r\\n Please use the following downloader"));
    EXPECT_TRUE(ui::TranscriptHas("box [Warning] \"Are you sure?\\r\\n\\r\\n    \" flags 0x24"));
    EXPECT_EQ(status, "Not supported by selected Interface or Interface is not initialized");
}

// A scripted library for the update dialog: its update reports every step
// code, a progress of 150, and the version read after it.
struct ScriptedUpdate {
    static inline std::vector<std::pair<uint32_t, uint32_t>> steps;
    static inline int32_t result = 0;
    static inline int32_t version = 20105007;
    static inline int32_t openError = 0;
    static inline std::vector<std::string> seen; // status text and button after each step
};

core::DebugApi ScriptedApi() {
    core::DebugApi api = WatchedSimApi();
    api.Initialize = [](const char* port, int32_t* v) -> int32_t {
        if (ScriptedUpdate::openError != 0 && std::string(port) != "LPT1") {
            return -1;
        }
        *v = -1;
        return 0;
    };
    api.Close = [](int32_t) -> int32_t { return 0; };
    api.Configure = [](int32_t, int32_t) -> int32_t { return 0; };
    api.VCC = [](int32_t) -> int32_t { return 0; };
    api.Error_Number = []() -> int32_t {
        return ScriptedUpdate::openError != 0 ? ScriptedUpdate::openError : 7;
    };
    api.Error_String = [](int32_t n) -> const char* {
        return n == 7 ? "update error text" : "other";
    };
    api.FET_GetFwVersion = [](int32_t* v) -> int32_t {
        *v = ScriptedUpdate::version;
        return 0;
    };
    api.FET_FwUpdate = [](const char*, MSP430_FwUpdateCallback cb, void* context) -> int32_t {
        for (const auto& [step, value] : ScriptedUpdate::steps) {
            cb(step, value, 0, context);
            auto* dlg = static_cast<gui::CMSP_FET430UIF_SetupDlg*>(context);
            ScriptedUpdate::seen.push_back(dlg->GetItemText(1179) + "|" +
                                           (dlg->IsItemEnabled(1177) ? "on" : "off") + "|" +
                                           std::to_string(dlg->GetPos(1178)));
        }
        ScriptedUpdate::version = 20409001;
        return ScriptedUpdate::result;
    };
    return api;
}

TEST_F(ActionsTest, UpdateDialogSteps) {
    Config();
    const core::DebugApi api = ScriptedApi();
    ScriptedUpdate::steps = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 40}, {4, 150},
                             {5, 0}, {8, 0}, {6, 0}, {0, 0}, {7, 0}};
    ScriptedUpdate::seen.clear();
    std::string before;
    std::string after;
    std::string status;
    Run([&](ui::Driver& d) {
        core::DebugApiUse(&api);
        session().OnDialog(221, [&](ui::Driver& f) {
            before = f.Target().GetItemText(1182);
            EXPECT_EQ(f.Target().GetItemText(1179), "0");
            f.Click(1177);
            after = f.Target().GetItemText(1182);
            status = f.Target().GetItemText(1179);
            EXPECT_EQ(f.Target().GetPos(1178), 100);
        });
        gui::AdapterFirmwareUpdateRun();
        (void)d;
    });
    const std::vector<std::string> expected = {
        "Initializing Bootloader...|off|0",
        "Erasing Interrupt Vectors...|off|0",
        "Erasing Firmware...|off|0",
        "Programming New Firmware...|off|0",
        "40|off|40",
        "100|off|100",
        "Finishing...|off|100",
        "Wait for Bootloader to timeout (ca. 10s)...|off|100",
        "Update Complete.|on|100",
        "Initializing Bootloader...|off|100",
        "update error text|on|100",
    };
    EXPECT_EQ(ScriptedUpdate::seen, expected);
    EXPECT_EQ(before, "2.01.05.007");
    EXPECT_EQ(after, "2.04.09.001");
    EXPECT_EQ(status, "100");
}

TEST_F(ActionsTest, ErasedFirmwareText) {
    Config();
    const core::DebugApi api = ScriptedApi();
    ScriptedUpdate::openError = 56;
    std::string text;
    Run([&](ui::Driver&) {
        core::DebugApiUse(&api);
        text = gui::FirmwareVersionText();
    });
    ScriptedUpdate::openError = 0;
    EXPECT_EQ(text, "Erased!");
}

} // namespace
} // namespace guitest
