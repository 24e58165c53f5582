#pragma once
// What the adapter command layer keeps between commands: the adapter's
// firmware version and bootloader mode from the connect, the name of the
// open port, and whether the target CPU runs. The firmware version picks
// the identify commands and the memory chunk size.

#include <cstddef>
#include <cstdint>

namespace debugif {

// Firmware versions that change what the adapter is sent.
inline constexpr int32_t kUifVersionNewIdentify = 20109000; // commands 40 and 41
inline constexpr int32_t kUifVersionExtension = 20304000;   // command 43, 480-byte chunks, 45
inline constexpr int32_t kUifVersionExtensionEnd = 30000000;
// The version the connect reports for an adapter whose data begins with 'E'.
inline constexpr int32_t kUifBootloaderVersion = 20400000;

inline constexpr uint32_t kUifChunkSize = 128;
inline constexpr uint32_t kUifLargeChunkSize = 480;
inline constexpr uint32_t kUifBulkBlockSize = 512;

// "COM" and the port number, or a HID adapter name, with its terminating zero.
inline constexpr size_t kUifPortNameSize = 16;

struct UifCommandState {
    int32_t UifFirmwareVersion = 0; // first reply parameter of command 1
    int32_t UifBootloaderMode = 0;  // the adapter data began with 'E'; cleared at every connect
    // The last connect found only the adapter's bootloader (its firmware
    // silent): the interface stays closed; cleared at every connect.
    int32_t UifBootloaderOnly = 0;
    char UifPortName[kUifPortNameSize] = {};
    int32_t CpuRunning = 0;       // 1 after a run; 0 once a state reply reports a stop
    int32_t SavedCycleCount = -1; // cycle count of the last stop; -1 after a run

    void Reset() { *this = UifCommandState{}; }
};
extern UifCommandState UifCommands;

// v >= 20109000: identify by commands 40 and 41.
bool UifUsesNewIdentify();
// 20304000 <= v < 30000000: command 43 after 41, the verify announcement,
// and on serial outside bootloader mode the large memory chunks.
bool UifInExtensionRange();
// Bytes per memory command: 480 on the serial transport outside bootloader
// mode within the extension range, else 128.
uint32_t UifMemoryChunkSize();

} // namespace debugif
