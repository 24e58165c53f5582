// Identification through the adapter by firmware version: command 3, or
// 40 and 41 (and 43), with the records the adapter receives; the register
// read and, on HID, the read cache and EEM registers that follow.

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_identify.h"
#include "debugif/uif_memory.h"
#include "debugif/uif_target_ops.h"
#include "tests/commands/commands_fixture.h"
#include "tests/debugif/device_id_golden.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>

namespace commands_test {
namespace {

using debugif::Api;
using debugif::gDeviceId;
using debugif::UifCommands;
using debugif::UifIdentify;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// Connected, the target powered, the traces cleared: ready to identify.
int32_t ConnectAndPower(Bench& bench, const std::string& port) {
    if (debugif::UifConnect(port.c_str(), nullptr, 1) != 0 || debugif::UifSetVcc(3000) != 0) {
        return -1;
    }
    bench.serial.ClearTrace();
    bench.hid.ClearTrace();
    return 0;
}

TEST(IdentifyTest, CommandsAndRecordsFollowTheFirmwareVersion) {
    using namespace device_id_golden;
    struct Case {
        const char* what;
        const char* port;
        uint32_t firmware;
        const char* device;
        std::vector<uint8_t> ids;
        uint16_t row;
        uint16_t type;
        const Bytes* record;    // what command 41 carries, null when not sent
        const Bytes* extension; // what command 43 carries, null when not sent
    };
    const std::vector<Case> cases = {
        {"old firmware", "COM150", 20108999, "149", {3, 8}, 7, 7, nullptr, nullptr},
        {"new identify", "COM150", 20109000, "149", {40, 41, 8}, 7, 7, &kF149Current, nullptr},
        {"with extension",
         "COM150",
         20304000,
         "149",
         {40, 41, 43, 8},
         7,
         7,
         &kF149Current,
         &kF149Extra},
        {"F5438 with extension",
         "COM150",
         20304000,
         "5438",
         {40, 41, 43, 8},
         92,
         84,
         &kF5438Current,
         &kF5438Extra},
        {"past the extension range",
         "COM150",
         30000000,
         "5438",
         {40, 41, 8},
         92,
         84,
         &kF5438Current,
         nullptr},
        {"HID",
         "HID0001",
         20304000,
         "5438",
         {40, 41, 43, 8, 42},
         92,
         84,
         &kF5438Current,
         &kF5438Extra},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_TRUE(bench.SelectDevice(c.device));
        Emu& emu = std::string(c.port) == "COM150" ? bench.serial : bench.hid;
        emu.Locked([&] {
            emu.handler.firmware_version = c.firmware;
            emu.target.registers[0] = 0x4400;
            emu.target.registers[4] = 0x1234;
            emu.handler.eem_registers[3] = 0xABCD;
            return 0;
        });
        ASSERT_EQ(ConnectAndPower(bench, c.port), 0);
        UifCommands.CpuRunning = 1;

        ASSERT_EQ(UifIdentify(nullptr, 0, 0), 0) << "error " << Api.LastErrorNumber;
        EXPECT_THAT(emu.Ids(), ElementsAreArray(c.ids));
        EXPECT_EQ(gDeviceId.currentDeviceIndex, c.row);
        EXPECT_EQ(gDeviceId.currentDeviceType, c.type);
        EXPECT_EQ(UifCommands.CpuRunning, 0);
        EXPECT_EQ(Api.RegisterCache[0], 0x4400u);
        EXPECT_EQ(Api.RegisterCache[4], 0x1234u);

        const auto requests = emu.Requests();
        if (c.ids[0] == 3) {
            EXPECT_THAT(requests[0].params, ElementsAre(80u, 0u));
            EXPECT_EQ(gDeviceId.identifyRecord.Row(), c.row) << "the adapter's own record";
            EXPECT_EQ(gDeviceId.identifyRecord.Name(), "MSP430F149");
        } else {
            EXPECT_THAT(requests[0].params, ElementsAre(0u, 0u)) << "row 0 and its type";
        }
        emu.Locked([&] {
            if (c.record != nullptr) {
                EXPECT_THAT(emu.handler.set_device_params, ElementsAre(0u, c.row, c.type));
                EXPECT_EQ(emu.handler.set_device_record, *c.record);
            } else {
                EXPECT_EQ(emu.handler.set_device_count, 0u);
            }
            if (c.extension != nullptr) {
                EXPECT_EQ(emu.handler.device_extension, *c.extension);
            } else {
                EXPECT_EQ(emu.handler.extension_count, 0u);
            }
            return 0;
        });
        const bool hid = &emu == &bench.hid;
        EXPECT_EQ(Api.ReadCache.size(), hid ? debugif::kReadCacheEntries : 0u);
        EXPECT_EQ(Api.EemRegisterCache[3].value, hid ? 0xABCDu : 0u);
        if (hid) {
            EXPECT_TRUE(requests[1].presend) << "the device record goes ahead of command 41";
        }
    }
}

TEST(IdentifyTest, AGivenRowIsTakenAndLeavesTheCpuUnknown) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(ConnectAndPower(bench, "COM150"), 0);
    ASSERT_EQ(UifIdentify(nullptr, 0, 40), 0);
    const auto requests = bench.serial.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_THAT(requests[0].params, ElementsAre(40u, 33u)) << "row 40 and its type";
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 40);
    EXPECT_EQ(requests[2].id, 43);
    EXPECT_EQ(UifCommands.CpuRunning, 1) << "nothing halted the CPU";
}

