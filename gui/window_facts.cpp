#include "gui/window_facts.h"

#include "core/code_image.h"
#include "gui/main_dialog.h"
#include "gui/main_ids.h"
#include "gui/main_window_state.h"
#include "gui/procedure_frame.h"
#include "gui/status_lamps.h"

#include <cstdio>

namespace gui {

WindowFactsState WindowFacts;

namespace {

std::string SumText(int32_t known, uint32_t sum) {
    if (known == 0) {
        return "";
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%8.8X", sum);
    return text;
}

// Rows 1-10 that wait for, or are ready for, a step of a run that has
// ended: the step never ran.
void NeverRunRowsIdle() {
    for (int32_t r = kRowAutoProgram; r <= kRowFuse; ++r) {
        StatusLamp& lamp = StatusDisplay.StatusLampTable[static_cast<size_t>(r)];
        if (lamp.bitmap == kLampPending || lamp.bitmap == kLampReady) {
            lamp.bitmap = kLampIdle;
        }
    }
}

} // namespace

void WindowFactsShow(uint32_t changes) {
    WindowFactsState& s = WindowFacts;
    if ((changes & (kBoardLost | kDeviceChanged)) != 0) {
        s.boardType.clear();
        s.boardVersion.clear();
        s.memorySumKnown = 0;
    }
    if ((changes & kImageChanged) != 0) {
        s.sourceSumKnown = core::Images.CodeImageHasData != 0 ? 1 : 0;
        s.sourceSum = s.sourceSumKnown != 0 ? core::CodeImageChecksum() : 0;
        s.memorySumKnown = 0;
    }
    // Inside a run the lamps are the run's own: a code file opened for it
    // is what it programs.
    if ((changes & (kDeviceChanged | kImageChanged)) != 0 && Frame.runActive == 0) {
        StatusLampsReset();
    }
    if ((changes & kRunEnded) != 0) {
        NeverRunRowsIdle();
    }
    if ((changes & (kRunEnded | kBoardLost)) != 0) {
        // The power lamp as the supply is now (the finish switches it off,
        // a failed open never switched it on), not as the run left it.
        VccDisplayUpdate();
    }
    MainWindowSetText(kMainTargetEdit, s.boardType);
    MainWindowSetText(kMainBslEdit, s.boardVersion);
    MainWindowSetText(kMainSourceSumEdit, SumText(s.sourceSumKnown, s.sourceSum));
    MainWindowSetText(kMainMemorySumEdit, SumText(s.memorySumKnown, s.memorySum));
    StatusLampsPaint();
    if (MainWindow.TheMainDialog != nullptr) {
        // A procedure runs without returning to the message loop.
        MainWindow.TheMainDialog->UpdateWindow();
    }
}

void WindowFactsBoardFound(const std::string& type, const std::string& version) {
    WindowFacts.boardType = type;
    WindowFacts.boardVersion = version;
    WindowFactsShow();
}

void WindowFactsBoardForget() {
    WindowFacts.boardType.clear();
    WindowFacts.boardVersion.clear();
    WindowFactsShow();
}

void WindowFactsSourceSum(uint32_t sum) {
    WindowFacts.sourceSumKnown = 1;
    WindowFacts.sourceSum = sum;
    WindowFactsShow();
}

void WindowFactsMemorySum(uint32_t sum) {
    WindowFacts.memorySumKnown = 1;
    WindowFacts.memorySum = sum;
    WindowFactsShow();
}

void WindowFactsMemoryForget() {
    WindowFacts.memorySumKnown = 0;
    WindowFactsShow();
}

} // namespace gui
