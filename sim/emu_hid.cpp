#include "sim/emu_hid.h"

#include <algorithm>

namespace sim {

namespace {

constexpr uint8_t kFeatureDataRate = 0xC9;
constexpr uint8_t kFeatureFlushed = 0xD3;

} // namespace

std::vector<uint8_t> EmuHidReportDescriptor() {
    // Always the same: built once.
    static const std::vector<uint8_t> kDescriptor = [] {
        std::vector<platform::FakeHidReportSize> out;
        for (uint8_t id = 1; id <= 17; ++id) {
            out.push_back({id, id});
        }
        out.insert(out.end(), {{32, 32}, {63, 63}, {255, 255}});
        return platform::BuildHidReportDescriptor(
            {{kEmuHidInputReportId, 1 + kEmuHidInputPayload}}, out,
            {{0xC8, 4}, {0xC9, 4}, {0xCA, 4}, {0xD2, 4}, {0xD3, 4}});
    }();
    return kDescriptor;
}

void EmuHidPeer::PutReports(platform::FakeHidDevice& device, const std::vector<uint8_t>& bytes) {
    for (size_t at = 0; at < bytes.size(); at += kEmuHidInputPayload) {
        const size_t n = std::min(kEmuHidInputPayload, bytes.size() - at);
        std::vector<uint8_t> report(2 + kEmuHidInputPayload, 0);
        report[0] = kEmuHidInputReportId;
        report[1] = static_cast<uint8_t>(n);
        std::copy_n(bytes.begin() + static_cast<long>(at), n, report.begin() + 2);
        device.QueueInputReport(std::move(report));
        ++input_reports;
    }
}

void EmuHidPeer::Attach(platform::FakeHidDevice& device) {
    device.vendor_id = kEmuHidVendorId;
    device.product_id = kEmuHidProductId;
    device.descriptor = EmuHidReportDescriptor();
    device.peer = this;
}

void EmuHidPeer::Queue(platform::FakeHidDevice& device, std::vector<uint8_t> bytes,
                       uint32_t waits) {
    if (waits == 0 && held_.empty()) {
        PutReports(device, bytes);
    } else {
        held_.push_back({std::move(bytes), waits});
    }
}

void EmuHidPeer::Release(platform::FakeHidDevice& device) {
    while (!held_.empty() && held_.front().waits == 0) {
        PutReports(device, held_.front().bytes);
        held_.pop_front();
    }
}

void EmuHidPeer::OnOutputReport(platform::FakeHidDevice& device,
                                const std::vector<uint8_t>& report) {
    if (report.empty()) {
        return;
    }
    const size_t n = std::min<size_t>(report[0], report.size() - 1);
    const uint32_t wait = std::max<uint32_t>(read_wait_ms, 1);
    for (EmuOutput& o : adapter_.ReceiveReport(report.data() + 1, n)) {
        const uint32_t waits = (o.delay_ms + wait - 1) / wait;
        if (split_after > 0 && split_after < o.bytes.size()) {
            std::vector<uint8_t> rest(o.bytes.begin() + split_after, o.bytes.end());
            o.bytes.resize(split_after);
            Queue(device, std::move(o.bytes), waits);
            Queue(device, std::move(rest), split_waits);
            split_after = 0;
        } else {
            Queue(device, std::move(o.bytes), waits);
        }
    }
    if (!stalling_) {
        if (const uint32_t ms = adapter_.StallMs(); ms > 0) {
            stalling_ = true;
            stall_left_ms_ = ms;
        }
    }
}

bool EmuHidPeer::OnSetFeature(platform::FakeHidDevice&, const std::vector<uint8_t>& report) {
    if (report.size() >= 2 && report[0] == kFeatureDataRate) {
        data_rate_ = report[1];
    }
    if (!report.empty() && report[0] == kFeatureFlushed) {
        held_.clear(); // the host dropped its input: nothing late is owed any more
    }
    return true;
}

bool EmuHidPeer::OnGetFeature(platform::FakeHidDevice&, std::vector<uint8_t>& report) {
    if (report.size() >= 2 && report[0] == kFeatureDataRate) {
        report[1] = data_rate_;
    }
    return true;
}

void EmuHidPeer::OnReadWait(platform::FakeHidDevice& device) {
    if (stalling_) {
        // The host's wait is time the stalled adapter lets pass.
        stall_left_ms_ -= std::min(stall_left_ms_, std::max<uint32_t>(read_wait_ms, 1));
        if (stall_left_ms_ > 0) {
            return;
        }
        stalling_ = false;
        const uint32_t wait = std::max<uint32_t>(read_wait_ms, 1);
        for (EmuOutput& o : adapter_.EndStall()) {
            Queue(device, std::move(o.bytes), (o.delay_ms + wait - 1) / wait);
        }
        if (device.QueuedInputReports() > 0) {
            return;
        }
    }
    // The host waits for a report: one time-out passes for the held reply.
    if (!held_.empty() && held_.front().waits > 0) {
        --held_.front().waits;
        return;
    }
    Release(device);
}

} // namespace sim
