#pragma once
// What the main window needs of serialization: the serial-number text length
// the bar-code capture takes, the flags a scan sets, and the engine's calls
// the frame and the window's state handlers make. The serialization engine
// fills these in; until then they do nothing.

#include <cstdint>
#include <string>

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
// The next serial number after a list was read (not built yet: does nothing).
void SerialNumberComputeNext();
// The serial-number field's text with what a number may not hold taken out
// (not built yet: the text as it is).
std::string SerialNumberTextClean(const std::string& text);
// Reads the serial-number list file (not built yet: reads nothing, 0).
int32_t SnListFileRead(const std::string& path);
// Loads the list read into the pending numbers, reporting each entry (not
// built yet: does nothing).
void SnListLoad();
// Entries of the list still to use (not built yet: 0).
int32_t SnListCount();

// Fills the serialization group of the main window for the current settings
// (the window's state handlers, gui/main_controls.cpp).
void SerialNumberDisplayUpdate(int32_t mode);

} // namespace gui
