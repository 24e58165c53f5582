#include "debugif/serial_transport.h"

#include "debugif/link_timing.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "platform/device_setup.h"
#include "platform/os_error.h"

#include <algorithm>
#include <string>

namespace debugif {

namespace {

using platform::SetLastSystemError;

constexpr char kDevicePrefix[] = "\\\\.\\";

// The time-outs the adapter protocol was built around (shortened only by
// tests, through LinkTiming).
platform::CommTimeouts AdapterTimeouts() {
    return platform::CommTimeouts{
        .read_interval = LinkTiming.serial_read_interval_ms,
        .read_total_multiplier = 10,
        .read_total_constant = LinkTiming.serial_read_total_ms,
        .write_total_multiplier = 10,
        .write_total_constant = LinkTiming.serial_write_total_ms,
    };
}

std::string PortNode(const std::string& path) {
    std::string name = path;
    if (name.compare(0, sizeof kDevicePrefix - 1, kDevicePrefix) == 0) {
        name.erase(0, sizeof kDevicePrefix - 1);
    }
    if (!name.empty() && name[0] == '/') {
        return name;
    }
    return platform::ActiveDeviceSetup().SerialPortNode(name);
}

int32_t FailOpen(int32_t status, int32_t system_error) {
    if (Transport.port.IsOpen()) {
        Transport.port.Close();
    }
    Transport.PortHandle = 0;
    Transport.status = status;
    SetLastSystemError(system_error);
    return status;
}

} // namespace

int32_t OpenSerialPort(const char* path, int32_t wait_time_ms, int32_t retry_count) {
    Transport.PortWaitTime = wait_time_ms;
    Transport.PortRetryCount = retry_count;
    if (Transport.port.IsOpen()) {
        // The port is not shared, not even with ourselves.
        Transport.status = kSerialOpenFailed;
        SetLastSystemError(platform::kErrorAccessDenied);
        return kSerialOpenFailed;
    }
    std::string node = path != nullptr ? PortNode(path) : std::string();
    if (node.empty()) {
        return FailOpen(kSerialOpenFailed, platform::kErrorFileNotFound);
    }
    int32_t error = platform::kErrorSuccess;
    if (!Transport.port.Open(node, &error)) {
        return FailOpen(kSerialOpenFailed, error);
    }
    // The kernel keeps its own tty buffers: there are no queue sizes to set,
    // and no event mask to arm.
    Transport.saved_timeouts = Transport.port.GetTimeouts();
    Transport.port.SetTimeouts(AdapterTimeouts());

    platform::LineSettings s;
    if (!Transport.port.GetLineSettings(&s)) {
        return FailOpen(kSerialOpenFailed, platform::kErrorGenFailure);
    }
    s.baud = 460800;
    s.data_bits = 8;
    s.parity = platform::Parity::kNone;
    s.stop_bits = 1;
    s.rts_cts_flow = false;
    s.xon_xoff = false;
    s.dtr_on = false;
    s.rts_on = false;
    Transport.port_settings = s;
    if (!Transport.port.SetLineSettings(s)) {
        return FailOpen(kSerialSettingsRefused, platform::kErrorGenFailure);
    }
    Transport.port.Purge(platform::kPurgeTxAbort | platform::kPurgeTxClear);
    Transport.port.Purge(platform::kPurgeRxAbort | platform::kPurgeRxClear);

    Transport.PortHandle = reinterpret_cast<uintptr_t>(&Transport.port);
    Transport.status = kSerialOk;
    SetLastSystemError(platform::kErrorSuccess);
    return kSerialOk;
}

int32_t CloseSerialPort() {
    if (!Transport.port.IsOpen()) {
        Transport.status = kSerialCloseFailed;
        SetLastSystemError(platform::kErrorInvalidHandle);
        return kSerialCloseFailed;
    }
    Transport.port.WaitOutputEmpty(static_cast<uint32_t>(std::max(Transport.PortWaitTime, 0)));
    Transport.port.Purge(platform::kPurgeTxAbort | platform::kPurgeTxClear);
    Transport.port.Purge(platform::kPurgeRxAbort | platform::kPurgeRxClear);
    Transport.port.SetTimeouts(Transport.saved_timeouts);
    bool closed = Transport.port.Close();
    // The descriptor is gone either way; a handle kept after a failed close
    // would name nothing.
    Transport.PortHandle = 0;
    Transport.status = closed ? kSerialOk : kSerialCloseFailed;
    return Transport.status;
}

int32_t SerialFlush() {
    if (SerialReadStatus() && Transport.port_status.in_queue > 0) {
        Transport.port.Purge(platform::kPurgeRxAbort | platform::kPurgeRxClear);
    }
    return 0;
}

int32_t SerialWaitInput(int32_t count, int32_t ms) {
    if (!Transport.port.IsOpen()) {
        return 0;
    }
    uint32_t n = Transport.port.WaitInput(static_cast<uint32_t>(std::max(count, 0)),
                                          static_cast<uint32_t>(std::max(ms, 0)));
    Transport.port_status.in_queue = n;
    return static_cast<int32_t>(std::min<uint32_t>(n, INT32_MAX));
}

bool SerialWrite(const uint8_t* bytes, uint32_t count, uint32_t* done) {
    *done = 0;
    if (!Transport.port.IsOpen()) {
        SetLastSystemError(platform::kErrorInvalidHandle);
        return false;
    }
    size_t n = 0;
    bool ok = Transport.port.Write(bytes, count, &n);
    *done = static_cast<uint32_t>(n);
    return ok;
}

bool SerialRead(uint8_t* buffer, uint32_t count, uint32_t* done) {
    *done = 0;
    if (!Transport.port.IsOpen()) {
        SetLastSystemError(platform::kErrorInvalidHandle);
        return false;
    }
    size_t n = 0;
    bool ok = Transport.port.Read(buffer, count, &n);
    *done = static_cast<uint32_t>(n);
    return ok;
}

bool SerialPurge(uint32_t flags) {
    return Transport.port.Purge(flags);
}

bool SerialReadStatus() {
    return Transport.port.QueueLengths(&Transport.port_status);
}

} // namespace debugif
