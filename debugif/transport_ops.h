#pragma once
// The one transport table through which the command layer, the transaction
// and the bootloader link reach the adapter, and the serial transport's
// process-wide state.

#include "platform/serial_port.h"

#include <cstdint>

namespace debugif {

inline constexpr int32_t kTransportSerial = 0;
inline constexpr int32_t kTransportHid = 1;

struct TransportOpsTable {
    int32_t (*flush)();                               // discard pending input
    int32_t (*wait_input)(int32_t count, int32_t ms); // bytes waiting in the input queue
    int32_t (*open)(const char* path, int32_t wait_time_ms, int32_t retry_count);
    int32_t (*close)();
};

struct TransportState {
    TransportState(); // starts with the serial operations installed

    TransportOpsTable TransportOps{};
    int32_t kind = kTransportSerial;
    // The open COM port, or the HID device while HID is open; 0 when closed.
    uintptr_t PortHandle = 0;
    int32_t PortWaitTime = 0;   // ms, from the last serial open; bounds the drain at close
    int32_t PortRetryCount = 0; // from the last serial open
    platform::CommTimeouts saved_timeouts{};
    platform::LineSettings port_settings{};
    platform::SerialQueueLengths port_status{};
    int32_t status = 0; // of the last open or close
    platform::SerialPort port;

    void Reset();
};
extern TransportState Transport;

// True while the HID operations are installed.
inline bool OnHid() {
    return Transport.kind == kTransportHid;
}

// Flag 0 installs the serial operations, anything else the HID ones.
void SelectTransport(int32_t hid_flag);

// Closes whatever the transports hold and clears all their state.
void ResetTransports();

} // namespace debugif
