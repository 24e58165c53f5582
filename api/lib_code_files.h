#pragma once
// Code and password files as the host reads them: the file loaded into the
// code image or the BSL password, the report lines, and the result bits.

#include <cstdint>
#include <string>

namespace api {

// Results.
inline constexpr int32_t kFileLoaded = 1;
inline constexpr int32_t kFileWarnRom = 0x10;     // data in 0x0C00..0x0FFF
inline constexpr int32_t kFileWarnRam = 0x20;     // data in RAM or outside the images
inline constexpr int32_t kFileWarnOutside = 0x40; // below 0x0200 or outside the device
inline constexpr int32_t kFileWarnTwice = 0x80;   // a byte defined twice
inline constexpr int32_t kFileNoPassword = 0x100; // 0xFFE2..0xFFFF not all defined
inline constexpr int32_t kFileNotValid = 0x200;   // not a valid code file
inline constexpr int32_t kFileCannotOpen = 8;

// Loads the code file at path in format 1 TI-TXT, 2 Motorola, 3 Intel HEX,
// 4 UBROF, 5 ".a43" into the code image. 1 with the warning bits; 0x200
// when the format is none of these or the file is not valid (the code
// image is then empty); 8 when it cannot be opened (image unchanged).
int32_t ReadCodeFile(int32_t format, const std::string& path);

// True when the code image is the one the last ReadCodeFile loaded, for the
// device selected now, and that read answered 0x40 (code outside the
// selected device): the host was told of such code when it loaded it.
bool CodeOutsideDeviceTold();

// Loads the BSL password from the code file at path. 1 when the file gives
// all of 0xFFE2..0xFFFF; 0x100 when it is valid but does not; 0x200 not
// valid; 8 cannot be opened.
int32_t ReadPasswFile(int32_t format, const std::string& path);

// A host that named no file (a null path): the line of a file that cannot
// be opened, its path shown as "(null)"; 8, and nothing else changes.
int32_t ReadCodeFileNoPath();
int32_t ReadPasswFileNoPath();

// 1 when the BSL password entries for 0xFFE2..0xFFFF are all defined; sets
// or clears the password-loaded flag by it.
int32_t PasswordCompleteCheck();

} // namespace api