TEST(IdentifyTest, ARowOutsideTheTableIsRefusedBeforeAnythingIsSent) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(ConnectAndPower(bench, "COM150"), 0);
    for (const int32_t index : {127, 1000, -1}) {
        EXPECT_EQ(UifIdentify(nullptr, 0, index), -1);
        EXPECT_EQ(Api.LastErrorNumber, 3);
    }
    EXPECT_THAT(bench.serial.Ids(), IsEmpty());
}

TEST(IdentifyTest, RepliesTooShortForWhatIsReadFail) {
    struct Case {
        const char* what;
        const char* port;
        uint32_t firmware;
        uint8_t id;
        sim::EmuReply reply;
        int32_t error;
        std::vector<uint8_t> ids;
    };
    const std::vector<Case> cases = {
        {"identify record of 79 bytes",
         "COM150",
         20000000,
         3,
         sim::EmuReply::Data(Bytes(79, 0)),
         35,
         {3}},
        {"identification of 16 bytes",
         "COM150",
         20304000,
         40,
         sim::EmuReply::Data(Bytes(16, 0)),
         35,
         {40}},
        {"registers of 60 bytes",
         "COM150",
         20304000,
         8,
         sim::EmuReply::Data(Bytes(60, 0)),
         33,
         {40, 41, 43, 8}},
        {"EEM registers of 351 bytes",
         "HID0001",
         20304000,
         42,
         sim::EmuReply::Data(Bytes(351, 0)),
         35,
         {40, 41, 43, 8, 42}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        Emu& emu = std::string(c.port) == "COM150" ? bench.serial : bench.hid;
        emu.Locked([&] {
            emu.handler.firmware_version = c.firmware;
            emu.handler.replies[c.id] = c.reply;
            return 0;
        });
        ASSERT_EQ(ConnectAndPower(bench, c.port), 0);
        EXPECT_EQ(UifIdentify(nullptr, 0, 0), -1);
        EXPECT_EQ(Api.LastErrorNumber, c.error);
        EXPECT_THAT(emu.Ids(), ElementsAreArray(c.ids));
    }
}

TEST(IdentifyTest, TheAdaptersErrorAndAnUnknownRowFail) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    bench.serial.Locked([&] {
        bench.serial.handler.firmware_version = 20000000;
        return 0;
    });
    ASSERT_EQ(debugif::UifConnect("COM150", nullptr, 1), 0);
    // No supply: the adapter finds no device.
    EXPECT_EQ(UifIdentify(nullptr, 0, 0), -1);
    EXPECT_EQ(Api.LastErrorNumber, 4);
    EXPECT_EQ(UifCommands.CpuRunning, 1);

    // A record naming a row past the table.
    Bytes record(80, 0);
    record[0] = 0x55;
    record[1] = 0xAA;
    record[2] = 200;
    bench.serial.Locked([&] {
        bench.serial.handler.replies[3] = sim::EmuReply::Data(record);
        return 0;
    });
    EXPECT_EQ(UifIdentify(nullptr, 0, 0), -1);
    EXPECT_EQ(Api.LastErrorNumber, 5);
}

// The adapter's own record of a device that is refused must not stay
// behind: its flash end and BSL range would bound the memory accesses
// that follow.
TEST(IdentifyTest, ARefusedRecordOfTheAdapterLeavesNoDevice) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    bench.serial.Locked([&] {
        bench.serial.handler.firmware_version = 20000000;
        return 0;
    });
    ASSERT_EQ(ConnectAndPower(bench, "COM150"), 0);
    Bytes record(80, 0xFF);
    record[0] = 0x55;
    record[1] = 0xAA;
    record[2] = 200; // row 200: no row of the table
    record[3] = 0;
    bench.serial.Locked([&] {
        bench.serial.handler.replies[3] = sim::EmuReply::Data(record);
        return 0;
    });
    ASSERT_EQ(UifIdentify(nullptr, 0, 0), -1);
    ASSERT_EQ(Api.LastErrorNumber, 5);
    EXPECT_EQ(gDeviceId.currentDeviceIndex, 0);
    EXPECT_EQ(gDeviceId.identifyRecord.Row(), 0);
    EXPECT_EQ(gDeviceId.identifyRecord.Name(), "Device_unknown");
    EXPECT_EQ(gDeviceId.identifyRecord.MainEnd(), 0u);

    bench.serial.ClearTrace();
    Bytes data(16, 0x5A);
    EXPECT_EQ(debugif::UifMemory(0x2000, data.data(), 16, 0), -1);
    EXPECT_EQ(Api.LastErrorNumber, 3);
    EXPECT_THAT(bench.serial.Ids(), IsEmpty());
}

} // namespace
} // namespace commands_test
