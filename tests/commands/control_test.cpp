// The target commands: run and state with cycle counts, reset, erase with
// the bootloader-mode extra erase, registers, configure, supply, fuse,
// adapter data, and verify with its announcement and progress pairs.

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_memory.h"
#include "debugif/uif_run.h"
#include "debugif/uif_target_ops.h"
#include "debugif/uif_verify.h"
#include "tests/commands/commands_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>

namespace commands_test {
namespace {

using debugif::Api;
using debugif::UifCommands;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

Emu& EmuOf(Bench& bench, const std::string& port) {
    return port == "COM150" ? bench.serial : bench.hid;
}

TEST(ControlTest, AStateQueryWhileStoppedSendsNothing) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(bench.Prepare("COM150"), 0);
    int32_t state = 7;
    int32_t cycles = 7;
    ASSERT_EQ(debugif::UifState(&state, 0, &cycles), 0);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(cycles, -1) << "no stop seen yet";
    EXPECT_THAT(bench.serial.Ids(), IsEmpty());
}

TEST(ControlTest, RunAndStateCountCyclesUntilTheStop) {
    for (const std::string port : {"COM150", "HID0001"}) {
        SCOPED_TRACE(port);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare(port), 0);
        Emu& emu = EmuOf(bench, port);
        const bool hid = port != "COM150";
        Api.RegisterCache[0] = 0x3100;
        Api.RegisterCache[1] = 0x0A00;

        ASSERT_EQ(debugif::UifRun(1, 0), 0);
        EXPECT_EQ(UifCommands.CpuRunning, 1);
        EXPECT_EQ(UifCommands.SavedCycleCount, -1);
        EXPECT_TRUE(Api.ReadCache.empty()) << "no cache while the CPU runs";
        EXPECT_THAT(emu.Ids(), hid ? ElementsAreArray<uint8_t>({42, 9, 17})
                                   : ElementsAreArray<uint8_t>({9, 17}));
        EXPECT_EQ(emu.Locked([&] { return emu.target.registers[0]; }), 0x3100u);
        EXPECT_TRUE(emu.Locked([&] { return emu.target.running; }));

        int32_t state = 0;
        int32_t cycles = 0;
        ASSERT_EQ(debugif::UifState(&state, 0, &cycles), 0);
        EXPECT_EQ(state, 1);
        EXPECT_EQ(cycles, 1000);
        EXPECT_EQ(UifCommands.CpuRunning, 1);

        emu.ClearTrace();
        ASSERT_EQ(debugif::UifState(&state, 1, &cycles), 0);
        EXPECT_EQ(state, 0);
        EXPECT_EQ(cycles, 1000);
        EXPECT_EQ(UifCommands.CpuRunning, 0);
        EXPECT_EQ(UifCommands.SavedCycleCount, 1000);
        EXPECT_THAT(emu.Ids(), hid ? ElementsAreArray<uint8_t>({18, 8, 42})
                                   : ElementsAreArray<uint8_t>({18, 8}));
        EXPECT_EQ(Api.ReadCache.size(), hid ? debugif::kReadCacheEntries : 0u);

        emu.ClearTrace();
        state = 9;
        ASSERT_EQ(debugif::UifState(&state, 0, &cycles), 0);
        EXPECT_EQ(state, 0);
        EXPECT_EQ(cycles, 1000) << "the saved count";
        EXPECT_THAT(emu.Ids(), IsEmpty());
    }
}

TEST(ControlTest, States2And3CountAsStopped) {
    for (const uint32_t stopped : {2u, 3u}) {
        SCOPED_TRACE(stopped);
        Bench bench({.hid = false});
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare("COM150"), 0);
        bench.serial.Locked([&] { return bench.serial.handler.stopped_state = stopped; });
        ASSERT_EQ(debugif::UifRun(2, 1), 0);
        int32_t state = 0;
        ASSERT_EQ(debugif::UifState(&state, 1, nullptr), 0);
        EXPECT_EQ(state, static_cast<int32_t>(stopped));
        EXPECT_EQ(UifCommands.CpuRunning, 0);
    }
}

TEST(ControlTest, RunRefusesModesOutside1To3) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(bench.Prepare("COM150"), 0);
    for (const int32_t mode : {0, 4, -1}) {
        EXPECT_EQ(debugif::UifRun(mode, 0), -1);
        EXPECT_EQ(Api.LastErrorNumber, 3);
    }
    EXPECT_THAT(bench.serial.Ids(), IsEmpty());
    EXPECT_EQ(UifCommands.CpuRunning, 0);
}

