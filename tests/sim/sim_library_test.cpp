#include "tests/sim/sim_fixture.h"

#include "core/identify_record.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace sim;

class SimLibraryTest : public SimTest {
protected:
    static int32_t Open(const char* port = "TIUSB") {
        int32_t version = 0;
        return Sim_Initialize(port, &version);
    }
    // Open, powered and identified.
    static void Connect(std::string_view device) {
        Board(device);
        ASSERT_EQ(Open(), 0);
        ASSERT_EQ(Sim_VCC(3000), 0);
        char buffer[80];
        ASSERT_EQ(Sim_Identify(buffer, 80, 0), 0);
    }
    static int32_t Error() { return Sim_Error_Number(); }
};

TEST_F(SimLibraryTest, InitializeTakesOnlyAdapterPortsItCanFind) {
    sim::Sim().usbInterfaces = {{"COM0", 0}, {"HID0003", 0}, {"COM5", 1}};
    struct Case {
        const char* port;
        int32_t result;
        int32_t error;
    };
    const Case cases[] = {
        {"TIUSB", 0, 0},  {"USB", 0, 0},   {"COM0", 0, 0}, {"HID0003", 0, 0}, {"COM7", -1, 57},
        {"COM5", -1, 58}, {"LPT1", -1, 1}, {"2", -1, 1},   {"serial", -1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        int32_t version = 0;
        EXPECT_EQ(Sim_Initialize(c.port, &version), c.result);
        if (c.result == 0) {
            EXPECT_EQ(version, -1); // only a bootloader's version is passed on
            EXPECT_EQ(Sim_Close(0), 0);
        } else {
            EXPECT_EQ(Error(), c.error);
        }
    }
    int32_t version = 0;
    EXPECT_EQ(Sim_Initialize(nullptr, &version), -1);
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Sim_Initialize("TIUSB", nullptr), -1);
    EXPECT_EQ(Error(), 3);

    // An adapter held open is in use for everyone else.
    sim::Sim().usbInterfaces = {{"COM0", 0}};
    ASSERT_EQ(Open("TIUSB"), 0);
    EXPECT_EQ(sim::Sim().usbInterfaces[0].inUse, 1);
    ASSERT_EQ(Sim_Close(0), 0);
    EXPECT_EQ(sim::Sim().usbInterfaces[0].inUse, 0);

    sim::Sim().firmwareVersion = 20400000;
    EXPECT_EQ(Sim_Initialize("TIUSB", &version), 0);
    EXPECT_EQ(version, 20400000);
}

TEST_F(SimLibraryTest, EntriesNeedAnOpenInterface) {
    char buffer[80];
    int32_t value = 0;
    struct Case {
        const char* name;
        int32_t result;
        int32_t error;
    };
    const Case cases[] = {
        {"Close", Sim_Close(0), 34},
        {"Identify", Sim_Identify(buffer, 80, 0), 34},
        {"Configure", Sim_Configure(8, 0), 35},
        {"VCC", Sim_VCC(3000), 34},
        {"Reset", Sim_Reset(7, 1, 1), 34},
        {"Secure", Sim_Secure(), 34},
        {"VerifyMem", Sim_VerifyMem(0x1100, 2, buffer), 34},
        {"EraseCheck", Sim_EraseCheck(0x1100, 2), 34},
        {"FET_GetFwVersion", Sim_FET_GetFwVersion(&value), 34},
        {"FET_FwUpdate", Sim_FET_FwUpdate(nullptr, nullptr, nullptr), 34},
        {"RegisterAccess", Sim_RegisterAccess(&value, 0, 1), 34},
        {"RunCpu", Sim_RunCpu(0, 0), 34},
        {"CpuState", Sim_CpuState(&value, 0, nullptr), 34},
        {"ReadSupply", Sim_ReadSupply(&value), 34},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, -1);
    }
    // Each entry left its own number; check them in call order.
    const auto& calls = sim::Sim().Log().Calls();
    ASSERT_EQ(calls.size(), std::size(cases));
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(calls[i].text);
        EXPECT_EQ(calls[i].error, cases[i].error);
    }
}

