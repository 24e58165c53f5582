// AUTO PROGRAM over the adapter link: the debug interface in process (the
// library's own code), the emulated adapter with an F2274 on a
// pseudo-terminal, the link's read time-outs cut short. A clean run counts
// the adapter's requests N; then for every k < N the k-th reply is lost,
// comes after the host's time-out, or carries an error status. A run that
// says DONE has the programming image on every verified word, the factory
// DCO bytes and the serial number in place; any other leaves no history
// record, and a clean run afterwards passes with the factory DCO. The
// adapter's own frame faults (lost, cut, corrupt, wrong id, late, and on
// bulk acknowledgements) are swept over every frame the same way.

#include "core/debug_lib.h"
#include "core/target_connect.h"
#include "debugif/api_state.h"
#include "debugif/in_process_api.h"
#include "debugif/link_timing.h"
#include "platform/module_path.h"
#include "sim/emu_adapter.h"
#include "sim/emu_board.h"
#include "sim/emu_pty.h"
#include "sim/emu_target_handler.h"
#include "tests/gui/actions_fixture.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace guitest {
namespace {

enum class ReplyFault { kLost, kLate, kError, kKill };

// The link's read time-out in these tests (plus 10 ms per byte), and how
// late a late reply comes: after the first try's time-out, within the
// second's.
constexpr uint32_t kReadTotalMs = 300;
constexpr uint32_t kLateMs = 450;

// The target's handler with the k-th request's reply spoiled.
class FaultingHandler final : public sim::EmuCommandHandler {
public:
    explicit FaultingHandler(sim::EmuCommandHandler& inner) : inner_(inner) {}
    sim::EmuReply OnCommand(const sim::EmuRequest& request) override {
        sim::EmuReply reply = inner_.OnCommand(request);
        if (count++ != failAt.load()) {
            return reply;
        }
        switch (fault.load()) {
        case ReplyFault::kLost:
            reply.answer = false;
            break;
        case ReplyFault::kLate:
            std::this_thread::sleep_for(std::chrono::milliseconds(lateMs.load()));
            break;
        case ReplyFault::kError:
            reply = sim::EmuReply::Error(5);
            break;
        case ReplyFault::kKill:
            // The adapter dies on this request: no reply, its terminal gone.
            reply.answer = false;
            if (onKill) {
                onKill();
            }
            break;
        }
        return reply;
    }
    sim::EmuBulkAck OnBulkBlock(const sim::EmuBulkBlock& block) override {
        return inner_.OnBulkBlock(block);
    }