TEST(ControlTest, ResetReadsTheRegistersAndRenewsTheHidCache) {
    for (const std::string port : {"COM150", "HID0001"}) {
        SCOPED_TRACE(port);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        Emu& emu = EmuOf(bench, port);
        emu.Locked([&] {
            emu.target.Poke(0xFFFE, 0x00);
            emu.target.Poke(0xFFFF, 0x31);
            return 0;
        });
        ASSERT_EQ(bench.Prepare(port), 0);
        const bool hid = port != "COM150";
        Bytes out(4);
        ASSERT_EQ(debugif::UifMemory(0x1000, out.data(), 4, 1), 0);
        emu.ClearTrace();

        ASSERT_EQ(debugif::UifReset(1, 0, 0), 0);
        EXPECT_THAT(emu.Ids(), hid ? ElementsAreArray<uint8_t>({42, 7, 8, 42})
                                   : ElementsAreArray<uint8_t>({7, 8}));
        EXPECT_EQ(Api.RegisterCache[0], 0x3100u) << "the PC from the reset vector";
        if (hid) {
            EXPECT_EQ(emu.Requests()[0].params[2], 0u) << "the write-back comes first";
            ASSERT_EQ(Api.ReadCache.size(), debugif::kReadCacheEntries);
            EXPECT_EQ(Api.ReadCache[0x1000].valid, 0u) << "the cache starts empty";
        }
    }
}

TEST(ControlTest, EraseInBootloaderModeOnSerialAlsoErasesTheInformationMemory) {
    struct Case {
        const char* what;
        const char* port;
        Bytes adapter_data;
        int32_t type;
        std::vector<std::vector<uint32_t>> erases;
    };
    const Bytes plain = {'U', 'I', 'F', 0};
    const Bytes erased = {'E', 0, 0, 0};
    const std::vector<Case> cases = {
        {"bootloader mode, all", "COM150", erased, 2, {{2, 0x1100, 2}, {0, 0x1000, 0x100}}},
        {"bootloader mode, main", "COM150", erased, 1, {{1, 0x1100, 2}}},
        {"plain adapter, all", "COM150", plain, 2, {{2, 0x1100, 2}}},
        {"bootloader mode on HID", "HID0001", erased, 2, {{2, 0x1100, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        Emu& emu = EmuOf(bench, c.port);
        emu.Locked([&] {
            emu.handler.adapter_data = c.adapter_data;
            emu.target.PokeRange(0x1000, Bytes(0x100, 0x00));
            emu.target.PokeRange(0x1100, Bytes(0x100, 0x00));
            return 0;
        });
        ASSERT_EQ(bench.Prepare(c.port), 0);
        ASSERT_EQ(debugif::UifErase(c.type, 0x1100, 2), 0);
        std::vector<std::vector<uint32_t>> erases;
        for (const sim::EmuRequest& r : emu.Requests()) {
            if (r.id == 12) {
                erases.push_back(r.params);
            }
        }
        EXPECT_EQ(erases, c.erases);
        const bool info_erased = c.type == 2;
        EXPECT_EQ(emu.Locked([&] { return emu.target.Peek(0x1000); }), info_erased ? 0xFF : 0x00);
        EXPECT_EQ(emu.Locked([&] { return emu.target.Peek(0x1100); }), 0xFF);
        if (std::string(c.port) != "COM150") {
            EXPECT_EQ(Api.ReadCache.size(), debugif::kReadCacheEntries) << "allocated again";
        }
    }
}

TEST(ControlTest, AFailedEraseIsNotFollowedByTheExtraErase) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    bench.serial.Locked([&] {
        bench.serial.handler.adapter_data = {'E', 0, 0, 0};
        return 0;
    });
    ASSERT_EQ(bench.Prepare("COM150"), 0);
    bench.serial.Locked([&] {
        bench.serial.target.FailEraseAt(0x1100, 1);
        return 0;
    });
    EXPECT_EQ(debugif::UifErase(2, 0x1100, 2), -1);
    EXPECT_EQ(Api.LastErrorNumber, 14);
    EXPECT_THAT(bench.serial.Ids(), ElementsAre(12));
}

TEST(ControlTest, RegistersGoBothWays) {
    for (const std::string port : {"COM150", "HID0001"}) {
        SCOPED_TRACE(port);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare(port), 0);
        Emu& emu = EmuOf(bench, port);
        for (size_t i = 0; i < 16; ++i) {
            Api.RegisterCache[i] = 0x1000u * static_cast<uint32_t>(i) + 0x7E;
        }
        ASSERT_EQ(debugif::UifRegisters(0), 0);
        const auto written = emu.Locked([&] { return emu.target.registers; });
        EXPECT_EQ(written[15], 0xF07Eu);
        EXPECT_THAT(emu.Requests()[0].params, ElementsAre(0xFFFFu));
        EXPECT_EQ(emu.Requests()[0].data.size(), 64u);

        Api.RegisterCache.fill(0);
        ASSERT_EQ(debugif::UifRegisters(1), 0);
        EXPECT_EQ(Api.RegisterCache, written);
    }
}

TEST(ControlTest, ConfigureModes10And11StayOnTheHost) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(bench.Prepare("COM150"), 0);
    EXPECT_EQ(debugif::UifConfigure(10, 1), 0);
    EXPECT_EQ(debugif::UifConfigure(11, 0x12345), 0);
    EXPECT_EQ(Api.BslUnlock, 0x2345);
    EXPECT_THAT(bench.serial.Ids(), IsEmpty());
    EXPECT_EQ(debugif::UifConfigure(5, 1), 0);
    EXPECT_THAT(bench.serial.Requests().at(0).params, ElementsAre(5u, 1u));
    EXPECT_TRUE(bench.serial.Locked([&] { return bench.serial.target.InfoAUnlocked(); }));
}

