#pragma once
// A JTAG target for the parallel-port path: the port primitives over a
// simulated MSP430. It models the instruction register, the control word
// with its sync and halt bits, the address and data registers, memory
// access by the control low byte, injected instructions run by the
// interpreter, the EEM registers and breakpoint triggers, the PSA over its
// memory, the fuse answer 0x5555 and a clock that steps advance. Released,
// the CPU runs the code in memory until it parks on a jump to itself, hits
// a breakpoint, single-steps or reaches the step cap.

#include "debugif/lpt_primitives.h"
#include "sim/msp430_cpu.h"
#include "sim/sim_target.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace lpt_test {

class FakeJtagTarget final : public debugif::LptPrimitives, private sim::Msp430Bus {
public:
    FakeJtagTarget(sim::SimTarget& target, uint16_t jtagId, bool cpux, bool eem);

    // --- Fault knobs
    bool noId = false;            // the instruction register captures 0
    bool answerOnlyAtEntry = false; // the id answers only right after an entry
    bool ramWriteFault = false;   // data writes to memory are refused
    bool openFails = false;
    uint32_t stepCap = 100000;    // instructions a release runs at most

    // --- What happened
    std::vector<std::string> trace; // primitive calls, one line each
    uint32_t idReads = 0;           // IR shifts of 0xFF
    uint32_t executed = 0;          // instructions the CPU ran after releases

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
    uint32_t TimeStampMs() override { return time_; }

    bool Running() const { return running_; }

private:
    // Msp430Bus
    uint16_t Read16(uint32_t address) override;
    uint8_t Read8(uint32_t address) override;
    void Write16(uint32_t address, uint16_t value) override;
    void Write8(uint32_t address, uint8_t value) override;

    uint32_t ControlStatus() const;
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
};

} // namespace lpt_test
