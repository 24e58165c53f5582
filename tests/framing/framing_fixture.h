#pragma once
// The host's adapter link wired to the emulated adapter: over a registered
// pseudo-terminal (the serial transport) or as the peer of the fake HID
// layer (the HID transport). The interface counts as open, the way the
// connect leaves it.

#include "platform/fake_hid.h"
#include "platform/sysfs_discovery.h"
#include "sim/emu_adapter.h"
#include "sim/emu_basic_handler.h"
#include "sim/emu_hid.h"
#include "sim/emu_pty.h"
#include "tests/transport/test_support.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace framing_test {

// The basic command set, with fixed replies for chosen command ids.
class ScriptedHandler : public sim::EmuBasicHandler {
public:
    std::map<uint8_t, sim::EmuReply> replies;
    sim::EmuReply OnCommand(const sim::EmuRequest& request) override;
};

// Fills the request block and runs one transaction. data must outlive it.
int32_t Transact(uint8_t id, uint8_t type, const std::vector<uint32_t>& params = {},
                 const std::vector<uint8_t>& data = {});

// The bytes of the last reply's data.
std::vector<uint8_t> ReplyData();

class PtyLink {
public:
    static constexpr const char* kPortName = "COM150";
    // Starts the emulator, opens the port as the connect does and marks the
    // interface open. ok() tells whether all of it worked.
    PtyLink();
    ~PtyLink();
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    // Shortens the port's read time-outs (total constant) so that a test of
    // a missing answer does not wait 7 s per try.
    void ShortenReadTimeouts(uint32_t total_ms);

    ScriptedHandler handler;
    sim::EmuAdapter adapter{handler, sim::EmuLink::kSerial};

private:
    transport_test::ScratchDir scratch_;
    platform::SysfsDeviceSetup setup_;
    sim::EmuPtyServer server_{adapter};
    bool ok_ = false;
    std::string error_;
};

class HidLink {
public:
    static constexpr const char* kAdapterName = "HID0001";
    HidLink();
    ~HidLink();
    bool ok() const { return ok_; }

    ScriptedHandler handler;
    sim::EmuAdapter adapter{handler, sim::EmuLink::kHid};
    sim::EmuHidPeer peer{adapter};
    platform::FakeHidDevice* device = nullptr;

private:
    transport_test::MemoryDeviceSetup setup_;
    platform::FakeHidOs os_;
    bool ok_ = false;
};

} // namespace framing_test
