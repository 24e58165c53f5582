#pragma once
// Bar-code reader input: a scanner types the serial number as fast key
// strokes ended by a terminator key. The main window's key filter keeps the
// last characters with their times; the terminator turns them into a serial
// number only when they came faster than a person types.

#include <array>
#include <cstdint>
#include <string>

namespace gui {

inline constexpr int32_t kBarcodeHistorySize = 129;
inline constexpr uint32_t kBarcodeScanWindowMs =
    500; // newest minus fourth-newest below this: a scanner

struct BarcodeEntry {
    int32_t code = 0;  // character code; 0 counts as a blank
    uint32_t time = 0; // tick count (ms) when it came
};

struct BarcodeTerminator {
    int32_t keyCode; // virtual-key code; 0 in the end row
    const char* name;
};

// Rows selected by the setting PostAmbleIndex; row 9 ends the table.
inline constexpr BarcodeTerminator BarcodeTerminatorTable[] = {
    {0x0D, "CR"}, {0x23, "END"}, {0x75, "F6"},  {0x76, "F7"},  {0x77, "F8"},
    {0x78, "F9"}, {0x79, "F10"}, {0x7A, "F11"}, {0x7B, "F12"}, {0, "-----"},
};

struct BarcodeState {
    std::array<BarcodeEntry, kBarcodeHistorySize> BarcodeHistory{}; // entry 128 the newest

    void Reset() { *this = BarcodeState{}; }
};

extern BarcodeState Barcode;

// The tick count from the platform clock, in ms; it wraps like a 32-bit counter.
uint32_t TickCount();

// The terminator key of PostAmbleIndex; 0 (no key) for the end row and any
// index outside the table.
int32_t BarcodeTerminatorKey(int32_t postAmbleIndex);

// Keeps a typed character (codes 33..126 only) as the newest entry.
void BarcodeCharacterCollect(int32_t code, uint32_t time);

// The last n entries, oldest first, without blanks (n is at most 129).
std::string BarcodeText(int32_t n);

// True when the newest entry came less than 500 ms after the fourth-newest.
bool BarcodeCameFast();

// Blanks every kept character (their times stay).
void BarcodeHistoryClear();

} // namespace gui
