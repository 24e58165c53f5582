// The emulated adapter's own wire handling: what its unframer accepts and
// ignores, and what it sends for the replies, bulk blocks and the
// bootloader, fed directly without a transport.

#include "sim/emu_adapter.h"
#include "sim/emu_basic_handler.h"
#include "sim/emu_wire.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using ::testing::ElementsAre;

Bytes Joined(const std::vector<sim::EmuOutput>& out) {
    Bytes all;
    for (const auto& o : out) {
        all.insert(all.end(), o.bytes.begin(), o.bytes.end());
    }
    return all;
}

std::vector<sim::EmuOutput> Feed(sim::EmuAdapter& a, const Bytes& b) {
    return a.Receive(b.data(), b.size());
}

const Bytes kConnect = {0x7E, 0x01, 0x01, 0x16, 0x07, 0x7E};

// A message with its FCS, framed the way the host frames it.
Bytes FrameOf(Bytes m) {
    const uint16_t fcs = static_cast<uint16_t>(~sim::EmuFcs16(m.data(), m.size()));
    m.push_back(static_cast<uint8_t>(fcs));
    m.push_back(static_cast<uint8_t>(fcs >> 8));
    Bytes frame = {0x7E};
    for (uint8_t b : m) {
        if (b == 0x7E || b == 0x7D) {
            frame.insert(frame.end(), {0x7D, static_cast<uint8_t>(b ^ 0x20)});
        } else {
            frame.push_back(b);
        }
    }
    frame.push_back(0x7E);
    return frame;
}

TEST(EmuUnframer, FramesBetweenFlagsAndNothingElse) {
    sim::EmuBasicHandler h;
    sim::EmuAdapter a(h, sim::EmuLink::kSerial);
    // Padding and noise between frames, doubled flags, then the frame.
    Bytes in = {0xFF, 0xFF, 0x01, 0x7E, 0x7E};
    in.insert(in.end(), kConnect.begin() + 1, kConnect.end());
    in.insert(in.end(), {0xFF, 0xFF});
    Bytes out = Joined(Feed(a, in));
    ASSERT_EQ(out.size(), 2u + 12u);
    EXPECT_THAT(Bytes(out.begin(), out.begin() + 8), ElementsAre(12, 0, 1, 2, 0, 0, 1, 0));
    sim::EmuTrace t = a.trace();
    ASSERT_EQ(t.requests.size(), 1u);
    EXPECT_EQ(t.requests[0].id, 1);
    EXPECT_EQ(t.bad_frames, 0u);
    EXPECT_EQ(t.frames[0], kConnect);
}

TEST(EmuUnframer, BrokenFramesGetNoAnswer) {
    sim::EmuBasicHandler h;
    sim::EmuAdapter a(h, sim::EmuLink::kSerial);
    const Bytes bad_fcs = {0x7E, 0x01, 0x01, 0x16, 0x08, 0x7E};
    const Bytes aborted = {0x7E, 0x01, 0x01, 0x7D, 0x7E}; // the flag opens the next frame
    const Bytes bad_layout =
        FrameOf({0x0D, 0x02, 0x01, 0x00}); // one parameter announced, none there
    EXPECT_TRUE(Feed(a, bad_fcs).empty());
    EXPECT_TRUE(Feed(a, aborted).empty());
    // The abort's flag opened a frame: the connect's own opening flag then
    // closes an empty one, and the connect still comes through.
    EXPECT_FALSE(Joined(Feed(a, kConnect)).empty());
    Bytes lone(sim::EmuUnframer::kMaxFrame + 10, 0x11);
    lone.insert(lone.begin(), 0x7E);
    EXPECT_TRUE(Feed(a, lone).empty());
    EXPECT_TRUE(Feed(a, bad_layout).empty());
    sim::EmuTrace t = a.trace();
    EXPECT_EQ(t.requests.size(), 1u);
    EXPECT_EQ(t.bad_frames, 4u);
    // After all that the link still works.
    EXPECT_FALSE(Joined(Feed(a, kConnect)).empty());
}

