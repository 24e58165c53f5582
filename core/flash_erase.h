#pragma once
// Erasing target flash: by the erase mode, everything, main memory, or one
// segment. Results are 1 (erased) or 0, the error text in TargetErrorLog.

#include <cstdint>

namespace core {

// By FlashEraseModeIndex: 0 erases nothing and returns 1; 1 TargetEraseAll;
// 2 TargetEraseMain; any other erases each segment whose needsErase is set
// (ProgramImagePrepare sets them), stopping with 0 at the first failure.
// Reports progress per segment.
int32_t TargetErase();

// Rebuilds the segment table, erases each information segment (the locked
// Info-A only with EraseInfoA_F2xx_En 1), then main memory. 0 as soon as
// any of these erases fails.
int32_t TargetEraseAll();

// Erases main memory. Progress 0 before, 100 after a successful erase.
int32_t TargetEraseMain();

// Erases the segment holding address (bit 0 cleared), inside the
// locked-access bracket.
int32_t TargetEraseSegment(int32_t address);

} // namespace core
