#pragma once
// The simulated debug library: the MSP430_* entries over the simulated
// target, with the argument checks, statuses (0 / -1) and last-error numbers
// of the real debug API. Tests use it in process through SimDebugApi();
// libsim_msp430.so exports the same entries by name for the binding.
//
// Where it follows the adapter rather than the API: the port must name an
// adapter of the target's USB list ("TIUSB" or "USB" take the first free
// one; a name not in the list gives 57, one in use 58), a parallel port
// fails with 1, and an identify of a target whose fuse is blown returns
// status 8, the status the target layer takes for a blown fuse.

#include "core/debug_api.h"
#include "core/identify_record.h"
#include "sim/sim_target.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct SimLibraryState {
    int32_t LastErrorNumber = 0;
    int32_t open = 0;           // 1 between a successful initialise and close
    int32_t openInterface = -1; // index in the target's USB list
    uint16_t BslUnlock = 0;     // configure mode 11
    uint16_t deviceIndex = 0;   // the ID-table row of the last identification; 0 none
    uint16_t deviceType = 0;
    core::IdentifyRecord identifyRecord;
    struct UsbSlot {
        char name[18];
        int32_t status;
    };
    std::vector<UsbSlot> UsbIfList;
    int32_t usbListBuilt = 0;

    void Reset() { *this = SimLibraryState{}; }
};

extern SimLibraryState SimLibrary;

// The one simulated target behind the library.
SimTarget& Sim();

// Library state, call log and faults cleared; the target a fresh F149 with
// no supply and one free adapter "COM0".
void SimReset();

// Puts a fresh board of device-list row row on the adapter (the list is
// parsed first when the core has not done so). Returns 0, or -1 for a row
// outside the list (the board stays as it was).
int32_t SimSelectDeviceRow(int32_t row);
// The same by the row's name ("149", "2274", "5438"); returns the row or -1.
int32_t SimSelectDeviceNamed(std::string_view name);
// The device-list row of the board on the adapter.
int32_t SimDeviceRow();

#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses) result Sim_##name parameters;
#include "core/debug_entries.def"

// The entries above as a table for core::DebugApiUse.
const core::DebugApi& SimDebugApi();

} // namespace sim
