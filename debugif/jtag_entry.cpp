#include "debugif/jtag_entry.h"

#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_primitives.h"
#include "debugif/lpt_state.h"

#include <array>

namespace debugif {

namespace {

constexpr uint8_t kIrBypass = 0xFF;
constexpr uint8_t kIrControl16 = 0x13;
constexpr uint8_t kIrControlCapture = 0x14;
constexpr uint32_t kFuseBlownAnswer = 0x5555;

// The pin sequence that wakes a target whose JTAG pins are shared.
constexpr std::array<int32_t, 16> kEntrySequence = {1, 0, 0, 100, 0, 1, 1, 0,
                                                    0, 1, 2, 5,   1, 1, 0, 10};

bool IsKnownId(uint32_t id) {
    return id == 0x89 || id == 0x8D || id == 0x91;
}

void ThreeSteps() {
    Step(0);
    Step(1);
    Step(0);
}

} // namespace

int32_t ReadJtagId(uint16_t* out) {
    for (int32_t attempt = 1; attempt <= 4; ++attempt) {
        Lpt().PortCall(0);
        if (attempt >= 3) {
            for (int32_t s : kEntrySequence) {
                Step(s);
            }
        }
        Lpt().PortCall(0);
        ThreeSteps();
        uint32_t id = 0;
        if (!Ir(kIrBypass, &id)) {
            id = 0xFFFF;
        }
        if (out != nullptr) {
            *out = static_cast<uint16_t>(id);
        }
        if (IsKnownId(id)) {
            Api.LastErrorNumber = kErrorNone;
            return 0;
        }
    }
    Lpt().PortCall(0);
    return LptFail(kErrorUnknownDevice);
}

int32_t JtagIdQuery() {
    for (int32_t attempt = 0; attempt < 7; ++attempt) {
        if (attempt > 0) {
            Step(100);
        }
        if (ReadJtagId(&gLpt.jtagId) == 0) {
            return 0;
        }
    }
    return LptFail(kErrorNoDevice);
}

bool CheckJtagId() {
    ThreeSteps();
    uint32_t id = 0;
    return Ir(kIrBypass, &id) && id == gLpt.jtagId;
}

bool CheckControl() {
    uint32_t id = 0;
    return Ir(kIrControl16) && Dr16(0x2401) && Ir(kIrControlCapture, &id) && id == gLpt.jtagId;
}

int32_t IsFuseBlown() {
    CheckJtagId();
    for (int32_t i = 0; i < 3; ++i) {
        // A blown fuse cuts the JTAG id off the instruction capture, so only
        // the data answer counts.
        uint32_t c = 0;
        JtagShift(0, kIrControlCapture);
        if (JtagShift(1, 0xAAAA, &c) && c == kFuseBlownAnswer) {
            Api.LastErrorNumber = kErrorNone;
            return 0;
        }
    }
    return LptFail(kErrorFuseBlow);
}

bool JtagShift(int32_t mode, uint32_t value, uint32_t* out) {
    uint32_t c = 0;
    bool ok = false;
    switch (mode) {
    case 0:
        ok = Ir(static_cast<uint8_t>(value & 0xFF), &c) && c == gLpt.jtagId;
        break;
    case 1:
        ok = Dr16(value, &c);
        break;
    case 2:
        ok = Dr8(value, &c);
        break;
    default:
        return false;
    }
    if (out != nullptr) {
        *out = c;
    }
    return ok;
}

} // namespace debugif
