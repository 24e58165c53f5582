#include "debugif/flash_program.h"

#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/flash_clock.h"
#include "debugif/flash_routine.h"
#include "debugif/flash_target_save.h"
#include "debugif/jtag89_cpu.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_routine_tables.h"
#include "debugif/lpt_state.h"

#include <algorithm>
#include <vector>

namespace debugif {

namespace {

constexpr uint16_t kFllFreeze = 0x0040;

bool Verify() {
    return gLpt.config0 != 0;
}

uint16_t StatusBits(const JtagDeviceProfile& p) {
    return p.ClockSystemKind() == 1 || p.ClockSystemKind() == 2 ? kFllFreeze : 0;
}

// One run of the erase routine of the CPU kind. Every routine leaves the
// flash controller's fault bits in R10: a refused erase is a failed one.
int32_t EraseRun(int32_t type, uint32_t address, uint32_t length) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    static constexpr uint16_t kTypeBits16[3] = {0x0002, 0x0004, 0x0006};
    static constexpr uint16_t kTypeBits20[3] = {0x0002, 0x000C, 0x000E};
    const auto t = static_cast<size_t>(type);
    const uint16_t clock = gLpt.flashClock;
    const uint32_t words = (length + 1) / 2;
    std::vector<uint16_t> r;
    if (p.Cpux()) {
        r = RebasedRoutine(kErase20);
        r[kErase20_fctl1] = static_cast<uint16_t>(0xA500 | kTypeBits20[t] | clock);
        r[kErase20_addrlo] = static_cast<uint16_t>(address);
        r[kErase20_addrhi] = static_cast<uint16_t>(address >> 16);
        r[kErase20_countlo] = static_cast<uint16_t>(words);
        r[kErase20_counthi] = static_cast<uint16_t>(words >> 16);
    } else if (p.FlashTiming()) {
        r = RebasedRoutine(kEraseTimed);
        r[kEraseTimed_fctl1] = static_cast<uint16_t>(0xA500 | kTypeBits16[t] | clock);
        r[kEraseTimed_address] = static_cast<uint16_t>(address);
        r[kEraseTimed_count] = static_cast<uint16_t>(words);
    } else {
        r = RebasedRoutine(kErase16);
        r[kErase16_fctl1] = static_cast<uint16_t>(0xA500 | kTypeBits16[t] | clock);
        r[kErase16_address] = static_cast<uint16_t>(address);
        r[kErase16_count] = static_cast<uint16_t>(words);
    }
    // Words 3 and 5 sit at the same place in every erase routine.
    static_assert(kErase16_srbits == kEraseTimed_srbits && kErase16_srbits == kErase20_srbits &&
                  kErase16_fctl3 == kEraseTimed_fctl3 && kErase16_fctl3 == kErase20_fctl3);
    r[kErase16_srbits] = StatusBits(p);
    r[kErase16_fctl3] = static_cast<uint16_t>(0xA500 | clock);
    if (RunFlashRoutine(r, Verify(), true) != 0) {
        return -1;
    }
    return ReadRegister(10) == 0 ? 0 : -1;
}

int32_t SegmentErases(uint32_t address, uint32_t length, uint16_t infoSegment) {
    const uint32_t end = address + length;
    for (uint32_t a = address; a < end;) {
        if (EraseRun(0, a, 1) != 0) {
            return -1;
        }
        a += a < 0x1100 ? infoSegment : (a < 0x1200 ? 0x100 : 0x200);
    }
    return EraseRun(0, address, length);
}

int32_t Erase(int32_t type, uint32_t address, uint32_t length, const JtagDeviceProfile& p) {
    if (type == 0) {
        return SegmentErases(address, length, p.InfoSegmentSize());
    }
    int32_t result = EraseRun(type, address, length);
    if (p.InfoSegmentSize() == 0x40 && gLpt.config5 == 0 && type == 2) {
        // The information segments below Info A, which stays locked.
        for (uint32_t segment : {0x1000u, 0x1040u, 0x1080u}) {
            if (EraseRun(0, segment, 2) != 0) {
                result = -1;
            }
        }
    }
    return result;
}

// The target's state saved and its clock set, or the error that stopped it
// (the state is put back after a failed clock).
int32_t Prepare() {
    if (PreserveTarget() != 0) {
        return kErrorPreserve;
    }
    if (SetFlashClock() != 0) {
        RestoreTarget();
        return kErrorFrequency;
    }
    return kErrorNone;
}

struct WriteLayout {
    const uint16_t* held;
    uint32_t size;
    uint32_t header; // data follow from this word
};

WriteLayout WriteRoutine(const JtagDeviceProfile& p) {
    if (p.Cpux()) {
        return {kWrite20.data(), static_cast<uint32_t>(kWrite20.size()), kWrite20_data};
    }
    return {kWrite16.data(), static_cast<uint32_t>(kWrite16.size()), kWrite16_data};
}

// Both write routines keep their patched words at the same places.
static_assert(kWrite16_srbits == kWrite20_srbits && kWrite16_fctl1 == kWrite20_fctl1 &&
              kWrite16_fctl3 == kWrite20_fctl3 && kWrite16_fctl2 == kWrite20_fctl2 &&
              kWrite16_target == kWrite20_target && kWrite16_nwords == kWrite20_nwords &&
              kWrite16_datap == kWrite20_datap);

// Block by block through the write routine. A block counts as written only
// when the routine reports it so (R8 0): a non-zero R8 ends the write, and
// then data are left over.
bool WriteBlocks(uint32_t address, const uint8_t* buffer, uint32_t totalWords,
                 const JtagDeviceProfile& p, uint32_t ramWords) {
    const WriteLayout layout = WriteRoutine(p);
    const uint16_t clock = gLpt.flashClock;
    uint32_t written = 0;
    while (written < totalWords) {
        const uint32_t n =
            std::min(layout.header + (totalWords - written), ramWords) - layout.header;
        std::vector<uint16_t> r = RebasedRoutine(FlashRoutine(layout.held, layout.size),
                                                 std::array<uint32_t, 1>{kWrite16_datap});
        r.resize(layout.header);
        r[kWrite16_srbits] = StatusBits(p);
        r[kWrite16_fctl1] = static_cast<uint16_t>(0xA540 | clock);
        r[kWrite16_fctl3] = static_cast<uint16_t>(0xA500 | clock);
        if (p.FlashTiming()) {
            r[kWrite16_fctl2] = 0xA54D;
        }
        const uint32_t target = address + 2 * written;
        r[kWrite16_target] = static_cast<uint16_t>(target);
        r[kWrite16_nwords] = static_cast<uint16_t>(n);
        if (p.Cpux()) {
            r[kWrite20_tlo] = static_cast<uint16_t>(target);
            r[kWrite20_thi] = static_cast<uint16_t>(target >> 16);
        }
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* b = buffer + 2 * (written + i);
            r.push_back(static_cast<uint16_t>(b[0] | (b[1] << 8)));
        }
        if (RunFlashRoutine(r, Verify(), true) != 0 || ReadRegister(8) != 0) {
            return false;
        }
        written += n;
    }
    return true;
}

} // namespace

