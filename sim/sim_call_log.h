#pragma once
// The record of every call made against the simulated target, oldest
// first, so tests can see what reached the target and in which order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct SimCall {
    std::string entry;         // e.g. "MSP430_Memory"
    std::vector<int32_t> args; // the integer arguments, in order
    std::string detail;        // a text argument (the port name), else empty
    int32_t result = 0;
    int32_t error = 0; // the error number when the call failed
    // e.g. "MSP430_Memory(0x00FF0, 16, 1) = 0" or "MSP430_Identify(100, 0) = -1 (error 4)".
    std::string text;
};

class SimCallLog {
public:
    // Keeps this many calls; older ones are dropped first.
    static constexpr size_t kCapacity = 1u << 16;

    // hexMask: bit i set prints args[i] as an address.
    void Add(std::string_view entry, std::vector<int32_t> args, uint32_t hexMask,
             std::string_view detail, int32_t result, int32_t error);
    const std::vector<SimCall>& Calls() const { return calls_; }
    // Calls of one entry.
    size_t Count(std::string_view entry) const;
    // The calls of one entry, oldest first.
    std::vector<SimCall> Of(std::string_view entry) const;
    void Clear() { calls_.clear(); }

private:
    std::vector<SimCall> calls_;
};

} // namespace sim
