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
        fctl1_ = 0;
        fctl3_ = 0x18;
        mailbox_ = MailboxState{};
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

// A release: a single step runs its one instruction at once; otherwise the
// CPU runs while the host's steps pass, at the clock's frequency.
void FakeJtagTarget::Run() {
    running_ = true;
    synced_ = false;
    // The trigger word shows the armed breakpoints that were not hit.
    trigger_ = static_cast<uint16_t>(0x0080 | ((eem ? Eem(0x80) : breakpointEnable_) & 3));
    sinceRelease_ = 0;
    cycleCredit_ = 0;
    released_ = true;
    stoppedByTrigger_ = false;
    const bool stepTrigger = eem ? (Eem(0x80) & 1) != 0 && (Eem(4) & 0xFFFF) == 0xFFFF
                                 : (breakpointEnable_ & 0x0080) != 0;
    if (stepTrigger) {
        const uint32_t pc = target_.registers[0];
        if (cpu_.Step() < 0) {
            trace.push_back("unknown instruction at " + Hex(pc));
            return;
        }
        ++executed;
        running_ = false;
        stoppedByTrigger_ = true;
        trigger_ = 0;
    }
}

void FakeJtagTarget::RunFor(uint32_t ms) {
    // A board that was never let go runs nothing the host put there.
    if (!running_ || !released_ || ms == 0) {
        return;
    }
    // A millisecond at a time, so that a routine that sets the clock runs
    // at its new frequency from the next millisecond on.
    for (uint32_t m = 0; m < ms && running_; ++m) {
        cycleCredit_ += MclkHz() / 1000;
        if (!RunCredit()) {
            return;
        }
    }
}

// Runs the cycles owed; false when the CPU stopped, parked or gave up.
bool FakeJtagTarget::RunCredit() {
    while (cycleCredit_ > 0) {
        const uint32_t pc = target_.registers[0];
        if (Read16(pc) == kJumpToSelf) {
            // Parked: still running, on the spot.
            cycleCredit_ = 0;
            if (earlyR8 && !parkedOnce_) {
                parkedOnce_ = true;
                target_.registers[8] = 1;
            }
            return false;
        }
        // Breakpoints stop before the instruction at their address.
        for (uint32_t b = 0; b < (eem ? 8u : 2u); ++b) {
            const bool enabled =
                eem ? (Eem(0x80) & (1u << b)) != 0 && b > 0 : (breakpointEnable_ & (1u << b)) != 0;
            const uint32_t at = eem ? Eem(b * 8) : breakpoint_[b];
            if (sinceRelease_ > 0 && enabled && at == pc) {
                running_ = false;
                stoppedByTrigger_ = true;
                trigger_ = static_cast<uint16_t>(trigger_ & 3u & ~(1u << b));
                return false;
            }
        }
        if (sinceRelease_ >= stepCap) {
            if (sinceRelease_ == stepCap) {
                trace.push_back("step cap");
                ++sinceRelease_;
            }
            cycleCredit_ = 0;
            return false;
        }
        const int32_t c = cpu_.Step();
        if (c < 0) {
            trace.push_back("unknown instruction at " + Hex(pc));
            cycleCredit_ = 0;
            sinceRelease_ = stepCap + 1;
            return false;
        }
        ++executed;
        ++sinceRelease_;
        cycleCredit_ = cycleCredit_ > static_cast<uint64_t>(c) ? cycleCredit_ - c : 0;
    }
    return true;
}

// The host's side of the JTAG mailbox: each shift answers the status
// (0x1200, input free 0x0001, output waiting 0x0008) unless a read or write
// request is under way.
uint32_t FakeJtagTarget::Mailbox(uint16_t value) {
    MailboxState& m = mailbox_;
    switch (m.phase) {
    case MailboxState::kReadLow:
        m.phase = MailboxState::kReadHigh;
        return m.outLow;
    case MailboxState::kReadHigh:
        m.phase = MailboxState::kIdle;
        m.outPending = false;
        return m.outHigh;
    case MailboxState::kWrite:
        m.phase = MailboxState::kIdle;
        m.in = value;
        m.inPending = true;
        return 0;
    default:
        break;
    }
    const bool inFree = !m.inPending && !mailboxNeverReady;
    const uint32_t status = 0x1202 | (inFree ? 0x0001 : 0) | (m.outPending ? 0x0008 : 0);
    if (value == 0x0014 && m.outPending) {
        m.phase = MailboxState::kReadLow;
    } else if (value == 0x0001 && inFree) {
        m.phase = MailboxState::kWrite;
    }
    return status;
}

