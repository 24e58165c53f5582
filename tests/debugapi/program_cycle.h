#pragma once
// A whole program cycle as AUTO PROGRAM runs it (connect, erase, the blank
// check by erase check and, where that finds something, by segment, the
// block writes, then the Fast verify by checksum or the Standard one by
// checksum and read-back) through the core's target layer, on a board of
// small flash so that every request of the cycle can take its turn under
// a fault. On the serial link each erase check and each checksum run is a
// verify announcement followed by the verify.

#include "tests/debugapi/debugapi_fixture.h"

#include <string>

namespace debugapi_test {

enum class VerifyMode { kFast, kStandard };

// The board the cycle is made for.
inline constexpr const char* kCycleBoard = "2013";

// The core's settings for the cycle: USB on the bench's port, the board's
// device row selected. False when the row is not in the list.
bool ProgramCycleSetup(ApiBench& b);

// Runs the cycle with a new image (each call another); "" when every step
// passed, else the first that failed with the error log.
std::string ProgramCycle(VerifyMode verify);

// The board's main flash and Info-B..D against the last cycle's image:
// exact, every byte defined by it holding it and every other erased; or
// (exact false) nothing but its bytes and erased ones. "" or the first
// address that differs.
std::string ProgramCycleFlashDifference(ApiBench& b, bool exact = true);

} // namespace debugapi_test
