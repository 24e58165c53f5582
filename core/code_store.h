#pragma once
// Where the code-file readers put their bytes: the code image, the BSL
// password entries or the programming image, with the warnings about data
// outside the flash window and bytes defined twice.

#include <cstdint>
#include <string>

namespace core {

// Store targets: the low 3 bits of a store mode. Other values store nothing.
inline constexpr int32_t kStoreCodeImage = 0;
inline constexpr int32_t kStorePassword = 1;
inline constexpr int32_t kStoreProgramImage = 2;
// Added to a target of CodeFileLoad: the store is not cleared first, so the
// file's bytes join what is there (Combine Files); a failed load puts the
// store back exactly as it was.
inline constexpr int32_t kStoreKeep = 0x08;

// Cleared at the start of each load.
struct CodeLoadWarningFlags {
    int32_t dataInRom;        // 0x0C00..0x0FFF
    int32_t dataInRam;        // 0x0200..0x0BFF, and every address above 0x45BFF
    int32_t dataOutsideFlash; // below 0x0200
    int32_t dataOverwritten;  // an address defined twice
    int32_t lineLogCount;     // out-of-range bytes on the current report line, 0..7
};

struct CodeLoadState {
    int32_t CodeFileFormat = 0; // the current format, 0..6
    CodeLoadWarningFlags CodeLoadWarnings{};
    std::string CodeLoadReport; // restarted by each load
    // Why the last load failed: the line and its fault ("Line 3: checksum
    // error"), the UBROF reader's message, a file cut short or unreadable;
    // empty after a load that went through. One line, no line end: the
    // callers put it in their reports and boxes.
    std::string CodeLoadFailure;
    // Path of the ".out" converter; a preference of the program, set by the
    // callers until the preferences exist.
    std::string TOOL1_filename;

    void Reset(); // format 0, no warnings, empty texts
};

extern CodeLoadState CodeLoad;

// CodeLoadFailure of an Intel HEX or Motorola file that ends before its end
// record, after line lastLine (0: the file holds no line at all).
std::string CodeFileCutShortText(int32_t lastLine);
// CodeLoadFailure of a file whose reading failed after line lastLine.
std::string CodeFileReadErrorText(int32_t lastLine);

// The text each load starts CodeLoadReport with.
inline constexpr const char* kCodeLoadReportHead = "  Code from the file warnings report";

// Stores one byte of a code file. Password target: 0xFFE0..0xFFFF only, other
// addresses are dropped without a warning. Code and programming image:
// addresses outside 0x1000..0x45BFF are not stored but flagged and logged in
// CodeLoadReport; a byte stored over a defined one is flagged and logged with
// both values; the code image also marks the segment that holds the address.
void CodeImagePutByte(int32_t mode, uint8_t byte, uint32_t address);

// When any warning flag is set: text becomes the operator's warning naming
// fileName and every flag that is set; returns true. Else false, text alone.
bool CodeFileWarningText(const std::string& fileName, std::string& text);

} // namespace core
