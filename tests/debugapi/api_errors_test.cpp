// The failures the debug API reports: 34 before an interface is open (35
// for configure), 35 when the link fails and 34 after it, 3 for bad
// arguments before any traffic, 1 for a port of no kind and for the
// parallel port, 62 from the BSL guard.

#include "core/debug_lib.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/link_timing.h"
#include "tests/debugapi/debugapi_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace debugapi_test {
namespace {

using ::testing::IsEmpty;
using ::testing::Not;

constexpr int32_t kWrite = 0;
constexpr int32_t kRead = 1;

struct Call {
    const char* what;
    std::function<int32_t(const core::DebugApi&)> call;
    int32_t error;
};

TEST(ApiErrorsTest, NothingReachesAnAdapterBeforeTheInterfaceIsOpen) {
    for (const Route route : {Route::kLibraryPty, Route::kInProcessPty}) {
        SCOPED_TRACE(RouteName(route));
        ApiBench b(route, "149");
        ASSERT_TRUE(b.ok()) << b.error();
        if (route == Route::kLibraryPty) {
            ASSERT_EQ(core::DebugLibLoad(), 1);
        }
        char buffer[80] = {};
        int32_t value = 0;
        int32_t state = 0;
        const Call calls[] = {
            {"close", [](const core::DebugApi& a) { return a.Close(1); }, 34},
            {"identify", [&](const core::DebugApi& a) { return a.Identify(buffer, 80, 0); }, 34},
            {"configure", [](const core::DebugApi& a) { return a.Configure(8, 0); }, 35},
            {"supply", [](const core::DebugApi& a) { return a.VCC(3000); }, 34},
            {"reset", [](const core::DebugApi& a) { return a.Reset(7, 0, 0); }, 34},
            {"fuse", [](const core::DebugApi& a) { return a.Secure(); }, 34},
            {"verify", [&](const core::DebugApi& a) { return a.VerifyMem(0x1100, 4, buffer); }, 34},
            {"erase check", [](const core::DebugApi& a) { return a.EraseCheck(0x1100, 4); }, 34},
            {"registers", [&](const core::DebugApi& a) { return a.RegisterAccess(&value, 0, 1); },
             34},
            {"run", [](const core::DebugApi& a) { return a.RunCpu(1, 0); }, 34},
            {"state", [&](const core::DebugApi& a) { return a.CpuState(&state, 0, &value); }, 34},
            {"supply reading", [&](const core::DebugApi& a) { return a.ReadSupply(&value); }, 34},
            // No device is identified: the range checks speak first.
            {"erase", [](const core::DebugApi& a) { return a.Erase(1, 0x1100, 0x100); }, 3},
            {"memory", [&](const core::DebugApi& a) { return a.Memory(0x1100, buffer, 2, kRead); },
             3},
        };
        for (const Call& c : calls) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(c.call(b.api()), -1);
            EXPECT_EQ(b.LastError(), c.error);
        }
        EXPECT_THAT(b.bench.serial.Requests(), IsEmpty());
    }
}

TEST(ApiErrorsTest, ALinkThatFailsEveryTryGives35AndThen34UntilTheNextInitialise) {
    for (const Route route : {Route::kLibraryPty, Route::kInProcessPty, Route::kInProcessHid}) {
        SCOPED_TRACE(RouteName(route));
        ApiBench b(route, "149");
        ASSERT_TRUE(b.ok()) << b.error();
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        // Every try's reply fails its check sum.
        sim::EmuFaults faults;
        faults.corrupt = 3;
        b.emu().SetFaults(faults);
        char buffer[4] = {};
        EXPECT_EQ(b.api().Memory(0x1100, buffer, 4, kRead), -1);
        EXPECT_EQ(b.LastError(), 35);
        if (route != Route::kInProcessHid) {
            EXPECT_EQ(b.emu().Requests().size(), 3u) << "three tries";
        }

        b.emu().SetFaults({});
        b.emu().ClearTrace();
        EXPECT_EQ(b.api().Memory(0x1100, buffer, 4, kRead), -1);
        EXPECT_EQ(b.LastError(), 34);
        EXPECT_EQ(b.api().Configure(8, 0), -1);
        EXPECT_EQ(b.LastError(), 35);
        EXPECT_THAT(b.emu().Requests(), IsEmpty());

        int32_t version = 0;
        ASSERT_EQ(b.api().Initialize(b.Port().c_str(), &version), 0) << b.LastError();
        EXPECT_EQ(b.api().Memory(0x1100, buffer, 4, kRead), 0) << b.LastError();
        EXPECT_EQ(b.api().Close(1), 0);
    }
}

