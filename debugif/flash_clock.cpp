#include "debugif/flash_clock.h"

#include "debugif/flash_routine.h"
#include "debugif/jtag89_cpu.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/lpt_primitives.h"
#include "debugif/lpt_routine_tables.h"
#include "debugif/lpt_state.h"

#include <array>
#include <limits>

namespace debugif {

namespace {

constexpr int32_t kTries = 3;
constexpr uint32_t kMeasureWait = 100;
constexpr uint32_t kFllFrequency = 2380000;
constexpr uint32_t kWindowLow = 1284999;  // exclusive
constexpr uint32_t kWindowHigh = 2380001; // exclusive

bool Verify() {
    return gLpt.config0 != 0;
}

// The clock registers the measurement sets, by clock-system kind.
void ClockRegisters(int32_t kind, uint16_t* base, uint16_t* bytes) {
    switch (kind) {
    case 1:
        *base = 0x0050;
        *bytes = 5;
        break;
    case 2:
        *base = 0x0140;
        *bytes = 5;
        break;
    default:
        *base = 0x0056;
        *bytes = 3;
        break;
    }
}

uint32_t BinarySearch() {
    int32_t low = 0;
    int32_t high = 27;
    uint32_t f = 0;
    bool tooFast = false;
    while (low + 1 < high) {
        const int32_t mid = (low + high) / 2;
        f = MeasureClock(0, static_cast<uint8_t>(mid << 3), 0x80, 0x80, 0);
        if (f == 0) {
            return 0;
        }
        tooFast = f >= kBinarySearchTooFast;
        if (tooFast) {
            high = mid;
        } else {
            low = mid;
        }
    }
    if (tooFast) {
        f = MeasureClock(0, static_cast<uint8_t>(low << 3), 0x80, 0x80, 0);
    }
    return f;
}

uint32_t FllSetUp() {
    std::vector<uint16_t> r = RebasedRoutine(kFllSetup);
    r[kFllSetup_p3] = 0x0882;
    r[kFllSetup_p4] = 0x0200;
    r[kFllSetup_p5] = 0x4183;
    r[kFllSetup_p6] = 0x10FF;
    return RunFlashRoutine(r, Verify(), true) == 0 ? kFllFrequency : 0;
}

// Walks the DCO from where the last search ended: down a step when too
// fast, up when too slow, across ranges at the ends. A point is measured
// at most once: neighbours straddling the window would swing for ever.
bool StepSearch(int32_t kind) {
    const int32_t limit = kind == 0 ? 7 : 15;
    int32_t step = gLpt.dcoStep > 7 || gLpt.dcoStep < 0 ? 3 : gLpt.dcoStep;
    int32_t range = gLpt.dcoRange > limit || gLpt.dcoRange < 0 ? limit / 2 : gLpt.dcoRange;
    std::array<std::array<bool, 16>, 8> measured{};
    bool ok = false;
    for (;;) {
        if (measured[static_cast<size_t>(step)][static_cast<size_t>(range)]) {
            break;
        }
        measured[static_cast<size_t>(step)][static_cast<size_t>(range)] = true;
        const uint32_t f = MeasureClock(static_cast<uint8_t>(step << 5),
                                        static_cast<uint8_t>(0x80 | range), 0, 0, 0);
        if (f == 0) {
            break;
        }
        if (f > kStepSearchTooFast) {
            if (--step < 0) {
                if (range == 0) {
                    step = 7;
                    break;
                }
                step = 7;
                --range;
            }
        } else if (f >= kStepSearchSlowest) {
            ok = true;
            break;
        } else if (++step > 7) {
            if (range == limit) {
                step = 0;
                break;
            }
            step = 0;
            ++range;
        }
    }
    gLpt.dcoStep = step;
    gLpt.dcoRange = range;
    return ok;
}

} // namespace

uint32_t MeasureClock(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint8_t e) {
    uint16_t base = 0;
    uint16_t bytes = 0;
    ClockRegisters(JtagDeviceProfile::Current().ClockSystemKind(), &base, &bytes);
    std::vector<uint16_t> r = RebasedRoutine(kMeasureClock);
    r[kMeasureClock_p3] = static_cast<uint16_t>((b << 8) | a);
    r[kMeasureClock_p4] = static_cast<uint16_t>((d << 8) | c);
    r[kMeasureClock_p5] = e;
    r[kMeasureClock_clkbase] = base;
    r[kMeasureClock_nbytes] = bytes;
    if (RunFlashRoutine(r, Verify(), false) != 0) {
        return 0;
    }
    const uint32_t t1 = Lpt().TimeStampMs();
    Lpt().Step(kMeasureWait);
    if (!SyncCpu()) {
        return 0;
    }
    const uint32_t t2 = Lpt().TimeStampMs();
    // Time stamps wrap at 2^32 ms; the difference does not care.
    const uint32_t elapsed = t2 - t1;
    if (elapsed == 0) {
        return 0;
    }
    const uint32_t low = ReadRegister(9);
    const uint32_t high = ReadRegister(10);
    const uint64_t count = ((static_cast<uint64_t>(high) & 0xFFFF) << 16) | (low & 0xFFFF);
    const uint64_t f = count * 1000 / elapsed;
    return f > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                    : static_cast<uint32_t>(f);
}

int32_t SetFlashClock() {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const int32_t kind = p.ClockSystemKind();
    for (int32_t t = 0; t < kTries; ++t) {
        if (kind == 1 || kind == 2) {
            const uint32_t f = p.FlashTiming() ? FllSetUp() : BinarySearch();
            if (f > kWindowLow && f < kWindowHigh) {
                return 0;
            }
        } else if (StepSearch(kind)) {
            return 0;
        }
    }
    return -1;
}

} // namespace debugif
