#pragma once
// The main window's status display: eleven lamps beside the buttons and the
// large status picture, each a row of StatusLampTable, and the Vcc field.

#include <array>
#include <cstdint>
#include <functional>

namespace gui {

// Lamp bitmaps (15 x 16) and large status pictures (98 x 31).
inline constexpr int32_t kLampPassed = 111;     // green tick
inline constexpr int32_t kLampFailed = 112;     // red cross
inline constexpr int32_t kLampIdle = 113;       // grey
inline constexpr int32_t kLampReady = 114;      // green disc
inline constexpr int32_t kLampStopped = 115;    // red disc with a bar
inline constexpr int32_t kLampPending = 116;    // yellow disc
inline constexpr int32_t kLampPassedKept = 165; // tick and cross
inline constexpr int32_t kPictureActive = 157;
inline constexpr int32_t kPictureBlank = 158;
inline constexpr int32_t kPictureFail = 160;
inline constexpr int32_t kPicturePass = 162;

// Rows of StatusLampTable.
enum StatusRow : int32_t {
    kRowPower = 0,
    kRowAutoProgram = 1,
    kRowConnect = 2,
    kRowErase = 3,
    kRowBlankCheck = 4,
    kRowWrite = 5,
    kRowSerialNumber = 6,
    kRowVerify = 7,
    kRowRead = 8,
    kRowChecksum = 9,
    kRowFuse = 10,
    kRowPicture = 11,
    kStatusRows = 12,
};

struct StatusLamp {
    int32_t bitmap; // shown now; 0 in the end row
    int32_t x, y;   // client pixels
    int32_t designX, designY;
    int32_t painted; // the bitmap painted last (0: none yet)
};

struct StatusDisplayState {
    std::array<StatusLamp, kStatusRows + 1> StatusLampTable{};
    int32_t forcePaint = 0;   // paint every row at the next StatusLampsPaint
    double lastPaintMs = 0.0; // TimeMilliseconds of the last paint
    // Draws one bitmap at client x, y; set by the main window (none: nothing drawn).
    std::function<void(int32_t bitmap, int32_t x, int32_t y)> draw;

    StatusDisplayState() { Reset(); }
    // Rows 0-10 idle, the picture blank, design positions, nothing painted.
    void Reset();
};

extern StatusDisplayState StatusDisplay;

// Width and height of a lamp or picture bitmap (0, 0 for an unknown id).
int32_t BitmapWidth(int32_t bitmap);
int32_t BitmapHeight(int32_t bitmap);

// Client positions from the design positions for a client of width x height
// (the design is 425 x 313), rounded to whole pixels.
void StatusLampsScale(int32_t clientWidth, int32_t clientHeight);

// Draws the rows that changed since their last paint (all of them when the
// force flag is set) and remembers the time.
void StatusLampsPaint();

// The picture blank, rows 1-10 idle (the power lamp stays).
void StatusLampsReset();

// The paint that the timer and the window's paint make when the last one
// is more than 300 ms away (either way).
void StatusLampsRepaintWhenStale();

// Refreshes the Vcc field (control 1013) and the power lamp. Returns 1.
int32_t VccDisplayUpdate();

} // namespace gui