    std::atomic<int32_t> lateMs{kLateMs};
    std::atomic<int32_t> count{0};
    std::atomic<int32_t> failAt{-1};
    std::atomic<ReplyFault> fault{ReplyFault::kLost};
    std::function<void()> onKill;

private:
    sim::EmuCommandHandler& inner_;
};

class EmuSweepTest : public ActionsTest {
protected:
    void SetUp() override {
        ActionsTest::SetUp();
        std::filesystem::create_directory(adapters_.path() / "adapters");
        ::setenv("QUILL_EMULATED_ADAPTERS", adapters_.File("adapters").c_str(), 1);
        sim::EmuSelectDeviceNamed(board_, "2274");
        std::string error;
        ASSERT_TRUE(server_.Start(adapters_.File("adapters"), "COM250", &error)) << error;
        core::DebugApiUse(&debugif::InProcessDebugApi());
        // A missing answer costs a fraction of a second, yet an answer of
        // an emulator thread on a loaded machine (sanitizer build, every
        // core busy) still comes in time.
        debugif::LinkTiming.serial_read_total_ms = kReadTotalMs;
        debugif::LinkTiming.serial_read_interval_ms = 20;
        debugif::LinkTiming.serial_write_total_ms = 200;
        debugif::LinkTiming.quiet_gap_ms = 10;
        debugif::LinkTiming.quiet_limit_ms = 200;
        testsupport::WriteFile(dir_.File("config.ini"),
                               ";============= MSP430Fxx setup =============\r\n"
                               "CommPortIndex 3\r\nSelected_UIF\t\tCOM250\r\nReportHistory 0\r\n"
                               "VccIndex 4\r\nFlashEraseModeIndex 1\r\nEraseInfoA_F2xx_En 1\r\n"
                               "RetainInfoCalData 1\r\nCheckDCOconstants_F2xx 1\r\n"
                               "VerifyModeIndex 2\r\n");
    }
    void TearDown() override {
        JoinKiller();
        server_.Stop();
        ::unsetenv("QUILL_EMULATED_ADAPTERS");
        debugif::LinkTiming.Reset();
        ActionsTest::TearDown();
    }
    // From now on a kill (ReplyFault::kKill) takes the adapter's terminal
    // away, as an adapter unplugged does.
    void ArmKiller() {
        handler_.onKill = [this] { killer_ = std::thread([this] { server_.Stop(); }); };
    }
    void JoinKiller() {
        if (killer_.joinable()) {
            killer_.join();
        }
    }
    // A killed adapter started again on the same port; true when there was
    // none to start or it started.
    bool RestartKilled() {
        if (!killer_.joinable()) {
            return true;
        }
        killer_.join();
        std::string error;
        const bool started = server_.Start(adapters_.File("adapters"), "COM250", &error);
        EXPECT_TRUE(started) << error;
        return started;
    }
    // A fresh board of the same type, faults cleared.
    void FreshBoard() {
        adapter_.SetFaults(sim::EmuFaults{});
        adapter_.Locked([this] { return sim::EmuSelectDeviceNamed(board_, "2274"); });
    }
    std::vector<uint8_t> BoardRange(uint32_t address, uint32_t count) {
        return adapter_.Locked([&] { return board_.PeekRange(address, count); });
    }
    bool BoardMatchesImage() {
        return adapter_.Locked([this] {
            for (int32_t a = core::kImageStart; a < core::kImageEnd; a += 2) {
                if (core::Images.VerifyMask[core::WordIndex(a)] == 0) {
                    continue;
                }
                const int32_t i = core::ImageIndex(a);
                if (board_.Peek(static_cast<uint32_t>(a)) != core::Images.ProgramImage.data[i] ||
                    board_.Peek(static_cast<uint32_t>(a + 1)) !=
                        core::Images.ProgramImage.data[i + 1]) {
                    return false;
                }
            }
            return true;
        });
    }

    // Runs one faulted AUTO PROGRAM and a clean one after it; counts false
    // DONEs and failed runs. True when the armed adapter fault was spent.
    bool FaultedRun(ui::Driver& d, FixedSerialNumber& sn, const std::vector<uint8_t>& factory,
                    const std::string& what, int32_t& falseDone, int32_t& failed) {
        for (int i = 0; i < 8; ++i) {
            session().Boxes().Answer(platform::IDNO);
        }
        sn.historyRecords = 0;
        d.Click(1001);
        const std::string report = d.Target().GetItemText(1026);
        session().Boxes().Clear();
        handler_.failAt = -1;
        const sim::EmuFaults left = adapter_.faults();
        const uint32_t pending = left.drop + left.cut + left.corrupt + left.wrong_id + left.late +
                                 left.bulk_drop + left.bulk_cut + left.bulk_corrupt +
                                 left.bulk_late;
        const bool landed = pending == 0;
        adapter_.SetFaults(sim::EmuFaults{});
        if (Done(report)) {
            const bool image = BoardMatchesImage();
            const bool dco = BoardRange(0x10F8, 8) == factory;
            const bool serial =
                BoardRange(0xF000, 10) == std::vector<uint8_t>(sn.number.begin(), sn.number.end());
            if (!image || !dco || !serial) {
                ++falseDone;
                ADD_FAILURE() << "false DONE, " << what
                              << (image ? "" : ", flash differs from the image")
                              << (dco ? "" : ", DCO differs") << (serial ? "" : ", SN not in place")
                              << "\n"
                              << report;
            }
        } else {
            ++failed;
            EXPECT_EQ(sn.historyRecords, 0) << what;
        }
        // Whatever the stray bytes left, a clean run on the same board sets
        // everything right (the operator says it is the board, where a
        // failed restore left copies and asks).
        core::TargetClose();
        session().Boxes().Answer(platform::IDYES);
        d.Click(1001);
        session().Boxes().Clear();
        const std::string again = d.Target().GetItemText(1026);
        EXPECT_TRUE(Done(again)) << "after " << what << "\n" << again;
        EXPECT_EQ(BoardRange(0x10F8, 8), factory) << "after " << what;
        return landed;
    }