uint32_t FakeJtagTarget::MclkHz() const {
    if (clockKind == 1) {
        // FLL: the DCO tap in SCFI1 bits 7..3.
        const uint32_t tap = target_.Peek(0x0051) >> 3;
        return static_cast<uint32_t>((200000ull + 85000ull * tap) * dcoScalePermille / 1000);
    }
    const uint32_t step = target_.Peek(0x0056) >> 5;
    const uint32_t range = target_.Peek(0x0057) & 0x07;
    const uint32_t divider = (target_.Peek(0x0058) >> 4) & 3;
    uint64_t f = 0;
    if (dcoCurve) {
        f = dcoCurve(range, step);
    } else {
        // Each range 1.4 times the last, each step 1.12 times.
        double hz = 120000.0;
        for (uint32_t i = 0; i < range; ++i) {
            hz *= 1.4;
        }
        for (uint32_t i = 0; i < step; ++i) {
            hz *= 1.12;
        }
        f = static_cast<uint64_t>(hz) * dcoScalePermille / 1000;
    }
    return static_cast<uint32_t>(f >> divider);
}

bool FakeJtagTarget::FlashClockInWindow() const {
    if (flashTiming) {
        return true;
    }
    const uint32_t f = MclkHz() / ((fctl2_ & 0x3Fu) + 1);
    return f >= 257000 && f <= 476000;
}

uint16_t FakeJtagTarget::ReadFlashRegister(uint32_t address) const {
    switch ((address & ~1u) - FlashBase()) {
    case 0:
        return static_cast<uint16_t>(0x9600 | fctl1_);
    case 2:
        return static_cast<uint16_t>(0x9600 | fctl2_);
    default: {
        uint16_t v = static_cast<uint16_t>(0x9600 | (fctl3_ & ~0x40u));
        if (target_.Layout().lockedEnd != 0 && !target_.InfoAUnlocked()) {
            v |= 0x40;
        }
        return v;
    }
    }
}

void FakeJtagTarget::WriteFlashRegister(uint32_t address, uint16_t value, bool byte) {
    if (byte || (value >> 8) != 0xA5) {
        fctl3_ |= 0x02; // KEYV: the key was wrong
        trace.push_back("flash key violation at " + Hex(address));
        return;
    }
    const uint8_t low = static_cast<uint8_t>(value);
    switch ((address & ~1u) - FlashBase()) {
    case 0:
        fctl1_ = low;
        break;
    case 2:
        fctl2_ = low;
        break;
    case 6:
        break; // FCTL4 of the 0x91 family: nothing modelled
    default:
        if ((low & 0x40) != 0) {
            target_.SetInfoAUnlocked(!target_.InfoAUnlocked());
        }
        // BUSY reads 0: the controller here finishes at once.
        fctl3_ = static_cast<uint8_t>((low & ~0x41u) | 0x08);
        break;
    }
}

