#pragma once
// The parallel-port path's state, alive for the process: what the JTAG
// routines learnt of the target and the CPU, the configuration values, the
// routine table, and what flash work saves around itself. The last error
// number, the protocol setting, the powered flag and the register cache
// live in Api; the device index, type and records in gDeviceId.

#include "debugif/lpt_access_table.h"

#include <array>
#include <cstdint>
#include <vector>

namespace debugif {

inline constexpr int32_t kNoCycleCount = -1;

// The target state flash work disturbs: the clock-system bytes, the SFR
// bytes at 0x0000, the flash controller, the Info-A lock and, when asked
// for, the whole RAM.
struct SavedTarget {
    uint32_t clockAddress = 0;
    uint32_t clockCount = 0;
    uint8_t clock[8] = {};
    uint8_t sfr[4] = {};
    uint8_t flashControl[6] = {};
    uint16_t infoALock = 0; // bit 0x0040 as read
    bool ramSaved = false;
    std::vector<uint8_t> ram;
};

struct LptState {
    uint16_t jtagId = 0;
    int32_t cpuState = 0; // 0 stopped under JTAG; else the run mode last started
    int32_t releasedOnRun = 0;
    int32_t stepPending = 0;
    int32_t stepArmed = 0;
    uint32_t armedMask = 0; // the breakpoints the last arming enabled
    // 0x91: EEM registers 1, 3, 5, 7 and 0x81 as a single step found them,
    // to write back when the CPU stops.
    bool stepTriggersSaved = false;
    std::array<uint32_t, 5> stepTriggers{};
    int32_t cycleCount = kNoCycleCount;
    uint32_t coreIpId = 0;
    uint32_t deviceIdPointer = 0;
    uint32_t eemInfo = 0;
    int32_t config0 = 0;
    uint16_t config1 = 0;
    uint16_t clockControl = 0;
    uint16_t moduleClockControl = 0;
    uint16_t config5 = 0;
    uint16_t eemControlCopy = 0;
    int32_t runToAddress = 0;
    int32_t runToSet = 0;
    int32_t config10 = 0;
    uint16_t config11 = 0;
    uint16_t bslUnlocked = 0;

    DeviceAccessTable access = Family89Table();

    // The watchdog control byte the host keeps for the target, 0x5A above.
    uint16_t WatchdogShadow = 0x5A00;
    // Saved words of 0x0048, 0x01B0 and 0x01B2 on EEM-context devices.
    uint16_t savedContext0048 = 0;
    uint16_t savedContext01B0 = 0;
    uint16_t savedContext01B2 = 0;

    // What flash work saved of the target, to put back afterwards.
    SavedTarget saved;
    // The flash-clock bits the flash routines add to their control words.
    uint16_t flashClock = 0;

    // Where the DCO step search starts next time.
    int32_t dcoStep = 3;
    int32_t dcoRange = 7;

    void Reset() { *this = LptState{}; }
};

extern LptState gLpt;

} // namespace debugif
