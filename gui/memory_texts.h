#pragma once
// The hex-dump texts of the memory viewers: the code image, the flash read
// back from the target, the code against that flash, and the code against a
// second code file (held in the programming image). Rows of 16 bytes; a
// byte not shown prints "..". They read the images and memory maps and
// change nothing.

#include <cstdint>
#include <string>

namespace gui {

// The column caption above every dump.
inline constexpr const char* kMemoryDumpCaption =
    "Addr: 00 01 02 03 04 05 06 07   08 09 0A 0B 0C 0D 0E 0F   <--- Ascii ---->";

// The code image over the selected device's information and main memory,
// then code outside it. skipBlank folds each run of empty rows into one
// "g a p" line.
std::string CodeDumpText(int32_t skipBlank);

// ReadImage over the identified device's memory, rows with a ReadMask word
// only; a row of sixteen 0xFF is empty ("b l a n k" line with skipBlank).
std::string FlashDumpText(int32_t skipBlank);

// The code bytes that differ from ReadImage, code row over flash row.
std::string CodeFlashCompareText();

// The bytes where the code image and the programming image differ (defined
// in one only, or in both with other values), current file over second.
std::string CodeFilesCompareText();

} // namespace gui
