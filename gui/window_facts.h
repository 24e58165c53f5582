#pragma once
// What the main window tells about the board, the code and the last run:
// "Target:" and "BSL:", the "Source:" and "Memory:" checksums, the status
// lamps and the large picture. One routine shows them all from this state
// and the status display's rows; every road that changes or loses the
// device type, the setup, the code image or the target calls it with what
// it changed, so that nothing of a board or an image that is gone stays on
// screen.

#include <cstdint>
#include <string>

namespace gui {

// Quillbay's, for the process; GuiStateReset puts it back.
struct WindowFactsState {
    // The type and version the connected board passed its checks as; empty
    // from the moment the board is lost or another type is selected.
    std::string boardType;
    std::string boardVersion;
    // "Source:": the checksum last computed for the code loaded now (the
    // verify's includes what the run placed into the image).
    int32_t sourceSumKnown = 0;
    uint32_t sourceSum = 0;
    // "Memory:": the board's checksum from the last verify of that code.
    int32_t memorySumKnown = 0;
    uint32_t memorySum = 0;

    void Reset() { *this = WindowFactsState{}; }
};

extern WindowFactsState WindowFacts;

// What a road changed (bits; several may come together).
inline constexpr uint32_t kBoardLost = 0x01;     // the connect or the identification failed
inline constexpr uint32_t kDeviceChanged = 0x02; // another device type is selected
inline constexpr uint32_t kImageChanged = 0x04;  // the code image was loaded, changed or cleared
inline constexpr uint32_t kRunEnded = 0x08;      // a procedure finished
// New Setup, a setup or a project read: device and code both.
inline constexpr uint32_t kSetupChanged = kDeviceChanged | kImageChanged;

// Drops what the changes make untrue, then sets the four fields, the lamps
// and the picture from the state:
// - a lost board or another type: no board, no memory checksum;
// - another image: its own checksum (none without code), no memory one;
// - either of the last two outside a run: no lamp or picture of a run that
//   was made for what is gone;
// - the end of a run: lamps of steps that never ran show as not run;
// - the end of a run or a lost board: the power lamp as the supply is now.
void WindowFactsShow(uint32_t changes = 0);

// The board passed its checks as type (with its version).
void WindowFactsBoardFound(const std::string& type, const std::string& version);
// The identification is being made again: nothing shown until it passes.
void WindowFactsBoardForget();
// The checksums a verify computed; a step that changes the flash forgets
// the board's.
void WindowFactsSourceSum(uint32_t sum);
void WindowFactsMemorySum(uint32_t sum);
void WindowFactsMemoryForget();

} // namespace gui