TEST(ControlTest, SupplyFuseAndAdapterData) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(bench.Prepare("COM150"), 0);
    ASSERT_EQ(debugif::UifSetVcc(2500), 0);
    int32_t millivolts = 0;
    ASSERT_EQ(debugif::UifReadVcc(&millivolts), 0);
    EXPECT_EQ(millivolts, 2500);
    bench.serial.Locked([&] {
        bench.serial.target.SetSupplyReading(3312);
        return 0;
    });
    ASSERT_EQ(debugif::UifReadVcc(&millivolts), 0);
    EXPECT_EQ(millivolts, 3312);

    EXPECT_EQ(debugif::UifSetVcc(5000), -1);
    EXPECT_EQ(Api.LastErrorNumber, 10) << "the adapter's error byte";

    uint8_t data[8];
    std::fill(std::begin(data), std::end(data), 0xEE);
    ASSERT_EQ(debugif::UifReadAdapterData(data, 3), 0);
    EXPECT_THAT(data, ElementsAre('U', 'I', 'F', 0xEE, 0xEE, 0xEE, 0xEE, 0xEE));

    ASSERT_EQ(debugif::UifSecure(), 0);
    EXPECT_TRUE(bench.serial.Locked([&] { return bench.serial.target.FuseBlown(); }));
    EXPECT_EQ(debugif::UifSecure(), -1);
    EXPECT_EQ(Api.LastErrorNumber, 30);
}

