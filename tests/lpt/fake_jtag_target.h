#pragma once
// A JTAG target for the parallel-port path: the port primitives over a
// simulated MSP430. It models the instruction register, the control word
// with its sync and halt bits, the address and data registers, memory
// access by the control low byte (0x91: by the read bit, with the address
// bus four bytes ahead), injected instructions run by the interpreter, the
// EEM registers and breakpoint triggers, the PSA over its memory, the fuse
// answer 0x5555, the JTAG mailbox of the 0x91 family, and a clock that
// steps advance (a step n lasts n ms). Released, the CPU runs the code in
// memory at the DCO's frequency while steps pass, until it parks on a jump
// to itself, hits a breakpoint, single-steps or reaches the step cap. Its
// flash controller (0x0128, or 0x0140 on the 0x91 family) erases and
// programs the simulated flash under the sim's rules, only with the flash
// clock in its window (unless the device times its flash itself).

#include "debugif/lpt_primitives.h"
#include "sim/msp430_cpu.h"
#include "sim/sim_target.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lpt_test {

class FakeJtagTarget final : public debugif::LptPrimitives, private sim::Msp430Bus {
public:
    FakeJtagTarget(sim::SimTarget& target, uint16_t jtagId, bool cpux, bool eem);

    // --- Fault knobs
    bool noId = false;              // the instruction register captures 0
    bool answerOnlyAtEntry = false; // the id answers only right after an entry
    bool ramWriteFault = false;     // data writes to memory are refused
    bool openFails = false;
    bool earlyR8 = false;           // the first routine to park leaves R8 = 1
    uint32_t corruptWriteAt = 0;    // a host write to this address lands with bit 0 flipped
    bool clockFrozen = false;       // the time stamp stands still
    bool mailboxNeverReady = false; // the mailbox input never takes a word
    bool flashFails = false;        // the flash controller fails every operation
    uint32_t stepCap = 1000000;     // instructions a release runs at most

    // --- The clock: 0 basic clock (DCO step and range at 0x0056/0x0057),
    // 1 FLL (DCO tap in 0x0051). The target runs at that frequency while
    // the host's steps pass (a step n lasts n ms).
    int32_t clockKind = 0;
    // Scales the DCO curve (per mille), to start a search too slow or fast.
    uint32_t dcoScalePermille = 1000;
    // Replaces the basic-clock curve when set: frequency of (range, step).
    std::function<uint32_t(uint32_t range, uint32_t step)> dcoCurve;
    // Devices with a flash timing generator of their own need no MCLK in
    // the flash clock window.
    bool flashTiming = false;
    uint32_t MclkHz() const;

    // --- What happened
    std::vector<std::string> trace;   // primitive calls, one line each
    uint32_t idReads = 0;             // IR shifts of 0xFF
    uint32_t executed = 0;            // instructions the CPU ran after releases
    std::vector<uint32_t> timeStamps; // what the time stamp answered
    // Flash the controller programmed, as [first, last] ranges in order.
    std::vector<std::pair<uint32_t, uint32_t>> flashWrites;

    uint16_t jtagId;
    bool cpux;
    bool eem;

    // LptPrimitives
    int32_t Open(const char* name) override;
    int32_t Close(int32_t vccOff) override;
    int32_t Supply(int32_t millivolts) override;
    int32_t ShiftIr(uint8_t value, uint32_t* capture) override;
    int32_t ShiftDr(uint32_t value, int32_t bits, uint32_t* capture) override;
    void Step(int32_t n) override;
    void Pin(int32_t value, int32_t level) override;
    void PortCall(int32_t value) override;
    int32_t Release() override;
    uint32_t TimeStampMs() override {
        timeStamps.push_back(time_);
        return time_;
    }
    void SetTime(uint32_t ms) { time_ = ms; }

    bool Running() const { return running_; }

private:
    // Msp430Bus
    uint16_t Read16(uint32_t address) override;
    uint8_t Read8(uint32_t address) override;
    void Write16(uint32_t address, uint16_t value) override;
    void Write8(uint32_t address, uint8_t value) override;

    uint32_t ControlStatus() const;
    // The flash controller at 0x0128 .. 0x012D and writes into flash.
    bool x91() const { return jtagId == 0x91; }
    uint32_t FlashBase() const { return x91() ? 0x0140 : 0x0128; }
    bool FlashRegister(uint32_t address) const {
        return address >= FlashBase() && address < FlashBase() + (x91() ? 8 : 6);
    }
    uint32_t Mailbox(uint16_t value);
    uint16_t ReadFlashRegister(uint32_t address) const;
    void WriteFlashRegister(uint32_t address, uint16_t value, bool byte);
    void WriteFlash(uint32_t address, const uint8_t* bytes, uint32_t count);
    bool FlashClockInWindow() const;
    void RunFor(uint32_t ms);
    bool RunCredit();
    void WriteControlWord(uint16_t value);
    void RunPending(bool force);
    void Run();
    uint16_t Psa(uint32_t words) const;
    uint32_t Eem(uint32_t reg) const;

    sim::SimTarget& target_;
    sim::Msp430Cpu cpu_;
    uint8_t ir_ = 0;
    uint16_t control_ = 0;
    bool running_ = true;
    bool synced_ = false;
    bool entryFresh_ = false;
    bool porPending_ = false;
    uint32_t address_ = 0;
    std::vector<uint16_t> injected_;
    std::deque<uint16_t> bus_;
    uint16_t lastBus_ = 0;
    int32_t eemDrCount_ = 0;
    uint32_t eemRegister_ = 0;
    std::map<uint32_t, uint32_t> eemRegs_;
    uint16_t eemControl_ = 0;
    uint16_t breakpointEnable_ = 0; // without EEM: IR 0x09
    uint32_t breakpoint_[2] = {};
    uint16_t trigger_ = 0;
    bool psa_ = false;
    uint32_t psaStart_ = 0;
    uint32_t psaSteps_ = 0;
    uint32_t psaPinWords_ = 0;
    uint32_t time_ = 0;
    uint64_t cycleCredit_ = 0;  // cycles the clock owes the CPU
    uint32_t sinceRelease_ = 0; // instructions since the last release
    bool parkedOnce_ = false;
    bool released_ = false;
    bool stoppedByTrigger_ = false; // a trigger or breakpoint stopped the CPU
    uint8_t fctl1_ = 0;
    uint8_t fctl2_ = 0x42;
    uint8_t fctl3_ = 0x18; // LOCK and WAIT
    struct MailboxState {
        enum Phase { kIdle, kReadLow, kReadHigh, kWrite } phase = kIdle;
        uint16_t in = 0;
        bool inPending = false;
        uint16_t outLow = 0;
        uint16_t outHigh = 0;
        bool outPending = false;
    } mailbox_;
};

} // namespace lpt_test
