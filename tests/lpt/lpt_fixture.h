#pragma once
// A simulated board behind the fake JTAG target, installed as the port
// primitives of the parallel-port path for the length of a test.

#include "core/debug_api.h"
#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/lpt_primitives.h"
#include "sim/emu_board.h"
#include "sim/sim_target.h"
#include "tests/lpt/fake_jtag_target.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace lpt_test {

struct Board {
    const char* device; // device-list name
    uint16_t jtagId;
    bool cpux;
    bool eem;
    bool flashTiming = false;
    int32_t clockKind = 0;
};

class LptBench {
public:
    explicit LptBench(const Board& board) {
        debugif::ResetDebugifState();
        ok = sim::EmuSelectDeviceNamed(target, board.device) >= 0;
        target.SetAdapterSupply(3000);
        fake = std::make_unique<FakeJtagTarget>(target, board.jtagId, board.cpux, board.eem);
        fake->flashTiming = board.flashTiming;
        fake->clockKind = board.clockKind;
        debugif::SetLptPrimitives(fake.get());
    }
    ~LptBench() {
        debugif::SetLptPrimitives(nullptr);
        debugif::ResetDebugifState();
    }
    LptBench(const LptBench&) = delete;
    LptBench& operator=(const LptBench&) = delete;

    // Initialise "LPT1" and identify from the target.
    int32_t Connect() {
        int32_t version = 0;
        if (MSP430_Initialize("LPT1", &version) != 0) {
            return -1;
        }
        char id[80] = {};
        return MSP430_Identify(id, 80, 0);
    }
    int32_t LastError() const { return debugif::Api.LastErrorNumber; }

    sim::SimTarget target;
    std::unique_ptr<FakeJtagTarget> fake;
    bool ok = false;
};

inline constexpr Board kF149 = {"149", 0x89, false, false};
// A 20-bit CPU of the 0x89 family, with EEM.
inline constexpr Board kF2619 = {"2619", 0x89, true, true};
// An EEM device with a flash timing generator of its own and 64-byte
// information segments under a locked Info A.
inline constexpr Board kF2274 = {"2274", 0x89, false, true, true};
// The 0x91 family: a 20-bit CPU with its flash controller's own timing.
inline constexpr Board kF5438 = {"5438", 0x91, true, true, true, 2};

} // namespace lpt_test
