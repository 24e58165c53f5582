// The HID transport over the in-process fake HID layer.

#include "debugif/hid_device.h"
#include "debugif/hid_features.h"
#include "debugif/hid_open.h"
#include "debugif/hid_reports.h"
#include "debugif/hid_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "platform/fake_hid.h"
#include "tests/transport/test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <vector>

namespace {

using platform::FakeHidDevice;
using platform::FakeHidReportSize;

constexpr char kAdapterName[] = "HID0001:COM4";

// Output reports 1..17, 32, 63 and 255, each as long as its id; one input
// report of 255 bytes; 4-byte feature reports.
std::vector<uint8_t> AdapterDescriptor() {
    std::vector<FakeHidReportSize> out;
    for (uint8_t id = 1; id <= 17; ++id) {
        out.push_back({id, id});
    }
    out.insert(out.end(), {{32, 32}, {63, 63}, {255, 255}});
    return platform::BuildHidReportDescriptor(
        {{1, 255}}, out, {{0xC8, 4}, {0xC9, 4}, {0xCA, 4}, {0xD2, 4}, {0xD3, 4}});
}

std::vector<uint8_t> InputReport(const std::string& payload, int length_byte = -1) {
    std::vector<uint8_t> r(2 + payload.size());
    r[0] = 0x01;
    r[1] = static_cast<uint8_t>(length_byte >= 0 ? length_byte : payload.size());
    std::copy(payload.begin(), payload.end(), r.begin() + 2);
    return r;
}

class HidTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::DeviceRecord other;
        other.interface_path = "/dev/hidraw0";
        other.driver_key = "{hid}\\0000";
        platform::DeviceRecord adapter;
        adapter.interface_path = "/dev/hidraw1";
        adapter.driver_key = "{hid}\\0001";
        adapter.node = "usb/1-1/1-1:1.0/hid";
        adapter.parent = "usb/1-1/1-1:1.0";
        setup_.hid = {other, adapter};
        platform::DeviceRecord port;
        port.friendly_name = "ttyUSB4 (COM4)";
        port.parent = "usb/1-1";
        setup_.ports = {port};
        setup_.parents = {{"usb/1-1/1-1:1.0", "usb/1-1"}};
        platform::DeviceSetupInUse.installed = &setup_;

        FakeHidDevice& k = os_.AddDevice("/dev/hidraw0");
        k.vendor_id = 0x046D;
        k.product_id = 0xC31C;
        k.descriptor = AdapterDescriptor();
        uif_ = &os_.AddDevice("/dev/hidraw1");
        uif_->vendor_id = debugif::kUifVendorId;
        uif_->product_id = debugif::kUifHidProductId;
        uif_->descriptor = AdapterDescriptor();
        debugif::HidTransport.os = &os_;
    }

    debugif::HidDevice& OpenAdapter() {
        debugif::HidDevice& d = debugif::HidTransport.device;
        EXPECT_EQ(debugif::OpenHidByName(d, debugif::kUifVendorId, debugif::kUifHidProductId,
                                         kAdapterName),
                  debugif::kHidOk);
        return d;
    }

    transport_test::MemoryDeviceSetup setup_;
    platform::FakeHidOs os_;
    FakeHidDevice* uif_ = nullptr;
    // Last, so that it resets before the fakes above go away.
    transport_test::TransportStateGuard guard_;
};

TEST_F(HidTransportTest, WritesUseTheLargestReportThatFits) {
    struct Case {
        uint32_t count;
        std::vector<int> ids;
    };
    const Case cases[] = {
        {70, {63, 7}}, {300, {255, 32, 13}}, {255, {255}}, {62, {32, 17, 13}},
        {17, {17}},    {16, {16}},           {1, {1}},     {0, {}},
    };
    debugif::HidDevice& d = OpenAdapter();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        uif_->written.clear();
        std::vector<uint8_t> data(c.count);
        std::iota(data.begin(), data.end(), uint8_t{0});
        ASSERT_EQ(debugif::WriteHidReports(d, data.data(), c.count), debugif::kHidOk);
        std::vector<int> ids;
        std::vector<uint8_t> joined;
        for (const auto& r : uif_->written) {
            ids.push_back(r[0]);
            EXPECT_EQ(r.size(), r[0] + 1u) << "the length its report id has";
            joined.insert(joined.end(), r.begin() + 1, r.begin() + 1 + r[0]);
        }
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(joined, data);
    }
}