// A write into flash through the controller: a dummy write in an erase
// mode erases, one in write mode programs (by AND, under the sim's Info-A
// rule); the flash clock must lie in its window, the lock must be open.
void FakeJtagTarget::WriteFlash(uint32_t address, const uint8_t* bytes, uint32_t count) {
    if ((fctl3_ & 0x10) != 0) {
        fctl3_ |= 0x04; // ACCVIFG
        trace.push_back("flash locked at " + Hex(address));
        return;
    }
    const uint8_t erase = fctl1_ & 0x0E;
    if (erase == 0 && (fctl1_ & 0x40) == 0) {
        fctl3_ |= 0x04;
        trace.push_back("flash write without a mode at " + Hex(address));
        return;
    }
    if (flashFails) {
        fctl3_ |= 0x80;
        trace.push_back("flash failed at " + Hex(address));
        return;
    }
    if (!FlashClockInWindow()) {
        fctl3_ |= 0x80; // FAIL
        trace.push_back("flash clock out of window");
        return;
    }
    int32_t r = 0;
    if (erase != 0) {
        if ((erase & 0x02) != 0 && (erase & 0x0C) != 0) {
            trace.push_back("erase all");
            r = target_.EraseAll();
        } else if ((erase & 0x0C) != 0) {
            trace.push_back("erase main");
            r = target_.EraseMain();
        } else {
            uint32_t first = 0;
            uint32_t last = 0;
            target_.Layout().SegmentOf(address, first, last);
            trace.push_back("erase segment " + Hex(first));
            r = target_.EraseSegment(address);
        }
        fctl1_ &= static_cast<uint8_t>(~0x0Eu);
    } else {
        r = target_.Write(address, bytes, count);
        if (!flashWrites.empty() && flashWrites.back().second + 1 == address) {
            flashWrites.back().second = address + count - 1;
        } else {
            flashWrites.emplace_back(address, address + count - 1);
        }
    }
    if (r != 0) {
        fctl3_ |= 0x80;
    }
}