TEST_F(SimLibraryTest, IdentifyHandsOutTheRecordOfTheBoard) {
    Board("149");
    ASSERT_EQ(Open(), 0);
    std::array<char, 100> buffer;
    buffer.fill('\x5A');
    EXPECT_EQ(Sim_Identify(buffer.data(), 100, 0), -1); // no supply
    EXPECT_EQ(Error(), 4);

    ASSERT_EQ(Sim_VCC(3000), 0);
    sim::Sim().running = true;
    ASSERT_EQ(Sim_Identify(buffer.data(), 100, 0), 0);
    EXPECT_FALSE(sim::Sim().running); // identify stops the CPU
    core::IdentifyRecord record;
    std::memcpy(record.MutableBytes().data(), buffer.data(), 80);
    EXPECT_EQ(record.Marker(), 0xAA55);
    EXPECT_EQ(record.Row(), 7);
    EXPECT_EQ(record.Name(), "MSP430F149");
    EXPECT_EQ(record.MainStart(), 0x1100);
    EXPECT_EQ(record.RamEnd(), 0x09FF);
    EXPECT_EQ(record.MainEnd(), 0xFFFFu);
    EXPECT_EQ(buffer[80], '\x5A'); // 80 bytes at most

    std::array<char, 8> shortBuffer;
    shortBuffer.fill('\x5A');
    ASSERT_EQ(Sim_Identify(shortBuffer.data(), 4, 0), 0);
    EXPECT_EQ(static_cast<uint8_t>(shortBuffer[0]), 0x55);
    EXPECT_EQ(shortBuffer[4], '\x5A');

    EXPECT_EQ(Sim_Identify(nullptr, 80, 0), -1);
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Sim_Identify(buffer.data(), -1, 0), -1);
    EXPECT_EQ(Error(), 3);

    // A forced row is taken as it is.
    ASSERT_EQ(Sim_Identify(buffer.data(), 80, 84), 0);
    std::memcpy(record.MutableBytes().data(), buffer.data(), 80);
    EXPECT_EQ(record.Name(), "MSP430F2481");
    EXPECT_EQ(Sim_Identify(buffer.data(), 80, 200), -1);
    EXPECT_EQ(Error(), 5);

    // A blown fuse answers with status 8.
    ASSERT_EQ(Sim_Secure(), 0);
    EXPECT_EQ(Sim_Identify(buffer.data(), 80, 0), 8);
    EXPECT_EQ(Error(), 8);
}

TEST_F(SimLibraryTest, EraseAndMemoryCheckTheirArgumentsFirst) {
    Board("149");
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(Sim_VCC(3000), 0);
    char buffer[4] = {};
    EXPECT_EQ(Sim_Erase(0, 0xF000, 2), -1); // nothing identified yet
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Sim_Memory(0xF000, buffer, 2, 1), -1);
    EXPECT_EQ(Error(), 3);

    char record[80];
    ASSERT_EQ(Sim_Identify(record, 80, 0), 0);
    struct Case {
        int32_t type, address, length, error;
    };
    const Case erases[] = {
        {3, 0xF000, 2, 3}, {0, 0, 2, 3},       {0, 0xF001, 2, 3},
        {1, 0xFFFE, 4, 3}, {0, 0x0C00, 2, 62}, {0, 0xF000, 2, 0},
    };
    for (const Case& c : erases) {
        SCOPED_TRACE(testing::Message() << c.type << " " << std::hex << c.address);
        EXPECT_EQ(Sim_Erase(c.type, c.address, c.length), c.error == 0 ? 0 : -1);
        if (c.error != 0) {
            EXPECT_EQ(Error(), c.error);
        }
    }
    EXPECT_EQ(Sim_Memory(0xFFFF, buffer, 2, 1), -1); // past the flash end
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Sim_Memory(-2, buffer, 2, 1), -1);
    EXPECT_EQ(Sim_Memory(0xF000, nullptr, 2, 1), -1);
    EXPECT_EQ(Sim_Memory(0xF000, buffer, -1, 1), -1);
    EXPECT_EQ(Error(), 3);
    const size_t before = sim::Sim().Log().Calls().size();
    EXPECT_EQ(Sim_Memory(0xF000, buffer, 0, 0), 0);
    EXPECT_EQ(sim::Sim().Log().Calls().size(), before + 1);

    // Bytes round-trip through flash, odd edges included.
    const char data[3] = {0x11, 0x22, 0x33};
    ASSERT_EQ(Sim_Memory(0xF001, const_cast<char*>(data), 3, 0), 0);
    char back[3] = {};
    ASSERT_EQ(Sim_Memory(0xF001, back, 3, 1), 0);
    EXPECT_EQ(std::memcmp(back, data, 3), 0);
    EXPECT_EQ(Sim_VerifyMem(0xF001, 3, const_cast<char*>(data)), 0);
    EXPECT_EQ(Sim_EraseCheck(0xF000, 4), -1);
    EXPECT_EQ(Error(), 28);
    EXPECT_EQ(Sim_EraseCheck(0xF004, 0x100), 0);
}

