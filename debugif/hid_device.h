#pragma once
// The adapter's HID device object and the library's one instance of it.

#include "platform/hid_descriptor.h"
#include "platform/hid_os.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace debugif {

inline constexpr uint16_t kUifVendorId = 0x0451;
inline constexpr uint16_t kUifHidProductId = 0xF432;
inline constexpr size_t kHidInputBufferSize = 256;
inline constexpr size_t kHidNameSize = 17; // "HIDnnnn:" and up to 8 port characters
inline constexpr int32_t kHidMaxInterfaces = 128;

struct HidDevice {
    std::unique_ptr<platform::HidPort> handle; // null when closed
    int32_t open = 0;
    char name[kHidNameSize] = {};
    int32_t read_timeout = 600;  // ms
    int32_t write_timeout = 500; // ms
    uint16_t input_report_length = 0;
    uint16_t output_report_length = 0;
    uint16_t feature_report_length = 0;
    platform::HidReportLayout layout; // the length of each report by id
    uint8_t input_buffer[kHidInputBufferSize] = {};
    uint16_t leftover = 0; // payload bytes not yet handed out, at the start of input_buffer
};

// Closed, no name, nothing left over, time-outs 600 and 500 ms (those of
// LinkTiming), lengths 0.
// A handle still held is closed.
void HidDeviceInit(HidDevice& device);

struct HidTransportState {
    HidDevice device;
    platform::HidOs* os = nullptr; // null: the system's hidraw layer
    void Reset();
};
extern HidTransportState HidTransport;

platform::HidOs& ActiveHidOs();

// The transport status of one HID I/O step: 0 done, 4 time-out, 5 failure.
int32_t HidIoStatus(platform::HidIo result);

} // namespace debugif
