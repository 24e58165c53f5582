#pragma once
// Data that must survive an erase: the DCO calibration bytes 0x10F8..0x10FF
// of series-2 parts and the operator's retain range. They are read into
// FlashOps before the erase and written back after it.

#include "core/program_image.h" // RetainRange

#include <cstdint>

namespace core {

// With RetainInfoCalData on a series-2 device reads the 8 DCO bytes, with
// RetainDefinedData the retain range, into FlashOps' copies (cleared
// first). 1 when everything asked for was read (also when nothing was);
// 4 when a read failed; 0 for a retain range that is not valid or not on
// the device. Callers compare with 1.
int32_t RetainedDataRead();

// Reads the saved areas again and writes back what the erase took: the DCO
// bytes when they differ from the copy and all read 0xFF; in the retain
// range each run of words that differ from the copy and read 0xFFFF. Then
// compares both areas with their copies. Returns 0x10 when anything was
// written, plus 1 when both areas equal their copies (1 alone when there
// was nothing to write back). A failed read or write ends it without the 1.
int32_t RetainedDataRestore();

} // namespace core
