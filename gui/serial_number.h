#pragma once
// What the main window needs of serialization: the serial-number text length
// the bar-code capture takes, the flags a scan sets, and the preparation of
// the next number. Serialization itself fills these in.

#include <cstdint>

namespace gui {

struct SerialNumberState {
    int32_t ManualSnFlag = 0; // the serial-number field was written by the operator or a scan
    int32_t SnFromBarcode = 0; // 1 while AUTO PROGRAM runs for a scanned number

    void Reset() { *this = SerialNumberState{}; }
};

extern SerialNumberState SerialNumber;

// Characters of the serial-number text as the field shows it; the default
// serial-number type's 10 until serialization computes it.
int32_t SnTextLength();

// Computes the next serial number from the history (not built yet: does nothing).
void SerialNumberPrepareNext();

// Shows the next serial number and the counts (not built yet: does nothing).
void SerialNumberDisplayUpdate(int32_t mode);

} // namespace gui
