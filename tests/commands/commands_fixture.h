#pragma once
// The adapter command layer against the emulated adapter with its full
// command set on a simulated target: one emulator behind a real
// pseudo-terminal (the serial transport) and one as the peer of the fake
// HID layer, both listed by an in-memory device setup. Nothing is
// connected yet; the tests connect the way the debug API does.

#include "platform/device_setup.h"
#include "platform/fake_hid.h"
#include "sim/emu_adapter.h"
#include "sim/emu_hid.h"
#include "sim/emu_pty.h"
#include "sim/emu_target_handler.h"
#include "sim/sim_target.h"
#include "tests/transport/test_support.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace commands_test {

using Bytes = std::vector<uint8_t>;

// The full command set, with fixed replies for chosen command ids.
class BenchHandler : public sim::EmuTargetHandler {
public:
    explicit BenchHandler(sim::SimTarget& target) : EmuTargetHandler(target) {}
    std::map<uint8_t, sim::EmuReply> replies;
    sim::EmuReply OnCommand(const sim::EmuRequest& request) override;
};

// One emulated adapter: its target, handler and link side.
struct Emu {
    explicit Emu(sim::EmuLink link) : adapter(handler, link) {}
    sim::SimTarget target;
    BenchHandler handler{target};
    sim::EmuAdapter adapter;

    template <class F> auto Locked(F f) { return adapter.Locked(f); }
    // The requests received, in order, and their ids.
    std::vector<sim::EmuRequest> Requests() const { return adapter.trace().requests; }
    std::vector<uint8_t> Ids() const;
    void ClearTrace() { adapter.ClearTrace(); }
    void SetFaults(const sim::EmuFaults& f) { adapter.SetFaults(f); }
};

struct BenchOptions {
    bool pty = true; // the serial adapter COM150
    bool hid = true; // the HID adapter HID0001
    // A serial port on the HID adapter's USB device, so that its name
    // reads "HID0001:COM7".
    bool hid_sibling_port = false;
};

class Bench {
public:
    static constexpr const char* kPortName = "COM150";
    static constexpr const char* kHidName = "HID0001";

    explicit Bench(BenchOptions options = {});
    ~Bench();
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    // The board on both adapters: a device-list row by name ("149", "5438").
    bool SelectDevice(const std::string& name);

    // Connects (with the adapter asked), powers the target with 3 V and
    // detects the device; then builds the identify record and takes the
    // device's JTAG id the way the identify entry of the debug API does.
    // The emulator traces are cleared afterwards. 0 or the failing step's -1.
    int32_t Prepare(const std::string& port);

    // Cuts the serial read time-out, so that a lost reply costs little.
    void ShortenReadTimeouts(uint32_t total_ms);

    // A port record in the device list whose node is a plain file: it
    // opens, but is no terminal.
    void AddBrokenPort(const std::string& port_name);
    // The node of the serial adapter's pseudo-terminal.
    const std::string& SlavePath() const { return server_->slave_path(); }
    std::string ScratchPath() const { return scratch_.path(); }

    Emu serial{sim::EmuLink::kSerial};
    Emu hid{sim::EmuLink::kHid};
    sim::EmuHidPeer peer{hid.adapter};
    platform::FakeHidDevice* hid_device = nullptr;
    transport_test::MemoryDeviceSetup setup;

private:
    transport_test::ScratchDir scratch_;
    platform::FakeHidOs os_;
    std::unique_ptr<sim::EmuPtyServer> server_;
    bool ok_ = false;
    std::string error_;
};

// Identifies as the debug API does after the command layer: builds the
// identify record with the row's name and takes the JTAG id from it.
void TakeIdentification();

// The signature of the even part of a range, as the debug API computes it
// for a verify, and the edge bytes packed as it packs them.
struct VerifyValues {
    int32_t check = 0;
    int32_t edge = 0;
};
VerifyValues SignatureOf(uint32_t address, const Bytes& expected);

} // namespace commands_test
