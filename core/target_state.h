#pragma once
// What the target layer remembers about the debug interface and the target
// between calls. Whether the target is identified, its device and the
// early-F5xx flag live in ConnectedDevice (core/device_select.h).

#include <array>
#include <cstdint>
#include <string>

namespace core {

inline constexpr int32_t kUsbAdapterSlots = 100;
inline constexpr int32_t kFuseBlownMarker = 0x5555;
inline constexpr int32_t kDescriptorSize = 16;

struct TargetState {
    int32_t TargetInterfaceOpen = 0; // 1 while the interface is open
    // CommPortIndex, AdapterIndex and interface mode of the last open.
    int32_t openPort = 0;
    int32_t openAdapter = 0;
    int32_t openMode = 0;
    std::string openPortName;           // the port name of the last open
    int32_t AdapterFirmwareVersion = 0; // version output of the last initialise
    int32_t powerState = 0;             // 1 when the adapter last powered the target on
    // 1 from a supply switched on through the library (whatever its
    // answer) until a switch-off the library confirms: the target may be
    // powered, and an unconfirmed switch-off is the operator's to know.
    int32_t supplyMayBeOn = 0;
    // The last initialise reached an adapter that runs only its bootloader,
    // with a library that cannot load firmware into it: no interface open.
    int32_t bootloaderOnly = 0;
    int32_t IdentifyFuseMarker = 0;  // kFuseBlownMarker when identification found the fuse blown
    std::string TargetLastErrorText; // the last error message, "\r\n"-terminated
    std::string TargetErrorLog;      // every error message since the interface was opened
    std::array<std::string, kUsbAdapterSlots> UsbAdapterNames{};
    // Read from the target at identification: bytes 0 and 1 the device ID,
    // 10 and 11 the version.
    std::array<uint8_t, kDescriptorSize> descriptor{};
    // The supply display values (hundredths of a volt) set by TargetVccEstimate.
    int32_t supplyScaleTop = 0;
    int32_t TargetSupplyValue = 0;

    void Reset() { *this = TargetState{}; }
};

extern TargetState Target;

} // namespace core