TEST_F(HidTransportTest, WriteFailures) {
    std::vector<uint8_t> data(40, 0x55);
    debugif::HidDevice closed;
    EXPECT_EQ(debugif::WriteHidReports(closed, data.data(), 40), debugif::kHidNotOpen);

    debugif::HidDevice& d = OpenAdapter();
    uif_->write_result = platform::HidIo::kTimeout;
    EXPECT_EQ(debugif::WriteHidReports(d, data.data(), 40), debugif::kHidTimeout);
    uif_->write_result = platform::HidIo::kFailure;
    EXPECT_EQ(debugif::WriteHidReports(d, data.data(), 40), debugif::kHidFailure);
    EXPECT_TRUE(uif_->written.empty()) << "the first failure stops the loop";
}

TEST_F(HidTransportTest, WriteNeverSendsAPayloadCut) {
    uif_->descriptor = platform::BuildHidReportDescriptor({{1, 63}}, {{63, 63}}, {{0xD3, 1}});
    debugif::HidDevice& d = OpenAdapter();
    std::vector<uint8_t> data(300, 0xAA);
    EXPECT_EQ(debugif::WriteHidReports(d, data.data(), 300), debugif::kHidFailure);
    EXPECT_TRUE(uif_->written.empty());
    EXPECT_EQ(debugif::WriteHidReports(d, data.data(), 63), debugif::kHidOk);
    // 20 bytes: id 17 is unknown to this device, so the report goes out at the
    // device's output length, the payload whole and zeros behind it.
    EXPECT_EQ(debugif::WriteHidReports(d, data.data(), 20), debugif::kHidOk);
    ASSERT_EQ(uif_->written.size(), 3u);
    EXPECT_EQ(uif_->written[1].size(), 64u);
    EXPECT_EQ(uif_->written[1][0], 17);
    EXPECT_EQ(uif_->written[1][17], 0xAA);
    EXPECT_EQ(uif_->written[1][18], 0x00);
}

TEST_F(HidTransportTest, LeftoverPayloadIsHandedOutFirst) {
    debugif::HidDevice& d = OpenAdapter();
    uif_->QueueInputReport(InputReport("0123456789"));
    uif_->QueueInputReport(InputReport("abc"));
    uint8_t buf[16] = {};
    uint32_t got = 0;
    ASSERT_EQ(debugif::ReadHidReports(d, buf, 2, &got), debugif::kHidOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), got), "01");
    EXPECT_EQ(d.leftover, 8);
    ASSERT_EQ(debugif::ReadHidReports(d, buf, 3, &got), debugif::kHidOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), got), "234");
    ASSERT_EQ(debugif::ReadHidReports(d, buf, 5, &got), debugif::kHidOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), got), "56789");
    EXPECT_EQ(uif_->QueuedInputReports(), 1u) << "served from the leftover alone";
    // A read across the leftover and the next report.
    uif_->QueueInputReport(InputReport("defg"));
    ASSERT_EQ(debugif::ReadHidReports(d, buf, 1, &got), debugif::kHidOk);
    ASSERT_EQ(debugif::ReadHidReports(d, buf, 5, &got), debugif::kHidOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), got), "bcdef");
    EXPECT_EQ(d.leftover, 1);
    // A flush drops what is left.
    EXPECT_EQ(debugif::FlushHidDevice(d), debugif::kHidOk);
    EXPECT_EQ(d.leftover, 0);
}

TEST_F(HidTransportTest, EmptyReportsWaitForTheTimeout) {
    debugif::HidDevice& d = OpenAdapter();
    uif_->QueueInputReport(InputReport(""));
    uif_->QueueInputReport({0x01}); // not even a length byte
    uint8_t buf[2];
    uint32_t got = 9;
    EXPECT_EQ(debugif::ReadHidReports(d, buf, 2, &got), debugif::kHidTimeout);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(uif_->QueuedInputReports(), 0u);
    EXPECT_EQ(uif_->read_timeouts, 1);
}

TEST_F(HidTransportTest, LengthByteNeverReachesPastTheBytesReceived) {
    debugif::HidDevice& d = OpenAdapter();
    uint8_t buf[300];
    uint32_t got = 0;
    uif_->QueueInputReport(InputReport("abc", 200)); // claims 200, carries 3
    ASSERT_EQ(debugif::ReadHidReports(d, buf, 3, &got), debugif::kHidOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), got), "abc");
    EXPECT_EQ(d.leftover, 0);
    uif_->QueueInputReport(InputReport("x", 250));
    EXPECT_EQ(debugif::ReadHidReports(d, buf, 10, &got), debugif::kHidTimeout);
    EXPECT_EQ(got, 1u);
    // A report longer than the device's input report is cut to it.
    uif_->QueueInputReport(InputReport(std::string(298, 'z'), 255));
    ASSERT_EQ(debugif::ReadHidReports(d, buf, 254, &got), debugif::kHidOk);
    EXPECT_EQ(got, 254u);
    EXPECT_EQ(d.leftover, 0);
}

