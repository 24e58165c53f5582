// The transaction and the bulk phase against the emulated adapter over a
// real pseudo-terminal, through the serial transport.

#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/link_timing.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "debugif/uif_bulk.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_memory.h"
#include "debugif/uif_transaction.h"
#include "debugif/uif_verify.h"
#include "platform/emulated_adapters.h"
#include "sim/emu_wire.h"
#include "tests/framing/framing_fixture.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <numeric>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;
using debugif::Api;
using debugif::UifLink;
using framing_test::ReplyData;
using framing_test::Transact;

class PtyTransactionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(link_.ok()) << link_.error(); }

    void SetFaults(const sim::EmuFaults& f) { link_.adapter.SetFaults(f); }
    sim::EmuTrace Trace() { return link_.adapter.trace(); }
    void ExpectClosed() {
        EXPECT_EQ(Api.InterfaceOpen, 0);
        EXPECT_EQ(Api.InterfaceKind, debugif::kInterfaceNone);
        EXPECT_EQ(Api.LastErrorNumber, 35);
    }

    framing_test::PtyLink link_;
};

TEST_F(PtyTransactionTest, ConnectReadAndWriteEndToEnd) {
    link_.handler.firmware_version = 20401004;
    std::iota(link_.handler.memory.begin() + 0x1000, link_.handler.memory.begin() + 0x1080,
              uint8_t{0x40});
    ASSERT_EQ(Transact(1, 1), 0);
    EXPECT_EQ(UifLink.ResponseBlock.command_id, 1);
    ASSERT_EQ(UifLink.ResponseBlock.parameter_count, 1);
    EXPECT_EQ(UifLink.ResponseBlock.parameters[0], 20401004u);
    EXPECT_EQ(Api.LastErrorNumber, 0);

    ASSERT_EQ(Transact(13, 2, {0x1000, 128}), 0);
    EXPECT_EQ(ReplyData(),
              Bytes(link_.handler.memory.begin() + 0x1000, link_.handler.memory.begin() + 0x1080));
    EXPECT_GE(ReplyData().size(), 128u);
    EXPECT_EQ(UifLink.ResponseBlock.data, UifLink.UifReplyBuffer + 8);

    // Flags and escapes in the data survive the trip both ways.
    Bytes data = {0x7E, 0x7D, 0x00, 0x7E, 0x5E, 0x5D, 0xFF, 0x7D};
    ASSERT_EQ(Transact(14, 4, {0x2000}, data), 0);
    ASSERT_EQ(Transact(13, 2, {0x2000, 8}), 0);
    EXPECT_EQ(ReplyData(), data);

    const sim::EmuTrace t = Trace();
    ASSERT_EQ(t.frames.size(), 4u);
    EXPECT_THAT(t.frames[0], ::testing::ElementsAre(0x7E, 0x01, 0x01, 0x16, 0x07, 0x7E));
    EXPECT_THAT(t.frames[1],
                ::testing::ElementsAre(0x7E, 0x0D, 0x02, 0x02, 0x00, 0x00, 0x10, 0x00, 0x00, 0x80,
                                       0x00, 0x00, 0x00, 0xDA, 0x81, 0x7E));
    EXPECT_EQ(t.bad_frames, 0u);
}

TEST_F(PtyTransactionTest, SpoiledRepliesAreRetriedWithTheSameFrame) {
    struct Case {
        const char* what;
        sim::EmuFaults faults;
    };
    std::vector<Case> cases(5);
    cases[0] = {"corrupt", {}};
    cases[0].faults.corrupt = 2;
    cases[1] = {"cut short", {}};
    cases[1].faults.cut = 2;
    cases[2] = {"length below 6", {}};
    cases[2].faults.wrong_length = 2;
    cases[2].faults.wrong_length_value = 5;
    cases[3] = {"length above 2048", {}};
    cases[3].faults.wrong_length = 2;
    cases[3].faults.wrong_length_value = 2049;
    cases[4] = {"one of each", {}};
    cases[4].faults.cut = 1;
    cases[4].faults.corrupt = 1;
    // The data read holds flags, so that the frame itself is stuffed.
    std::fill(link_.handler.memory.begin() + 0x7E7D, link_.handler.memory.begin() + 0x7F00, 0x7E);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        link_.adapter.ClearTrace();
        SetFaults(c.faults);
        ASSERT_EQ(Transact(13, 2, {0x7E7D, 64}), 0);
        EXPECT_EQ(ReplyData(), Bytes(64, 0x7E));
        const sim::EmuTrace t = Trace();
        ASSERT_EQ(t.frames.size(), 3u);
        EXPECT_EQ(t.frames[1], t.frames[0]);
        EXPECT_EQ(t.frames[2], t.frames[0]);
        EXPECT_EQ(Api.InterfaceOpen, 1);
    }
}

