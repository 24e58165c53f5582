// The transaction against the emulated adapter through the HID transport
// and the fake HID layer: report sizes, frame padding, data pre-send, the
// re-reads of a late length, and why HID gives up after one try.

#include "debugif/api_state.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_request.h"
#include "debugif/uif_transaction.h"
#include "tests/framing/framing_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numeric>

namespace {

using Bytes = std::vector<uint8_t>;
using debugif::Api;
using debugif::UifLink;
using framing_test::ReplyData;
using framing_test::Transact;

class HidTransactionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(link_.ok()); }
    sim::EmuTrace Trace() { return link_.adapter.trace(); }
    // Payloads of the output reports written, as the adapter sees them.
    std::vector<Bytes> Payloads() {
        std::vector<Bytes> out;
        for (const Bytes& r : link_.device->written) {
            out.emplace_back(r.begin() + 1, r.begin() + 1 + r[0]);
        }
        return out;
    }

    framing_test::HidLink link_;
};

TEST_F(HidTransactionTest, ConnectAndReadEndToEnd) {
    std::iota(link_.handler.memory.begin() + 0x1000, link_.handler.memory.begin() + 0x1080,
              uint8_t{1});
    ASSERT_EQ(Transact(1, 1), 0);
    EXPECT_EQ(UifLink.ResponseBlock.parameters[0], link_.handler.firmware_version);
    // 128 data bytes come back in several input reports.
    ASSERT_EQ(Transact(13, 2, {0x1000, 128}), 0);
    EXPECT_EQ(ReplyData(),
              Bytes(link_.handler.memory.begin() + 0x1000, link_.handler.memory.begin() + 0x1080));
    // Frames shorter than 18 bytes go out as they are, in one report each.
    EXPECT_THAT(Payloads(),
                ::testing::ElementsAre(Bytes{0x7E, 0x01, 0x01, 0x16, 0x07, 0x7E},
                                       Bytes{0x7E, 0x0D, 0x02, 0x02, 0x00, 0x00, 0x10, 0x00, 0x00,
                                             0x80, 0x00, 0x00, 0x00, 0xDA, 0x81, 0x7E}));
    EXPECT_EQ(Api.LastErrorNumber, 0);
}

// The length of the frame the host builds for a type-3 request.
size_t FrameLength(uint8_t id, const Bytes& data) {
    debugif::UifRequest r;
    r.command_id = id;
    r.message_type = 3;
    r.data_length = static_cast<uint32_t>(data.size());
    r.data = data.data();
    uint8_t message[debugif::kUifMessageBufferSize];
    uint8_t frame[debugif::kUifFrameBufferSize];
    size_t n = debugif::BuildUifMessage(r, message, sizeof message);
    return debugif::FrameUifMessage(message, n, frame, sizeof frame);
}

TEST_F(HidTransactionTest, FramesArePaddedToFillOneReport) {
    link_.handler.replies[50] = sim::EmuReply::Ok();
    struct Case {
        size_t frame;
        uint8_t report_id;
    };
    const Case cases[] = {{17, 17}, {18, 32}, {20, 32}, {32, 32}, {33, 63}, {62, 63}, {63, 63}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        // Find data of a length and value that frames to exactly c.frame bytes.
        Bytes data;
        for (uint8_t fill = 0x11; data.empty() && fill < 0x40; ++fill) {
            for (size_t n = 0; n < 64; ++n) {
                if (FrameLength(50, Bytes(n, fill)) == c.frame) {
                    data.assign(n, fill);
                    break;
                }
            }
        }
        ASSERT_FALSE(data.empty());
        link_.device->written.clear();
        link_.adapter.ClearTrace();
        ASSERT_EQ(Transact(50, 3, {}, data), 0);
        ASSERT_EQ(link_.device->written.size(), 1u) << "one report";
        const Bytes& report = link_.device->written[0];
        EXPECT_EQ(report[0], c.report_id);
        ASSERT_EQ(report.size(), c.report_id + 1u);
        EXPECT_EQ(report[c.frame], 0x7E) << "the closing flag";
        EXPECT_EQ(Bytes(report.begin() + 1 + static_cast<long>(c.frame), report.end()),
                  Bytes(c.report_id - c.frame, 0xFF));
        EXPECT_EQ(Trace().requests.size(), 1u) << "the padding is no frame";
        EXPECT_EQ(Trace().bad_frames, 0u);
    }
}

