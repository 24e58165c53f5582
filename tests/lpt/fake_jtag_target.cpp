#include "tests/lpt/fake_jtag_target.h"

#include <cstdio>
#include <string>

namespace lpt_test {

namespace {

constexpr uint16_t kJumpToSelf = 0x3FFF;
constexpr uint32_t kStepsPerPsaWord = 18;

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", v);
    return text;
}

} // namespace

FakeJtagTarget::FakeJtagTarget(sim::SimTarget& target, uint16_t id, bool isCpux, bool hasEem)
    : jtagId(id), cpux(isCpux), eem(hasEem), target_(target),
      cpu_(*this, target.registers.data(), isCpux) {}

int32_t FakeJtagTarget::Open(const char* name) {
    trace.push_back(std::string("open ") + name);
    return openFails ? -1 : 0;
}

int32_t FakeJtagTarget::Close(int32_t vccOff) {
    trace.push_back("close " + std::to_string(vccOff));
    if (vccOff != 0) {
        target_.SetAdapterSupply(0);
    }
    return 0;
}

int32_t FakeJtagTarget::Supply(int32_t millivolts) {
    trace.push_back("supply " + std::to_string(millivolts));
    return target_.SetAdapterSupply(millivolts) == 0 ? 0 : -1;
}

uint32_t FakeJtagTarget::ControlStatus() const {
    uint32_t s = control_ & ~0x0285u;
    s |= control_ & 0x0001u;
    if (synced_) {
        s |= 0x0200;
    }
    if (!running_) {
        s |= 0x0080;
    }
    if ((target_.registers[2] & sim::kStatusCpuOff) != 0) {
        s |= 0x0004;
    }
    return s;
}

void FakeJtagTarget::WriteControlWord(uint16_t value) {
    control_ = value;
    if ((value & 0x0800) != 0) {
        // Power-on reset: the CPU fetches its reset vector next.
        target_.ResetCpu(false);
        porPending_ = true;
    }
    if ((value & 0x0400) != 0 && running_) {
        running_ = false;
    }
    synced_ = (value & 0x0400) != 0;
}

// Executes the injected words once they make up an instruction.
void FakeJtagTarget::RunPending(bool force) {
    if (injected_.empty()) {
        return;
    }
    const uint32_t n = sim::Msp430Cpu::Length(injected_[0]);
    if (injected_.size() < n && !force) {
        return;
    }
    if (injected_.size() >= n) {
        cpu_.Inject(injected_);
        bus_.assign(cpu_.Written().begin(), cpu_.Written().end());
        if (!bus_.empty()) {
            lastBus_ = bus_.back();
        }
        trace.push_back("inject " + Hex(injected_[0]));
    }
    injected_.clear();
}

void FakeJtagTarget::Run() {
    running_ = true;
    synced_ = false;
    trigger_ = 0x0080;
    const bool stepTrigger = eem ? (Eem(0x80) & 1) != 0 && (Eem(4) & 0xFFFF) == 0xFFFF
                                 : (breakpointEnable_ & 0x0080) != 0;
    for (uint32_t i = 0; i < stepCap; ++i) {
        const uint32_t pc = target_.registers[0];
        if (i > 0 || !stepTrigger) {
            if (Read16(pc) == kJumpToSelf) {
                return; // parked: still running
            }
            // Breakpoints stop before the instruction at their address.
            for (uint32_t b = 0; b < (eem ? 8u : 2u); ++b) {
                const bool enabled = eem ? (Eem(0x80) & (1u << b)) != 0 && b > 0
                                         : (breakpointEnable_ & (1u << b)) != 0;
                const uint32_t at = eem ? Eem(b * 8) : breakpoint_[b];
                if (i > 0 && enabled && at == pc) {
                    running_ = false;
                    trigger_ = static_cast<uint16_t>(1u << b);
                    return;
                }
            }
        }
        if (cpu_.Step() < 0) {
            trace.push_back("unknown instruction at " + Hex(pc));
            return;
        }
        ++executed;
        if (stepTrigger) {
            running_ = false;
            trigger_ = 0;
            return;
        }
    }
    trace.push_back("step cap");
}

int32_t FakeJtagTarget::ShiftIr(uint8_t value, uint32_t* capture) {
    // Words under 0x41 wait for the instruction that takes them; a lone
    // word before the address capture or the PSA is a new PC.
    if (ir_ == 0x41 && value != 0x41) {
        if ((value == 0x84 || value == 0x44) && injected_.size() == 1) {
            target_.registers[0] = injected_[0];
            injected_.clear();
        } else {
            RunPending(value != 0x42);
        }
    }
    ir_ = value;
    eemDrCount_ = 0;
    if (value == 0xFF) {
        ++idReads;
    }
    uint32_t answer = jtagId;
    if (noId || (answerOnlyAtEntry && !(entryFresh_ && value == 0xFF))) {
        answer = 0;
    }
    entryFresh_ = false;
    if (capture != nullptr) {
        *capture = answer;
    }
    switch (value) {
    case 0x15:
        RunPending(true);
        Run();
        break;
    case 0x44:
        psa_ = true;
        psaStart_ = target_.registers[0];
        psaSteps_ = 0;
        psaPinWords_ = 0;
        break;
    default:
        break;
    }
    return 0;
}

