// Spoiled replies at every command: lost, cut short or corrupted (on every
// try the transport makes), too short for what is read from them, and
// refused bulk blocks. Every operation then fails with an error number;
// none reports success.

#include "debugif/api_state.h"
#include "debugif/eem_registers.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_identify.h"
#include "debugif/uif_memory.h"
#include "debugif/uif_run.h"
#include "debugif/uif_target_ops.h"
#include "debugif/uif_verify.h"
#include "tests/commands/commands_fixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace commands_test {
namespace {

using debugif::Api;

enum class Fault { kLost, kCut, kCorrupt };
enum class Link { kSerial, kHid, kBoth };

struct Operation {
    const char* name = "";
    uint8_t id = 0; // the command whose replies are spoiled
    Link link = Link::kBoth;
    uint32_t firmware = 20304000;
    const char* device = "149";
    // Runs after the bench is prepared (connected, powered, identified),
    // before the faults are set.
    std::function<void()> before = [] {};
    std::function<int32_t()> run;
};

int32_t ReadSome() {
    uint8_t b[16];
    return debugif::UifMemory(0x1000, b, 16, 1);
}

int32_t WriteSome(int32_t address, int32_t count) {
    std::vector<uint8_t> b(static_cast<size_t>(count), 0x5A);
    return debugif::UifMemory(address, b.data(), count, 0);
}

int32_t Verify() {
    const VerifyValues v = SignatureOf(0x8000, Bytes(64, 0xFF));
    return debugif::UifVerify(0x8000, 64, v.check, v.edge);
}

void StartCpu() {
    ASSERT_EQ(debugif::UifRun(1, 0), 0);
}

Operation Op(const char* name, uint8_t id, Link link, std::function<int32_t()> run) {
    Operation o;
    o.name = name;
    o.id = id;
    o.link = link;
    o.run = std::move(run);
    return o;
}

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> ops = [] {
        std::vector<Operation> v;
        v.push_back(Op("Close", 2, Link::kBoth, [] { return debugif::UifClose(0); }));
        Operation old =
            Op("IdentifyOld", 3, Link::kBoth, [] { return debugif::UifIdentify(nullptr, 0, 0); });
        old.firmware = 20000000;
        v.push_back(old);
        for (const uint8_t id : {40, 41, 43}) {
            v.push_back(Op("Identify", id, Link::kBoth,
                           [] { return debugif::UifIdentify(nullptr, 0, 0); }));
        }
        v.push_back(Op("Configure", 5, Link::kBoth, [] { return debugif::UifConfigure(5, 1); }));
        v.push_back(Op("SetVcc", 6, Link::kBoth, [] { return debugif::UifSetVcc(3300); }));
        v.push_back(Op("Reset", 7, Link::kBoth, [] { return debugif::UifReset(1, 0, 0); }));
        v.push_back(Op("ReadRegisters", 8, Link::kBoth, [] { return debugif::UifRegisters(1); }));
        v.push_back(Op("WriteRegisters", 9, Link::kBoth, [] { return debugif::UifRegisters(0); }));
        v.push_back(Op("Erase", 12, Link::kBoth, [] { return debugif::UifErase(1, 0x1100, 2); }));
        v.push_back(Op("ReadMemory", 13, Link::kBoth, ReadSome));
        v.push_back(Op("WriteMemory", 14, Link::kBoth, [] { return WriteSome(0x4000, 100); }));
        v.push_back(Op("BlockWrite89", 15, Link::kSerial, [] { return WriteSome(0x2000, 1000); }));
        Operation f5 =
            Op("BlockWrite91", 44, Link::kSerial, [] { return WriteSome(0x6000, 1000); });
        f5.device = "5438";
        v.push_back(f5);
        v.push_back(Op("Run", 17, Link::kBoth, [] { return debugif::UifRun(1, 0); }));
        Operation state = Op("State", 18, Link::kBoth, [] {
            int32_t s = 0;
            return debugif::UifState(&s, 1, nullptr);
        });
        state.before = StartCpu;
        v.push_back(state);
        v.push_back(Op("Secure", 19, Link::kBoth, [] { return debugif::UifSecure(); }));
        v.push_back(Op("Verify", 20, Link::kBoth, Verify));
        v.push_back(Op("AnnounceVerify", 45, Link::kSerial, Verify));
        v.push_back(Op("ReadVcc", 29, Link::kBoth, [] {
            int32_t mv = 0;
            return debugif::UifReadVcc(&mv);
        }));
        v.push_back(Op("AdapterData", 39, Link::kBoth, [] {
            uint8_t b[4];
            return debugif::UifReadAdapterData(b, 4);
        }));
        v.push_back(Op("EemRegisters", 42, Link::kHid, [] { return debugif::ReadEemRegisters(); }));
        return v;
    }();
    return ops;
}

struct FaultCase {
    size_t op;
    Fault fault;
    bool hid;
};

std::string CaseName(const ::testing::TestParamInfo<FaultCase>& info) {
    const Operation& op = Operations()[info.param.op];
    const char* fault = info.param.fault == Fault::kLost  ? "Lost"
                        : info.param.fault == Fault::kCut ? "Cut"
                                                          : "Corrupt";
    return std::string(op.name) + std::to_string(op.id) + fault + (info.param.hid ? "Hid" : "Pty");
}