    // Loads the code and serialization, runs a clean AUTO PROGRAM; returns
    // the requests it took.
    int32_t Prepare(ui::Driver& d, FixedSerialNumber& sn, std::vector<uint8_t>& factory) {
        factory = BoardRange(0x10F8, 8);
        core::Settings.SelectedProcessorIndex = DeviceRowNamed("2274");
        core::DeviceSelectByIndex();
        core::Settings.SNStartAddress = 0xF000;
        core::Settings.ModelTextStartAddr = 0xF010;
        sn.Install();
        EXPECT_EQ(LoadTiTxt(0x8000, 0x600), 1);
        handler_.count = 0;
        d.Click(1001);
        EXPECT_TRUE(Done(d.Target().GetItemText(1026))) << d.Target().GetItemText(1026);
        return handler_.count.load();
    }

    testsupport::TempDir adapters_;
    sim::SimTarget board_;
    sim::EmuTargetHandler target_{board_};
    FaultingHandler handler_{target_};
    sim::EmuAdapter adapter_{handler_, sim::EmuLink::kSerial};
    sim::EmuPtyServer server_{adapter_};
    std::thread killer_;
};

struct Shard {
    ReplyFault fault;
    int index;
};
constexpr int kShards = 3;

class EmuReplySweepTest : public EmuSweepTest, public ::testing::WithParamInterface<Shard> {};

TEST_P(EmuReplySweepTest, NoFalseDone) {
    const Shard s = GetParam();
    FixedSerialNumber sn;
    int32_t falseDone = 0;
    int32_t failed = 0;
    Run([&](ui::Driver& d) {
        std::vector<uint8_t> factory;
        const int32_t n = Prepare(d, sn, factory);
        ASSERT_GT(n, 10);
        for (int32_t k = s.index; k < n; k += kShards) {
            FreshBoard();
            handler_.count = 0;
            handler_.fault = s.fault;
            handler_.failAt = k;
            FaultedRun(d, sn, factory, "request " + std::to_string(k), falseDone, failed);
        }
    });
    EXPECT_EQ(falseDone, 0);
    if (s.fault == ReplyFault::kLate) {
        // A reply after the first try's time-out, within the second's, is
        // waited for or read past at every request: no run fails.
        EXPECT_EQ(failed, 0);
    } else {
        EXPECT_GT(failed, 0);
    }
}

std::vector<Shard> Shards() {
    std::vector<Shard> out;
    for (ReplyFault f : {ReplyFault::kLost, ReplyFault::kLate, ReplyFault::kError}) {
        for (int i = 0; i < kShards; ++i) {
            out.push_back(Shard{f, i});
        }
    }
    return out;
}

std::string ShardName(const ::testing::TestParamInfo<Shard>& info) {
    const char* const names[] = {"Lost", "Late", "Error"};
    return std::string(names[static_cast<int>(info.param.fault)]) + "_" +
           std::to_string(info.param.index);
}

INSTANTIATE_TEST_SUITE_P(Shards, EmuReplySweepTest, ::testing::ValuesIn(Shards()), ShardName);

// The single actions over the link: erase, blank check, write, verify,
// read, each with its report and lamp.
TEST_F(EmuSweepTest, SingleActionsOverTheLink) {
    Run([&](ui::Driver& d) {
        core::Settings.SelectedProcessorIndex = DeviceRowNamed("2274");
        core::DeviceSelectByIndex();
        core::Settings.FlashReadModeIndex = 0;
        ASSERT_EQ(LoadTiTxt(0x8000, 0x600), 1);
        session().Boxes().Answer(platform::IDYES);
        d.Click(1003);
        EXPECT_NE(d.Target().GetItemText(1026).find(
                      "Erasing memory ...............................\t done"),
                  std::string::npos)
            << d.Target().GetItemText(1026);
        EXPECT_EQ(Lamp(gui::kRowErase), gui::kLampPassed);
        d.Click(1007);
        EXPECT_NE(Lamp(gui::kRowBlankCheck), gui::kLampFailed) << d.Target().GetItemText(1026);
        d.Click(1005);
        EXPECT_EQ(Lamp(gui::kRowWrite), gui::kLampPassed) << d.Target().GetItemText(1026);
        EXPECT_TRUE(BoardMatchesImage());
        d.Click(1006);
        EXPECT_EQ(Lamp(gui::kRowVerify), gui::kLampPassed) << d.Target().GetItemText(1026);
        EXPECT_EQ(Lamp(gui::kRowChecksum), gui::kLampPassed);
        d.Click(1008);
        EXPECT_EQ(Lamp(gui::kRowRead), gui::kLampPassed) << d.Target().GetItemText(1026);
        EXPECT_EQ(core::Images.ReadImage[core::ImageIndex(0x8001)], Byte(1));
    });
    EXPECT_FALSE(Unattended());
}

// The adapter's own frame faults at every frame: for a clean run of N
// replies, each k < N is lost, cut, corrupt, names the wrong id or comes
// after the host's time-out; the acknowledgement of every bulk block is
// lost, cut, corrupt or late. Under verify None and Fast. The faults' skip
// lets the first k spoilable frames pass, so the k-th one is hit.
enum class FrameFault {
    kLost,
    kCut,
    kCorrupt,
    kWrongId,
    kLate,
    kBulkLost,
    kBulkCut,
    kBulkCorrupt,
    kBulkLate
};

bool IsBulk(FrameFault f) {
    return f >= FrameFault::kBulkLost;
}

// Shards per kind and verify mode: a reply fault meets each of the run's
// ~180 replies (two shards keep each CTest entry well under its 300 s in
// the sanitizer build on a loaded machine), an acknowledgement fault only
// its few bulk blocks.
constexpr int kReplyShards = 2;

int ShardsOf(FrameFault f) {
    return IsBulk(f) ? 1 : kReplyShards;
}

struct FrameShard {
    FrameFault fault;
    int32_t verifyMode; // 0 None, 2 Fast
    int index;
};

sim::EmuFaults FaultAt(FrameFault f, uint32_t k) {
    sim::EmuFaults out;
    out.skip = k;
    out.late_ms = kLateMs;
    switch (f) {
    case FrameFault::kLost:
        out.drop = 1;
        break;
    case FrameFault::kCut:
        out.cut = 1;
        break;
    case FrameFault::kCorrupt:
        out.corrupt = 1;
        break;
    case FrameFault::kWrongId:
        out.wrong_id = 1;
        break;
    case FrameFault::kLate:
        out.late = 1;
        break;
    case FrameFault::kBulkLost:
        out.bulk_drop = 1;
        break;
    case FrameFault::kBulkCut:
        out.bulk_cut = 1;
        break;
    case FrameFault::kBulkCorrupt:
        out.bulk_corrupt = 1;
        break;
    case FrameFault::kBulkLate:
        out.bulk_late = 1;
        break;
    }
    return out;
}

class EmuFrameSweepTest : public EmuSweepTest, public ::testing::WithParamInterface<FrameShard> {};

TEST_P(EmuFrameSweepTest, NoFalseDone) {
    const FrameShard s = GetParam();
    FixedSerialNumber sn;
    int32_t falseDone = 0;
    int32_t failed = 0;
    int32_t runs = 0;
    int32_t landed = 0;
    Run([&](ui::Driver& d) {
        core::Settings.VerifyModeIndex = s.verifyMode;
        std::vector<uint8_t> factory;
        adapter_.ClearTrace();
        const int32_t requests = Prepare(d, sn, factory);
        const int32_t blocks = static_cast<int32_t>(adapter_.trace().bulk_blocks.size());
        // The writes go as bulk blocks, so the acknowledgement faults meet them.
        ASSERT_GT(blocks, 0);
        ASSERT_GT(requests, 10);
        const int32_t n = IsBulk(s.fault) ? blocks : requests;
        // A clean run as the faulted ones start, connected already (the
        // first run's connect takes a few more requests): the frames that a
        // fault is sure to meet.
        FreshBoard();
        adapter_.ClearTrace();
        handler_.count = 0;
        d.Click(1001);
        ASSERT_TRUE(Done(d.Target().GetItemText(1026))) << d.Target().GetItemText(1026);
        const int32_t reached = IsBulk(s.fault)
                                    ? static_cast<int32_t>(adapter_.trace().bulk_blocks.size())
                                    : handler_.count.load();
        for (int32_t k = s.index; k < n; k += ShardsOf(s.fault)) {
            FreshBoard();
            adapter_.SetFaults(FaultAt(s.fault, static_cast<uint32_t>(k)));
            const std::string what = "frame " + std::to_string(k) + " of " + std::to_string(n);
            const bool spent = FaultedRun(d, sn, factory, what, falseDone, failed);
            ++runs;
            landed += spent ? 1 : 0;
            // A run is the same as the clean one up to its fault, so the
            // fault is spent unless its frame lies beyond that run's last.
            // The library may recover from a fault (its retries), so a run
            // need not fail.
            if (!spent) {
                EXPECT_GE(k, reached)
                    << what << ": the fault was not met, though a clean run reaches its frame";
            }
        }
    });
    EXPECT_EQ(falseDone, 0);
    EXPECT_GT(landed, 0);
    RecordProperty("faulted_runs", runs);
    RecordProperty("failed_runs", failed);
}

std::vector<FrameShard> FrameShards() {
    std::vector<FrameShard> out;
    for (FrameFault f : {FrameFault::kLost, FrameFault::kCut, FrameFault::kCorrupt,
                         FrameFault::kWrongId, FrameFault::kLate, FrameFault::kBulkLost,
                         FrameFault::kBulkCut, FrameFault::kBulkCorrupt, FrameFault::kBulkLate}) {
        for (int32_t mode : {0, 2}) {
            for (int i = 0; i < ShardsOf(f); ++i) {
                out.push_back(FrameShard{f, mode, i});
            }
        }
    }
    return out;
}

std::string FrameShardName(const ::testing::TestParamInfo<FrameShard>& info) {
    const char* const names[] = {"Lost",     "Cut",     "Corrupt",     "WrongId", "Late",
                                 "BulkLost", "BulkCut", "BulkCorrupt", "BulkLate"};
    return std::string(names[static_cast<int>(info.param.fault)]) +
           (info.param.verifyMode == 0 ? "_VerifyNone_" : "_VerifyFast_") +
           std::to_string(info.param.index);
}

INSTANTIATE_TEST_SUITE_P(Frames, EmuFrameSweepTest, ::testing::ValuesIn(FrameShards()),
                         FrameShardName);

// Through the debug library beside the programs (its own, unshortened
// time-outs): one reply lost and one sent after the host gave up on it,
// mid-run. The library may recover from either (its retries); whatever it
// does, no run says DONE falsely, and a clean run passes after each.
TEST_F(EmuSweepTest, LostAndLateThroughTheLibrary) {
    core::DebugApiUse(nullptr);
    platform::SetProgramDirectoryOverride(std::string(QUILL_BINARY_DIR) + "/bin");
    FixedSerialNumber sn;
    int32_t falseDone = 0;
    int32_t failed = 0;
    Run([&](ui::Driver& d) {
        ASSERT_EQ(core::DebugLib.loaded, 1) << ui::TranscriptText();
        std::vector<uint8_t> factory;
        const int32_t n = Prepare(d, sn, factory);
        ASSERT_GT(n, 10);
        for (ReplyFault f : {ReplyFault::kLost, ReplyFault::kLate}) {
            FreshBoard();
            handler_.count = 0;
            handler_.fault = f;
            // Past the library's read time-out: 7 s plus 10 ms per byte expected.
            handler_.lateMs = 14000;
            handler_.failAt = n / 2;
            FaultedRun(d, sn, factory, f == ReplyFault::kLost ? "lost" : "late", falseDone, failed);
        }
    });
    EXPECT_EQ(falseDone, 0);
    RecordProperty("failed_runs", failed);
}

// The adapter lost in the middle of AUTO PROGRAM: killed (its terminal
// goes away) and started again on the same port, or stalled past every
// time-out. The lost run fails and names the library's reason; the very
// next AUTO PROGRAM, with nothing done in between, opens the interface
// again and ends DONE with the image in flash.
enum class LinkLoss { kKilledAndRestarted, kStalled };

// The library's error number, as the debug library beside the program
// gives it, over the in-process entries.
const core::DebugApi& InProcessWithErrorNumber() {
    static const core::DebugApi api = [] {
        core::DebugApi a = debugif::InProcessDebugApi();
        a.Error_Number = [] { return debugif::Api.LastErrorNumber; };
        return a;
    }();
    return api;
}

TEST_F(EmuSweepTest, NextRunAfterALostLinkPasses) {
    core::DebugApiUse(&InProcessWithErrorNumber());
    FixedSerialNumber sn;
    ArmKiller();
    Run([&](ui::Driver& d) {
        std::vector<uint8_t> factory;
        const int32_t n = Prepare(d, sn, factory);
        ASSERT_GT(n, 10);
        for (LinkLoss loss : {LinkLoss::kKilledAndRestarted, LinkLoss::kStalled}) {
            const char* what = loss == LinkLoss::kStalled ? "stalled" : "killed";
            FreshBoard();
            handler_.count = 0;
            if (loss == LinkLoss::kStalled) {
                sim::EmuFaults stall;
                // Far past the shortened time-outs and their retries.
                stall.stall_ms = 3000;
                stall.stall_at = static_cast<uint32_t>(n / 2);
                adapter_.SetFaults(stall);
            } else {
                handler_.fault = ReplyFault::kKill;
                handler_.failAt = n / 2;
            }
            for (int i = 0; i < 8; ++i) {
                session().Boxes().Answer(platform::IDOK);
            }
            d.Click(1001);
            const std::string lost = d.Target().GetItemText(1026);
            EXPECT_FALSE(Done(lost)) << what << "\n" << lost;
            EXPECT_NE(lost.find("Could not communicate with FET"), std::string::npos)
                << what << "\n"
                << lost;
            session().Boxes().Clear();
            handler_.failAt = -1;
            ASSERT_TRUE(RestartKilled());
            // The stalled adapter has answered what it held by now.
            if (loss == LinkLoss::kStalled) {
                while (adapter_.StallMs() != 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
            }
            FreshBoard();
            const size_t linesBefore = ui::TranscriptLines().size();
            d.Click(1001);
            const std::string next = d.Target().GetItemText(1026);
            EXPECT_TRUE(Done(next)) << "after the adapter " << what << "\n" << next;
            EXPECT_TRUE(BoardMatchesImage()) << what;
            // No box was needed for it.
            const std::vector<std::string> lines = ui::TranscriptLines();
            for (size_t i = linesBefore; i < lines.size(); ++i) {
                EXPECT_EQ(lines[i].rfind("box ", 0), std::string::npos) << what << ": " << lines[i];
            }
        }
    });
}

// The finish switches the target supply off; when the library cannot
// confirm that, the report says so in one line before the verdict. An
// adapter killed mid-run leaves it unconfirmed. A block write whose
// command's answer comes damaged fails the run, but the library brings the
// adapter back and closes it with the supply off itself: no line, and the
// board unpowered.
TEST_F(EmuSweepTest, TheReportSaysWhenTheSupplyCouldNotBeSwitchedOff) {
    const std::string line = "Target supply could not be switched off - disconnect the target.\r\n";
    core::DebugApiUse(&InProcessWithErrorNumber());
    FixedSerialNumber sn;
    ArmKiller();
    Run([&](ui::Driver& d) {
        std::vector<uint8_t> factory;
        const int32_t n = Prepare(d, sn, factory);
        ASSERT_GT(n, 10);
        EXPECT_EQ(d.Target().GetItemText(1026).find(line), std::string::npos);
        for (const bool killed : {true, false}) {
            SCOPED_TRACE(killed ? "killed" : "block-write answer damaged");
            FreshBoard();
            handler_.count = 0;
            if (killed) {
                handler_.fault = ReplyFault::kKill;
                handler_.failAt = n / 2;
            } else {
                sim::EmuFaults f;
                f.only_command = 15;
                f.corrupt = 1;
                adapter_.SetFaults(f);
            }
            for (int i = 0; i < 8; ++i) {
                session().Boxes().Answer(platform::IDOK);
            }
            d.Click(1001);
            const std::string report = d.Target().GetItemText(1026);
            session().Boxes().Clear();
            handler_.failAt = -1;
            EXPECT_FALSE(Done(report)) << report;
            const size_t at = report.find(line);
            if (killed) {
                ASSERT_NE(at, std::string::npos) << report;
                EXPECT_EQ(report.find(line, at + 1), std::string::npos) << "one line\n" << report;
                EXPECT_LT(at, report.find(" --------------- FAILED !!! ")) << report;
            } else {
                EXPECT_EQ(at, std::string::npos) << report;
                EXPECT_EQ(adapter_.Locked([this] { return board_.AdapterSupply(); }), 0);
            }
            ASSERT_TRUE(RestartKilled());
        }
    });
}

// Only the adapter's bootloader answers the connect, and the debug library
// holds no firmware to load: AUTO PROGRAM fails at the connect with the
// library's words for it, in the report and in its box, without the box
// that sends the operator to the cable, and the target is never powered.
TEST_F(EmuSweepTest, AnAdapterInItsBootloaderIsNamedAtTheConnect) {
    core::DebugApiUse(&InProcessWithErrorNumber());
    sim::EmuFaults bootloader;
    bootloader.bootloader = true;
    adapter_.SetFaults(bootloader);
    Run([&](ui::Driver& d) {
        core::Settings.SelectedProcessorIndex = DeviceRowNamed("2274");
        core::DeviceSelectByIndex();
        ASSERT_EQ(LoadTiTxt(0x8000, 0x600), 1);
        core::TargetClose();
        ui::TranscriptClear();
        d.Click(1001);
        const std::string report = d.Target().GetItemText(1026);
        EXPECT_NE(report.find("MSP-FET430UIF Firmware erased - Bootloader active.\r\n"),
                  std::string::npos)
            << report;
        EXPECT_NE(report.find(" --------------- FAILED !!! "), std::string::npos) << report;
    });
    EXPECT_TRUE(ui::TranscriptHas(
        "box [Error] \"MSP-FET430UIF Firmware erased - Bootloader active.\" flags 0x10"));
    EXPECT_FALSE(ui::TranscriptHas("MSP430.dll initialization error"));
    EXPECT_EQ(adapter_.Locked([this] { return board_.AdapterSupply(); }), 0);
}

} // namespace
} // namespace guitest