TEST(ApiErrorsTest, BadArgumentsGive3BeforeAnyTraffic) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    const int32_t end = static_cast<int32_t>(debugif::gDeviceId.identifyRecord.MainEnd());
    char buffer[80] = {};
    int32_t value = 0;
    int32_t state = 0;
    char* name = nullptr;
    const Call calls[] = {
        {"identify, no buffer", [](const core::DebugApi& a) { return a.Identify(nullptr, 80, 0); },
         3},
        {"identify, count -1", [&](const core::DebugApi& a) { return a.Identify(buffer, -1, 0); },
         3},
        {"identify, row -1", [&](const core::DebugApi& a) { return a.Identify(buffer, 80, -1); },
         3},
        {"identify, row past the table",
         [&](const core::DebugApi& a) { return a.Identify(buffer, 80, 5000); }, 3},
        {"memory, no buffer",
         [](const core::DebugApi& a) { return a.Memory(0x1100, nullptr, 2, kRead); }, 3},
        {"memory, count -1",
         [&](const core::DebugApi& a) { return a.Memory(0x1100, buffer, -1, kRead); }, 3},
        {"memory, address -1",
         [&](const core::DebugApi& a) { return a.Memory(-1, buffer, 2, kRead); }, 3},
        {"memory, past the flash end",
         [&](const core::DebugApi& a) { return a.Memory(end - 1, buffer, 4, kWrite); }, 3},
        {"erase, type 3", [](const core::DebugApi& a) { return a.Erase(3, 0x1100, 2); }, 3},
        {"erase, odd address", [](const core::DebugApi& a) { return a.Erase(0, 0x1101, 2); }, 3},
        {"erase, address 0", [](const core::DebugApi& a) { return a.Erase(0, 0, 2); }, 3},
        {"erase, past the flash end",
         [&](const core::DebugApi& a) { return a.Erase(1, 0x1100, end - 0x1100 + 2); }, 3},
        {"erase, length -2", [](const core::DebugApi& a) { return a.Erase(0, 0x1100, -2); }, 3},
        {"verify, address -1", [&](const core::DebugApi& a) { return a.VerifyMem(-1, 2, buffer); },
         3},
        {"verify, length -1",
         [&](const core::DebugApi& a) { return a.VerifyMem(0x1100, -1, buffer); }, 3},
        {"state, no state", [&](const core::DebugApi& a) { return a.CpuState(nullptr, 0, &value); },
         3},
        {"supply reading, no value", [](const core::DebugApi& a) { return a.ReadSupply(nullptr); },
         3},
        {"register, no value",
         [](const core::DebugApi& a) { return a.RegisterAccess(nullptr, 0, 1); }, 3},
        {"register 16 written",
         [&](const core::DebugApi& a) { return a.RegisterAccess(&value, 16, 0); }, 32},
        {"register 16 read",
         [&](const core::DebugApi& a) { return a.RegisterAccess(&value, 16, 1); }, 33},
        {"register -1 read",
         [&](const core::DebugApi& a) { return a.RegisterAccess(&value, -1, 1); }, 33},
        {"USB list, no count", [](const core::DebugApi& a) { return a.GetNumberOfUsbIfs(nullptr); },
         3},
        {"USB name before any list",
         [&](const core::DebugApi& a) { return a.GetNameOfUsbIf(0, &name, &state); }, 1},
        {"USB name, no name",
         [&](const core::DebugApi& a) { return a.GetNameOfUsbIf(0, nullptr, &state); }, 3},
        {"USB name, no status",
         [&](const core::DebugApi& a) { return a.GetNameOfUsbIf(0, &name, nullptr); }, 3},
        {"initialise, no port",
         [&](const core::DebugApi& a) { return a.Initialize(nullptr, &value); }, 3},
    };
    for (const Call& c : calls) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(b.api()), -1);
        EXPECT_EQ(b.LastError(), c.error);
        EXPECT_THAT(b.bench.serial.Requests(), IsEmpty());
    }
}

TEST(ApiErrorsTest, AnEmptyMemoryAccessIsDoneWithoutTouchingAnything) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    debugif::Api.LastErrorNumber = 77;
    char buffer[2] = {};
    for (const int32_t rw : {kWrite, kRead}) {
        EXPECT_EQ(b.api().Memory(0x1101, buffer, 0, rw), 0);
        EXPECT_EQ(debugif::Api.LastErrorNumber, 77);
    }
    EXPECT_THAT(b.bench.serial.Requests(), IsEmpty());
}

TEST(ApiErrorsTest, AnEraseBeforeIdentificationGives3) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    int32_t version = 0;
    ASSERT_EQ(b.api().Initialize("COM150", &version), 0);
    ASSERT_EQ(b.api().VCC(3000), 0);
    b.emu().ClearTrace();
    EXPECT_EQ(b.api().Erase(1, 0x1100, 0x100), -1);
    EXPECT_EQ(b.LastError(), 3);
    EXPECT_THAT(b.emu().Requests(), IsEmpty());
}