int32_t FlashErase(int32_t type, int32_t address, int32_t length) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    // Refused before the target is touched: an unknown type, and a segment
    // walk that could not advance.
    if (type < 0 || type > 2 || (type == 0 && p.InfoSegmentSize() == 0) || length < 0) {
        return LptFail(kErrorErase);
    }
    const int32_t prepared = Prepare();
    if (prepared != kErrorNone) {
        return LptFail(prepared);
    }
    const int32_t erased =
        Erase(type, static_cast<uint32_t>(address), static_cast<uint32_t>(length), p);
    if (RestoreTarget() != 0) {
        return LptFail(kErrorPreserve);
    }
    if (erased != 0) {
        return LptFail(kErrorErase);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t FlashWrite(uint32_t address, const uint8_t* buffer, uint32_t length) {
    if (((address | length) & 1) != 0 || buffer == nullptr) {
        return LptFail(kErrorWriteMemory);
    }
    if (length == 0) {
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const uint32_t ramWords = (static_cast<uint32_t>(p.RamEnd()) + 1 - p.RamStart()) / 2;
    if (p.RamEnd() < p.RamStart() || ramWords <= WriteRoutine(p).header) {
        // No room for a data word beside the routine.
        return LptFail(kErrorWriteMemory);
    }
    const int32_t prepared = Prepare();
    if (prepared != kErrorNone) {
        return LptFail(prepared);
    }
    const bool written = WriteBlocks(address, buffer, length / 2, p, ramWords);
    if (RestoreTarget() != 0) {
        return LptFail(kErrorPreserve);
    }
    if (!written) {
        return LptFail(kErrorWriteMemory);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

} // namespace debugif
