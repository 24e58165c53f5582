#include "debugif/uif_connect.h"

#include "debugif/api_state.h"
#include "debugif/bsl_link.h"
#include "debugif/error_numbers.h"
#include "debugif/hid_device.h"
#include "debugif/hid_discovery.h"
#include "debugif/hid_transport.h"
#include "debugif/link_timing.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "debugif/uif_com_ports.h"
#include "debugif/uif_command.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_target_ops.h"
#include "debugif/uif_transaction.h"
#include "platform/clock.h"
#include "platform/os_error.h"

#include <cstring>
#include <mutex>
#include <string>

namespace debugif {

namespace {

constexpr char kDevicePrefix[] = "\\\\.\\";
// Longer names are no port this layer knows; they are refused before
// anything is opened.
constexpr size_t kMaxPortArgument = 260;
constexpr int32_t kComSearchIndexes = 50;
constexpr int32_t kSerialOpenAttempts = 10000;
constexpr int32_t kPortWaitTimeMs = 500;
constexpr int32_t kPortRetryCount = 10;
constexpr uint8_t kBootloaderProbeCommand = 0x38;
constexpr uint16_t kBootloaderProbeAddress = 0x0C00;
constexpr uint16_t kBootloaderProbeLength = 2;
constexpr uint32_t kAdapterDataProbeLength = 4;

struct PortChoice {
    std::string path; // what the transport opens
    std::string name; // the new UifPortName; unused when keep_name is set
    bool keep_name = false;
    bool hid = false;
};

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

void Choose(PortChoice* c, std::string path, std::string name, bool hid) {
    c->path = std::move(path);
    c->name = std::move(name);
    c->hid = hid;
}

// 0 with the port to open, or -1 with the error set.
int32_t ChoosePort(const std::string& port, int32_t with_command, PortChoice* c) {
    if (Contains(port, "USB")) {
        char name[kHidNameSize] = {};
        if (with_command != 0 && HidAdapterCount(kUifVendorId, kUifHidProductId) > 0 &&
            HidAdapterName(kUifVendorId, kUifHidProductId, 0, name, sizeof name) == kHidOk) {
            Choose(c, name, name, true);
            return 0;
        }
        for (int32_t i = 0; i < kComSearchIndexes; ++i) {
            char com[kUifPortNameSize] = {};
            const int32_t r = EnumerateUifComPorts(i, com, sizeof com, 0);
            if (r == kNoMorePorts) {
                return UifFail(kErrorInitialize);
            }
            if (r == 1) {
                Choose(c, kDevicePrefix + std::string(com), com, false);
                return 0;
            }
        }
    } else if (Contains(port, "COM") && !Contains(port, ":COM")) {
        Choose(c, kDevicePrefix + port, port, false);
        return 0;
    } else if (Contains(port, "HID")) {
        Choose(c, port, port, true);
        return 0;
    }
    Choose(c, port, "", false);
    c->keep_name = true;
    return 0;
}

// Whatever an earlier connection left open, on either transport.
void CloseLeftovers() {
    if (Transport.port.IsOpen()) {
        CloseSerialPort();
    }
    if (HidTransport.device.handle != nullptr) {
        CloseHidTransport();
    }
    Transport.PortHandle = 0;
}

int32_t OpenPort(const PortChoice& c) {
    SelectTransport(c.hid ? 1 : 0);
    const int32_t attempts = c.hid ? 1 : kSerialOpenAttempts;
    for (int32_t a = 0; a < attempts; ++a) {
        if (a > 0) {
            platform::SleepMilliseconds(0);
        }
        CloseLeftovers();
        // A HID name that matches no interface leaves no system error of
        // its own behind.
        platform::SetLastSystemError(platform::kErrorFileNotFound);
        if (Transport.TransportOps.open(c.path.c_str(), kPortWaitTimeMs, kPortRetryCount) == 0) {
            Api.InterfaceOpen = 1;
            return 0;
        }
    }
    const int32_t result = UifFail(UifOpenErrorNumber(platform::LastSystemError()));
    if (c.hid) {
        // A device that opened but refused its configuration is let go.
        const int32_t error = platform::LastSystemError();
        CloseLeftovers();
        platform::SetLastSystemError(error);
    }
    return result;
}

// The adapter did not answer command 1 on serial: its firmware may be gone
// with its bootloader still alive.
int32_t ProbeBootloader() {
    Api.InterfaceOpen = 0;
    platform::SleepMilliseconds(LinkTiming.bootloader_probe_delay_ms);
    uint8_t reply[kBootloaderProbeLength] = {};
    const int32_t r = BslCommand(kBootloaderProbeCommand, kBootloaderProbeAddress,
                                 kBootloaderProbeLength, nullptr, reply, sizeof reply);
    if (r == kBslSyncFailed) {
        return UifFail(kErrorCommunication);
    }
    // The connect counts as made, so that firmware can be loaded; only a
    // question to the firmware (its version) learns that there is none.
    UifCommands.UifBootloaderOnly = 1;
    // What the silent tries were owed never comes: the firmware that would
    // answer them is gone. Kept, they would take the answers of the next
    // connect to firmware loaded meanwhile for theirs.
    UifLink.late_reply_count = 0;
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

} // namespace

int32_t UifOpenErrorNumber(int32_t system_error) {
    switch (system_error) {
    case platform::kErrorFileNotFound:
        return kErrorNoAdapterOnPort;
    case platform::kErrorAccessDenied:
    case platform::kErrorSharingViolation: // how a HID device held elsewhere refuses
        return kErrorAdapterInUse;
    default:
        return kErrorInitialize;
    }
}

int32_t UifConnect(const char* port, int32_t* version, int32_t with_command) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (version != nullptr) {
        *version = 0;
    }
    UifCommands.UifBootloaderMode = 0;
    UifCommands.UifBootloaderOnly = 0;
    UifLink.supply_off_confirmed = 0;
    if (port == nullptr) {
        return UifFail(kErrorInitialize);
    }
    const size_t length = strnlen(port, kMaxPortArgument);
    if (length == kMaxPortArgument) {
        return UifFail(kErrorInitialize);
    }
    const std::string name(port, length);

