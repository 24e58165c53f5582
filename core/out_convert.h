#pragma once
// ".out" code files are turned into Intel HEX by an external converter, the
// program named by CodeLoad.TOOL1_filename.

#include <cstdint>
#include <string>

namespace core {

// When the converter does not open for reading: an "Error - hex430.exe file
// not found" box, result 0. For a ".out" path: runs the converter in the
// file's directory with "-romwidth=8 -memwidth=8 -i -o=<name>.hex <name>.out"
// and waits for it; a start failure, a non-zero exit, a missing output, an
// output older than the input or one the run did not write shows an "Error"
// box and gives 0; on success path becomes the ".hex" file beside the input.
// Other paths are left alone. Returns 1 to go on.
int32_t OutFileConvertToHex(std::string& path);

} // namespace core
