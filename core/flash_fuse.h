#pragma once
// Blowing the JTAG security fuse: irreversible, the target is closed to
// the debug interface afterwards.

#include <cstdint>

namespace core {

// MSP430_Secure, mapped: 1 blown, 0 failed.
int32_t TargetBlowFuse();

} // namespace core
