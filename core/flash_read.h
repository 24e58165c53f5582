#pragma once
// Reading target flash back into ReadImage.

#include "core/debug_status.h"

#include <cstdint>

namespace core {

// Reads address..address + length - 1 (from the even address below an odd
// one) into ReadImage. 1 when read; 4 when the read failed (ReadImage then
// unchanged); 0 when the range is empty, starts below 0x1000 or above the
// flash end, or would run past 0x45BFF. status, when given, gets the debug
// status of the read (0 when nothing was read).
int32_t TargetReadRange(int32_t address, int32_t length, DebugStatus* status = nullptr);

// TargetReadRange when the range holds at least one ReadMask word, else 0
// with nothing read.
int32_t TargetReadSelectedRange(int32_t address, int32_t length);

} // namespace core