// Bytes go into the unframer by runs; what comes out must be what byte by
// byte gives, for streams of noise, flags, escapes and frames too long, cut
// into pieces anywhere.
TEST(EmuUnframer, RunsGiveTheFramesThatBytesGive) {
    struct Case {
        const char* what;
        uint32_t flagOneIn; // a byte is a flag, an escape, else random
        uint32_t escapeOneIn;
        size_t length;
        size_t maxPiece;
    };
    const Case cases[] = {
        {"short frames, many escapes", 12, 6, 3000, 40},
        {"sparse flags, long frames", 3000, 50, 30000, 700},
        {"frames past the limit", 9000, 400, 40000, 5000},
        {"flags and escapes in a row", 2, 2, 2000, 5},
    };
    std::mt19937 rng(42);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes stream(c.length);
        for (uint8_t& b : stream) {
            b = rng() % c.flagOneIn == 0     ? 0x7E
                : rng() % c.escapeOneIn == 0 ? 0x7D
                                             : static_cast<uint8_t>(rng());
        }
        sim::EmuUnframer bytewise;
        std::vector<Bytes> want;
        for (uint8_t b : stream) {
            if (bytewise.Push(b)) {
                want.push_back(bytewise.frame());
                want.push_back(bytewise.raw());
            }
        }
        sim::EmuUnframer runs;
        std::vector<Bytes> got;
        for (size_t at = 0; at < stream.size();) {
            const size_t piece = std::min(stream.size() - at, 1 + rng() % c.maxPiece);
            size_t taken = 0;
            while (taken < piece) {
                bool done = false;
                const size_t n = runs.Push(stream.data() + at + taken, piece - taken, done);
                ASSERT_GT(n, 0u);
                taken += n;
                if (done) {
                    got.push_back(runs.frame());
                    got.push_back(runs.raw());
                }
            }
            at += piece;
        }
        EXPECT_EQ(got, want);
        EXPECT_EQ(runs.aborted(), bytewise.aborted());
        EXPECT_EQ(runs.Idle(), bytewise.Idle());
    }
}

TEST(EmuAdapter, InterimPairsBulkAcksAndFaults) {
    sim::EmuBasicHandler h;
    sim::EmuAdapter a(h, sim::EmuLink::kSerial);
    sim::EmuFaults f;
    f.wrong_id = 1;
    f.delay_ms = 5;
    a.SetFaults(f);
    auto out = Feed(a, kConnect);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].delay_ms, 5u);
    EXPECT_EQ(out[0].bytes[2], 2) << "the next command id";
    EXPECT_EQ(a.faults().wrong_id, 0u) << "a counter is used up";
    out = Feed(a, kConnect);
    EXPECT_EQ(out[0].bytes[2], 1);

    // Bulk phase: 15 with 2 blocks, then two unframed blocks, each answered.
    a.SetFaults({});
    ASSERT_FALSE(Joined(Feed(a, FrameOf({15, 2, 1, 0, 2, 0, 0, 0}))).empty());
    Bytes block = {1, 0, 0x00, 0x20, 0, 0, 3, 0, 0, 0, 0xA1, 0xA2, 0x7E};
    EXPECT_THAT(Joined(Feed(a, block)), ElementsAre(0, 0, 0, 6, 1, 0, 0, 0));
    block[0] = 2;
    EXPECT_THAT(Joined(Feed(a, block)), ElementsAre(0, 0, 0, 6, 2, 0, 0, 0));
    EXPECT_EQ(h.memory[0x2000], 0xA1);
    EXPECT_EQ(h.memory[0x2002], 0x7E);
    // Back to frames.
    EXPECT_FALSE(Joined(Feed(a, kConnect)).empty());
    EXPECT_EQ(a.trace().bulk_blocks.size(), 2u);

    // Both blocks and the next frame in one piece, then a block a byte at a
    // time: each block is answered where it ends, the frame after them.
    ASSERT_FALSE(Joined(Feed(a, FrameOf({15, 2, 1, 0, 2, 0, 0, 0}))).empty());
    Bytes together = block;
    together[0] = 1;
    together.insert(together.end(), block.begin(), block.end());
    together.insert(together.end(), kConnect.begin(), kConnect.end());
    out = Feed(a, together);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_THAT(out[0].bytes, ElementsAre(0, 0, 0, 6, 1, 0, 0, 0));
    EXPECT_THAT(out[1].bytes, ElementsAre(0, 0, 0, 6, 2, 0, 0, 0));
    EXPECT_EQ(out[2].bytes[2], 1) << "the connect's reply";
    ASSERT_FALSE(Joined(Feed(a, FrameOf({15, 2, 1, 0, 1, 0, 0, 0}))).empty());
    block[0] = 1;
    for (size_t i = 0; i + 1 < block.size(); ++i) {
        EXPECT_TRUE(Feed(a, Bytes{block[i]}).empty()) << "byte " << i;
    }
    EXPECT_THAT(Joined(Feed(a, Bytes{block.back()})), ElementsAre(0, 0, 0, 6, 1, 0, 0, 0));
    EXPECT_FALSE(Joined(Feed(a, kConnect)).empty());
    EXPECT_EQ(a.trace().bulk_blocks.size(), 5u);
}

