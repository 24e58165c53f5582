#include "gui/status_lamps.h"

#include "core/target_connect.h"
#include "core/target_state.h"
#include "core/timing.h"
#include "gui/main_ids.h"
#include "gui/main_window_state.h"
#include "platform/c_locale.h"

#include <cmath>

namespace gui {

StatusDisplayState StatusDisplay;

namespace {

struct DesignPoint {
    int32_t x, y;
};

// Where each row sits on the 425 x 313 design: the lamps right of their
// buttons, the checksum lamp beside the checksum fields, the picture in the
// middle.
constexpr DesignPoint kDesign[kStatusRows] = {
    {290, 66},  {323, 82},  {323, 104}, {323, 126}, {323, 148}, {323, 170},
    {323, 192}, {323, 214}, {323, 236}, {292, 131}, {323, 32},  {119, 53},
};

} // namespace

void StatusDisplayState::Reset() {
    for (int32_t r = 0; r < kStatusRows; ++r) {
        StatusLamp& lamp = StatusLampTable[static_cast<size_t>(r)];
        lamp.bitmap = r == kRowPicture ? kPictureBlank : kLampIdle;
        lamp.x = lamp.designX = kDesign[r].x;
        lamp.y = lamp.designY = kDesign[r].y;
        lamp.painted = 0;
    }
    StatusLampTable[kStatusRows] = StatusLamp{};
    forcePaint = 0;
    lastPaintMs = 0.0;
    draw = nullptr;
}

int32_t BitmapWidth(int32_t bitmap) {
    switch (bitmap) {
    case kLampPassed:
    case kLampFailed:
    case kLampIdle:
    case kLampReady:
    case kLampStopped:
    case kLampPending:
    case kLampPassedKept:
        return 15;
    case kPictureActive:
    case kPictureBlank:
    case kPictureFail:
    case kPicturePass:
        return 98;
    default:
        return 0;
    }
}

int32_t BitmapHeight(int32_t bitmap) {
    const int32_t w = BitmapWidth(bitmap);
    return w == 15 ? 16 : (w == 98 ? 31 : 0);
}

void StatusLampsScale(int32_t clientWidth, int32_t clientHeight) {
    const double fx = clientWidth / 425.0;
    const double fy = clientHeight / 313.0;
    for (StatusLamp& lamp : StatusDisplay.StatusLampTable) {
        if (lamp.bitmap == 0) {
            break;
        }
        lamp.x = static_cast<int32_t>(std::floor(lamp.designX * fx + 0.5));
        lamp.y = static_cast<int32_t>(std::floor(lamp.designY * fy + 0.5));
    }
}

void StatusLampsReset() {
    auto& rows = StatusDisplay.StatusLampTable;
    rows[kRowPicture].bitmap = kPictureBlank;
    for (int32_t r = kRowAutoProgram; r <= kRowFuse; ++r) {
        rows[static_cast<size_t>(r)].bitmap = kLampIdle;
    }
}

void StatusLampsPaint() {
    // No reset here while the interface is closed: it would wipe the "Fail"
    // picture of a failed open at once and at every timer tick.
    for (StatusLamp& lamp : StatusDisplay.StatusLampTable) {
        if (lamp.bitmap == 0) {
            break;
        }
        if (StatusDisplay.forcePaint != 0 || lamp.bitmap != lamp.painted) {
            lamp.painted = lamp.bitmap;
            if (StatusDisplay.draw) {
                StatusDisplay.draw(lamp.bitmap, lamp.x, lamp.y);
            }
        }
    }
    StatusDisplay.forcePaint = 0;
    StatusDisplay.lastPaintMs = core::TimeMilliseconds();
}

void StatusLampsRepaintWhenStale() {
    if (std::fabs(core::TimeMilliseconds() - StatusDisplay.lastPaintMs) > 300.0) {
        StatusDisplay.forcePaint = 1;
        StatusLampsPaint();
    }
}

int32_t VccDisplayUpdate() {
    std::string text = "----";
    if (core::TargetVccEstimate() == 1) {
        text = platform::FormatC("%5.2f V", core::Target.TargetSupplyValue * 0.01);
    }
    MainWindowSetText(kMainVccEdit, text);
    const int32_t value = core::Target.TargetSupplyValue;
    StatusDisplay.StatusLampTable[kRowPower].bitmap =
        value > 260 ? kLampPending : (value > 200 ? kLampStopped : kLampIdle);
    StatusLampsPaint();
    return 1;
}

} // namespace gui
