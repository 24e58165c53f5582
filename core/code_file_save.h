#pragma once
// Saving the code image, a memory block or the memory read from the target
// as a code file. The dialog layer asks for the path (with the filters of
// core/code_file_filter.h) and passes it in; an empty path is a cancelled
// dialog. The format comes from the path's extension: ".txt" TI-TXT,
// ".s19"/".s28"/".s37" Motorola, ".hex" Intel HEX, anything else TI-TXT.
// Each file is replaced as a whole: a failed save leaves the old file as it
// was and shows "Open File or Write File Error" with the path.

#include <cstdint>
#include <string>

namespace core {

// "Save Code as": writes the code image to path. On success the file becomes
// the current code file (CodeFileNames.CodeFile) and CodeLoad.CodeFileFormat
// the format its extension names. Returns 1 saved, 0 not.
int32_t CodeFileSaveAs(const std::string& path);

// Writes the block start..start+size-1 (data[i] at start + i, written where
// used says so; used per byte, or per word with usedPerWord 1, or null for
// all bytes) to path; remembers the path in CodeFileNames.BlockFile. With
// view 1 the file is then opened in the text viewer. Returns 1 saved, 0 not.
int32_t CodeFileSaveBlockAs(const std::string& path, int32_t start, int32_t size,
                            const uint8_t* data, const uint8_t* used, int32_t usedPerWord,
                            int32_t view);

// "Save Memory as": data holds memory over the image window 0x1000..0x45BFF
// (as ReadImage does); every address inside the selected device's
// information or main memory is written, the rest not. Returns 1 saved, 0 not.
int32_t MemorySaveAs(const std::string& path, const uint8_t* data);

} // namespace core
