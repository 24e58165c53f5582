#pragma once
// The port primitives a parallel-port JTAG adapter gives the path: open and
// close, the target supply, instruction and data shifts, pin steps, a
// general port call, the release of the JTAG lines and a time stamp.
// The product has no such adapter: it installs NullLptPrimitives, whose
// open, close, supply and shifts fail, so "LPT1" never opens.

#include <cstdint>

namespace debugif {

class LptPrimitives {
public:
    virtual ~LptPrimitives() = default;
    // Each of these returns 0, or -1 when the port refused.
    virtual int32_t Open(const char* name) = 0;
    virtual int32_t Close(int32_t vccOff) = 0;
    virtual int32_t Supply(int32_t millivolts) = 0;
    // An 8-bit instruction shift; capture receives the bits shifted out.
    virtual int32_t ShiftIr(uint8_t value, uint32_t* capture) = 0;
    // A data shift of 8, 16, 20 or 32 bits; capture as above.
    virtual int32_t ShiftDr(uint32_t value, int32_t bits, uint32_t* capture) = 0;
    // A pin or wait step; TCLK low and high are steps 0 and 1.
    virtual void Step(int32_t n) = 0;
    virtual void Pin(int32_t value, int32_t level) = 0;
    virtual void PortCall(int32_t value) = 0;
    // Lets go of the JTAG lines so that the target runs on its own.
    virtual int32_t Release() = 0;
    // Milliseconds, wrapping at 2^32.
    virtual uint32_t TimeStampMs() = 0;
};

class NullLptPrimitives final : public LptPrimitives {
public:
    int32_t Open(const char*) override { return -1; }
    int32_t Close(int32_t) override { return -1; }
    int32_t Supply(int32_t) override { return -1; }
    int32_t ShiftIr(uint8_t, uint32_t*) override { return -1; }
    int32_t ShiftDr(uint32_t, int32_t, uint32_t*) override { return -1; }
    void Step(int32_t) override {}
    void Pin(int32_t, int32_t) override {}
    void PortCall(int32_t) override {}
    int32_t Release() override { return 0; }
    uint32_t TimeStampMs() override;
};

// The primitives the path drives now.
LptPrimitives& Lpt();

// Test seam only: puts other primitives in place (nullptr: the null ones
// again). The caller keeps them alive while they are installed.
void SetLptPrimitives(LptPrimitives* primitives);

} // namespace debugif