TEST_F(SimLibraryTest, TheBootstrapLoaderNeedsTheUnlockAndSomePartsKeepItShut) {
    Connect("149"); // BSL 0x0C00..0x0FFF
    char word[2] = {0, 0};
    EXPECT_EQ(Sim_Memory(0x0BFF, word, 2, 0), -1); // overlaps the BSL
    EXPECT_EQ(Error(), 62);
    ASSERT_EQ(Sim_Configure(11, 1), 0);
    EXPECT_EQ(Sim_Memory(0x0C00, word, 2, 0), 0); // let through; ROM keeps its bytes
    EXPECT_EQ(Sim_Erase(0, 0x0C00, 2), -1);
    EXPECT_EQ(Error(), 14); // not flash

    Connect("5438"); // BSL 0x1000..0x17FF, protected even with the unlock
    ASSERT_EQ(Sim_Configure(11, 1), 0);
    EXPECT_EQ(Sim_Erase(0, 0x1000, 2), -1);
    EXPECT_EQ(Error(), 62);
    EXPECT_EQ(sim::SimLibrary.BslUnlock, 0); // taken back
    EXPECT_EQ(Sim_Erase(0, 0x1800, 2), 0);
}

TEST_F(SimLibraryTest, ConfigureRegistersCpuAndSupply) {
    Connect("2274");
    EXPECT_EQ(Sim_Configure(12, 0), -1);
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Sim_Configure(8, 3), -1);
    EXPECT_EQ(Error(), 3);
    ASSERT_EQ(Sim_Configure(5, 1), 0);
    EXPECT_TRUE(sim::Sim().InfoAUnlocked());
    ASSERT_EQ(Sim_Configure(5, 0), 0);
    EXPECT_FALSE(sim::Sim().InfoAUnlocked());
    EXPECT_EQ(Sim_VCC(3700), -1);
    EXPECT_EQ(Error(), 3);

    int32_t value = 0x1235;
    ASSERT_EQ(Sim_RegisterAccess(&value, 1, 0), 0);
    value = 0;
    ASSERT_EQ(Sim_RegisterAccess(&value, 1, 1), 0);
    EXPECT_EQ(value, 0x1234); // the stack pointer stays even
    EXPECT_EQ(Sim_RegisterAccess(&value, 16, 0), -1);
    EXPECT_EQ(Error(), 32);
    EXPECT_EQ(Sim_RegisterAccess(&value, 16, 1), -1);
    EXPECT_EQ(Error(), 33);
    EXPECT_EQ(Sim_RegisterAccess(nullptr, 0, 1), -1);
    EXPECT_EQ(Error(), 3);

    int32_t state = -1;
    int32_t cycles = 0;
    EXPECT_EQ(Sim_RunCpu(0, 0), -1); // only modes 1 to 3 run
    EXPECT_EQ(Error(), 3);
    ASSERT_EQ(Sim_RunCpu(1, 0), 0);
    ASSERT_EQ(Sim_CpuState(&state, 0, &cycles), 0);
    EXPECT_EQ(state, 1);
    ASSERT_EQ(Sim_CpuState(&state, 1, &cycles), 0);
    EXPECT_EQ(state, 0);

    int32_t mv = 0;
    ASSERT_EQ(Sim_ReadSupply(&mv), 0);
    EXPECT_EQ(mv, 3000);
    sim::Sim().SetSupplyReading(900); // the supply reads low
    ASSERT_EQ(Sim_ReadSupply(&mv), 0);
    EXPECT_EQ(mv, 900);
    ASSERT_EQ(Sim_Close(1), 0);
    EXPECT_EQ(sim::Sim().AdapterSupply(), 0);
}

TEST_F(SimLibraryTest, UsbListIsASnapshotOfTheAdapters) {
    char* name = nullptr;
    int32_t status = 0;
    EXPECT_EQ(Sim_GetNameOfUsbIf(0, &name, &status), -1); // never built
    EXPECT_EQ(Error(), 1);
    sim::Sim().usbInterfaces = {{"COM0", 0}, {"HID0002-with-a-long-name", 1}};
    int32_t count = 0;
    ASSERT_EQ(Sim_GetNumberOfUsbIfs(&count), 0);
    ASSERT_EQ(count, 2);
    ASSERT_EQ(Sim_GetNameOfUsbIf(1, &name, &status), 0);
    EXPECT_STREQ(name, "HID0002-with-a-lo"); // 17 characters kept
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Sim_GetNameOfUsbIf(2, &name, &status), -1);
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Sim_GetNumberOfUsbIfs(nullptr), -1);
    EXPECT_EQ(Error(), 3);
}

