// The order of Quillbay's start-up as the operator and the adapter see it.

#include "gui/command_line.h"
#include "gui/main_dialog.h"
#include "gui/startup_load.h"
#include "gui/startup_view.h"
#include "tests/gui/gui_fixture.h"

namespace guitest {
namespace {

struct StartupCase {
    const char* name;
    const char* commandLine; // "@" stands for the working directory
    bool configFile;         // "config.ini" selects the USB adapter
    bool setupFile;          // "my setups/a.cfg" exists and selects the USB adapter
    std::vector<std::string> expected;
    const char* configExtra = ""; // more lines of "config.ini"
};

const char* const kLibraryBox = "box [Error] \"MSP430-xx.dll open error.";

class StartupOrderTest : public GuiTest, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupOrderTest, LoadsBeforeTheLibraryAndStartsTheTimerLast) {
    const StartupCase& c = GetParam();
    if (c.configFile) {
        WriteConfig(c.configExtra);
    }
    std::filesystem::create_directory(dir_.File("my setups"));
    if (c.setupFile) {
        testsupport::WriteFile(dir_.File("my setups/a.cfg"),
                               "CommPortIndex 3\r\nSelected_UIF\t\tTIUSB\r\nVccIndex 2\r\n");
    }
    std::string line = c.commandLine;
    for (size_t at; (at = line.find('@')) != std::string::npos;) {
        line.replace(at, 1, dir_.path().string());
    }
    gui::CommandLine.CommandLineText = line;

    ui::TestSession session;
    session.OnDialog(gui::kStartupViewId, [](ui::Driver& d) { d.Advance(gui::kStartupViewMs); });
    session.OnDialog(107, [](ui::Driver& d) { d.Close(); });
    gui::MainDialog dialog;
    dialog.DoModal();

    std::vector<std::string> expected;
    for (std::string e : c.expected) {
        for (size_t at; (at = e.find('@')) != std::string::npos;) {
            e.replace(at, 1, dir_.path().string());
        }
        expected.push_back(e);
    }
    const std::vector<std::string> seen =
        LinesWith({"[202] open", "box [", "debug MSP430_Initialize", "debug MSP430_VCC",
                   "[107] menu 153", "[107] timer 5 set", "[107] run WM_CLOSE"});
    ASSERT_EQ(seen.size(), expected.size()) << ui::TranscriptText();
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].find(expected[i]), 0u) << "line " << i << "\n" << ui::TranscriptText();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartupOrderTest,
    ::testing::Values(
        StartupCase{"NoOptions",
                    "",
                    true,
                    false,
                    {"[202] open", kLibraryBox, "debug MSP430_Initialize(TIUSB)",
                     "debug MSP430_VCC(0)", "[107] timer 5 set 1500 ms", "[107] run WM_CLOSE"}},
        // No "config.ini" yet: its box, then every setting at its default
        // (the parallel port, which does not open).
        StartupCase{"NoConfigYet",
                    "",
                    false,
                    false,
                    {"[202] open",
                     "box [Error] \"Open File or Read File Error\\r\\n\\r\\n@/config.ini\"",
                     kLibraryBox, "debug MSP430_Initialize(LPT1)", "debug MSP430_Initialize(LPT1)",
                     "[107] timer 5 set 1500 ms", "[107] run WM_CLOSE"}},
        // Any option hides the picture.
        StartupCase{"SetupFile",
                    "-sf @/my setups/a.cfg",
                    false,
                    true,
                    {kLibraryBox, "debug MSP430_Initialize(TIUSB)", "debug MSP430_VCC(0)",
                     "[107] timer 5 set 1500 ms", "[107] run WM_CLOSE"}},
        StartupCase{"MissingSetupFile",
                    "-sf @/my setups/a.cfg",
                    true,
                    false,
                    {"box [Error] \"Open File or Read File Error\\r\\n\\r\\n@/my setups/a.cfg\"",
                     kLibraryBox, "debug MSP430_Initialize(LPT1)", "debug MSP430_Initialize(LPT1)",
                     "[107] timer 5 set 1500 ms", "[107] run WM_CLOSE"}},
        // A project takes the place of the setup file: no setup is read,
        // only the missing project gives its box.
        StartupCase{"MissingSetupFileWithProject",
                    "-sf @/my setups/a.cfg -prj @/p.prj",
                    true,
                    false,
                    {"box [Error] \"Open File or Read File Error\\r\\n\\r\\n@/p.prj\"", kLibraryBox,
                     "debug MSP430_Initialize(LPT1)", "debug MSP430_Initialize(LPT1)",
                     "[107] timer 5 set 1500 ms", "[107] run WM_CLOSE"}},
        StartupCase{"BareDash",
                    "-",
                    true,
                    false,
                    {kLibraryBox, "debug MSP430_Initialize(TIUSB)", "debug MSP430_VCC(0)",
                     "[107] timer 5 set 1500 ms", "[107] run WM_CLOSE"}},
        // Fuse blowing loaded on: the question comes once the target is
        // unpowered, before the timer.
        StartupCase{"FuseQuestion",
                    "-nf",
                    true,
                    false,
                    {kLibraryBox, "debug MSP430_Initialize(TIUSB)", "debug MSP430_VCC(0)",
                     "box [Warning] \"Blow the Security Fuse Procedure is NOT reversible!!!\\r\\n"
                     "When Fuse is blown, then microcontroller\\r\\n"
                     "is not accessible via the JTAG interface.\\r\\n\\r\\n"
                     "Would you like to enable the option of blowing the Security Fuse?"
                     "\\r\\n\\r\\n\" flags 0x34",
                     "[107] timer 5 set 1500 ms", "[107] run WM_CLOSE"},
                    "BlowFuseEnable 1\r\n"},
        // "-lock": the window locks once it exists (the load ran before it),
        // and a locked setup asks nothing about the fuse.
        StartupCase{"Lock",
                    "-lock",
                    true,
                    false,
                    {kLibraryBox, "debug MSP430_Initialize(TIUSB)", "debug MSP430_VCC(0)",
                     "[107] menu 153 grayed", "[107] timer 5 set 1500 ms", "[107] run WM_CLOSE"},
                    "BlowFuseEnable 1\r\n"}),
    [](const ::testing::TestParamInfo<StartupCase>& info) { return std::string(info.param.name); });

TEST_F(GuiTest, SetupFileValueWithBlanksIsReadWhole) {
    std::filesystem::create_directory(dir_.File("my setups"));
    testsupport::WriteFile(dir_.File("my setups/a.cfg"), "VccIndex 2\r\n");
    gui::CommandLine.CommandLineText = "-sf " + dir_.File("my setups/a.cfg") + " -nf";
    ui::TestSession session;
    session.OnDialog(107, [](ui::Driver& d) {
        EXPECT_EQ(d.Target().GetItemText(1028), "2.6 V");
        d.Close();
    });
    gui::MainDialog dialog;
    dialog.DoModal();
    EXPECT_EQ(core::Settings.VccIndex, 2);
    EXPECT_EQ(gui::Startup.ConfigPath, dir_.File("config.ini"));
    EXPECT_EQ(gui::Startup.CurrentDirectory, dir_.path().string());
}

} // namespace
} // namespace guitest
