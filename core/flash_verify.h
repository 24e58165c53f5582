#pragma once
// Verifying target flash against the programming image: by checksum over
// the words of VerifyMask, or by reading ranges back.

#include <cstdint>

namespace core {

// With ImageChecksum holding ProgramImageChecksum: the VerifyMask words
// from 0x1000 to the flash end go to the target's memory verify in runs
// that end at a gap or at a 512-byte boundary (at most 512 bytes). The
// pass passes when every run verifies and the sum of the runs equals
// ImageChecksum; FlashOps.checksumTotal holds the sum of the runs that
// verified. Up to two passes; 1 when one passes, else 0. Progress 0, by
// address, 100 per pass. A run refused because the link failed (the
// library's error 35) ends the verify at once, the library keeping that
// reason.
int32_t TargetVerifyChecksum();

// Reads address..address + length - 1 (from the even address, to a whole
// word) back into ReadImage in chunks of at most 512 bytes and compares
// every VerifyMask word with the programming image; chunks without one are
// skipped. A chunk that differs is read again, up to 3 reads; a failed read
// ends the pass. The whole pass is tried twice. 1 when a pass finds every
// word equal, adding the sum of the words it read to FlashOps.checksumTotal;
// else 0 (also for a failed read, or a range outside 0x1000..0x45BFF).
int32_t TargetVerifyRange(int32_t address, int32_t length);

} // namespace core