TEST(ApiErrorsTest, ThePortNameChoosesTheInterface) {
    struct Case {
        const char* port;
        int32_t result;
        int32_t error;
        int32_t kind;
        int32_t version; // -2: not looked at
    };
    const Case cases[] = {
        {"LPT1", -1, 1, debugif::kInterfaceParallel, 20400000},
        {"1", -1, 1, debugif::kInterfaceParallel, 20400000},
        {"3", -1, 1, debugif::kInterfaceParallel, 20400000},
        {"4", -1, 1, debugif::kInterfaceNone, -2},
        {"xyz", -1, 1, debugif::kInterfaceNone, -2},
        {"", -1, 1, debugif::kInterfaceNone, -2},
        {"COM150", 0, 0, debugif::kInterfaceUsb, -1},
        {"COM999", -1, 57, debugif::kInterfaceUsb, -1},
        {"TIUSB", 0, 0, debugif::kInterfaceUsb, -1},
        {"HID0001", 0, 0, debugif::kInterfaceUsb, -1},
        // An adapter name wins over a parallel-port look-alike.
        {"1LPTCOM150", -1, 57, debugif::kInterfaceUsb, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        ApiBench b(Route::kInProcessPty, "149");
        ASSERT_TRUE(b.ok()) << b.error();
        int32_t version = 7;
        EXPECT_EQ(b.api().Initialize(c.port, &version), c.result);
        EXPECT_EQ(b.LastError(), c.error);
        EXPECT_EQ(debugif::Api.InterfaceKind, c.kind);
        if (c.version != -2) {
            EXPECT_EQ(version, c.version);
        }
        if (c.result == 0) {
            EXPECT_EQ(b.api().Close(0), 0);
        }
    }
}

TEST(ApiErrorsTest, TheParallelPortNeverOpens) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    for (const char* port : {"LPT1", "1"}) {
        int32_t version = 0;
        ASSERT_EQ(b.api().Initialize(port, &version), -1) << port;
        EXPECT_EQ(b.LastError(), 1) << port;
        EXPECT_EQ(version, 20400000) << port;
    }
    // The kind stays chosen; what follows runs against a port that refuses
    // every shift, so identification gives up after its bounded tries.
    char buffer[80] = {};
    EXPECT_EQ(b.api().Identify(buffer, 80, 0), -1);
    EXPECT_EQ(b.LastError(), 4);
    EXPECT_EQ(b.api().VCC(3000), -1);
    EXPECT_EQ(b.LastError(), 10);
    EXPECT_EQ(b.api().VCC(3601), -1);
    EXPECT_EQ(b.LastError(), 3);
    EXPECT_EQ(b.api().Configure(0, 1), 0);
    EXPECT_EQ(b.api().Configure(8, 1), -1);
    EXPECT_EQ(b.LastError(), 3);
    EXPECT_EQ(b.api().Secure(), -1);
    EXPECT_EQ(b.LastError(), 34);
    int32_t millivolts = 7;
    EXPECT_EQ(b.api().ReadSupply(&millivolts), 0);
    EXPECT_EQ(millivolts, 0) << "nothing was supplied";
    EXPECT_EQ(b.api().Close(0), -1);
    EXPECT_EQ(b.LastError(), 2);
    EXPECT_THAT(b.bench.serial.Requests(), IsEmpty());
}

TEST(ApiErrorsTest, OnlyABootloadersVersionIsPassedOn) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    b.bench.serial.Locked([&] {
        b.bench.serial.handler.adapter_data = {'E', 'M', 0, 0};
        return 0;
    });
    int32_t version = 0;
    ASSERT_EQ(b.api().Initialize("COM150", &version), 0) << b.LastError();
    EXPECT_EQ(version, 20400000);
}

