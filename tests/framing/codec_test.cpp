// The adapter message codec on its own: FCS, message layout, framing, HID
// padding and pre-send blocks, reply checks; checked against the known
// vectors and against the emulated adapter's independent codec.

#include "core/le_block.h"
#include "debugif/bsl_link.h"
#include "debugif/uif_fcs.h"
#include "debugif/uif_reply.h"
#include "debugif/uif_request.h"
#include "sim/emu_wire.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <vector>

namespace {

using debugif::UifRequest;
using debugif::UifResponse;
using Bytes = std::vector<uint8_t>;

UifRequest Request(uint8_t id, uint8_t type, std::vector<uint32_t> params = {},
                   const Bytes* data = nullptr) {
    UifRequest r;
    r.command_id = id;
    r.message_type = type;
    r.parameter_count = static_cast<uint16_t>(params.size());
    for (size_t i = 0; i < params.size() && i < 6; ++i) {
        r.parameters[i] = params[i];
    }
    if (data != nullptr) {
        r.data_length = static_cast<uint32_t>(data->size());
        r.data = data->data();
    }
    return r;
}

Bytes Message(const UifRequest& r) {
    Bytes out(debugif::kUifMessageBufferSize);
    out.resize(debugif::BuildUifMessage(r, out.data(), out.size()));
    return out;
}

Bytes Frame(const Bytes& message) {
    Bytes out(debugif::kUifFrameBufferSize);
    out.resize(debugif::FrameUifMessage(message.data(), message.size(), out.data(), out.size()));
    return out;
}

// R reply bytes: body and its complemented FCS, low byte first.
Bytes Reply(Bytes body) {
    uint16_t fcs = static_cast<uint16_t>(~debugif::ComputeFcs16(
        debugif::kFcsStart, body.data(), static_cast<uint16_t>(body.size())));
    body.push_back(static_cast<uint8_t>(fcs));
    body.push_back(static_cast<uint8_t>(fcs >> 8));
    return body;
}

TEST(UifCodec, FcsMatchesTheKnownValueAndTheIndependentBitwiseForm) {
    const uint8_t connect[] = {0x01, 0x01};
    uint16_t fcs = static_cast<uint16_t>(~debugif::ComputeFcs16(0xFFFF, connect, 2));
    EXPECT_EQ(fcs & 0xFF, 0x16);
    EXPECT_EQ(fcs >> 8, 0x07);
    const uint8_t with_fcs[] = {0x01, 0x01, 0x16, 0x07};
    EXPECT_EQ(debugif::ComputeFcs16(0xFFFF, with_fcs, 4), debugif::kFcsGoodResidue);
    // The check value of RFC 1662's FCS over "123456789".
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(static_cast<uint16_t>(~debugif::ComputeFcs16(0xFFFF, check, 9)), 0x906E);

    std::mt19937 rng(7);
    for (int n : {0, 1, 2, 3, 17, 255, 1000}) {
        Bytes b(static_cast<size_t>(n));
        for (auto& x : b) {
            x = static_cast<uint8_t>(rng());
        }
        for (uint16_t start : {uint16_t{0xFFFF}, uint16_t{0}, uint16_t{0x1234}}) {
            EXPECT_EQ(debugif::ComputeFcs16(start, b.data(), static_cast<uint16_t>(n)),
                      sim::EmuFcs16(b.data(), b.size(), start))
                << n;
        }
    }
}

TEST(UifCodec, KnownRequestFrames) {
    EXPECT_THAT(Frame(Message(Request(1, 1))),
                ::testing::ElementsAre(0x7E, 0x01, 0x01, 0x16, 0x07, 0x7E));
    EXPECT_THAT(Frame(Message(Request(13, 2, {0x1000, 128}))),
                ::testing::ElementsAre(0x7E, 0x0D, 0x02, 0x02, 0x00, 0x00, 0x10, 0x00, 0x00, 0x80,
                                       0x00, 0x00, 0x00, 0xDA, 0x81, 0x7E));
    // Types 3 and 4 carry the data length and the data.
    const Bytes data = {0xAA, 0xBB};
    Bytes m = Message(Request(14, 4, {0x0200}, &data));
    EXPECT_THAT(Bytes(m.begin(), m.end() - 2),
                ::testing::ElementsAre(14, 4, 1, 0, 0x00, 0x02, 0, 0, 2, 0, 0, 0, 0xAA, 0xBB));
    m = Message(Request(43, 3, {}, &data));
    EXPECT_THAT(Bytes(m.begin(), m.end() - 2),
                ::testing::ElementsAre(43, 3, 2, 0, 0, 0, 0xAA, 0xBB));
    // A type without parameters ignores a parameter count left in the block.
    EXPECT_EQ(Message(Request(1, 1, {5, 6})), Message(Request(1, 1)));
}

TEST(UifCodec, StuffingCoversDataAndFcsAndTheFcsIsOverTheUnstuffedMessage) {
    const Bytes data = {0x7E, 0x11, 0x7D, 0x5E, 0x5D};
    Bytes m = Message(Request(14, 4, {0x7E7D}, &data));
    Bytes f = Frame(m);
    const Bytes body = {0x0E, 0x04, 0x01, 0x00, 0x7D, 0x5D, 0x7D, 0x5E, 0x00, 0x00, 0x05,
                        0x00, 0x00, 0x00, 0x7D, 0x5E, 0x11, 0x7D, 0x5D, 0x5E, 0x5D};
    ASSERT_GT(f.size(), body.size() + 2);
    EXPECT_EQ(Bytes(f.begin() + 1, f.begin() + 1 + static_cast<long>(body.size())), body);
    EXPECT_EQ(debugif::ComputeFcs16(0xFFFF, m.data(), static_cast<uint16_t>(m.size())),
              debugif::kFcsGoodResidue);

    // Messages whose FCS holds a flag or an escape byte: the FCS goes out
    // stuffed too. Found by walking a parameter value.
    for (uint8_t special : {uint8_t{0x7E}, uint8_t{0x7D}}) {
        bool found = false;
        for (uint32_t v = 0; v < 0x20000 && !found; ++v) {
            Bytes msg = Message(Request(13, 2, {v, 128}));
            const uint8_t lo = msg[msg.size() - 2];
            const uint8_t hi = msg[msg.size() - 1];
            if (lo != special && hi != special) {
                continue;
            }
            bool only_fcs = true;
            for (size_t i = 0; i + 2 < msg.size(); ++i) {
                only_fcs = only_fcs && msg[i] != 0x7E && msg[i] != 0x7D;
            }
            if (!only_fcs) {
                continue;
            }
            found = true;
            Bytes fr = Frame(msg);
            Bytes expected = {0x7E};
            expected.insert(expected.end(), msg.begin(), msg.end() - 2);
            for (uint8_t b : {lo, hi}) {
                if (b == 0x7E || b == 0x7D) {
                    expected.insert(expected.end(), {0x7D, static_cast<uint8_t>(b ^ 0x20)});
                } else {
                    expected.push_back(b);
                }
            }
            expected.push_back(0x7E);
            EXPECT_EQ(fr, expected) << "parameter " << v;
        }
        EXPECT_TRUE(found) << "no FCS with " << int(special);
    }
}

TEST(UifCodec, RequestsThatCannotBeBuiltOrFramed) {
    UifRequest seven = Request(5, 2, {1, 2, 3, 4, 5, 6});
    seven.parameter_count = 7;
    uint8_t out[64];
    EXPECT_EQ(debugif::BuildUifMessage(seven, out, sizeof out), 0u);
    UifRequest no_data = Request(14, 4, {0x200});
    no_data.data_length = 4; // but no pointer
    EXPECT_EQ(debugif::BuildUifMessage(no_data, out, sizeof out), 0u);
    EXPECT_EQ(debugif::BuildUifMessage(Request(1, 1), out, 3), 0u);
    EXPECT_EQ(debugif::BuildUifMessage(Request(1, 1), out, 4), 4u);

    // Worst-case stuffing doubles the message: a frame that would not fit is refused.
    const Bytes flags(1020, 0x7E);
    Bytes m = Message(Request(14, 4, {0}, &flags));
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(Frame(m).size(), 0u);
    const Bytes fits(1000, 0x7E);
    EXPECT_GT(Frame(Message(Request(14, 4, {0}, &fits))).size(), 2000u);
}

TEST(UifCodec, HidFramePadding) {
    struct Case {
        size_t frame;
        size_t sent;
    };
    const Case cases[] = {{6, 6},   {17, 17}, {18, 32}, {20, 32},  {32, 32},
                          {33, 63}, {62, 63}, {63, 63}, {100, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        Bytes f(128, 0xAB);
        EXPECT_EQ(debugif::PadHidFrame(f.data(), c.frame, f.size()), c.sent);
        for (size_t i = c.frame; i < c.sent; ++i) {
            EXPECT_EQ(f[i], 0xFF);
        }
        EXPECT_EQ(f[c.sent], 0xAB) << "nothing written past the padding";
    }
    Bytes small(20);
    EXPECT_EQ(debugif::PadHidFrame(small.data(), 20, 20), 20u) << "no room: sent unpadded";
}

TEST(UifCodec, HidPresendSelection) {
    EXPECT_TRUE(debugif::UifNeedsHidPresend(Request(41, 4, {1, 2, 3})));
    EXPECT_TRUE(debugif::UifNeedsHidPresend(Request(14, 4, {0x200})));
    EXPECT_TRUE(debugif::UifNeedsHidPresend(Request(9, 4, {0xFFFF})));
    EXPECT_TRUE(debugif::UifNeedsHidPresend(Request(42, 4, {0, 0xB0, 0})));
    EXPECT_FALSE(debugif::UifNeedsHidPresend(Request(42, 4, {0, 0xB0, 1})));
    EXPECT_FALSE(debugif::UifNeedsHidPresend(Request(43, 3)));
    EXPECT_FALSE(debugif::UifNeedsHidPresend(Request(13, 2, {0x1000, 128})));
}

TEST(UifCodec, HidPresendBlocks) {
    struct Case {
        uint32_t remaining;
        size_t block;
        uint32_t chunk;
    };
    const Case cases[] = {
        {600, 255, 251}, {251, 255, 251}, {250, 63, 59}, {59, 63, 59}, {58, 63, 58}, {29, 63, 29},
        {28, 32, 28},    {15, 32, 15},    {14, 32, 14},  {13, 17, 13}, {1, 5, 1},
    };
    Bytes data(600);
    std::iota(data.begin(), data.end(), uint8_t{0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remaining);
        uint8_t block[debugif::kHidPresendBlockMax + 1];
        std::fill(std::begin(block), std::end(block), 0xAB);
        uint32_t chunk = 0;
        EXPECT_EQ(debugif::CutHidPresendBlock(data.data() + 3, c.remaining, 0x0103, block, &chunk),
                  c.block);
        EXPECT_EQ(chunk, c.chunk);
        EXPECT_EQ(block[0], 0x83);
        EXPECT_EQ(block[1], 0x03);
        EXPECT_EQ(block[2], 0x01);
        EXPECT_EQ(block[3], c.chunk);
        EXPECT_TRUE(std::equal(block + 4, block + 4 + chunk, data.begin() + 3));
        for (size_t i = 4 + chunk; i < c.block; ++i) {
            EXPECT_EQ(block[i], 0xFF);
        }
        EXPECT_EQ(block[c.block], 0xAB);
    }

    // The 74-byte device record of command 41: one 63-byte block and one 32-byte block.
    uint8_t block[debugif::kHidPresendBlockMax];
    uint32_t chunk = 0;
    EXPECT_EQ(debugif::CutHidPresendBlock(data.data(), 74, 0, block, &chunk), 63u);
    EXPECT_EQ(chunk, 59u);
    EXPECT_EQ(debugif::CutHidPresendBlock(data.data() + 59, 15, 59, block, &chunk), 32u);
    EXPECT_EQ(chunk, 15u);
    EXPECT_THAT(Bytes(block, block + 4), ::testing::ElementsAre(0x83, 59, 0, 15));
}

TEST(UifCodec, ReplyChecks) {
    using debugif::UifReplyCheck;
    struct Case {
        const char* what;
        Bytes reply;
        UifReplyCheck check;
    };
    Bytes good_fcs_broken = Reply({1, 1, 0, 0});
    good_fcs_broken[1] ^= 0x10;
    const Case cases[] = {
        {"bare", Reply({1, 1, 0, 0}), UifReplyCheck::kOk},
        {"status with params unread", Reply({13, 2, 1, 6}), UifReplyCheck::kOk},
        {"too short", Reply({1, 1, 0}), UifReplyCheck::kBadLength},
        {"fcs", good_fcs_broken, UifReplyCheck::kBadFcs},
        {"seven parameters", Reply({1, 2, 0, 0, 7, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0,
                                    0, 4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0}),
         UifReplyCheck::kCorrupt},
        {"parameters past the end", Reply({1, 2, 0, 0, 2, 0, 1, 0, 0, 0}), UifReplyCheck::kCorrupt},
        {"no parameter count", Reply({1, 2, 0, 0, 1}), UifReplyCheck::kCorrupt},
        {"data past the end", Reply({13, 3, 0, 0, 3, 0, 0, 0, 0xAA, 0xBB}),
         UifReplyCheck::kCorrupt},
        {"data length cut", Reply({13, 3, 0, 0, 3, 0}), UifReplyCheck::kCorrupt},
        {"huge data length", Reply({13, 3, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xAA}),
         UifReplyCheck::kCorrupt},
        {"trailing bytes are allowed", Reply({13, 3, 0, 0, 1, 0, 0, 0, 0xAA, 0xBB}),
         UifReplyCheck::kOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UifResponse r;
        r.command_id = 99;
        EXPECT_EQ(debugif::ParseUifReply(c.reply.data(), static_cast<uint32_t>(c.reply.size()), &r),
                  c.check);
        if (c.check != UifReplyCheck::kOk) {
            EXPECT_EQ(r.command_id, 0) << "a failed check leaves nothing behind";
            EXPECT_EQ(r.data, nullptr);
        }
    }
    Bytes big(2049, 0);
    UifResponse r;
    EXPECT_EQ(debugif::ParseUifReply(big.data(), 2049, &r), UifReplyCheck::kBadLength);
    EXPECT_FALSE(debugif::UifReplyLengthValid(5));
    EXPECT_TRUE(debugif::UifReplyLengthValid(6));
    EXPECT_TRUE(debugif::UifReplyLengthValid(2048));
    EXPECT_FALSE(debugif::UifReplyLengthValid(2049));
}

TEST(UifCodec, RepliesFromTheEmulatorParse) {
    const Bytes data = {1, 2, 3, 0x7E};
    Bytes wire = sim::EmuEncodeReply(13, 4, 0, 0, {0x11223344, 5}, data);
    ASSERT_EQ(core::LoadU16(wire.data()), wire.size() - 2);
    UifResponse r;
    ASSERT_EQ(debugif::ParseUifReply(wire.data() + 2, static_cast<uint32_t>(wire.size() - 2), &r),
              debugif::UifReplyCheck::kOk);
    EXPECT_EQ(r.command_id, 13);
    EXPECT_EQ(r.message_type, 4);
    EXPECT_EQ(r.parameter_count, 2);
    EXPECT_EQ(r.parameters[0], 0x11223344u);
    EXPECT_EQ(r.parameters[1], 5u);
    ASSERT_EQ(r.data_length, 4u);
    EXPECT_EQ(Bytes(r.data, r.data + 4), data);
    EXPECT_EQ(r.data, wire.data() + 2 + 4 + 2 + 8 + 4) << "the data stays in the reply bytes";

    // A failure status carries no parameters, whatever the type says.
    wire = sim::EmuEncodeReply(13, 4, 1, 6, {1}, data);
    ASSERT_EQ(debugif::ParseUifReply(wire.data() + 2, static_cast<uint32_t>(wire.size() - 2), &r),
              debugif::UifReplyCheck::kOk);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.error_number, 6);
    EXPECT_EQ(r.parameter_count, 0);
    EXPECT_EQ(r.data, nullptr);
}

TEST(UifCodec, RequestsRoundTripThroughTheEmulatorsUnframer) {
    std::mt19937 rng(11);
    for (int i = 0; i < 300; ++i) {
        const uint8_t type = static_cast<uint8_t>(1 + rng() % 4);
        std::vector<uint32_t> params;
        const size_t n = rng() % 7;
        for (size_t k = 0; k < n; ++k) {
            // Plenty of 0x7E and 0x7D bytes.
            params.push_back(rng() % 2 ? 0x7E7D7E7Du : static_cast<uint32_t>(rng()));
        }
        Bytes data(rng() % 300);
        for (auto& b : data) {
            b = static_cast<uint8_t>(rng() % 3 == 0 ? 0x7E + rng() % 2 : rng());
        }
        const uint8_t id = static_cast<uint8_t>(rng());
        Bytes f = Frame(Message(Request(id, type, params, &data)));
        ASSERT_FALSE(f.empty());
        sim::EmuUnframer u;
        int frames = 0;
        for (uint8_t b : f) {
            frames += u.Push(b) ? 1 : 0;
        }
        ASSERT_EQ(frames, 1);
        EXPECT_EQ(u.raw(), f);
        sim::EmuRequest got;
        ASSERT_TRUE(sim::EmuParseRequest(u.frame(), &got));
        EXPECT_EQ(got.id, id);
        EXPECT_EQ(got.type, type);
        const bool has_params = type == 2 || type == 4;
        const bool has_data = type == 3 || type == 4;
        EXPECT_EQ(got.params, has_params ? params : std::vector<uint32_t>{});
        EXPECT_EQ(got.data, has_data ? data : Bytes{});
    }
}

TEST(BslCodec, Checksum) {
    const uint8_t connect_frame[] = {0x80, 0x38, 0x04, 0x04, 0x00, 0x0C, 0x02, 0x00};
    EXPECT_EQ(debugif::BslChecksum(connect_frame, 8), 0xCF79);
    EXPECT_EQ(debugif::BslChecksum(connect_frame, 9 - 1), sim::EmuBslChecksum(connect_frame, 8));
    // An odd last byte is left out.
    const uint8_t odd[] = {0x80, 0x38, 0x04, 0x04, 0x00, 0x0C, 0x02, 0x00, 0x55};
    EXPECT_EQ(debugif::BslChecksum(odd, 9), 0xCF79);
    EXPECT_EQ(debugif::BslChecksum(odd, 0), 0xFFFF);
    std::mt19937 rng(3);
    Bytes b(261);
    for (auto& x : b) {
        x = static_cast<uint8_t>(rng());
    }
    for (uint32_t n = 0; n <= b.size(); n += 13) {
        EXPECT_EQ(debugif::BslChecksum(b.data(), n), sim::EmuBslChecksum(b.data(), n)) << n;
    }
}

} // namespace