TEST_F(HidTransportTest, OpenSendsTheFeatureSequence) {
    uif_->QueueInputReport(InputReport("stale"));
    ASSERT_EQ(debugif::OpenHidTransport(kAdapterName), debugif::kHidOk);
    debugif::HidDevice& d = debugif::HidTransport.device;
    EXPECT_EQ(d.open, 1);
    EXPECT_STREQ(d.name, kAdapterName);
    EXPECT_EQ(d.input_report_length, 256);
    EXPECT_EQ(d.output_report_length, 256);
    EXPECT_EQ(d.feature_report_length, 5);
    EXPECT_EQ(debugif::Transport.PortHandle, reinterpret_cast<uintptr_t>(d.handle.get()));
    EXPECT_EQ(uif_->flushes, 1);
    EXPECT_EQ(uif_->QueuedInputReports(), 0u);

    struct Step {
        bool set;
        uint8_t id;
        uint8_t value;
    };
    const Step expected[] = {
        {true, 0xD3, 0},    {true, 0xD2, 0},  {true, 0xC9, 1},    {false, 0xC9, 0},
        {true, 0xC8, 0x24}, {false, 0xC8, 0}, {true, 0xCA, 0x1F},
    };
    ASSERT_EQ(uif_->features.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const auto& f = uif_->features[i];
        EXPECT_EQ(f.set, expected[i].set);
        EXPECT_EQ(f.report, (std::vector<uint8_t>{expected[i].id, expected[i].value, 0, 0, 0}));
    }
    EXPECT_EQ(debugif::CloseHidTransport(), debugif::kHidOk);
    EXPECT_EQ(debugif::Transport.PortHandle, 0u);
    EXPECT_EQ(uif_->open_handles, 0);
    EXPECT_EQ(debugif::CloseHidTransport(), debugif::kHidInvalidHandle);
}

TEST_F(HidTransportTest, TransportTableReachesTheHidSide) {
    debugif::SelectTransport(1);
    EXPECT_EQ(debugif::Transport.kind, debugif::kTransportHid);
    const debugif::TransportOpsTable& ops = debugif::Transport.TransportOps;
    ASSERT_EQ(ops.open(kAdapterName, 500, 10), debugif::kHidOk);
    EXPECT_NE(debugif::Transport.PortHandle, 0u);
    uif_->QueueInputReport(InputReport("keep"));
    EXPECT_EQ(ops.flush(), 0);
    EXPECT_EQ(ops.wait_input(4, 100), 0);
    EXPECT_EQ(uif_->QueuedInputReports(), 1u) << "the HID flush slot does nothing";
    EXPECT_EQ(ops.close(), debugif::kHidOk);
    EXPECT_EQ(debugif::Transport.PortHandle, 0u);
    debugif::SelectTransport(0);
    EXPECT_EQ(debugif::Transport.kind, debugif::kTransportSerial);
}

TEST_F(HidTransportTest, OpenStatuses) {
    debugif::HidDevice d;
    const uint16_t v = debugif::kUifVendorId;
    const uint16_t p = debugif::kUifHidProductId;
    EXPECT_EQ(debugif::OpenHidByName(d, v, p, "HID0009"), debugif::kHidNotFound);
    EXPECT_EQ(debugif::OpenHidByName(d, v, p, "HID0000"), debugif::kHidNotFound); // not an adapter
    EXPECT_EQ(debugif::OpenHidByName(d, v, p, nullptr), debugif::kHidNotFound);
    EXPECT_EQ(debugif::OpenHidDevice(d, v, p, 1), debugif::kHidNotFound);

    uif_->held_elsewhere = true;
    EXPECT_EQ(debugif::OpenHidByName(d, v, p, kAdapterName), debugif::kHidInUse);
    EXPECT_EQ(debugif::OpenHidTransport(kAdapterName), debugif::kHidNotOpen);
    uif_->held_elsewhere = false;

    ASSERT_EQ(debugif::OpenHidDevice(d, v, p, 0), debugif::kHidOk);
    EXPECT_STREQ(d.name, "") << "only an open by name keeps a name";
    EXPECT_EQ(debugif::OpenHidDevice(d, v, p, 0), debugif::kHidInUse);
    EXPECT_EQ(debugif::OpenHidByName(d, v, p, kAdapterName), debugif::kHidInUse);
    EXPECT_EQ(debugif::CloseHidDevice(d), debugif::kHidOk);
    EXPECT_EQ(debugif::CloseHidDevice(d), debugif::kHidInvalidHandle);
    EXPECT_EQ(uif_->open_handles, 0);

    // Input reports larger than the input buffer, or no readable descriptor: refused.
    uif_->descriptor = platform::BuildHidReportDescriptor({{1, 300}}, {{63, 63}}, {});
    EXPECT_EQ(debugif::OpenHidDevice(d, v, p, 0), debugif::kHidFailure);
    EXPECT_EQ(d.open, 0);
    uif_->descriptor = AdapterDescriptor();
    uif_->descriptor_readable = false;
    EXPECT_EQ(debugif::OpenHidDevice(d, v, p, 0), debugif::kHidFailure);
    EXPECT_EQ(uif_->open_handles, 0);
}

