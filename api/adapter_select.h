#pragma once
// Choosing one MSP-FET430UIF by adapter ID: 20010100 + n for the adapter on
// serial port COMn, 20010200 + n for the n-th HID adapter (n 0..63).

#include <cstdint>
#include <string>

namespace api {

inline constexpr int32_t kAdapterIdBase = 20010000;
inline constexpr int32_t kAdapterComOffset = 100;
inline constexpr int32_t kAdapterHidOffset = 200;
inline constexpr int32_t kAdapterNumberMax = 63;
inline constexpr int32_t kAdapterQueryMax = 32;

struct AdapterSelectState {
    int32_t SelectedAdapterId = 0; // 0: none
    int32_t AdapterCount = 0;      // the last enumeration's result
    // 1 once the host asked for an adapter by ID: from then on only the
    // adapter selected may be opened, and none while no selection holds.
    int32_t ById = 0;
    std::string SelectedPort; // the port name of the selected adapter
    // The last selection by ID found its adapter running only its
    // bootloader (the open failed with 56); F_Initialization names it.
    int32_t BootloaderOnly = 0;

    void Reset() { *this = AdapterSelectState{}; }
};

extern AdapterSelectState AdapterSelect;

// Clears the selection first, then: n < 0 gives 0; n 0 enumerates the
// adapters and returns their count (-1 failure); n 1..32 returns the ID of
// the n-th adapter of the last enumeration (0 for none, a name other than
// COM or HID, or a number above 63); an adapter ID opens that adapter and,
// when it opened, becomes the selection (its port name the adapter name
// setting) and is returned; a failed open clears the adapter name and gives 0.
// Any n above 32 marks the host as one that selects by ID.
int32_t AdapterAccess(int32_t n);

// False while a host that selects by ID has no adapter selected: nothing
// may then be opened, so that no other station's adapter is used.
bool AdapterSelectionHolds();

// "MSP-FET430UIF  COMn" or "MSP-FET430UIF  HIDn" for the selected ID;
// empty and 0 without one.
int32_t AdapterDescription(std::string& text);

} // namespace api
