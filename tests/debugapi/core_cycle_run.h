#pragma once
// The core's program-and-verify cycle (connect, erase keeping the
// calibration, erase and blank checks, block writes, checksum and read-back
// verify, read, a verify that must fail, reset, close) over whichever debug
// API the core uses, and what it gives: every step's result, the error log
// and the flash left on the board. Routes are compared by their outcomes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace debugapi_test {

using Bytes = std::vector<uint8_t>;

struct Outcome {
    std::vector<std::string> steps; // "step = result"
    std::string errorLog;
    std::string device;
    Bytes flash; // the device's main flash as the board holds it at the end
    Bytes info;  // and its information memory
};

// The first difference of two outcomes, "" when they are the same.
std::string Difference(const Outcome& got, const Outcome& want);

// What the cycle needs of the board it runs on.
struct BoardAccess {
    std::function<Bytes(uint32_t, uint32_t)> peek;
    std::function<void(uint32_t, const Bytes&)> poke;
};

// Runs the cycle with the core's settings as they stand.
Outcome RunCycle(const BoardAccess& board);

} // namespace debugapi_test