TEST_F(HidTransportTest, FeaturesAndFlushStatuses) {
    debugif::HidDevice closed;
    EXPECT_EQ(debugif::SetHidFeatureValue(closed, 0xC8, 1), debugif::kHidNotOpen);
    EXPECT_EQ(debugif::FlushHidDevice(closed), debugif::kHidInvalidHandle);

    debugif::HidDevice& d = OpenAdapter();
    struct Answer : platform::FakeHidPeer {
        bool OnGetFeature(FakeHidDevice&, std::vector<uint8_t>& report) override {
            report[1] = 2;
            return true;
        }
    } answer;
    uif_->peer = &answer;
    uint8_t code = 0;
    ASSERT_EQ(debugif::GetHidFeatureValue(d, 0xC9, &code), debugif::kHidOk);
    EXPECT_EQ(debugif::HidDataRateFromCode(code), 460800u);
    EXPECT_EQ(debugif::SetHidFeatureValue(d, 0xCA, 0xFF), debugif::kHidOk);
    EXPECT_EQ(uif_->features.back().report[1], 31);
    EXPECT_EQ(debugif::SetHidFeatureValue(d, 0xD2, 0xFF), debugif::kHidOk);
    EXPECT_EQ(uif_->features.back().report[1], 0xFF) << "only 0xCA is clamped";

    uif_->feature_result = platform::HidIo::kTimeout;
    EXPECT_EQ(debugif::SetHidFeatureValue(d, 0xC8, 0x24), debugif::kHidTimeout);
    uif_->feature_result = platform::HidIo::kFailure;
    EXPECT_EQ(debugif::GetHidFeatureValue(d, 0xC8, &code), debugif::kHidFailure);
    uif_->feature_result = platform::HidIo::kOk;
    uif_->flush_fails = true;
    size_t before = uif_->features.size();
    EXPECT_EQ(debugif::FlushHidDevice(d), debugif::kHidFlushFailed);
    EXPECT_EQ(uif_->features.size(), before) << "no 0xD3 after a failed flush";

    for (auto [rate, value] : {std::pair{115200u, 8}, std::pair{460800u, 2}, std::pair{921600u, 1},
                               std::pair{57600u, 1}}) {
        EXPECT_EQ(debugif::HidDataRateCode(rate), value);
    }
    EXPECT_EQ(debugif::HidDataRateFromCode(1), 921600u);
    EXPECT_EQ(debugif::HidDataRateFromCode(8), 0u);
}

TEST_F(HidTransportTest, ScriptedPeerAnswersWhatTheHostWrites) {
    // An echo device: every output report comes back as one input report.
    struct Echo : platform::FakeHidPeer {
        void OnOutputReport(FakeHidDevice& dev, const std::vector<uint8_t>& report) override {
            std::vector<uint8_t> in = {0x01, report[0]};
            in.insert(in.end(), report.begin() + 1, report.begin() + 1 + report[0]);
            dev.QueueInputReport(in);
        }
    } echo;
    uif_->peer = &echo;
    debugif::HidDevice& d = OpenAdapter();
    std::vector<uint8_t> frame(100);
    std::iota(frame.begin(), frame.end(), uint8_t{1});
    ASSERT_EQ(debugif::WriteHidReports(d, frame.data(), 100), debugif::kHidOk);
    std::vector<uint8_t> back(100);
    uint32_t got = 0;
    ASSERT_EQ(debugif::ReadHidReports(d, back.data(), 100, &got), debugif::kHidOk);
    EXPECT_EQ(got, 100u);
    EXPECT_EQ(back, frame);
}

} // namespace