    if (Api.InterfaceOpen != 0) {
        if (!Contains(name, "USB") && name != UifCommands.UifPortName) {
            return UifFail(kErrorInitialize);
        }
    } else {
        // A link that gave up counts as closed but may still hold its port;
        // let it go before the search, which would find that adapter busy.
        CloseLeftovers();
        PortChoice choice;
        if (ChoosePort(name, with_command, &choice) != 0) {
            return -1;
        }
        if (!choice.keep_name) {
            if (choice.name.size() >= kUifPortNameSize) {
                return UifFail(kErrorInitialize);
            }
            std::memset(UifCommands.UifPortName, 0, kUifPortNameSize);
            std::memcpy(UifCommands.UifPortName, choice.name.data(), choice.name.size());
        }
        if (OpenPort(choice) != 0) {
            return -1;
        }
    }

    if (with_command == 0) {
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    if (UifCommand(kUifConnect, kUifTypeBare) == 0 && UifReplyHasParams(1)) {
        UifCommands.UifFirmwareVersion = static_cast<int32_t>(UifLink.ResponseBlock.parameters[0]);
        if (version != nullptr) {
            *version = UifCommands.UifFirmwareVersion;
        }
        uint8_t data[kAdapterDataProbeLength] = {0xFF, 0xFF, 0xFF, 0xFF};
        if (UifReadAdapterData(data, sizeof data) != 0 && Api.InterfaceOpen == 0) {
            // An adapter that does not know the query is still an adapter;
            // one that stopped answering is none.
            return UifFail(kErrorCommunication);
        }
        if (data[0] == 'E') {
            if (version != nullptr) {
                *version = kUifBootloaderVersion;
            }
            UifCommands.UifBootloaderMode = 1;
        }
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    if (Transport.kind == kTransportHid) {
        Api.InterfaceOpen = 0;
        return UifFail(kErrorCommunication);
    }
    return ProbeBootloader();
}

int32_t UifClose(int32_t vccOff) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (UifCommand(kUifClose, kUifTypeParams, {static_cast<uint32_t>(vccOff)}) != 0) {
        return -1;
    }
    Transport.TransportOps.close();
    Api.InterfaceOpen = 0;
    return 0;
}

int32_t UifReleaseLostLink(uint32_t wait_ms) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (UifLink.gave_up == 0 || Api.InterfaceOpen != 0 || Transport.PortHandle == 0) {
        return 0;
    }
    UifLink.gave_up = 0;
    const bool hid = Transport.kind == kTransportHid;
    HidDevice& device = HidTransport.device;
    const int32_t hid_read_timeout = device.read_timeout;
    if (wait_ms == 0) {
        // the port's own time-outs
    } else if (hid) {
        // A try reads the length up to four times.
        device.read_timeout = static_cast<int32_t>(wait_ms / 4);
    } else {
        platform::CommTimeouts t = Transport.port.GetTimeouts();
        t.read_total_constant = wait_ms;
        t.write_total_constant = wait_ms;
        Transport.port.SetTimeouts(t);
    }
    UifRequest& r = UifLink.RequestBlock;
    r = UifRequest{};
    r.command_id = kUifClose;
    r.message_type = kUifTypeParams;
    r.parameter_count = 1;
    r.parameters[0] = 1; // supply off
    // Open for this one try only; a failed try closes it again.
    Api.InterfaceOpen = 1;
    const int32_t result = UifTransaction(1);
    Api.InterfaceOpen = 0;
    Api.InterfaceKind = kInterfaceNone;
    UifLink.gave_up = 0;
    UifLink.supply_off_confirmed = result == 0 ? 1 : 0;
    if (result == 0) {
        Api.SupplyOn = 0;
    }
    device.read_timeout = hid_read_timeout;
    // What is still queued for a dead adapter is not worth waiting for;
    // closing puts back the time-outs the port had when it opened.
    Transport.PortWaitTime = 0;
    Transport.TransportOps.close();
    return result;
}

} // namespace debugif
