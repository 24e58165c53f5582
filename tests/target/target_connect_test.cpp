#include "tests/target/target_fixture.h"

#include "core/debug_api.h"
#include "core/target_connect.h"
#include "core/target_result.h"

namespace {

using namespace core;

class TargetConnectTest : public TargetTest {};

TEST_F(TargetConnectTest, OpenKeepsAnOpenInterfaceUntilPortLibraryOrModeChange) {
    SelectDevice("149");
    ASSERT_EQ(TargetOpen(), 1);
    EXPECT_EQ(Target.TargetInterfaceOpen, 1);
    ASSERT_EQ(Calls("MSP430_Initialize"), 1u);
    const auto configures = CallsOf("MSP430_Configure");
    ASSERT_EQ(configures.size(), 2u);
    EXPECT_EQ(configures[0].args, (std::vector<int32_t>{8, 0}));  // JTAG on an F149
    EXPECT_EQ(configures[1].args, (std::vector<int32_t>{10, 0})); // RAM preserve off

    Target.TargetErrorLog = "old\r\n";
    ASSERT_EQ(TargetOpen(), 1); // same port, library and mode: nothing sent
    EXPECT_EQ(Calls("MSP430_Initialize"), 1u);
    EXPECT_EQ(Calls("MSP430_Close"), 0u);
    EXPECT_EQ(Target.TargetErrorLog, ""); // every open starts a new log

    struct Change {
        const char* what;
        void (*apply)();
        int32_t mode;
    };
    const Change changes[] = {
        {"InterfaceType 1", [] { Settings.InterfaceType = 1; }, 1},
        {"InterfaceType 2 on a JTAG-only device", [] { Settings.InterfaceType = 2; }, 0},
        {"AdapterIndex", [] { Settings.AdapterIndex = 5; }, 0},
        {"Spy-Bi-Wire device", [] { SelectDevice("2274"); }, 2},
    };
    size_t opens = 1;
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        c.apply();
        ASSERT_EQ(TargetOpen(), 1);
        EXPECT_EQ(Calls("MSP430_Close"), opens);
        EXPECT_EQ(Calls("MSP430_Initialize"), ++opens);
        EXPECT_EQ(CallsOf("MSP430_Configure")[2 * opens - 2].args,
                  (std::vector<int32_t>{8, c.mode}));
        EXPECT_EQ(Target.openMode, c.mode);
    }
}

