#pragma once
// The programming image and its masks, derived from the code image with the
// serial number, model text, BSL security word and appended password bytes;
// and the checks of the code against the serial-number, model-text and
// retained-data locations.

#include <cstdint>

namespace core {

inline constexpr int32_t kRetainMaxSize = 256; // bytes an erase can keep

// Options of ProgramImageCompose and ProgramImagePrepare.
inline constexpr int32_t kComposeCheckOverlap = 0x01; // low 4 bits 1: SerialDataOverlapCheck first
inline constexpr int32_t kComposeSkipSerialNumber = 0xF0; // any of these: the SN bytes stay out

// Copies the code image into the programming image, removes the code at the
// serial-number and model-text locations (RemoveCodefromSNlocationEn), adds
// the BSL security word and the appended password bytes; with place non-zero
// also places the serial number and the model text. Returns 0 when the
// overlap check fails or a serial-number or model-text byte would fall
// outside 0x1000..0x45BFF (nothing of the two is then placed), else 1.
int32_t ProgramImageCompose(int32_t place, int32_t options);

// Rebuilds the segment table, composes the programming image and builds the
// erase, write and verify masks by FlashEraseModeIndex, then the segments'
// need flags. Returns 0 when the composition fails, else 1.
int32_t ProgramImagePrepare(int32_t place, int32_t options);

// Rebuilds the active memory map, then sets every segment's needsWrite,
// needsCheck and needsErase from the masks of its words.
void SegmentFlagsUpdate();

// ReadMask for READ: everything when all is non-zero, else by
// FlashReadModeIndex and the read keys.
void ReadMaskBuild(int32_t all);

// 1 when the code leaves the serial-number and model-text locations free
// (or RemoveCodefromSNlocationEn is 1), 0 when a defined byte other than 0xFF
// lies inside one of them.
int32_t SerialDataOverlapCheck();

// Before an erase that keeps data: 0 when the code defines a byte of the kept
// range, 2 when the serial number or model text would land in it, else 1.
int32_t RetainedDataCheck();

// The retain range RetainDataStart..RetainDataStop when it holds 1..256
// bytes inside 0x1000..0x45BFF: 1 with start and length set, else 0.
int32_t RetainRange(int32_t& start, int32_t& length);

// RetainDataStop - RetainDataStart + 1 when that is 2..256 and the range lies
// in 0x1000..0x45BFF, else 0.
int32_t RetainLength();

} // namespace core