// Only the adapter's bootloader answers: the initialise reports the
// connect made (version -1), and the firmware-version question names the
// reason, 56; the core's open, which cannot load firmware through this
// library, fails with it, as quill-demo and Quillbay then report it.
TEST(ApiErrorsTest, AnAdapterInItsBootloaderIsNamedByItsFirmwareQuestion) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    debugif::LinkTiming.serial_read_total_ms = 40;
    debugif::LinkTiming.serial_read_interval_ms = 20;
    debugif::LinkTiming.bootloader_probe_delay_ms = 1;
    sim::EmuFaults bootloader;
    bootloader.bootloader = true;
    b.emu().SetFaults(bootloader);
    int32_t version = 0;
    ASSERT_EQ(b.api().Initialize("COM150", &version), 0) << b.LastError();
    EXPECT_EQ(version, -1);
    int32_t firmware = 7;
    EXPECT_EQ(b.api().FET_GetFwVersion(&firmware), -1);
    EXPECT_EQ(b.LastError(), 56);
    EXPECT_EQ(firmware, 7);

    core::DebugApi table = b.api();
    table.Error_Number = [] { return debugif::Api.LastErrorNumber; };
    core::DebugApiUse(&table);
    core::Settings.CommPortIndex = 3;
    core::Settings.Selected_UIF = "COM150";
    EXPECT_EQ(core::TargetOpen(), 0);
    EXPECT_EQ(core::Target.bootloaderOnly, 1);
    EXPECT_EQ(core::Debug_Error_Number(), 56);
    EXPECT_EQ(core::Target.TargetErrorLog,
              "MSP-FET430UIF Firmware erased - Bootloader active.\r\n");
    EXPECT_EQ(b.emu().Locked([&] { return b.emu().target.AdapterSupply(); }), 0);

    // Firmware loaded meanwhile: the next connect finds it, and its
    // answers are not taken for those the silent tries were owed.
    b.emu().SetFaults({});
    EXPECT_EQ(b.api().Initialize("COM150", &version), 0) << b.LastError();
    EXPECT_EQ(b.api().FET_GetFwVersion(&firmware), 0) << b.LastError();
    debugif::LinkTiming.Reset();
}

// F149: the ROM bootstrap loader at 0x0C00 .. 0x0FFF. F5438: its BSL
// flash stays protected even when unlocked.
TEST(ApiErrorsTest, TheBslGuardRefusesUntilUnlockedAndWithdrawsTheUnlock) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    const core::IdentifyRecord& id = debugif::gDeviceId.identifyRecord;
    ASSERT_EQ(id.BslStart(), 0x0C00);
    ASSERT_EQ(id.BslEnd(), 0x0FFF);
    char bytes[4] = {1, 2, 3, 4};

    EXPECT_EQ(b.api().Erase(0, 0x0C00, 2), -1);
    EXPECT_EQ(b.LastError(), 62);
    EXPECT_EQ(b.api().Erase(0, 0x0FFE, 2), -1);
    EXPECT_EQ(b.LastError(), 62);
    // Any overlap is refused, also of a write that starts below the range,
    // and before anything of it is written.
    EXPECT_EQ(b.api().Memory(0x0BFD, bytes, 4, kWrite), -1);
    EXPECT_EQ(b.LastError(), 62);
    EXPECT_EQ(b.api().Memory(0x0FFF, bytes, 1, kWrite), -1);
    EXPECT_EQ(b.LastError(), 62);
    EXPECT_THAT(b.emu().Requests(), IsEmpty());
    // Reads are not guarded; the range's neighbours are not either.
    EXPECT_EQ(b.api().Memory(0x0C00, bytes, 4, kRead), 0) << b.LastError();
    EXPECT_EQ(b.api().Memory(0x1000, bytes, 2, kWrite), 0) << b.LastError();

    ASSERT_EQ(b.api().Configure(11, 1), 0);
    EXPECT_EQ(debugif::Api.BslUnlock, 1);
    b.emu().ClearTrace();
    b.api().Erase(0, 0x0C00, 2);
    EXPECT_NE(b.LastError(), 62);
    EXPECT_THAT(b.emu().Ids(), ::testing::ElementsAre(12)) << "the erase reached the adapter";
    b.api().Memory(0x0BFE, bytes, 4, kWrite);
    EXPECT_NE(b.LastError(), 62);
    EXPECT_EQ(debugif::Api.BslUnlock, 1) << "an allowed access keeps the unlock";

    // The F543x types stay protected: the refusal takes the unlock back.
    ASSERT_TRUE(b.bench.SelectDevice("5438"));
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    ASSERT_NE(id.BslEnd(), 0);
    const int32_t bsl = id.BslStart();
    ASSERT_EQ(b.api().Configure(11, 1), 0);
    EXPECT_EQ(b.api().Erase(0, bsl, 2), -1);
    EXPECT_EQ(b.LastError(), 62);
    EXPECT_EQ(debugif::Api.BslUnlock, 0);
    EXPECT_EQ(b.api().Memory(bsl, bytes, 2, kWrite), -1);
    EXPECT_EQ(b.LastError(), 62);
}

TEST(ApiErrorsTest, ABslRangeOf0To0IsNoBsl) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    debugif::gDeviceId.identifyRecord.SetBslStart(0);
    debugif::gDeviceId.identifyRecord.SetBslEnd(0);
    char bytes[2] = {0, 0};
    EXPECT_EQ(b.api().Memory(0x0000, bytes, 2, kWrite), 0) << b.LastError();
    EXPECT_THAT(b.emu().Ids(), Not(IsEmpty()));
}

} // namespace
} // namespace debugapi_test
