#include "debugif/instruction_cycles.h"

#include <array>

namespace debugif {

namespace {

using CycleRow = std::array<int32_t, 4>; // by As

constexpr CycleRow kSingleOperand = {1, 4, 3, 3};
constexpr CycleRow kPush16 = {3, 5, 4, 4};
constexpr CycleRow kCall16 = {4, 5, 4, 5};
constexpr CycleRow kPush20 = {3, 4, 3, 3};
constexpr CycleRow kCall20 = {3, 4, 4, 4};
constexpr CycleRow kDoubleAd0 = {1, 3, 2, 2};
constexpr CycleRow kDoubleAd1 = {4, 6, 5, 5};

// R3, and R2 in every mode but the absolute one, are constant generators:
// they cost no more than a register.
uint32_t EffectiveAs(uint32_t as, uint32_t reg) {
    return reg == 3 || (reg == 2 && as != 1) ? 0 : as;
}

int32_t AddressForm(uint16_t w) {
    const uint32_t r = w & 0x000F;
    if ((w & 0xF0E0) == 0x0040) {
        return 1 + ((w & 0x0C00) >> 10);
    }
    switch (w & 0xF0F0) {
    case 0x0000:
    case 0x0010:
        return 3;
    case 0x0020:
    case 0x0030:
    case 0x0060:
    case 0x0070:
        return 4;
    case 0x0080:
    case 0x0090:
    case 0x00A0:
    case 0x00B0:
        return r == 0 ? 3 : 2;
    case 0x00C0:
    case 0x00D0:
    case 0x00E0:
    case 0x00F0:
        return r == 0 ? 2 : 1;
    default:
        return 0;
    }
}

// -1 when w is no extended form.
int32_t ExtendedForm(uint16_t w) {
    const uint32_t r = w & 0x000F;
    const int32_t n = (w & 0x00F0) >> 4;
    if (w == 0x1300) {
        return 3;
    }
    switch (w & 0xFF00) {
    case 0x1300:
        switch (w & 0x00F0) {
        case 0x40:
            return 4;
        case 0x50:
            return r == 1 ? 7 : 6;
        case 0x60:
        case 0x70:
            return 5;
        case 0x80:
        case 0x90:
            return 6;
        case 0xB0:
            return 4;
        default:
            return 0;
        }
    case 0x1400:
    case 0x1600:
        return 4 + 2 * n;
    case 0x1500:
    case 0x1700:
        return 3 + n;
    default:
        return -1;
    }
}

int32_t SingleOperand(uint16_t w, bool cpux) {
    const uint32_t r = w & 0x000F;
    const uint32_t rawAs = (w & 0x0030) >> 4;
    const uint32_t as = EffectiveAs(rawAs, r);
    switch (w & 0xFF80) {
    case 0x1000:
    case 0x1080:
    case 0x1100:
    case 0x1180:
        return kSingleOperand[as];
    case 0x1200:
        return (cpux ? kPush20 : kPush16)[as] + (cpux && r == 1 && as == 1 ? 1 : 0);
    case 0x1280:
        return (cpux ? kCall20 : kCall16)[as] + (cpux && r == 1 && as == 1 ? 1 : 0);
    default:
        return cpux ? 3 : 5;
    }
}

int32_t DoubleOperand(uint16_t w, bool cpux) {
    const uint32_t r = w & 0x000F;
    const uint32_t s = (w >> 8) & 0x0F;
    const uint32_t ad = (w & 0x0080) >> 7;
    const uint32_t as = EffectiveAs((w & 0x0030) >> 4, s);
    const uint32_t o = w & 0xF000;
    int32_t c = (ad == 0 ? kDoubleAd0 : kDoubleAd1)[as];
    if (r == 0 && ad == 0 && (as == 2 || as == 3)) {
        c += 1;
    }
    if (r == 0 && ad == 0 && as == 0) {
        c += 1;
    }
    if (cpux && ad == 1 && (o == 0x4000 || o == 0x9000 || o == 0xB000)) {
        c -= 1;
    }
    return c;
}

} // namespace

int32_t InstructionCycles(uint16_t w, bool cpux, uint32_t& counter) {
    const uint32_t o = w & 0xF000;
    int32_t c = 0;
    if (o == 0x0000) {
        c = AddressForm(w);
    } else if (o == 0x1000) {
        const int32_t extended = cpux ? ExtendedForm(w) : -1;
        c = extended >= 0 ? extended : SingleOperand(w, cpux);
    } else if (o == 0x2000 || o == 0x3000) {
        c = 2;
    } else {
        c = DoubleOperand(w, cpux);
    }
    counter += static_cast<uint32_t>(c);
    return c;
}

int32_t ExtensionCycles(uint16_t x, uint16_t w, uint32_t& counter) {
    const uint32_t r = w & 0x000F;
    const uint32_t s = (w >> 8) & 0x0F;
    const uint32_t as = (w & 0x0030) >> 4;
    const uint32_t ad = (w & 0x0080) >> 7;
    const uint32_t o = w & 0xF000;
    int32_t c = 0;
    if (!(r == 0 && as == 2 && ad == 0)) {
        c += 1;
    }
    if (r == 0 && s == 0 && as == 3 && ad == 0) {
        c -= 1;
    }
    if ((x & 0x0040) == 0) {
        if (ad == 1) {
            if (as == 0 || as == 2 || (s == 0 && as == 3)) {
                c += 1;
            } else if (as == 1 || as == 3) {
                c += 2;
            }
        } else if (as != 0) {
            c += 1;
        }
        if (o == 0x1000 && as != 0) {
            c += 1;
        }
        if ((w & 0xFFF0) == 0x1240) {
            c += 1;
        }
        if (ad == 1 && o != 0x4000 && o != 0x9000 && o != 0xB000) {
            c += 1;
        }
    }
    if ((x & 0x0080) == 0) {
        c += x & 0x000F;
    }
    counter += static_cast<uint32_t>(c);
    return c;
}

uint32_t CycleCountBeforeStep(int32_t count) {
    if (count == -1) {
        return 0;
    }
    return static_cast<uint32_t>(count) & 0x7FFFFFFFu;
}

} // namespace debugif