int32_t FakeJtagTarget::ShiftIr(uint8_t value, uint32_t* capture) {
    // Words under 0x41 wait for the instruction that takes them; a lone
    // word before the address capture or the PSA is a new PC.
    if (ir_ == 0x41 && value != 0x41) {
        // A lone word where the CPU takes its next address is a new PC:
        // before the address capture (0x89), the release (0x91) or the PSA.
        const bool loneIsPc = value == 0x44 || (x91() ? value == 0x15 : value == 0x84);
        if (loneIsPc && injected_.size() == 1) {
            // On the 0x91 family the word replaces the low 16 bits of the
            // 20-bit PC that SetPcX loaded.
            target_.registers[0] =
                x91() ? (target_.registers[0] & 0xF0000) | injected_[0] : injected_[0];
            injected_.clear();
        } else {
            // An instruction may go on after a control-register write.
            RunPending(value != 0x42 && value != 0x13);
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
    uint32_t s = (psaStart_)&0xFFFF;
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
        if (bus_.empty() && x91() && (control_ & 0x01) != 0) {
            // The word at the address register, read by the memory cycle.
            c = Read16(address_);
            break;
        }
        if (!bus_.empty()) {
            lastBus_ = bus_.front();
            bus_.pop_front();
        }
        c = lastBus_;
        break;
    case 0x83:
        address_ = value;
        bus_.clear();
        break;
    case 0x43:
        // Quick read: the word at the PC, which moves on.
        c = Read16(target_.registers[0]);
        target_.registers[0] = (target_.registers[0] + 2) & 0xFFFFF;
        break;
    case 0x87:
        c = x91() ? 0x001A0 : 0;
        break;
    case 0x2A:
        if (x91() && value == 0x0200 && Read16(0x17FC) == 0xBABE && Read16(0x17FE) == 0xDEAD) {
            target_.SetFuseBlown(true);
        }
        break;
    case 0x61:
        c = Mailbox(static_cast<uint16_t>(value));
        break;
    case 0x84:
        if (x91()) {
            // The address bus runs four bytes ahead of the instruction.
            porPending_ = false;
            c = (target_.registers[0] + 4) & 0xFFFFF;
        } else if (porPending_) {
            c = 0xFFFE;
            porPending_ = false;
        } else {
            c = target_.registers[0];
        }
        break;
    case 0x85:
        if (x91()) {
            if ((control_ & 0x01) == 0) {
                Write16(address_, static_cast<uint16_t>(value));
            }
        } else if ((control_ & 0x08) != 0) {
            const bool byte = (control_ & 0x10) != 0;
            if ((control_ & 0x01) != 0) {
                c = byte ? Read8(address_) : Read16(address_);
            } else if (ramWriteFault) {
                return -1;
            } else {
                if (corruptWriteAt != 0 && (address_ & ~1u) == corruptWriteAt) {
                    value ^= 1;
                }
                if (byte) {
                    Write8(address_, static_cast<uint8_t>(value));
                } else {
                    Write16(address_, static_cast<uint16_t>(value));
                }
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
            // 0x91: bit 0x0080 tells a CPU the EEM stopped.
            c = x91() ? static_cast<uint16_t>((eemControl_ & ~0x80u) |
                                              (stoppedByTrigger_ ? 0x80u : 0u))
                      : eemControl_;
        } else {
            breakpoint_[0] = value;
        }
        break;
    case 0x0C:
        if (eem) {
            eemControl_ = static_cast<uint16_t>(value);
            if (x91() && value == 7 && running_ && released_) {
                // Every trigger set to fire: the running CPU stops now.
                running_ = false;
                stoppedByTrigger_ = true;
            }
        } else {
            c = breakpoint_[0];
        }
        break;
    case 0x0E:
        c = breakpoint_[1];
        break;
    case 0x46: {
        // 0x91: 16 steps a word and a step 2 between words.
        const uint32_t stepWords =
            x91() ? (psaSteps_ + 1) / (kStepsPerPsaWord - 1) : psaSteps_ / kStepsPerPsaWord;
        const uint32_t words = psaPinWords_ != 0 ? psaPinWords_ : stepWords;
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
    if (!clockFrozen) {
        time_ += static_cast<uint32_t>(n);
    }
    RunFor(static_cast<uint32_t>(n));
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
    if (FlashRegister(address)) {
        return ReadFlashRegister(address);
    }
    if (x91() && address == 0x0186) {
        // SYSJMBC: input word waiting (0x01), output free (0x04).
        return static_cast<uint16_t>((mailbox_.inPending ? 0x01 : 0) |
                                     (mailbox_.outPending ? 0 : 0x04));
    }
    if (x91() && address == 0x0188) {
        mailbox_.inPending = false;
        return mailbox_.in;
    }
    return static_cast<uint16_t>(target_.Peek(address) | (target_.Peek(address + 1) << 8));
}

uint8_t FakeJtagTarget::Read8(uint32_t address) {
    if (FlashRegister(address)) {
        const uint16_t w = ReadFlashRegister(address);
        return static_cast<uint8_t>((address & 1) != 0 ? w >> 8 : w);
    }
    return target_.Peek(address);
}

void FakeJtagTarget::Write16(uint32_t address, uint16_t value) {
    if (FlashRegister(address)) {
        WriteFlashRegister(address, value, false);
        return;
    }
    if (x91() && address == 0x018C) {
        mailbox_.outLow = value;
        return;
    }
    if (x91() && address == 0x018E) {
        // The high word completes the 32-bit message.
        mailbox_.outHigh = value;
        mailbox_.outPending = true;
        trace.push_back("mailbox out " +
                        Hex((static_cast<uint32_t>(value) << 16) | mailbox_.outLow));
        return;
    }
    const sim::Region region = target_.Layout().RegionOf(address);
    if (region == sim::Region::Info || region == sim::Region::Main) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        WriteFlash(address, bytes, 2);
        return;
    }
    Write8(address, static_cast<uint8_t>(value));
    Write8(address + 1, static_cast<uint8_t>(value >> 8));
}

void FakeJtagTarget::Write8(uint32_t address, uint8_t value) {
    if (FlashRegister(address)) {
        WriteFlashRegister(address, value, true);
        return;
    }
    const sim::Region region = target_.Layout().RegionOf(address);
    if (region == sim::Region::Info || region == sim::Region::Main) {
        WriteFlash(address, &value, 1);
        return;
    }
    // ROM and vacant addresses take nothing.
    if (region == sim::Region::Ram || region == sim::Region::Peripheral) {
        target_.Poke(address, value);
    }
}

} // namespace lpt_test