TEST(EmuAdapter, SkipLetsTheFirstSpoilsPass) {
    sim::EmuBasicHandler h;
    sim::EmuAdapter a(h, sim::EmuLink::kSerial);
    sim::EmuFaults f;
    f.corrupt = 1;
    f.skip = 2;
    a.SetFaults(f);
    const Bytes clean = Joined(Feed(a, kConnect));
    EXPECT_EQ(Joined(Feed(a, kConnect)), clean);
    EXPECT_NE(Joined(Feed(a, kConnect)), clean) << "the third reply is spoiled";
    EXPECT_EQ(Joined(Feed(a, kConnect)), clean);
    EXPECT_EQ(a.faults().skip, 0u);

    // Bulk answers skip the same way.
    f = {};
    f.bulk_error = 1;
    f.skip = 1;
    a.SetFaults(f);
    ASSERT_FALSE(Joined(Feed(a, FrameOf({15, 2, 1, 0, 2, 0, 0, 0}))).empty());
    Bytes block = {1, 0, 0x00, 0x20, 0, 0, 3, 0, 0, 0, 0xA1, 0xA2, 0x7E};
    EXPECT_THAT(Joined(Feed(a, block)), ElementsAre(0, 0, 0, 6, 1, 0, 0, 0));
    block[0] = 2;
    EXPECT_THAT(Joined(Feed(a, block)), ElementsAre(0, 0, 0, 0, 1, 7, 0, 0));

    // Nothing due: the skip is kept for a later fault.
    f = {};
    f.skip = 1;
    a.SetFaults(f);
    Feed(a, kConnect);
    EXPECT_EQ(a.faults().skip, 1u);
}

TEST(EmuAdapter, BootloaderAnswersSyncAndFrames) {
    sim::EmuBasicHandler h;
    sim::EmuAdapter a(h, sim::EmuLink::kSerial);
    sim::EmuFaults f;
    f.bootloader = true;
    a.SetFaults(f);
    EXPECT_TRUE(Feed(a, kConnect).empty()) << "the adapter firmware is gone";
    EXPECT_THAT(Joined(Feed(a, {0x80})), ElementsAre(0x90));
    EXPECT_THAT(Joined(Feed(a, {0x80, 0x38, 0x04, 0x04, 0x00, 0x0C, 0x02, 0x00, 0x79, 0xCF})),
                ElementsAre(0x90));
    // A frame with a wrong checksum is refused.
    Feed(a, {0x80});
    EXPECT_THAT(Joined(Feed(a, {0x80, 0x38, 0x04, 0x04, 0x00, 0x0C, 0x02, 0x00, 0x79, 0xCE})),
                ElementsAre(0xA0));
    // A data answer: 0x80 0x00 L1 L2, data, checksum over all of it.
    a.Locked([&] {
        h.bootloader_answer.kind = sim::EmuBslAnswer::Kind::kData;
        h.bootloader_answer.data = {0x12, 0x34};
        return 0;
    });
    Feed(a, {0x80});
    Bytes out = Joined(Feed(a, {0x80, 0x38, 0x04, 0x04, 0x00, 0x0C, 0x02, 0x00, 0x79, 0xCF}));
    ASSERT_EQ(out.size(), 8u);
    EXPECT_THAT(Bytes(out.begin(), out.begin() + 6), ElementsAre(0x80, 0x00, 2, 2, 0x12, 0x34));
    const uint16_t sum = sim::EmuBslChecksum(out.data(), 6);
    EXPECT_EQ(out[6], sum & 0xFF);
    EXPECT_EQ(out[7], sum >> 8);
    EXPECT_EQ(a.trace().sync_times.size(), 3u);
}

} // namespace
