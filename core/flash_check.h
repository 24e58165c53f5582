#pragma once
// Checking that flash is erased: the erase check after an erase, which
// knows the areas an erase keeps, and the blank check of what will be
// written.

#include <cstdint>

namespace core {

// Flags of TargetEraseVerify besides bit 0 (nothing left not blank).
inline constexpr int32_t kEraseVerifyBlank = 0x01;
inline constexpr int32_t kEraseVerifyLockedInfoA = 0x10; // the locked Info-A was kept
inline constexpr int32_t kEraseVerifyDco = 0x20;         // a segment keeps the DCO bytes
inline constexpr int32_t kEraseVerifyRetain = 0x40;      // a segment keeps the retain range

// After an erase: erase-checks every information segment and every main
// segment of the device, setting each state to blank (1) or not (2). 1 when
// all are blank. Otherwise the segments that are not are classified: the
// kept locked Info-A gets 0x11; a segment holding the DCO bytes (with
// RetainInfoCalData on a series-2 device) gets 0x20, one overlapping the
// retain range (with RetainDefinedData) 0x40, and these are read back and
// count as blank when every byte outside the kept bytes is 0xFF. Returns
// the OR of the flags given, plus 1 when no segment is left not blank.
// An erase check that fails for another reason than memory not blank (a
// lost link) ends it at once with 0, the library keeping that reason.
int32_t TargetEraseVerify();

// Updates the segment flags, then for every segment with needsCheck: blank
// when its state says blank, not blank for any other non-zero state, else
// by the target's erase check. A segment that is not blank is read back,
// and the check fails (0) only where a byte the programming image defines
// reads other than 0xFF, or when the read fails; an erase check that fails
// for another reason than memory not blank fails it too, without a read.
// 1 otherwise.
int32_t TargetBlankCheck();

} // namespace core