TEST_F(PtyTransactionTest, ThreeFailedTriesCloseTheInterface) {
    sim::EmuFaults f;
    f.corrupt = 3;
    SetFaults(f);
    EXPECT_EQ(Transact(13, 2, {0x1000, 16}), -1);
    ExpectClosed();
    sim::EmuTrace t = Trace();
    ASSERT_EQ(t.frames.size(), 3u);
    EXPECT_EQ(t.frames[0], t.frames[2]);
    // Closed: the next request goes nowhere.
    Api.LastErrorNumber = 0;
    EXPECT_EQ(Transact(1, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_EQ(Trace().frames.size(), 3u);
}

TEST_F(PtyTransactionTest, MissingRepliesAreWaitedForThenRetried) {
    link_.ShortenReadTimeouts(300);
    sim::EmuFaults f;
    f.drop = 2;
    SetFaults(f);
    ASSERT_EQ(Transact(1, 1), 0);
    EXPECT_EQ(Trace().frames.size(), 3u);

    link_.adapter.ClearTrace();
    f = {};
    f.silent = true;
    SetFaults(f);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Transact(1, 1), -1);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    ExpectClosed();
    EXPECT_EQ(Trace().frames.size(), 3u);
    EXPECT_GE(ms, 3 * 300);
}

TEST_F(PtyTransactionTest, SlowAnswersAreWaitedFor) {
    sim::EmuFaults f;
    f.delay_ms = 400;
    SetFaults(f);
    ASSERT_EQ(Transact(13, 2, {0x1000, 4}), 0);
    EXPECT_EQ(Trace().frames.size(), 1u);
}

TEST_F(PtyTransactionTest, RunIsNeverSentTwice) {
    link_.ShortenReadTimeouts(300);
    sim::EmuFaults f;
    f.only_command = 17;
    f.drop = 1;
    SetFaults(f);
    EXPECT_EQ(Transact(17, 2, {1, 0}), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_EQ(Trace().frames.size(), 1u);
    EXPECT_EQ(link_.adapter.Locked([&] { return link_.handler.runs; }), 1u);
    // Only the run was refused a second send; the link itself was not given up.
    EXPECT_EQ(Api.InterfaceOpen, 1);
    EXPECT_EQ(Transact(1, 1), 0);
}

TEST_F(PtyTransactionTest, AdapterRefusals) {
    struct Case {
        const char* what;
        uint8_t id;
        sim::EmuFaults faults;
        int32_t error;
    };
    std::vector<Case> cases(5);
    cases[0] = {"status '?'", 1, {}, 63};
    cases[0].faults.unknown_status = 1;
    cases[1] = {"unknown command", 99, {}, 63};
    cases[2] = {"memory outside the array", 13, {}, 6};
    cases[3] = {"error byte above 63 is kept", 50, {}, 200};
    link_.handler.replies[50] = sim::EmuReply::Error(200);
    // A failure never reads "No error".
    cases[4] = {"error byte 0", 51, {}, 35};
    link_.handler.replies[51] = sim::EmuReply::Error(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        link_.adapter.ClearTrace();
        SetFaults(c.faults);
        EXPECT_EQ(Transact(c.id, 2, {0xFFFF0, 0x100}), -1);
        EXPECT_EQ(Api.LastErrorNumber, c.error);
        EXPECT_EQ(Trace().frames.size(), 1u) << "an answer is an answer: no retry";
        EXPECT_EQ(Api.InterfaceOpen, 1);
        EXPECT_EQ(UifLink.ResponseBlock.parameter_count, 0);
        EXPECT_EQ(UifLink.ResponseBlock.data, nullptr);
    }
}

TEST_F(PtyTransactionTest, ReplyForAnotherCommandFailsAtOnce) {
    sim::EmuFaults f;
    f.wrong_id = 1;
    SetFaults(f);
    EXPECT_EQ(Transact(13, 2, {0x1000, 4}), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_EQ(UifLink.ResponseBlock.command_id, 14);
    EXPECT_EQ(Trace().frames.size(), 1u);
    EXPECT_EQ(Api.InterfaceOpen, 1);
}

TEST_F(PtyTransactionTest, InterimPairsAheadOfTheVerifyReplyAreConsumed) {
    // The announcement, then the verify whose reply the adapter precedes
    // with 14 01 14 02 00 FF.
    link_.handler.verify_progress_pairs = 2;
    ASSERT_EQ(Transact(45, 2, {20}), 0);
    UifLink.ExpectInterimPairs = 1;
    ASSERT_EQ(Transact(20, 2, {0x1000, 0x100, 0x1234, 0xFFFF}), 0);
    EXPECT_EQ(UifLink.ResponseBlock.command_id, 20);
    UifLink.ExpectInterimPairs = 0;
    // Nothing of the pairs is left to spoil the next reply.
    ASSERT_EQ(Transact(1, 1), 0);
    EXPECT_EQ(Trace().frames.size(), 3u);
}

TEST_F(PtyTransactionTest, WhatEndsTheInterimPairs) {
    struct Case {
        const char* what;
        std::vector<std::array<uint8_t, 2>> pairs;
    };
    std::vector<std::array<uint8_t, 2>> many;
    for (int i = 0; i < 200; ++i) {
        many.push_back({20, static_cast<uint8_t>(i)});
    }
    many.push_back({0x00, 0xFF});
    const Case cases[] = {
        {"the command id with 0xFF", {{20, 1}, {20, 0xFF}}},
        {"another first byte", {{20, 1}, {21, 1}}},
        {"no progress, only the end", {{0x00, 0xFF}}},
        {"many", many},
    };
    UifLink.ExpectInterimPairs = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        link_.adapter.ClearTrace();
        sim::EmuReply reply = sim::EmuReply::Params({0xC0FFEE});
        reply.interim = c.pairs;
        link_.handler.replies[20] = reply;
        ASSERT_EQ(Transact(20, 2, {0x1000, 0x100, 0, 0}), 0);
        EXPECT_EQ(UifLink.ResponseBlock.parameters[0], 0xC0FFEEu);
        EXPECT_EQ(Trace().frames.size(), 1u);
    }
}

TEST_F(PtyTransactionTest, BulkBlocksAndTheirAcknowledgements) {
    auto bulk = [&](uint16_t number, uint32_t address, const Bytes& data) {
        std::copy(data.begin(), data.end(), UifLink.UifFrameBuffer + 10);
        return debugif::UifSendBulkBlock(number, address, static_cast<uint32_t>(data.size()));
    };
    Bytes block(512);
    std::iota(block.begin(), block.end(), uint8_t{0x70});
    const Bytes tail = {0x7E, 0x7D, 0x11};

    // Kind 6 naming the block, for a two-block write.
    ASSERT_EQ(Transact(15, 2, {2, 3, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}), 0);
    Api.LastErrorNumber = 99;
    EXPECT_EQ(bulk(1, 0x3000, block), 0);
    EXPECT_EQ(Api.LastErrorNumber, 0);
    EXPECT_EQ(bulk(2, 0x3200, tail), 0);
    EXPECT_EQ(Bytes(link_.handler.memory.begin() + 0x3000, link_.handler.memory.begin() + 0x3200),
              block);
    EXPECT_EQ(Bytes(link_.handler.memory.begin() + 0x3200, link_.handler.memory.begin() + 0x3203),
              tail);
    sim::EmuTrace t = Trace();
    ASSERT_EQ(t.bulk_blocks.size(), 2u);
    EXPECT_EQ(t.bulk_blocks[1].number, 2);
    EXPECT_EQ(t.bulk_blocks[1].address, 0x3200u);
    // The frame buffer still holds the block sent, then its answer.
    EXPECT_EQ(UifLink.UifFrameBuffer[10], 0x7E);
    EXPECT_EQ(UifLink.UifFrameBuffer[13 + 3], 6);

    // Kind 0 with status 0.
    link_.handler.bulk_ack_kind = 0;
    ASSERT_EQ(Transact(44, 2, {1, 3, 0x3400, 3}), 0);
    EXPECT_EQ(bulk(1, 0x3400, tail), 0);

    // Kind 6 naming another block: error 7.
    link_.handler.bulk_ack_kind = 6;
    sim::EmuFaults f;
    f.bulk_wrong_block = 1;
    SetFaults(f);
    ASSERT_EQ(Transact(44, 2, {1, 3, 0x3400, 3}), 0);
    EXPECT_EQ(bulk(1, 0x3400, tail), -1);
    EXPECT_EQ(Api.LastErrorNumber, 7);

    // Kind 0 with a failure status: its error byte.
    f = {};
    f.bulk_error = 1;
    f.bulk_error_byte = 41;
    SetFaults(f);
    ASSERT_EQ(Transact(44, 2, {1, 3, 0x3400, 3}), 0);
    EXPECT_EQ(bulk(1, 0x3400, tail), -1);
    EXPECT_EQ(Api.LastErrorNumber, 41);

    // The same with error byte 0: still a failure, and not "No error".
    f.bulk_error = 1;
    f.bulk_error_byte = 0;
    SetFaults(f);
    ASSERT_EQ(Transact(44, 2, {1, 3, 0x3400, 3}), 0);
    EXPECT_EQ(bulk(1, 0x3400, tail), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);

    // Any other kind (here 6 with a bit flipped) acknowledges nothing: 35.
    f = {};
    f.bulk_corrupt = 1;
    SetFaults(f);
    ASSERT_EQ(Transact(44, 2, {1, 3, 0x3400, 3}), 0);
    EXPECT_EQ(bulk(1, 0x3400, tail), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);

    // No answer: 35.
    link_.ShortenReadTimeouts(200);
    SetFaults({});
    ASSERT_EQ(Transact(44, 2, {1, 3, 0x3400, 3}), 0);
    f = {};
    f.silent = true;
    SetFaults(f);
    EXPECT_EQ(bulk(1, 0x3400, tail), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);

    EXPECT_EQ(debugif::UifSendBulkBlock(1, 0, debugif::kUifBulkMaxCount + 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 3);
}

// The block-write command's answer after one or two of the host's
// time-outs: the host waited for it instead of sending another copy, and
// the blocks follow. Never answered (the adapter took the command, its
// answer was lost): after the whole wait the write fails, and the adapter,
// which takes blocks, gets the write's own blocks and then the close with
// the supply off, still without a second copy of the command.
TEST_F(PtyTransactionTest, BlockWriteCommandGoesOutOnceAndItsLateAnswerIsAwaited) {
    link_.ShortenReadTimeouts(300); // one time-out: 300 ms and 10 ms a byte
    struct Case {
        const char* what;
        bool lost;
        uint32_t late_ms;
    } const cases[] = {
        {"after one time-out", false, 450},
        {"after two time-outs", false, 780},
        {"never", true, 0},
    };
    Bytes data(600);
    std::iota(data.begin(), data.end(), uint8_t{0x31});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::fill(link_.handler.memory.begin(), link_.handler.memory.end(), uint8_t{0xFF});
        link_.adapter.ClearTrace();
        sim::EmuFaults f;
        f.only_command = 15;
        f.drop = c.lost ? 1 : 0;
        f.late = c.lost ? 0 : 1;
        f.late_ms = c.late_ms;
        SetFaults(f);
        Api.InterfaceOpen = 1;
        Api.InterfaceKind = debugif::kInterfaceUsb;
        const auto start = std::chrono::steady_clock::now();
        const int32_t r = debugif::UifBlockWrite89(0x3000, data.data(), 600);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        const sim::EmuTrace t = Trace();
        if (c.lost) {
            EXPECT_EQ(r, -1);
            ExpectClosed();
            ASSERT_EQ(t.requests.size(), 2u);
            EXPECT_EQ(t.requests[0].id, 15);
            EXPECT_EQ(t.requests[1].id, 2);
            EXPECT_THAT(t.requests[1].params, ::testing::ElementsAre(1u)) << "the supply off";
            EXPECT_EQ(t.bulk_blocks.size(), 2u);
            EXPECT_EQ(Bytes(link_.handler.memory.begin() + 0x3000,
                            link_.handler.memory.begin() + 0x3000 + 600),
                      data);
            EXPECT_GE(ms, 3 * 300);
        } else {
            EXPECT_EQ(t.frames.size(), 1u);
            EXPECT_EQ(r, 0);
            EXPECT_EQ(t.bulk_blocks.size(), 2u);
            EXPECT_EQ(Bytes(link_.handler.memory.begin() + 0x3000,
                            link_.handler.memory.begin() + 0x3000 + 600),
                      data);
        }
    }
}

TEST_F(PtyTransactionTest, NotOpenMeansNoTraffic) {
    Api.InterfaceOpen = 0;
    EXPECT_EQ(Transact(1, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_TRUE(Trace().frames.empty());
    // A request that cannot be framed is refused before any traffic.
    Api.InterfaceOpen = 1;
    Bytes huge(2000, 0x7E);
    EXPECT_EQ(Transact(14, 4, {0}, huge), -1);
    EXPECT_EQ(Api.LastErrorNumber, 3);
    EXPECT_TRUE(Trace().frames.empty());
    EXPECT_EQ(Api.InterfaceOpen, 1);
}

} // namespace

// --- Replies still owed when a block goes out ----------------------------
//
// The adapter's side of the line played by a script instead of the
// emulator: each step waits for the host's next request frame (or a count
// of raw bytes) and then writes its answer. Only the order of the bytes on
// the line decides what the host sees, never the time a thread is given.

namespace {

class ScriptedPeer {
public:
    struct Step {
        size_t frames = 0; // request frames to wait for
        size_t bytes = 0;  // else raw bytes to wait for (a bulk block)
        Bytes answer;
    };

    explicit ScriptedPeer(std::vector<Step> steps) : steps_(std::move(steps)) {
        debugif::ResetDebugifState();
        // The port takes its time-outs when it opens: a try with no answer
        // ends after tens of milliseconds.
        debugif::LinkTiming.serial_read_total_ms = 40;
        debugif::LinkTiming.serial_read_interval_ms = 20;
        debugif::LinkTiming.quiet_gap_ms = 10;
        debugif::LinkTiming.quiet_limit_ms = 200;
        if (!pty_.Create(scratch_.path(), "COM151", &error_)) {
            return;
        }
        struct termios t {};
        if (tcgetattr(pty_.master_fd(), &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(pty_.master_fd(), TCSANOW, &t);
        }
        if (pipe(stop_) != 0) {
            error_ = "pipe";
            return;
        }
        thread_ = std::thread([this] { Serve(); });
        debugif::SelectTransport(0);
        const std::string path = "\\\\.\\" + pty_.slave_path();
        if (debugif::OpenSerialPort(path.c_str(), 500, 10) != debugif::kSerialOk) {
            error_ = "the port did not open";
            return;
        }
        Api.InterfaceOpen = 1;
        Api.InterfaceKind = debugif::kInterfaceUsb;
        ok_ = true;
    }
    ~ScriptedPeer() {
        debugif::ResetDebugifState();
        if (thread_.joinable()) {
            [[maybe_unused]] ssize_t n = write(stop_[1], "s", 1);
            thread_.join();
        }
        for (int fd : stop_) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    // Valid once the host is done: the steps whose wait was met, and every
    // byte the host sent.
    size_t StepsReached() const { return reached_.load(); }
    Bytes Received() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    void Serve() {
        size_t step = 0;
        size_t frames = 0;
        size_t flags = 0;
        size_t bytes = 0;
        uint8_t buffer[1024];
        for (;;) {
            struct pollfd p[2] = {{pty_.master_fd(), POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (poll(p, 2, -1) < 0 || (p[1].revents & POLLIN) != 0) {
                return;
            }
            const ssize_t n = read(pty_.master_fd(), buffer, sizeof buffer);
            if (n <= 0) {
                continue;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            for (ssize_t i = 0; i < n; ++i) {
                received_.push_back(buffer[i]);
                if (step >= steps_.size()) {
                    continue;
                }
                const Step& s = steps_[step];
                if (s.frames > 0) {
                    // The host's frames never share a flag: every second
                    // flag closes one.
                    if (buffer[i] == 0x7E && ++flags % 2 == 0) {
                        ++frames;
                    }
                } else {
                    ++bytes;
                }
                if ((s.frames > 0 && frames == s.frames) || (s.frames == 0 && bytes == s.bytes)) {
                    // Counted before the answer goes out: a host that has
                    // read it finds the step reached.
                    frames = 0;
                    bytes = 0;
                    reached_ = ++step;
                    if (!s.answer.empty()) {
                        [[maybe_unused]] ssize_t w =
                            write(pty_.master_fd(), s.answer.data(), s.answer.size());
                    }
                }
            }
        }
    }

    transport_test::ScratchDir scratch_;
    platform::EmulatedSerialPort pty_;
    std::vector<Step> steps_;
    std::thread thread_;
    int stop_[2] = {-1, -1};
    mutable std::mutex mutex_;
    Bytes received_;
    std::atomic<size_t> reached_{0};
    bool ok_ = false;
    std::string error_;
};

Bytes OkReply(uint8_t id) {
    return sim::EmuEncodeReply(id, 1, 0, 0, {}, {});
}

class OwedReplyTest : public ::testing::Test {
protected:
    void TearDown() override { debugif::LinkTiming.Reset(); }
};

// A block-write command goes out once: a second copy could land in the
// bulk phase the first one opened, its bytes taken for a block's. The
// command's answer missing for the whole of three tries' waits, or
// damaged, leaves the link given up; the adapter, which may take blocks,
// then gets this write's block and, once that is answered, the close with
// the supply off, and nothing else: no second copy of the command.
TEST_F(OwedReplyTest, BlockWriteCommandIsNeverSentTwice) {
    Bytes cut = OkReply(15);
    cut.resize(cut.size() - 3);
    struct Case {
        const char* what;
        Bytes answer; // to the command's first copy
    } const cases[] = {
        {"its answer never comes", {}},
        {"its answer comes damaged", cut},
    };
    const Bytes ack = {0, 0, 0, 6, 1, 0, 0, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPeer peer({{1, 0, c.answer}, {0, 10 + 512, ack}, {1, 0, OkReply(2)}});
        ASSERT_TRUE(peer.ok()) << peer.error();
        const Bytes block(512, 0x5A);
        EXPECT_EQ(debugif::UifBlockWrite89(0x8000, block.data(), 512), -1);
        EXPECT_EQ(Api.LastErrorNumber, 35);
        EXPECT_EQ(Api.InterfaceOpen, 0) << "the link was not given up";
        EXPECT_EQ(UifLink.supply_off_confirmed, 1);
        EXPECT_EQ(peer.StepsReached(), 3u);
        const Bytes sent = peer.Received();
        EXPECT_EQ(std::count(sent.begin(), sent.end(), uint8_t{0x7E}), 4)
            << "the command and the close, nothing more";
        const Bytes header = {1, 0, 0x00, 0x80, 0, 0, 0x00, 0x02, 0, 0};
        const auto at = std::search(sent.begin(), sent.end(), header.begin(), header.end());
        ASSERT_NE(at, sent.end()) << "the block";
        EXPECT_EQ(Bytes(at + 10, at + 10 + 512), block);
        // The close: id 2, parameters, one: the supply off.
        EXPECT_EQ(Bytes(at + 10 + 512, at + 10 + 512 + 4), Bytes({0x7E, 2, 2, 1}));
    }
}

// A read that took a second try still owes the first try's answer when
// the block write begins. That answer comes ahead of the block-write
// command's and is read past; the block goes out after the command's own
// answer, and its acknowledgement ends the write.
TEST_F(OwedReplyTest, BlockFollowsTheCommandsOwnAnswerAfterALateReply) {
    const Bytes read = sim::EmuEncodeReply(13, 3, 0, 0, {}, {1, 2, 3, 4});
    Bytes late_then_own = read;
    const Bytes own = OkReply(15);
    late_then_own.insert(late_then_own.end(), own.begin(), own.end());
    const Bytes ack = {0, 0, 0, 6, 1, 0, 0, 0};
    ScriptedPeer peer({{1, 0, {}}, {1, 0, read}, {1, 0, late_then_own}, {0, 10 + 512, ack}});
    ASSERT_TRUE(peer.ok()) << peer.error();
    ASSERT_EQ(Transact(13, 2, {0x1000, 4}), 0);
    EXPECT_EQ(ReplyData(), Bytes({1, 2, 3, 4}));
    const Bytes block(512, 0x5A);
    EXPECT_EQ(debugif::UifBlockWrite89(0x8000, block.data(), 512), 0);
    EXPECT_EQ(Api.LastErrorNumber, 0);
    EXPECT_EQ(peer.StepsReached(), 4u);
    const Bytes sent = peer.Received();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), uint8_t{0x7E}), 6)
        << "two copies of the read, one block-write command";
    ASSERT_GE(sent.size(), 10u + 512u);
    EXPECT_EQ(Bytes(sent.end() - 512, sent.end()), block);
}

// A verify whose announcement took a second try: the adapter answers the
// announcement's first try only after the host sent it again. Whatever of
// the second copy's answer comes, it comes ahead of the verify's interim
// pairs and must be read past before them; a verify the adapter passed
// passes, one it refused fails with its reason.
TEST_F(OwedReplyTest, VerifyAfterARetriedAnnouncementReadsTheOwedReplyBeforeItsPairs) {
    const Bytes pairs = {20, 1, 20, 2, 0x00, 0xFF};
    auto with_pairs = [&](const Bytes& reply) {
        Bytes b = pairs;
        b.insert(b.end(), reply.begin(), reply.end());
        return b;
    };
    auto both = [](const Bytes& a, const Bytes& b) {
        Bytes out = a;
        out.insert(out.end(), b.begin(), b.end());
        return out;
    };
    const Bytes refused = sim::EmuEncodeReply(20, 1, 1, 28, {}, {});
    struct Case {
        const char* what;
        Bytes second_announce; // what the second try of the announcement brings
        Bytes verify;          // what the verify brings
        int32_t result;
        int32_t error;
    } const cases[] = {
        {"the owed reply comes ahead of the pairs", both(OkReply(45), OkReply(45)),
         with_pairs(OkReply(20)), 0, 0},
        {"the owed reply comes with the verify's answer", OkReply(45),
         both(OkReply(45), with_pairs(OkReply(20))), 0, 0},
        {"the owed reply never comes", OkReply(45), with_pairs(OkReply(20)), 0, 0},
        {"the verify is refused", OkReply(45), both(OkReply(45), with_pairs(refused)), -1, 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPeer peer({{1, 0, {}}, {1, 0, c.second_announce}, {1, 0, c.verify}});
        ASSERT_TRUE(peer.ok()) << peer.error();
        debugif::UifCommands.UifFirmwareVersion = 20401004;
        EXPECT_EQ(debugif::UifVerify(0xF800, 0x200, 0x1234, 0xFFFF), c.result);
        EXPECT_EQ(Api.LastErrorNumber, c.error);
        EXPECT_EQ(Api.InterfaceOpen, 1) << "the link was given up";
        EXPECT_EQ(peer.StepsReached(), 3u);
        EXPECT_EQ(UifLink.ExpectInterimPairs, 0);
    }
}

} // namespace
