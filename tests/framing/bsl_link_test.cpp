// The bootloader link against the emulated adapter in its bootloader mode,
// over a real pseudo-terminal.

#include "debugif/bsl_link.h"
#include "tests/framing/framing_fixture.h"

#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;
using sim::EmuBslAnswer;

class BslLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(link_.ok()) << link_.error();
        faults_.bootloader = true;
        link_.adapter.SetFaults(faults_);
    }
    void Answer(EmuBslAnswer::Kind kind, Bytes data = {}) {
        link_.handler.bootloader_answer.kind = kind;
        link_.handler.bootloader_answer.data = std::move(data);
    }
    void SetFaults() { link_.adapter.SetFaults(faults_); }
    // The connect's probe: command 0x38 at 0x0C00 for 2 bytes.
    int32_t Probe(uint8_t* reply, uint32_t capacity, uint32_t* count) {
        return debugif::BslCommand(0x38, 0x0C00, 2, nullptr, reply, capacity, count);
    }

    framing_test::PtyLink link_;
    sim::EmuFaults faults_;
};

TEST_F(BslLinkTest, ConnectProbeFrameAndAcknowledge) {
    uint8_t reply[2] = {0xEE, 0xEE};
    uint32_t count = 9;
    EXPECT_EQ(Probe(reply, 2, &count), debugif::kBslOk);
    EXPECT_EQ(count, 0u) << "an acknowledge carries no data";
    EXPECT_EQ(reply[0], 0xEE);
    const sim::EmuTrace t = link_.adapter.trace();
    EXPECT_EQ(t.sync_times.size(), 1u);
    ASSERT_EQ(t.bsl_frames.size(), 1u);
    EXPECT_THAT(t.bsl_frames[0],
                ::testing::ElementsAre(0x80, 0x38, 0x04, 0x04, 0x00, 0x0C, 0x02, 0x00, 0x79, 0xCF));
}

TEST_F(BslLinkTest, SilentBootloaderGetsThreeSyncBytesAndNoFrame) {
    faults_.bsl_sync_silent = true;
    SetFaults();
    uint8_t reply[2] = {};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Probe(reply, 2, nullptr), debugif::kBslSyncFailed);
    auto total = std::chrono::steady_clock::now() - start;
    const sim::EmuTrace t = link_.adapter.trace();
    ASSERT_EQ(t.sync_times.size(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(t.sync_times[i] -
                                                                         t.sync_times[i - 1]);
        EXPECT_GE(gap.count(), 85) << "about 100 ms apart";
        EXPECT_LT(gap.count(), 1000);
    }
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(total).count(), 290);
    EXPECT_TRUE(t.bsl_frames.empty());
    EXPECT_EQ(debugif::BslSync(), debugif::kBslSyncFailed);
}

TEST_F(BslLinkTest, ReplyBytesByTheirHighNibble) {
    struct Case {
        uint8_t first;
        int32_t result;
    };
    const Case cases[] = {{0x90, 0}, {0x93, 0}, {0x9F, 0}, {0xA0, 8}, {0xA5, 8},
                          {0x70, 8}, {0x7E, 8}, {0x55, 1}, {0xB0, 1}, {0x01, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.first));
        faults_.bsl_first_byte = c.first;
        SetFaults();
        uint8_t reply[2];
        EXPECT_EQ(Probe(reply, 2, nullptr), c.result);
    }
}

TEST_F(BslLinkTest, DataFrames) {
    uint8_t reply[4] = {};
    uint32_t count = 0;
    Answer(EmuBslAnswer::Kind::kData, {0xD0, 0xD1});
    EXPECT_EQ(Probe(reply, 2, &count), debugif::kBslOk);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(reply[0], 0xD0);
    EXPECT_EQ(reply[1], 0xD1);

    // Never more than the caller has room for.
    Answer(EmuBslAnswer::Kind::kData, {1, 2, 3, 4, 5, 6});
    std::fill(std::begin(reply), std::end(reply), 0xEE);
    EXPECT_EQ(Probe(reply, 3, &count), debugif::kBslOk);
    EXPECT_EQ(count, 3u);
    EXPECT_THAT(reply, ::testing::ElementsAre(1, 2, 3, 0xEE));

    // Frames that fail a check hand out nothing.
    struct Case {
        const char* what;
        int32_t l2_delta;
        bool bad_checksum;
    };
    const Case bad[] = {{"L1 != L2", 1, false}, {"checksum", 0, true}};
    Answer(EmuBslAnswer::Kind::kData, {0xD0, 0xD1});
    for (const Case& c : bad) {
        SCOPED_TRACE(c.what);
        faults_.bsl_l2_delta = c.l2_delta;
        faults_.bsl_bad_checksum = c.bad_checksum;
        SetFaults();
        std::fill(std::begin(reply), std::end(reply), 0xEE);
        EXPECT_EQ(Probe(reply, 4, &count), debugif::kBslBadReply);
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(reply[0], 0xEE);
    }
}

TEST_F(BslLinkTest, FramesWithDataAndPadding) {
    // Three data bytes: a payload of 7, padded to 8 with 0xFF.
    const uint8_t data[] = {0xA1, 0xA2, 0xA3};
    EXPECT_EQ(debugif::BslCommand(0x12, 0x0220, 3, data, nullptr, 0), debugif::kBslOk);
    const sim::EmuTrace t = link_.adapter.trace();
    ASSERT_EQ(t.bsl_frames.size(), 1u);
    EXPECT_THAT(Bytes(t.bsl_frames[0].begin(), t.bsl_frames[0].begin() + 12),
                ::testing::ElementsAre(0x80, 0x12, 8, 8, 0x20, 0x02, 3, 0, 0xA1, 0xA2, 0xA3, 0xFF));
    // The emulator checked the checksum, or it would have refused.

    // A frame without a reply byte.
    link_.ShortenReadTimeouts(200);
    Answer(EmuBslAnswer::Kind::kNone);
    EXPECT_EQ(debugif::BslCommand(0x12, 0x0220, 3, data, nullptr, 0), debugif::kBslNoReply);

    // Too much data for one frame: nothing is sent at all.
    const Bytes big(251, 0x11);
    const size_t syncs = link_.adapter.trace().sync_times.size();
    EXPECT_EQ(debugif::BslCommand(0x12, 0, 251, big.data(), nullptr, 0), debugif::kBslBadReply);
    EXPECT_EQ(link_.adapter.trace().sync_times.size(), syncs);
    EXPECT_EQ(debugif::SendBootloaderFrame(0x12, big.data(), 255), debugif::kBslBadReply);
}

} // namespace
