#include "debugif/jtag_device_profile.h"

#include "debugif/device_id_state.h"
#include "debugif/device_type_count.h"

#include <initializer_list>

namespace debugif {

namespace {

struct TypeRange {
    uint16_t first;
    uint16_t last;
};

bool InRanges(uint16_t type, std::initializer_list<TypeRange> ranges) {
    for (const TypeRange& r : ranges) {
        if (type >= r.first && type <= r.last) {
            return true;
        }
    }
    return false;
}

// The families by device type: the 2xx with their EEM and their own flash
// timing, the 20-bit parts of the 2xx and 4xx, the 5xx and 6xx with the
// unified clock, and the FLL of the 4xx.
bool Is2xx(uint16_t t) {
    return InRanges(t, {{39, 39}, {44, 49}, {51, 56}, {71, 82}});
}
bool IsCpux89(uint16_t t) {
    return InRanges(t, {{38, 38}, {50, 50}, {57, 60}, {67, 70}, {101, 108}});
}
bool Is5xx(uint16_t t) {
    return InRanges(t, {{83, 86}, {89, 91}, {111, 117}});
}
bool IsFll(uint16_t t) {
    return InRanges(
        t, {{8, 9}, {12, 13}, {18, 27}, {37, 38}, {50, 50}, {61, 70}, {87, 88}, {92, 110}});
}

} // namespace

JtagTypeTraits TraitsOfType(uint16_t t) {
    if (t >= kDeviceTypeCount) {
        t = 0;
    }
    JtagTypeTraits traits;
    traits.clockSystemKind = IsFll(t) ? 1 : 0;
    if (Is2xx(t)) {
        traits.eem = true;
        traits.breakpoints = 3;
        traits.clockControlKind = 1;
        traits.psaMode = 1;
        traits.flashTiming = true;
        traits.testRegister = true;
    }
    if (IsCpux89(t)) {
        traits.cpux = true;
        traits.eem = true;
        traits.breakpoints = 8;
        traits.clockControlKind = 1;
        traits.psaMode = 1;
    }
    if (Is5xx(t)) {
        traits.cpux = true;
        traits.eem = true;
        traits.breakpoints = 8;
        traits.clockControlKind = 2;
        traits.psaMode = 1;
        traits.clockSystemKind = 2;
    }
    return traits;
}

JtagDeviceProfile JtagDeviceProfile::Current() {
    JtagDeviceProfile p;
    const CurrentDeviceRecord& r = gDeviceId.currentDeviceRecord;
    p.traits_ = TraitsOfType(gDeviceId.currentDeviceType);
    p.ramStart_ = r.RamStart();
    p.ramEnd_ = r.RamEnd();
    p.ram2Start_ = r.Ram2Start();
    p.ram2End_ = r.Ram2End();
    p.infoSegmentSize_ = r.LayoutWord2();
    for (int32_t i = 0; i < 6; ++i) {
        p.sfrMasks_[i] = r.BytePairLow(static_cast<std::size_t>(i));
    }
    return p;
}

} // namespace debugif
