#pragma once
// Writing target flash: blocks of the programming image, and caller data
// (serial number, model text, retained data).

#include <cstdint>

namespace core {

// Results of TargetWriteImageBlock.
inline constexpr int32_t kWriteOk = 1;
inline constexpr int32_t kWriteFailed = 4;
inline constexpr int32_t kWriteOutside = 16;

// Writes address..address + length - 1 (from the even address below an
// odd one, to a whole word) from ProgramImage in one transfer, words whose
// WriteMask is 0 sent as 0xFF; a block that is then all 0xFF is not sent.
// 1 written (or nothing to send); 16 when it starts below 0x1000 or ends
// past the flash end; 4 when the write failed.
int32_t TargetWriteImageBlock(int32_t address, int32_t length);

// Writes length bytes at address. An odd start or an odd end is padded to
// whole words with 0xFF, which leaves flash as it is, and more than 256
// bytes go in pieces at 256-byte boundaries, each by TargetWriteBlock.
// 1 written (also for length 0); 0 when a piece fails, the range starts
// below 0x1000 or passes the flash end, or bytes is null.
int32_t TargetWriteData(int32_t address, int32_t length, const uint8_t* bytes);

// Writes one block inside the locked-access bracket when it lies in the
// information memory or the device's main flash (else 0). On an early
// F5xx part a block starting below 0xFF80 and reaching past 0xFF7B sends
// 0xFF for its bytes in 0xFF7C..0xFF7F. Mapped status.
int32_t TargetWriteBlock(int32_t address, int32_t length, const uint8_t* bytes);

} // namespace core