TEST_F(SimLibraryTest, AnInjectedFaultFailsEveryEntryThatCanFailExactlyOnce) {
    // Each call succeeds on a connected F149 unless its entry was told to fail.
    struct Case {
        const char* entry;
        int32_t (*call)();
    };
    static char buffer[80];
    static int32_t value;
    static char* name;
    const Case cases[] = {
        {"MSP430_Identify", [] { return Sim_Identify(buffer, 80, 0); }},
        {"MSP430_Configure", [] { return Sim_Configure(10, 0); }},
        {"MSP430_VCC", [] { return Sim_VCC(3000); }},
        {"MSP430_Reset", [] { return Sim_Reset(7, 0, 0); }},
        {"MSP430_Erase", [] { return Sim_Erase(0, 0xF000, 2); }},
        {"MSP430_Memory", [] { return Sim_Memory(0xF000, buffer, 2, 1); }},
        {"MSP430_VerifyMem", [] { return Sim_VerifyMem(0xF000, 2, buffer); }},
        {"MSP430_EraseCheck", [] { return Sim_EraseCheck(0xF000, 2); }},
        {"MSP430_GetNumberOfUsbIfs", [] { return Sim_GetNumberOfUsbIfs(&value); }},
        {"MSP430_GetNameOfUsbIf", [] { return Sim_GetNameOfUsbIf(0, &name, &value); }},
        {"MSP430_FET_GetFwVersion", [] { return Sim_FET_GetFwVersion(&value); }},
        {"MSP430_FET_FwUpdate", [] { return Sim_FET_FwUpdate(nullptr, nullptr, nullptr); }},
        {"MSP430_RegisterAccess", [] { return Sim_RegisterAccess(&value, 4, 1); }},
        {"MSP430_RunCpu", [] { return Sim_RunCpu(1, 0); }},
        {"MSP430_CpuState", [] { return Sim_CpuState(&value, 1, nullptr); }},
        {"MSP430_ReadSupply", [] { return Sim_ReadSupply(&value); }},
        {"MSP430_Secure", [] { return Sim_Secure(); }},
        {"MSP430_Close", [] { return Sim_Close(0); }},
        // After the close, so that it opens anew.
        {"MSP430_Initialize", [] { return Sim_Initialize("TIUSB", &value); }},
    };
    Connect("149");
    ASSERT_EQ(Sim_Memory(0xF000, buffer, 2, 1), 0); // the buffer VerifyMem compares with
    ASSERT_EQ(Sim_GetNumberOfUsbIfs(&value), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        sim::Sim().FailOperation(c.entry, 35, 1);
        EXPECT_EQ(c.call(), -1);
        EXPECT_EQ(Error(), 35);
        EXPECT_EQ(c.call(), 0) << "the fault is used up";
    }
}

TEST_F(SimLibraryTest, AFaultAskedForNoTimesIsNoFault) {
    Connect("149");
    char buffer[2] = {};
    sim::Sim().FailOperation("MSP430_Memory", 6, 0);
    sim::Sim().FailReadAt(0xF000, 0);
    sim::Sim().FailWriteAt(0xF000, 0);
    sim::Sim().FailEraseAt(0xF000, 0);
    EXPECT_EQ(Sim_Memory(0xF000, buffer, 2, 1), 0);
    EXPECT_EQ(Sim_VerifyMem(0xF000, 2, buffer), 0);
    EXPECT_EQ(Sim_Erase(0, 0xF000, 2), 0);
    EXPECT_EQ(Sim_Memory(0xF000, buffer, 2, 0), 0);
}

TEST_F(SimLibraryTest, ErrorTextsFirmwareAndTheLog) {
    EXPECT_STREQ(Sim_Error_String(0), "No error");
    EXPECT_STREQ(Sim_Error_String(56), "MSP-FET430UIF Firmware erased - Bootloader active.");
    EXPECT_STREQ(Sim_Error_String(64), "Invalid error number");
    EXPECT_STREQ(Sim_Error_String(-1), "Invalid error number");

    ASSERT_EQ(Open(), 0);
    int32_t version = 0;
    ASSERT_EQ(Sim_FET_GetFwVersion(&version), 0);
    EXPECT_EQ(version, 20409001);
    std::vector<uint32_t> steps;
    const auto record = [](uint32_t step, uint32_t, uint32_t, void* context) {
        static_cast<std::vector<uint32_t>*>(context)->push_back(step);
    };
    ASSERT_EQ(Sim_FET_FwUpdate(nullptr, record, &steps), 0);
    EXPECT_EQ(steps, (std::vector<uint32_t>{0, 1, 2, 3, 4, 4, 5, 6}));

    sim::Sim().Log().Clear();
    char buffer[2];
    Sim_Memory(0x0FF0, buffer, 2, 1);
    sim::Sim().FailOperation("MSP430_VCC", 10, 1);
    EXPECT_EQ(Sim_VCC(2200), -1);
    EXPECT_EQ(Sim_VCC(2200), 0);
    const auto& calls = sim::Sim().Log().Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].text, "MSP430_Memory(0x00FF0, 2, 1) = -1 (error 3)"); // not identified
    EXPECT_EQ(calls[1].text, "MSP430_VCC(2200) = -1 (error 10)");
    EXPECT_EQ(calls[2].text, "MSP430_VCC(2200) = 0");
    EXPECT_EQ(sim::Sim().Log().Count("MSP430_VCC"), 2u);
}

} // namespace