// A verify compares the signature the debug API computes with what the
// adapter computes over the target.
TEST(ControlTest, VerifyIsAnnouncedWhereTheAdapterTakesIt) {
    struct Case {
        const char* what;
        const char* port;
        uint32_t firmware;
        Bytes adapter_data;
        bool announced;
    };
    const Bytes plain = {'U', 'I', 'F', 0};
    const std::vector<Case> cases = {
        {"serial at 20304000", "COM150", 20304000, plain, true},
        {"serial below the range", "COM150", 20109000, plain, false},
        {"serial from 30000000", "COM150", 30000000, plain, false},
        {"serial in bootloader mode", "COM150", 20304000, {'E', 0, 0, 0}, false},
        {"HID", "HID0001", 20304000, plain, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        ASSERT_TRUE(bench.ok()) << bench.error();
        Emu& emu = EmuOf(bench, c.port);
        const Bytes content = {0x01, 0x02, 0x7E, 0x7D, 0x05, 0x06, 0x07, 0x08, 0x09};
        emu.Locked([&] {
            emu.handler.firmware_version = c.firmware;
            emu.handler.adapter_data = c.adapter_data;
            emu.handler.verify_progress_pairs = 3;
            emu.target.PokeRange(0x2001, content);
            return 0;
        });
        ASSERT_EQ(bench.Prepare(c.port), 0);
        const VerifyValues good = SignatureOf(0x2001, content);
        ASSERT_EQ(debugif::UifVerify(0x2001, 9, good.check, good.edge), 0)
            << "error " << Api.LastErrorNumber;
        EXPECT_EQ(debugif::UifLink.ExpectInterimPairs, 0);
        const auto requests = emu.Requests();
        ASSERT_EQ(requests.size(), c.announced ? 2u : 1u);
        if (c.announced) {
            EXPECT_EQ(requests[0].id, 45);
            EXPECT_THAT(requests[0].params, ElementsAre(20u));
        }
        EXPECT_EQ(requests.back().id, 20);
        EXPECT_THAT(requests.back().params,
                    ElementsAre(0x2001u, 9u, static_cast<uint32_t>(good.check),
                                static_cast<uint32_t>(good.edge)));

        // A different byte anywhere, edges included, fails the verify.
        for (const size_t at : {size_t{0}, size_t{4}, size_t{8}}) {
            Bytes other = content;
            other[at] ^= 0x40;
            const VerifyValues bad = SignatureOf(0x2001, other);
            EXPECT_EQ(debugif::UifVerify(0x2001, 9, bad.check, bad.edge), -1) << at;
            EXPECT_EQ(Api.LastErrorNumber, 28);
        }
        // The erase check: no buffer, every word 0xFFFF.
        const VerifyValues blank = SignatureOf(0x8000, Bytes(256, 0xFF));
        EXPECT_EQ(debugif::UifVerify(0x8000, 256, blank.check, blank.edge), 0);
    }
}

TEST(ControlTest, AnAnnouncementRefusedAsUnknownStillVerifies) {
    Bench bench({.hid = false});
    ASSERT_TRUE(bench.ok()) << bench.error();
    ASSERT_EQ(bench.Prepare("COM150"), 0);
    bench.serial.Locked([&] {
        bench.serial.handler.replies[45] = sim::EmuReply::Unknown();
        return 0;
    });
    const VerifyValues blank = SignatureOf(0x8000, Bytes(64, 0xFF));
    ASSERT_EQ(debugif::UifVerify(0x8000, 64, blank.check, blank.edge), 0);
    EXPECT_THAT(bench.serial.Ids(), ElementsAre(45, 20));

    // Any other refusal ends the verify before command 20.
    bench.serial.ClearTrace();
    bench.serial.Locked([&] {
        bench.serial.handler.replies[45] = sim::EmuReply::Error(17);
        return 0;
    });
    EXPECT_EQ(debugif::UifVerify(0x8000, 64, blank.check, blank.edge), -1);
    EXPECT_EQ(Api.LastErrorNumber, 17);
    EXPECT_THAT(bench.serial.Ids(), ElementsAre(45));
    EXPECT_EQ(debugif::UifLink.ExpectInterimPairs, 0);
}

// A verify whose answer is lost goes out again without a new announcement,
// and the adapter answers the copy without progress pairs. That answer is
// read for what it is: each lost answer costs the one try it was lost in,
// and the verdict is the adapter's (a passed verify passes, a refused one
// fails with its reason, not with the link's).
TEST(ControlTest, EachLostVerifyAnswerCostsOneTry) {
    struct Case {
        const char* what;
        uint32_t lost;
        bool same; // the range holds what the signature says
        int32_t result;
        int32_t error;
    } const cases[] = {
        {"one answer lost", 1, true, 0, 0},
        {"two answers lost", 2, true, 0, 0},
        {"one answer lost, then refused", 1, false, -1, 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench({.hid = false});
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare("COM150"), 0);
        bench.ShortenReadTimeouts(100);
        sim::EmuFaults f;
        f.only_command = 20;
        f.drop = c.lost;
        bench.serial.SetFaults(f);
        const VerifyValues v = SignatureOf(0x8000, Bytes(64, c.same ? 0xFF : 0x00));
        EXPECT_EQ(debugif::UifVerify(0x8000, 64, v.check, v.edge), c.result);
        EXPECT_EQ(Api.LastErrorNumber, c.error);
        std::vector<uint8_t> ids = {45};
        ids.insert(ids.end(), c.lost + 1, 20);
        EXPECT_THAT(bench.serial.Ids(), ElementsAreArray(ids));
        EXPECT_EQ(Api.InterfaceOpen, 1) << "the link was given up";
        EXPECT_EQ(debugif::UifLink.ExpectInterimPairs, 0);
    }
}

} // namespace
} // namespace commands_test
