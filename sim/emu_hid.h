#pragma once
// The emulated adapter as the peer of the in-process fake HID layer: it
// takes the host's output reports apart (payload length in byte 0, which
// is also the report id) and answers in input reports (id, payload length,
// payload). Replies the adapter sends late are held back for a number of
// the host's read time-outs, one per read_wait_ms of delay; a stall of the
// adapter lasts as many of them as its length needs.

#include "platform/fake_hid.h"
#include "sim/emu_adapter.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace sim {

inline constexpr uint16_t kEmuHidVendorId = 0x0451;
inline constexpr uint16_t kEmuHidProductId = 0xF432;
inline constexpr uint8_t kEmuHidInputReportId = 0x3F;
inline constexpr size_t kEmuHidInputPayload = 62; // a 64-byte input report

// Output reports 1 to 17, 32, 63 and 255 bytes long (each as long as its
// id), one 64-byte input report, the feature reports the host configures.
std::vector<uint8_t> EmuHidReportDescriptor();

class EmuHidPeer : public platform::FakeHidPeer {
public:
    explicit EmuHidPeer(EmuAdapter& adapter) : adapter_(adapter) {}

    // Makes the fake device look like the adapter and answer through this peer.
    void Attach(platform::FakeHidDevice& device);

    // Fault: the next reply is split after its first split_after bytes;
    // the rest comes after split_waits read time-outs. 0: not split.
    uint32_t split_after = 0;
    uint32_t split_waits = 0;

    uint64_t input_reports = 0; // input reports queued for the host

    // How long one of the host's report reads waits before it times out:
    // the fake layer's time passes only in these waits.
    uint32_t read_wait_ms = 600;

    void OnOutputReport(platform::FakeHidDevice& device,
                        const std::vector<uint8_t>& report) override;
    bool OnSetFeature(platform::FakeHidDevice& device, const std::vector<uint8_t>& report) override;
    bool OnGetFeature(platform::FakeHidDevice& device, std::vector<uint8_t>& report) override;
    void OnReadWait(platform::FakeHidDevice& device) override;

private:
    struct Held {
        std::vector<uint8_t> bytes;
        uint32_t waits = 0; // read time-outs still to pass
    };
    void Queue(platform::FakeHidDevice& device, std::vector<uint8_t> bytes, uint32_t waits);
    void Release(platform::FakeHidDevice& device);
    void PutReports(platform::FakeHidDevice& device, const std::vector<uint8_t>& bytes);

    EmuAdapter& adapter_;
    std::deque<Held> held_;
    bool stalling_ = false;
    uint32_t stall_left_ms_ = 0;
    uint8_t data_rate_ = 1;
};

} // namespace sim