uint32_t FakeJtagTarget::Eem(uint32_t reg) const {
    const auto it = eemRegs_.find(reg & ~1u);
    return it == eemRegs_.end() ? 0 : it->second;
}

uint16_t FakeJtagTarget::Psa(uint32_t words) const {
    uint32_t s = (psaStart_) & 0xFFFF;
    for (uint32_t i = 0; i < words; ++i) {
        s = (s & 0x8000) != 0 ? (((s ^ 0x0805) << 1) & 0xFFFF) + 1 : (s << 1) & 0xFFFF;
        const uint32_t a = psaStart_ + 2 + 2 * i;
        s ^= static_cast<uint32_t>(target_.Peek(a) | (target_.Peek(a + 1) << 8));
    }
    return static_cast<uint16_t>(s);
}

int32_t FakeJtagTarget::ShiftDr(uint32_t value, int32_t bits, uint32_t* capture) {
    uint32_t c = 0;
    switch (ir_) {
    case 0x11:
        WriteControlWord(static_cast<uint16_t>((control_ & 0x00FF) | ((value & 0xFF) << 8)));
        break;
    case 0x12:
        control_ = static_cast<uint16_t>((control_ & 0xFF00) | (value & 0xFF));
        break;
    case 0x13:
        WriteControlWord(static_cast<uint16_t>(value));
        break;
    case 0x14:
        c = target_.FuseBlown() && value == 0xAAAA ? 0x5555 : ControlStatus();
        break;
    case 0x29:
        c = target_.IdentificationBlock()[16];
        break;
    case 0x41:
        if (!running_) {
            // A complete instruction runs once the next word or
            // instruction shows it is not an address to load.
            RunPending(false);
            injected_.push_back(static_cast<uint16_t>(value));
        }
        c = lastBus_;
        break;
    case 0x42:
        if (!bus_.empty()) {
            lastBus_ = bus_.front();
            bus_.pop_front();
        }
        c = lastBus_;
        break;
    case 0x83:
        address_ = value;
        break;
    case 0x84:
        if (porPending_) {
            c = 0xFFFE;
            porPending_ = false;
        } else {
            c = target_.registers[0];
        }
        break;
    case 0x85:
        if ((control_ & 0x08) != 0) {
            const bool byte = (control_ & 0x10) != 0;
            if ((control_ & 0x01) != 0) {
                c = byte ? Read8(address_) : Read16(address_);
            } else if (ramWriteFault) {
                return -1;
            } else if (byte) {
                Write8(address_, static_cast<uint8_t>(value));
            } else {
                Write16(address_, static_cast<uint16_t>(value));
            }
        }
        break;
    case 0x09:
    case 0x0D:
        if (!eem) {
            if (ir_ == 0x09) {
                breakpointEnable_ = static_cast<uint16_t>(value);
            } else {
                breakpoint_[1] = value;
            }
        } else if (eemDrCount_++ == 0) {
            eemRegister_ = value;
        } else if ((eemRegister_ & 1) != 0) {
            c = Eem(eemRegister_);
        } else {
            eemRegs_[eemRegister_] = value;
        }
        break;
    case 0x0A:
        c = trigger_;
        break;
    case 0x0B:
        if (eem) {
            c = eemControl_;
        } else {
            breakpoint_[0] = value;
        }
        break;
    case 0x0C:
        if (eem) {
            eemControl_ = static_cast<uint16_t>(value);
        } else {
            c = breakpoint_[0];
        }
        break;
    case 0x0E:
        c = breakpoint_[1];
        break;
    case 0x46: {
        const uint32_t words = psaPinWords_ != 0 ? psaPinWords_ : psaSteps_ / kStepsPerPsaWord;
        c = Psa(words);
        psa_ = false;
        break;
    }
    default:
        break;
    }
    const uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    if (capture != nullptr) {
        *capture = c & mask;
    }
    return 0;
}

void FakeJtagTarget::Step(int32_t n) {
    time_ += static_cast<uint32_t>(n);
    if (psa_) {
        ++psaSteps_;
    }
}

void FakeJtagTarget::Pin(int32_t value, int32_t level) {
    trace.push_back("pin " + std::to_string(value) + " " + std::to_string(level));
    if (psa_) {
        psaPinWords_ = static_cast<uint32_t>(value) / 2;
    }
}

void FakeJtagTarget::PortCall(int32_t value) {
    (void)value;
    entryFresh_ = true;
}

int32_t FakeJtagTarget::Release() {
    trace.push_back("release");
    return 0;
}

uint16_t FakeJtagTarget::Read16(uint32_t address) {
    return static_cast<uint16_t>(target_.Peek(address) | (target_.Peek(address + 1) << 8));
}

uint8_t FakeJtagTarget::Read8(uint32_t address) {
    return target_.Peek(address);
}

void FakeJtagTarget::Write16(uint32_t address, uint16_t value) {
    Write8(address, static_cast<uint8_t>(value));
    Write8(address + 1, static_cast<uint8_t>(value >> 8));
}

void FakeJtagTarget::Write8(uint32_t address, uint8_t value) {
    // Flash and ROM take nothing by a plain write.
    const sim::Region region = target_.Layout().RegionOf(address);
    if (region == sim::Region::Ram || region == sim::Region::Peripheral) {
        target_.Poke(address, value);
    }
}

} // namespace lpt_test
