#pragma once
// An in-process HID layer: devices with a report descriptor and a peer that
// answers the host. The host side is the HidOs/HidPort interface; the peer
// side is FakeHidPeer (callbacks for what the host sends) plus
// FakeHidDevice::QueueInputReport (what the device sends). Reads never
// block: an empty input queue is a time-out at once.

#include "platform/hid_os.h"

#include <deque>
#include <map>

namespace platform {

class FakeHidDevice;

class FakeHidPeer {
public:
    virtual ~FakeHidPeer() = default;
    // An output report as the host wrote it (byte 0 the report id).
    virtual void OnOutputReport(FakeHidDevice&, const std::vector<uint8_t>&) {}
    // A feature report the host set; false refuses it.
    virtual bool OnSetFeature(FakeHidDevice&, const std::vector<uint8_t>&) { return true; }
    // Fills a feature report the host asked for (report[0] is its id).
    virtual bool OnGetFeature(FakeHidDevice&, std::vector<uint8_t>&) { return true; }
    // The host waits for an input report and none is queued.
    virtual void OnReadWait(FakeHidDevice&) {}
};

struct FakeHidFeatureCall {
    bool set = false;
    std::vector<uint8_t> report; // as sent, or as asked for (before the answer)
};

class FakeHidDevice {
public:
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    std::vector<uint8_t> descriptor;
    bool descriptor_readable = true;
    bool held_elsewhere = false; // another program has it open
    FakeHidPeer* peer = nullptr;
    // Failure injection.
    HidIo write_result = HidIo::kOk;
    HidIo feature_result = HidIo::kOk;
    bool flush_fails = false;

    // What the host did.
    std::vector<std::vector<uint8_t>> written;
    std::vector<FakeHidFeatureCall> features;
    int read_timeouts = 0;
    int flushes = 0;
    int open_handles = 0;

    void QueueInputReport(std::vector<uint8_t> report) { input_.push_back(std::move(report)); }
    size_t QueuedInputReports() const { return input_.size(); }

private:
    friend class FakeHidPort;
    std::deque<std::vector<uint8_t>> input_;
};

class FakeHidOs : public HidOs {
public:
    FakeHidDevice& AddDevice(const std::string& path);
    FakeHidDevice* Find(const std::string& path);
    std::unique_ptr<HidPort> Open(const std::string& path, int32_t* system_error) override;

private:
    std::map<std::string, FakeHidDevice> devices_;
};

// Builds a report descriptor (one vendor-defined application collection)
// with the given reports: for each kind, pairs of report id and data bytes.
// Id 0 makes an unnumbered report; do not mix it with numbered ones.
struct FakeHidReportSize {
    uint8_t id;
    uint16_t bytes;
};
std::vector<uint8_t> BuildHidReportDescriptor(const std::vector<FakeHidReportSize>& input,
                                              const std::vector<FakeHidReportSize>& output,
                                              const std::vector<FakeHidReportSize>& feature);

} // namespace platform