TEST_F(TargetConnectTest, PortNamesFromTheSettings) {
    sim::Sim().usbInterfaces = {{"COM0", 0}, {"HID0004", 0}};
    struct Case {
        int32_t port;
        const char* uif;
        const char* opened;
        int32_t result;
    };
    const Case cases[] = {
        {3, "", "TIUSB", 1},
        {3, "Automatic", "TIUSB", 1},
        {3, "AUTO", "TIUSB", 1},
        {3, "HID0004", "HID0004", 1},
        {3, "COM9", "COM9", 0}, // no adapter there
        {3, "COM0-a-name-longer-than-twenty", "COM0-a-name-longer-t", 0},
        {0, "", "LPT1", 0}, // no parallel port here
        {1, "", "LPT2", 0},
        {2, "", "LPT3", 0},
        {7, "", "LPT1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.port << " " << c.uif);
        TargetClose();
        sim::Sim().Log().Clear();
        Settings.CommPortIndex = c.port;
        Settings.Selected_UIF = c.uif;
        EXPECT_EQ(TargetOpen(), c.result);
        const auto inits = CallsOf("MSP430_Initialize");
        ASSERT_EQ(inits.size(), 1u);
        EXPECT_EQ(inits[0].detail, c.opened);
        EXPECT_EQ(Target.TargetInterfaceOpen, c.result);
        // Only an interface that opened is configured.
        EXPECT_EQ(Calls("MSP430_Configure"), c.result == 1 ? 2u : 0u);
    }
    TargetClose();
    Settings.CommPortIndex = 0;
    EXPECT_EQ(TargetOpen(), 0);
    EXPECT_EQ(Debug_Error_Number(), 1); // "Could not initialize device interface"
}

TEST_F(TargetConnectTest, PowerSetOpensWhenNeededAndSetsTheSupply) {
    ConnectedDevice.TargetIdentified = 1;
    ASSERT_EQ(TargetPowerSet(1), 1);
    EXPECT_EQ(Target.TargetInterfaceOpen, 1);
    EXPECT_EQ(ConnectedDevice.TargetIdentified, 0);
    EXPECT_EQ(sim::Sim().AdapterSupply(), 3200); // VccIndex 5 by default
    EXPECT_EQ(Target.powerState, 1);
    EXPECT_EQ(TargetVccEstimate(), 0);
    EXPECT_EQ(Target.supplyScaleTop, 650);
    EXPECT_EQ(Target.TargetSupplyValue, 300);

    const int32_t table[][2] = {{0, 2200}, {1, 2400}, {4, 3000}, {7, 3600}, {-3, 2200}, {12, 3600}};
    for (const auto& [index, mv] : table) {
        SCOPED_TRACE(index);
        Settings.VccIndex = index;
        ASSERT_EQ(TargetPowerSet(1), 1);
        EXPECT_EQ(sim::Sim().AdapterSupply(), mv);
    }
    EXPECT_EQ(Calls("MSP430_Initialize"), 1u);

    ASSERT_EQ(TargetPowerSet(0), 1);
    EXPECT_EQ(sim::Sim().AdapterSupply(), 0);
    EXPECT_EQ(Target.powerState, 0);
    TargetVccEstimate();
    EXPECT_EQ(Target.TargetSupplyValue, 0);

    // A refused switch leaves the supply state as it was.
    sim::Sim().FailOperation("MSP430_VCC", 10, 1);
    EXPECT_EQ(TargetPowerSet(1), 0);
    EXPECT_EQ(Target.powerState, 0);
    EXPECT_EQ(Debug_Error_Number(), 10);

    // No interface, no supply call.
    TargetClose();
    sim::Sim().Log().Clear();
    Settings.CommPortIndex = 0;
    EXPECT_EQ(TargetPowerSet(1), 0);
    EXPECT_EQ(Calls("MSP430_VCC"), 0u);
}

// The target may be powered from a switch-on that reached the library,
// whatever its answer, until a switch-off the library confirms.
TEST_F(TargetConnectTest, TheSupplyMayBeOnUntilASwitchOffIsConfirmed) {
    EXPECT_EQ(Target.supplyMayBeOn, 0);
    sim::Sim().FailOperation("MSP430_VCC", 10, 1);
    EXPECT_EQ(TargetPowerSet(1), 0);
    EXPECT_EQ(Target.supplyMayBeOn, 1) << "a refused switch-on may have switched it on";
    ASSERT_EQ(TargetPowerSet(1), 1);
    sim::Sim().FailOperation("MSP430_VCC", 10, 1);
    EXPECT_EQ(TargetPowerSet(0), 0);
    EXPECT_EQ(Target.supplyMayBeOn, 1);
    ASSERT_EQ(TargetPowerSet(0), 1);
    EXPECT_EQ(Target.supplyMayBeOn, 0);
    // No interface: nothing reaches the library, nothing may be on.
    TargetClose();
    Settings.CommPortIndex = 0;
    EXPECT_EQ(TargetPowerSet(1), 0);
    EXPECT_EQ(Target.supplyMayBeOn, 0);
}

// The simulated library's firmware-version question failing with 56.
int32_t Erased(int32_t* version) {
    sim::Sim().FailOperation("MSP430_FET_GetFwVersion", 56, 1);
    return sim::Sim_FET_GetFwVersion(version);
}

// An initialise that reports the connect made with version -1 and a
// library whose firmware-version question says "Firmware erased -
// Bootloader active." (56): only the adapter's bootloader answered. A
// library that holds no firmware to load counts that as no open, naming
// the reason, on both ways of opening; one that can update keeps the open
// (its update is offered next). A library that answers the question, or
// gives the reason as its status, is taken at its word.
TEST_F(TargetConnectTest, AnAdapterInItsBootloaderIsNoOpenWithoutFirmwareToLoad) {
    SelectDevice("149");
    struct Case {
        const char* what;
        bool canUpdate;
        int32_t (*version)(int32_t*);
        int32_t open;
    };
    const Case cases[] = {
        {"erased, nothing to load", false, &Erased, 0},
        {"erased, given as the status", false, [](int32_t*) { return 56; }, 0},
        {"erased, the library can update", true, &Erased, 1},
        {"its firmware answers", false, &sim::Sim_FET_GetFwVersion, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool byName : {false, true}) {
            core::DebugApi api = sim::SimDebugApi();
            api.FET_GetFwVersion = c.version;
            if (!c.canUpdate) {
                api.FET_FwUpdate = nullptr;
            }
            DebugApiUse(&api);
            TargetClose();
            Target.TargetErrorLog.clear();
            sim::Sim().Log().Clear();
            EXPECT_EQ(byName ? TargetOpenUsbAdapter("COM0") : TargetOpen(), c.open);
            EXPECT_EQ(Target.TargetInterfaceOpen, c.open);
            EXPECT_EQ(Target.bootloaderOnly, c.open == 0 ? 1 : 0);
            EXPECT_EQ(Target.TargetErrorLog,
                      c.open == 0 ? "MSP-FET430UIF Firmware erased - Bootloader active.\r\n" : "");
            EXPECT_EQ(Calls("MSP430_Configure"), c.open == 1 && !byName ? 2u : 0u);
            if (c.open == 0) {
                // Nothing was powered, and another open would find the same.
                sim::Sim().Log().Clear();
                EXPECT_EQ(TargetPowerSet(0), 0);
                EXPECT_EQ(Calls("MSP430_Initialize"), 0u);
            }
        }
    }
    DebugApiUse(&sim::SimDebugApi());
}

TEST_F(TargetConnectTest, ResetMethodFromTheSetting) {
    EXPECT_EQ(TargetReset(), 0); // not open: nothing sent
    EXPECT_EQ(Calls("MSP430_Reset"), 0u);
    ASSERT_EQ(TargetPowerSet(1), 1);
    const int32_t table[][2] = {{0, 7}, {1, 1}, {2, 2}, {3, 4}, {4, 7}, {-1, 7}};
    for (const auto& [index, method] : table) {
        SCOPED_TRACE(index);
        Settings.ResetModeIndex = index;
        ASSERT_EQ(TargetReset(), 1);
        EXPECT_EQ(CallsOf("MSP430_Reset").back().args, (std::vector<int32_t>{method, 1, 1}));
    }
    EXPECT_TRUE(sim::Sim().running);
    ASSERT_EQ(TargetPowerSet(0), 1);
    EXPECT_EQ(TargetReset(), 0); // an unpowered target does not reset
    EXPECT_EQ(Debug_Error_Number(), 11);
}

TEST_F(TargetConnectTest, ListUsbAdapters) {
    sim::Sim().usbInterfaces = {{"COM0", 0}, {"COM3", 1}, {"HID0001", 0}};
    ASSERT_EQ(TargetOpen(), 1);
    EXPECT_EQ(TargetListUsbAdapters(), 3);
    EXPECT_EQ(Target.TargetInterfaceOpen, 0); // the list is built with the interface closed
    EXPECT_EQ(Calls("MSP430_Close"), 1u);
    EXPECT_EQ(Target.UsbAdapterNames[0], "COM0");
    EXPECT_EQ(Target.UsbAdapterNames[1], "COM3 (used)");
    EXPECT_EQ(Target.UsbAdapterNames[2], "HID0001");
    EXPECT_EQ(Target.UsbAdapterNames[3], "");

    struct Case {
        size_t adapters;
        int32_t result;
    };
    for (const Case c : {Case{0, 0}, Case{100, 100}, Case{101, -1}}) {
        SCOPED_TRACE(c.adapters);
        sim::Sim().usbInterfaces.assign(c.adapters, {"COM1", 0});
        EXPECT_EQ(TargetListUsbAdapters(), c.result);
        EXPECT_EQ(Target.UsbAdapterNames[0], c.result > 0 ? "COM1" : "");
    }
    sim::Sim().FailOperation("MSP430_GetNumberOfUsbIfs", 35, 1);
    EXPECT_EQ(TargetListUsbAdapters(), -1);
}

TEST_F(TargetConnectTest, OpenUsbAdapterByName) {
    sim::Sim().usbInterfaces = {{"COM0", 0}, {"COM12", 0}};
    struct Case {
        const char* name;
        const char* opened;
        int32_t result;
    };
    const Case cases[] = {
        {"Automatic", "TIUSB", 1},
        {"auto", "TIUSB", 1},
        {"COM", "TIUSB", 1},
        {nullptr, "TIUSB", 1},
        {"COM12", "COM12", 1},
        {"COM12 (used)", "COM12 (used)", 0},
        {"COM0-and-twenty-characters", "COM0-and-twenty-char", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? c.name : "null");
        const size_t closes = Calls("MSP430_Close");
        const bool wasOpen = Target.TargetInterfaceOpen != 0;
        EXPECT_EQ(TargetOpenUsbAdapter(c.name), c.result);
        EXPECT_EQ(Calls("MSP430_Close"), closes + (wasOpen ? 1 : 0));
        EXPECT_EQ(CallsOf("MSP430_Initialize").back().detail, c.opened);
        EXPECT_EQ(Target.TargetInterfaceOpen, c.result);
    }
}

// A deliverable's open rule names port and mode; with one installed a new
// port name opens again, while the default rule keeps an open USB interface
// whatever the adapter name becomes. An adopted open is kept by TargetOpen.
TEST_F(TargetConnectTest, OpenRuleAndAdoptedInterface) {
    sim::Sim().usbInterfaces = {{"COM0", 0}, {"COM12", 0}};
    SelectDevice("149");
    ASSERT_EQ(TargetOpen(), 1);
    Settings.Selected_UIF = "COM12";
    ASSERT_EQ(TargetOpen(), 1);
    EXPECT_EQ(Calls("MSP430_Initialize"), 1u);

    static TargetOpenChoice choice;
    choice = {"COM12", 3, 0, 1};
    struct RuleInstalled {
        RuleInstalled() {
            TargetOpenRuleSet([] { return choice; });
        }
        ~RuleInstalled() { TargetOpenRuleSet(nullptr); }
    } rule;
    ASSERT_EQ(TargetOpen(), 1);
    EXPECT_EQ(Calls("MSP430_Initialize"), 2u);
    EXPECT_EQ(CallsOf("MSP430_Initialize").back().detail, "COM12");
    EXPECT_EQ(CallsOf("MSP430_Configure").back().args, (std::vector<int32_t>{10, 0}));
    EXPECT_EQ(CallsOf("MSP430_Configure").rbegin()[1].args, (std::vector<int32_t>{8, 1}));

    ASSERT_EQ(TargetOpenUsbAdapter("COM0"), 1);
    choice.portName = "COM0";
    TargetOpenAdopt();
    EXPECT_EQ(CallsOf("MSP430_Configure").rbegin()[1].args, (std::vector<int32_t>{8, 1}));
    ASSERT_EQ(TargetOpen(), 1);
    EXPECT_EQ(Calls("MSP430_Initialize"), 3u);
}

TEST_F(TargetConnectTest, CloseMapsItsStatus) {
    ASSERT_EQ(TargetOpen(), 1);
    EXPECT_EQ(TargetClose(), 1);
    EXPECT_EQ(Target.TargetInterfaceOpen, 0);
    EXPECT_EQ(TargetClose(), 0); // the library reports a closed interface with -1
    EXPECT_EQ(Target.TargetLastErrorText, "");
}

} // namespace
