#pragma once
// Starting the target CPU and asking for its state.

#include <cstdint>

namespace debugif {

// Mode 1, 2 or 3 (else error 3). On HID the read cache is freed and the
// changed EEM registers written first; then the registers (command 9) and
// the run itself (command 17). Afterwards the CPU counts as running and
// the saved cycle count is -1.
int32_t UifRun(int32_t mode, int32_t releaseJTAG);

// While the CPU counts as stopped: state 0 and the saved cycle count, with
// no adapter traffic. Else command 18 (stop): the state and cycle count it
// answers; a stopped CPU (states 0, 2, 3) keeps its count, counts as
// stopped and has its registers read (on HID also an empty read cache and
// the EEM registers). cycles may be null.
int32_t UifState(int32_t* state, int32_t stop, int32_t* cycles);

} // namespace debugif
