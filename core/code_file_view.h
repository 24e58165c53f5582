#pragma once
// Code texts for the operator to look at: an image written as a code file and
// opened in the text viewer.

#include <cstdint>
#include <string>

namespace core {

inline constexpr int32_t kViewOpen = 0x01;  // open the written file in the text viewer
inline constexpr int32_t kViewIntel = 0x10; // Intel HEX instead of TI-TXT

// Writes data over the image window 0x1000..0x45BFF (the bytes used says,
// per byte or with usedPerWord 1 per word, as ReadMask does) to path as
// TI-TXT, or Intel HEX with kViewIntel; with kViewOpen opens it. Returns 1
// when written, 0 not (with the write error box).
int32_t CodeFileWriteView(int32_t flags, const uint8_t* data, const std::string& path,
                          const uint8_t* used, int32_t usedPerWord = 0);

} // namespace core