TEST_F(HidTransactionTest, DataGoesAheadOfTheMessage) {
    Bytes record(74);
    std::iota(record.begin(), record.end(), uint8_t{0x60}); // holds 0x7D and 0x7E
    ASSERT_EQ(Transact(41, 4, {5, 12, 3}, record), 0);
    EXPECT_EQ(link_.adapter.Locked([&] { return link_.handler.device_record; }), record);

    const std::vector<Bytes> p = Payloads();
    ASSERT_EQ(p.size(), 3u);
    ASSERT_EQ(p[0].size(), 63u);
    EXPECT_THAT(Bytes(p[0].begin(), p[0].begin() + 4), ::testing::ElementsAre(0x83, 0, 0, 59));
    EXPECT_EQ(Bytes(p[0].begin() + 4, p[0].end()), Bytes(record.begin(), record.begin() + 59));
    ASSERT_EQ(p[1].size(), 32u);
    EXPECT_THAT(Bytes(p[1].begin(), p[1].begin() + 4), ::testing::ElementsAre(0x83, 59, 0, 15));
    EXPECT_EQ(Bytes(p[1].begin() + 4, p[1].begin() + 19), Bytes(record.begin() + 59, record.end()));
    // The message: four parameters, the last the data length, type 2, no data.
    const sim::EmuTrace t = Trace();
    ASSERT_EQ(t.frames.size(), 1u);
    EXPECT_EQ(p[2][0], 0x7E);
    EXPECT_THAT(
        Bytes(t.frames[0].begin() + 1, t.frames[0].begin() + 21),
        ::testing::ElementsAre(41, 2, 4, 0, 5, 0, 0, 0, 12, 0, 0, 0, 3, 0, 0, 0, 74, 0, 0, 0));
    ASSERT_EQ(t.requests.size(), 1u);
    EXPECT_TRUE(t.requests[0].presend);
    // The request block was advanced past the data it carried ahead.
    EXPECT_EQ(UifLink.RequestBlock.data_length, 0u);
    EXPECT_EQ(UifLink.RequestBlock.parameter_count, 4);
    EXPECT_EQ(UifLink.RequestBlock.message_type, 2);

    // A memory write of 300 bytes: 251 + 49 (padded to 59).
    link_.device->written.clear();
    Bytes data(300);
    std::iota(data.begin(), data.end(), uint8_t{0});
    ASSERT_EQ(Transact(14, 4, {0x2000}, data), 0);
    std::vector<Bytes> q = Payloads();
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q[0].size(), 255u);
    EXPECT_EQ(q[1].size(), 63u);
    EXPECT_EQ(q[1][3], 49);
    EXPECT_EQ(Bytes(link_.handler.memory.begin() + 0x2000, link_.handler.memory.begin() + 0x212C),
              data);
}

TEST_F(HidTransactionTest, PresendWriteFailureEndsAtOnce) {
    link_.device->write_result = platform::HidIo::kFailure;
    EXPECT_EQ(Transact(14, 4, {0x2000}, Bytes(20, 1)), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_EQ(Api.InterfaceOpen, 1) << "no tries were made";
    EXPECT_EQ(link_.device->flushes, 0);
}

TEST_F(HidTransactionTest, LateLengthBytesAreReadAgainOnlyForWhatIsMissing) {
    // The first length byte comes at once, the second after k read
    // time-outs: up to three re-reads wait for it.
    for (uint32_t waits : {1u, 3u}) {
        SCOPED_TRACE(waits);
        link_.peer.split_after = 1;
        link_.peer.split_waits = waits;
        std::fill(link_.handler.memory.begin(), link_.handler.memory.begin() + 8, waits);
        ASSERT_EQ(Transact(13, 2, {0, 8}), 0);
        EXPECT_EQ(ReplyData(), Bytes(8, static_cast<uint8_t>(waits)));
    }
    // The whole reply late by two time-outs (1200 ms of the adapter's time).
    sim::EmuFaults f;
    f.delay_ms = 1200;
    link_.adapter.SetFaults(f);
    ASSERT_EQ(Transact(1, 1), 0);
    EXPECT_EQ(Api.InterfaceOpen, 1);
}

TEST_F(HidTransactionTest, OneFailedTryIsTheLastOnHid) {
    struct Case {
        const char* what;
        sim::EmuFaults faults;
        uint32_t split_waits;
    };
    std::vector<Case> cases(4);
    cases[0] = {"length too late", {}, 4};
    cases[1] = {"corrupt", {}, 0};
    cases[1].faults.corrupt = 1;
    cases[2] = {"cut short", {}, 0};
    cases[2].faults.cut = 1;
    cases[3] = {"silent", {}, 0};
    cases[3].faults.silent = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        link_.adapter.ClearTrace();
        link_.adapter.SetFaults(c.faults);
        link_.peer.split_after = c.split_waits > 0 ? 1 : 0;
        link_.peer.split_waits = c.split_waits;
        link_.device->flushes = 0;
        debugif::Api.InterfaceOpen = 1;
        debugif::Api.InterfaceKind = debugif::kInterfaceUsb;
        EXPECT_EQ(Transact(13, 2, {0, 8}), -1);
        EXPECT_EQ(Api.LastErrorNumber, 35);
        EXPECT_EQ(Api.InterfaceOpen, 0);
        EXPECT_EQ(Api.InterfaceKind, debugif::kInterfaceNone);
        EXPECT_EQ(Trace().frames.size(), 1u);
        EXPECT_EQ(link_.device->flushes, 1) << "the HID device is flushed";
    }
}

TEST_F(HidTransactionTest, StatusQuestionMarkAndWrongId) {
    sim::EmuFaults f;
    f.unknown_status = 1;
    link_.adapter.SetFaults(f);
    EXPECT_EQ(Transact(1, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 63);
    f = {};
    f.wrong_id = 1;
    link_.adapter.SetFaults(f);
    EXPECT_EQ(Transact(1, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_EQ(Api.InterfaceOpen, 1);
    EXPECT_EQ(Trace().frames.size(), 2u);
    // A refusal with error byte 0 is no success: 35, not "No error".
    link_.adapter.SetFaults({});
    link_.handler.replies[51] = sim::EmuReply::Error(0);
    EXPECT_EQ(Transact(51, 1), -1);
    EXPECT_EQ(Api.LastErrorNumber, 35);
    EXPECT_EQ(Api.InterfaceOpen, 1);
    EXPECT_EQ(Trace().frames.size(), 3u);
}

} // namespace