std::vector<FaultCase> AllCases() {
    std::vector<FaultCase> out;
    for (size_t i = 0; i < Operations().size(); ++i) {
        for (const Fault f : {Fault::kLost, Fault::kCut, Fault::kCorrupt}) {
            const Link link = Operations()[i].link;
            if (link != Link::kHid) {
                out.push_back({i, f, false});
            }
            if (link != Link::kSerial) {
                out.push_back({i, f, true});
            }
        }
    }
    return out;
}

class SpoiledReplyTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SpoiledReplyTest, FailsWithAnErrorNumber) {
    const FaultCase& c = GetParam();
    const Operation& op = Operations()[c.op];
    Bench bench({.pty = !c.hid, .hid = c.hid});
    ASSERT_TRUE(bench.ok()) << bench.error();
    Emu& emu = c.hid ? bench.hid : bench.serial;
    emu.Locked([&] {
        emu.handler.firmware_version = op.firmware;
        return 0;
    });
    ASSERT_TRUE(bench.SelectDevice(op.device));
    ASSERT_EQ(bench.Prepare(c.hid ? Bench::kHidName : Bench::kPortName), 0);
    if (!c.hid) {
        bench.ShortenReadTimeouts(150);
    }
    op.before();
    sim::EmuFaults faults;
    faults.only_command = op.id;
    const uint32_t tries = 3;
    switch (c.fault) {
    case Fault::kLost:
        faults.drop = tries;
        break;
    case Fault::kCut:
        faults.cut = tries;
        break;
    case Fault::kCorrupt:
        faults.corrupt = tries;
        break;
    }
    emu.SetFaults(faults);
    Api.LastErrorNumber = 0;
    EXPECT_EQ(op.run(), -1);
    EXPECT_NE(Api.LastErrorNumber, 0);
    bool reached = false;
    for (const sim::EmuRequest& r : emu.Requests()) {
        reached = reached || r.id == op.id;
    }
    EXPECT_TRUE(reached) << "the spoiled command was sent";
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, SpoiledReplyTest, ::testing::ValuesIn(AllCases()), CaseName);

// The connect's own commands, on HID where a spoiled reply ends at once;
// over the serial port the silent-adapter cases show the same.
TEST(SpoiledConnectTest, ConnectFailsWhenItsRepliesAreSpoiled) {
    for (const uint8_t id : {1, 39}) {
        for (const Fault f : {Fault::kLost, Fault::kCut, Fault::kCorrupt}) {
            SCOPED_TRACE(testing::Message() << "command " << int{id} << " fault " << int(f));
            Bench bench({.pty = false});
            ASSERT_TRUE(bench.ok()) << bench.error();
            sim::EmuFaults faults;
            faults.only_command = id;
            faults.drop = f == Fault::kLost ? 1 : 0;
            faults.cut = f == Fault::kCut ? 1 : 0;
            faults.corrupt = f == Fault::kCorrupt ? 1 : 0;
            bench.hid.SetFaults(faults);
            int32_t version = -7;
            EXPECT_EQ(debugif::UifConnect("HID0001", &version, 1), -1);
            EXPECT_EQ(Api.LastErrorNumber, 35);
            EXPECT_EQ(Api.InterfaceOpen, 0);
        }
    }
}

TEST(ShortReplyTest, RepliesTooShortForTheirReaderFail) {
    struct Case {
        const char* what;
        uint8_t id;
        sim::EmuReply reply;
        std::function<int32_t()> run;
        int32_t error;
    };
    const std::vector<Case> cases = {
        {"memory read of 15 bytes", 13, sim::EmuReply::Data(Bytes(15, 0)), ReadSome, 35},
        {"registers of 63 bytes", 8, sim::EmuReply::Data(Bytes(63, 0)),
         [] { return debugif::UifRegisters(1); }, 33},
        {"supply without its parameter", 29, sim::EmuReply::Ok(),
         [] {
             int32_t mv = 0;
             return debugif::UifReadVcc(&mv);
         },
         35},
        {"state with one parameter", 18, sim::EmuReply::Params({1}),
         [] {
             debugif::UifCommands.CpuRunning = 1;
             int32_t state = 0;
             return debugif::UifState(&state, 0, nullptr);
         },
         35},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench({.hid = false});
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare(Bench::kPortName), 0);
        bench.serial.Locked([&] {
            bench.serial.handler.replies[c.id] = c.reply;
            return 0;
        });
        EXPECT_EQ(c.run(), -1);
        EXPECT_EQ(Api.LastErrorNumber, c.error);
    }
}

TEST(BulkFaultTest, RefusedBulkBlocksFailTheWrite) {
    struct Case {
        const char* what;
        sim::EmuFaults faults;
        int32_t error;
    };
    std::vector<Case> cases(2);
    cases[0] = {"acknowledges another block", {}, 7};
    cases[0].faults.bulk_wrong_block = 1;
    cases[1] = {"reports an error", {}, 41};
    cases[1].faults.bulk_error = 1;
    cases[1].faults.bulk_error_byte = 41;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench({.hid = false});
        ASSERT_TRUE(bench.ok()) << bench.error();
        ASSERT_EQ(bench.Prepare(Bench::kPortName), 0);
        bench.serial.SetFaults(c.faults);
        EXPECT_EQ(WriteSome(0x2000, 1000), -1);
        EXPECT_EQ(Api.LastErrorNumber, c.error);
    }
}

} // namespace
} // namespace commands_test
