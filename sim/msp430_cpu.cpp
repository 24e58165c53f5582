#include "sim/msp430_cpu.h"

namespace sim {

namespace {

constexpr uint32_t kPc = 0;
constexpr uint32_t kSp = 1;
constexpr uint32_t kSr = 2;
constexpr uint32_t kCg = 3;

// Source operand words: indexed, symbolic and absolute take one, and so
// does the immediate (@PC+).
uint32_t SourceWords(uint32_t as, uint32_t s) {
    if (as == 1) {
        return s == kCg ? 0 : 1;
    }
    if (as == 3 && s == kPc) {
        return 1;
    }
    return 0;
}

} // namespace

uint32_t Msp430Cpu::Length(uint16_t w) {
    const uint32_t o = w & 0xF000;
    if (o == 0x0000) {
        switch (w & 0x00F0) {
        case 0x20:
        case 0x30:
        case 0x60:
        case 0x70:
        case 0x80:
        case 0x90:
        case 0xA0:
        case 0xB0:
            return 2;
        default:
            return 1;
        }
    }
    if (o == 0x1000) {
        return 1 + SourceWords((w >> 4) & 3, w & 0x0F);
    }
    if (o == 0x2000 || o == 0x3000) {
        return 1;
    }
    const uint32_t s = (w >> 8) & 0x0F;
    const uint32_t ad = (w >> 7) & 1;
    return 1 + SourceWords((w >> 4) & 3, s) + ad;
}

void Msp430Cpu::WriteMem(uint32_t address, uint32_t value, bool byte) {
    if (byte) {
        bus_.Write8(address, static_cast<uint8_t>(value));
        written_.push_back(static_cast<uint16_t>(value & 0xFF));
    } else {
        bus_.Write16(address & ~1u, static_cast<uint16_t>(value));
        written_.push_back(static_cast<uint16_t>(value));
    }
}

uint32_t Msp430Cpu::Indexed(uint32_t reg, uint16_t x) const {
    if (reg == kSr) {
        return x; // absolute
    }
    // The symbolic mode counts from the extension word, which the PC has
    // passed by now.
    const uint32_t base = reg == kPc ? r_[kPc] - 2 : r_[reg];
    if (cpux_ && base > 0xFFFF) {
        // Above the first 64 KB the 20-bit CPU adds in 20 bits.
        const uint32_t offset = (x & 0x8000) != 0 ? (0xF0000u | x) : x;
        return (base + offset) & 0xFFFFF;
    }
    return (base + x) & 0xFFFF;
}

uint32_t Msp430Cpu::ReadMem(uint32_t address, bool byte) {
    return byte ? bus_.Read8(address) : bus_.Read16(address & ~1u);
}

int32_t Msp430Cpu::Step() {
    const uint32_t start = r_[kPc];
    uint32_t pc = start;
    auto fetch = [&] {
        const uint16_t w = bus_.Read16(pc & Mask() & ~1u);
        pc += 2;
        r_[kPc] = pc & Mask();
        return w;
    };
    const int32_t c = Execute(fetch, false);
    if (c < 0) {
        r_[kPc] = start;
    }
    return c;
}

int32_t Msp430Cpu::Inject(std::span<const uint16_t> words) {
    size_t i = 0;
    auto fetch = [&]() -> uint16_t { return i < words.size() ? words[i++] : 0x3FFF; };
    return Execute(fetch, true);
}

int32_t Msp430Cpu::Execute(const std::function<uint16_t()>& fetch, bool injected) {
    written_.clear();
    const uint16_t w = fetch();
    const uint32_t o = w & 0xF000;
    const uint32_t mask = Mask();
    auto setFlags = [&](uint32_t result, uint32_t top, bool c, bool v) {
        uint32_t sr = r_[kSr] & ~(kStatusC | kStatusZ | kStatusN | kStatusV);
        if ((result & ((top << 1) - 1)) == 0) {
            sr |= kStatusZ;
        }
        if ((result & top) != 0) {
            sr |= kStatusN;
        }
        if (c) {
            sr |= kStatusC;
        }
        if (v) {
            sr |= kStatusV;
        }
        r_[kSr] = sr;
    };

    if (o == 0x2000 || o == 0x3000) {
        if (injected) {
            return 2;
        }
        const uint32_t sr = r_[kSr];
        const bool n = (sr & kStatusN) != 0;
        const bool v = (sr & kStatusV) != 0;
        bool take = false;
        switch ((w >> 10) & 7) {
        case 0:
            take = (sr & kStatusZ) == 0;
            break;
        case 1:
            take = (sr & kStatusZ) != 0;
            break;
        case 2:
            take = (sr & kStatusC) == 0;
            break;
        case 3:
            take = (sr & kStatusC) != 0;
            break;
        case 4:
            take = n;
            break;
        case 5:
            take = n == v;
            break;
        case 6:
            take = n != v;
            break;
        default:
            take = true;
            break;
        }
        if (take) {
            int32_t offset = w & 0x03FF;
            if ((offset & 0x200) != 0) {
                offset -= 0x400;
            }
            r_[kPc] = (r_[kPc] + static_cast<uint32_t>(offset * 2)) & mask;
        }
        return 2;
    }

    if (o == 0x0000) {
        // The address forms of the 20-bit CPU.
        if (!cpux_) {
            return -1;
        }
        const uint32_t s = (w >> 8) & 0x0F;
        const uint32_t d = w & 0x0F;
        switch (w & 0x00F0) {
        case 0x00: // MOVA @Rs, Rd
            r_[d] = (ReadMem(r_[s], false) | (ReadMem(r_[s] + 2, false) << 16)) & mask;
            return 3;
        case 0x10: { // MOVA @Rs+, Rd
            const uint32_t a = r_[s];
            r_[s] = (r_[s] + 4) & mask;
            r_[d] = (ReadMem(a, false) | (ReadMem(a + 2, false) << 16)) & mask;
            return 3;
        }
        case 0x20: { // MOVA &abs20, Rd
            const uint32_t a = ((s << 16) | fetch()) & mask;
            r_[d] = (ReadMem(a, false) | (ReadMem(a + 2, false) << 16)) & mask;
            return 4;
        }
        case 0x60: { // MOVA Rs, &abs20
            const uint32_t a = ((d << 16) | fetch()) & mask;
            WriteMem(a, r_[s] & 0xFFFF, false);
            WriteMem(a + 2, (r_[s] >> 16) & 0x000F, false);
            return 4;
        }
        case 0x80: // MOVA #imm20, Rd
        case 0x90: // CMPA #imm20, Rd
        case 0xA0: // ADDA #imm20, Rd
        case 0xB0: // SUBA #imm20, Rd
        case 0xC0: // MOVA Rs, Rd
        case 0xD0:
        case 0xE0:
        case 0xF0: {
            const bool immediate = (w & 0x00F0) < 0xC0;
            const uint32_t src = immediate ? (((s << 16) | fetch()) & mask) : r_[s];
            const uint32_t kind = (w >> 4) & 3;
            if (kind == 0) {
                if (d != kCg) {
                    r_[d] = src;
                }
                return 2;
            }
            const uint32_t dst = r_[d];
            uint32_t result = 0;
            bool carry = false;
            if (kind == 2) {
                result = dst + src;
                carry = result > mask;
            } else {
                result = dst + ((~src) & mask) + 1;
                carry = result > mask;
            }
            result &= mask;
            setFlags(result, 0x80000, carry, false);
            if (kind != 1 && d != kCg) {
                r_[d] = result;
            }
            return 2;
        }
        default:
            return -1;
        }
    }

    const bool byte = (w & 0x0040) != 0;
    const uint32_t top = byte ? 0x80 : 0x8000;
    const uint32_t width = byte ? 0xFF : 0xFFFF;

    // Source operand by As and register s; returns the value, and the
    // address when it came from memory.
    auto source = [&](uint32_t as, uint32_t s, uint32_t* address) -> uint32_t {
        *address = UINT32_MAX;
        if (s == kCg) {
            static constexpr uint32_t kConstants[4] = {0, 1, 2, 0xFFFFFFFF};
            return kConstants[as] & width;
        }
        if (s == kSr && as >= 2) {
            return (as == 2 ? 4u : 8u);
        }
        switch (as) {
        case 0:
            return r_[s] & width;
        case 1: {
            const uint16_t x = fetch();
            *address = Indexed(s, x);
            return ReadMem(*address, byte);
        }
        case 2:
            *address = r_[s];
            return ReadMem(*address, byte);
        default:
            if (s == kPc) {
                return fetch() & width;
            }
            *address = r_[s];
            r_[s] = (r_[s] + (byte && s != kSp ? 1 : 2)) & mask;
            return ReadMem(*address, byte);
        }
    };

    if (o == 0x1000) {
        const uint32_t op = (w >> 7) & 7;
        const uint32_t as = (w >> 4) & 3;
        const uint32_t d = w & 0x0F;
        if (op == 6) { // RETI
            r_[kSr] = ReadMem(r_[kSp], false);
            r_[kSp] = (r_[kSp] + 2) & mask;
            r_[kPc] = ReadMem(r_[kSp], false);
            r_[kSp] = (r_[kSp] + 2) & mask;
            return 5;
        }
        if (op == 7) {
            return -1;
        }
        uint32_t address = UINT32_MAX;
        uint32_t v = source(as, d, &address);
        uint32_t result = v;
        switch (op) {
        case 0: { // RRC
            const bool c = (r_[kSr] & kStatusC) != 0;
            result = (v >> 1) | (c ? top : 0);
            setFlags(result, top, (v & 1) != 0, false);
            break;
        }
        case 1: // SWPB
            result = ((v << 8) | (v >> 8)) & 0xFFFF;
            break;
        case 2: // RRA
            result = (v >> 1) | (v & top);
            setFlags(result, top, (v & 1) != 0, false);
            break;
        case 3: // SXT
            result = (v & 0x80) != 0 ? (v | 0xFF00) : (v & 0xFF);
            setFlags(result, 0x8000, result != 0, false);
            break;
        case 4: // PUSH
            r_[kSp] = (r_[kSp] - 2) & mask;
            WriteMem(r_[kSp], v, byte);
            return 3;
        case 5: // CALL
            r_[kSp] = (r_[kSp] - 2) & mask;
            WriteMem(r_[kSp], r_[kPc], false);
            if (!injected) {
                r_[kPc] = v & 0xFFFE;
            }
            return 4;
        default:
            break;
        }
        if (address == UINT32_MAX) {
            if (d != kCg) {
                r_[d] = result & width;
            }
        } else {
            WriteMem(address, result, byte);
        }
        return 3;
    }

    // Double operand.
    const uint32_t s = (w >> 8) & 0x0F;
    const uint32_t as = (w >> 4) & 3;
    const uint32_t ad = (w >> 7) & 1;
    const uint32_t d = w & 0x0F;
    uint32_t ignored = 0;
    const uint32_t src = source(as, s, &ignored);
    uint32_t dstAddress = UINT32_MAX;
    uint32_t dst = 0;
    if (ad == 0) {
        dst = r_[d] & width;
    } else {
        const uint16_t x = fetch();
        dstAddress = Indexed(d, x);
        dst = o == 0x4000 ? 0 : ReadMem(dstAddress, byte);
    }
    uint32_t result = 0;
    bool write = true;
    const bool carryIn = (r_[kSr] & kStatusC) != 0;
    auto add = [&](uint32_t a, uint32_t b, uint32_t c) {
        const uint32_t sum = a + b + c;
        const bool v = ((a ^ sum) & (b ^ sum) & top) != 0;
        setFlags(sum & width, top, sum > width, v);
        return sum & width;
    };
    switch (o) {
    case 0x4000:
        result = src;
        break; // MOV
    case 0x5000:
        result = add(src, dst, 0);
        break; // ADD
    case 0x6000:
        result = add(src, dst, carryIn ? 1 : 0);
        break; // ADDC
    case 0x7000:
        result = add(~src & width, dst, carryIn ? 1 : 0);
        break; // SUBC
    case 0x8000:
        result = add(~src & width, dst, 1);
        break; // SUB
    case 0x9000:
        add(~src & width, dst, 1);
        write = false;
        break; // CMP
    case 0xA000:
        return -1; // DADD
    case 0xB000:   // BIT
        result = src & dst;
        setFlags(result, top, result != 0, false);
        write = false;
        break;
    case 0xC000:
        result = dst & ~src & width;
        break; // BIC
    case 0xD000:
        result = dst | src;
        break;     // BIS
    case 0xE000: { // XOR
        result = (src ^ dst) & width;
        setFlags(result, top, result != 0, (src & top) != 0 && (dst & top) != 0);
        break;
    }
    default: { // AND
        result = src & dst;
        setFlags(result, top, result != 0, false);
        break;
    }
    }
    if (write) {
        if (dstAddress != UINT32_MAX) {
            WriteMem(dstAddress, result, byte);
        } else if (d == kPc) {
            r_[kPc] = result & 0xFFFE;
        } else if (d != kCg) {
            r_[d] = byte ? (result & 0xFF) : (result & 0xFFFF);
        }
    }
    // Register and constant sources take one cycle, indirect and immediate
    // two, indexed three; a memory destination three more, the PC one more.
    const bool constant = s == kCg || (s == kSr && as >= 2);
    int32_t cycles = constant || as == 0 ? 1 : (as == 1 ? 3 : 2);
    if (ad != 0) {
        cycles += 3;
    } else if (d == kPc && (as == 0 || constant)) {
        cycles += 1;
    }
    return cycles;
}

} // namespace sim
