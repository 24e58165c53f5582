#pragma once
// A small MSP430 instruction interpreter for the simulated target: the
// double- and single-operand instructions with every addressing mode, the
// jumps, and the MOVA/ADDA/CMPA/SUBA forms of the 20-bit CPU, with the
// status bits. Instructions come from memory at the PC, or from a word
// list (instructions a debugger injects, which leave the PC alone unless
// they write it).

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace sim {

class Msp430Bus {
public:
    virtual ~Msp430Bus() = default;
    virtual uint16_t Read16(uint32_t address) = 0;
    virtual uint8_t Read8(uint32_t address) = 0;
    virtual void Write16(uint32_t address, uint16_t value) = 0;
    virtual void Write8(uint32_t address, uint8_t value) = 0;
};

inline constexpr uint32_t kStatusC = 0x0001;
inline constexpr uint32_t kStatusZ = 0x0002;
inline constexpr uint32_t kStatusN = 0x0004;
inline constexpr uint32_t kStatusGie = 0x0008;
inline constexpr uint32_t kStatusCpuOff = 0x0010;
inline constexpr uint32_t kStatusV = 0x0100;

class Msp430Cpu {
public:
    Msp430Cpu(Msp430Bus& bus, uint32_t* registers, bool cpux)
        : bus_(bus), r_(registers), cpux_(cpux) {}

    // Words of the instruction that starts with w (1 to 3; 4 for MOVA forms
    // that carry 20-bit operands are not used).
    static uint32_t Length(uint16_t w);

    // Executes the instruction at the PC. Returns its cycles, or -1 for a
    // word it does not know (the PC then stays on it).
    int32_t Step();
    // Executes an injected instruction; a jump does nothing. -1 as above.
    int32_t Inject(std::span<const uint16_t> words);
    // Words the last instruction wrote to memory, in order.
    const std::vector<uint16_t>& Written() const { return written_; }

private:
    int32_t Execute(const std::function<uint16_t()>& fetch, bool injected);
    uint32_t Mask() const { return cpux_ ? 0xFFFFF : 0xFFFF; }
    void WriteMem(uint32_t address, uint32_t value, bool byte);
    uint32_t ReadMem(uint32_t address, bool byte);
    // The address of an indexed, symbolic or absolute operand.
    uint32_t Indexed(uint32_t reg, uint16_t x) const;

    Msp430Bus& bus_;
    uint32_t* r_;
    bool cpux_;
    std::vector<uint16_t> written_;
};

} // namespace sim
