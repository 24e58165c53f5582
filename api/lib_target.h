#pragma once
// The target access that the library adds to the core's: the debug API
// table it runs on (every failure carrying the reason the debug layer kept),
// its rule for opening the interface, the supply measurement, and RAM
// copies.

#include "core/debug_api.h"

#include <cstdint>

namespace api {

// The core from now on calls inner's entries; an entry's -1 is replaced by
// the error number takeError gives (when it gives one), so the core's result
// mapping puts that reason's text into the target error text and log. The
// caller keeps inner alive while it is in use.
void LibDebugApiUse(const core::DebugApi& inner, int32_t (*takeError)());

// Installs the library's rule for opening the interface: for a host that
// selects by ID the selected adapter's port (empty without a selection);
// for one that never did, the adapter name setting (Selected_UIF) unless it
// is empty or begins with "auto", else "TIUSB"; interface mode 1 when
// Interface is 3, else 2 for a Spy-Bi-Wire device, else 0.
void LibTargetOpenRuleInstall();

// Sets the supply estimate, then measures: on success
// core::Target.TargetSupplyValue = millivolts / 10, measured flag 1, result 1;
// 0 leaves the estimate.
int32_t TargetVccRead();

struct LibTargetState {
    int32_t supplyMeasured = 0;

    void Reset() { *this = LibTargetState{}; }
};

extern LibTargetState LibTarget;

// count bytes to or from target RAM at address (odd edges as the debug API
// handles them). Mapped status 1/0.
int32_t TargetRamWrite(int32_t address, const uint8_t* bytes, int32_t count);
int32_t TargetRamRead(int32_t address, uint8_t* bytes, int32_t count);

} // namespace api
