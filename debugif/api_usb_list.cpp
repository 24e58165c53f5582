// The list of USB interfaces: the adapter COM ports, then the HID
// adapters, each free or in use.

#include "debugif/api_state.h"
#include "debugif/debug_api_layer.h"
#include "debugif/error_numbers.h"
#include "debugif/hid_device.h"
#include "debugif/hid_discovery.h"
#include "debugif/hid_open.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "debugif/uif_com_ports.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "platform/device_setup.h"
#include "platform/os_error.h"
#include "platform/serial_port.h"

#include <cstring>
#include <string>

namespace debugif {

namespace {

constexpr size_t kHidNameBufferSize = 261; // 260 characters and the zero

void SetSlot(UsbIfSlot& slot, const char* name, int32_t status) {
    // Names that do not fit are cut; every adapter name this library makes fits.
    slot = UsbIfSlot{};
    std::memcpy(slot.name, name, strnlen(name, kUsbIfNameSize - 1));
    slot.status = status;
}

bool OpenOn(int32_t transport_kind) {
    return Api.InterfaceOpen != 0 && Transport.kind == transport_kind;
}

// Whether the COM port is free, with the trial's error in LastErrorNumber.
// While a connection is open its transport is not touched: its own port
// counts as in use, any other is opened and closed on its own.
int32_t TryComPort(const char* name) {
    if (Api.InterfaceOpen != 0) {
        if (OpenOn(kTransportSerial) && std::strcmp(name, UifCommands.UifPortName) == 0) {
            Api.LastErrorNumber = kErrorNone;
            return kUsbIfInUse;
        }
        const std::string node = platform::ActiveDeviceSetup().SerialPortNode(name);
        platform::SerialPort probe;
        int32_t error = platform::kErrorFileNotFound;
        if (!node.empty() && probe.Open(node, &error)) {
            probe.Close();
            Api.LastErrorNumber = kErrorNone;
            return kUsbIfFree;
        }
        Api.LastErrorNumber = UifOpenErrorNumber(error);
        return kUsbIfInUse;
    }
    int32_t version = 0;
    if (UifConnect(name, &version, 0) != 0) {
        return kUsbIfInUse;
    }
    Transport.TransportOps.close();
    Api.InterfaceOpen = 0;
    return kUsbIfFree;
}

int32_t ListComPorts(UsbIfListState& list, int32_t n) {
    for (int32_t i = 0; n < static_cast<int32_t>(kUsbIfSlots); ++i) {
        char name[kUifPortNameSize] = {};
        const int32_t found = EnumerateUifComPorts(i, name, sizeof name, 0);
        if (found == kNoMorePorts) {
            break;
        }
        if (found != 1) {
            // A list that could not be built answers 0 for every index,
            // and would never reach its end.
            if (!ComPortSearch.built) {
                break;
            }
            continue;
        }
        UsbIfSlot& slot = list.slots[static_cast<size_t>(n)];
        SetSlot(slot, name, TryComPort(name));
        const int32_t error = TakeLastError();
        if (error == kErrorNone || error == kErrorAdapterInUse) {
            ++n;
        }
    }
    return n;
}

// Each HID adapter is tried with an object of its own, so that an open
// connection keeps its device; the connection's own adapter counts as in
// use without a trial.
int32_t ListHidAdapters(UsbIfListState& list, int32_t n) {
    const HidDevice& live = HidTransport.device;
    std::string path;
    char name[kHidNameBufferSize];
    for (int32_t i = 0; n < static_cast<int32_t>(kUsbIfSlots) &&
                        HidInterfacePathAndName(i, &path, name, sizeof name) != 0;
         ++i) {
        UsbIfSlot& slot = list.slots[static_cast<size_t>(n)];
        if (OpenOn(kTransportHid) && live.open != 0 && std::strcmp(name, live.name) == 0) {
            SetSlot(slot, name, kUsbIfInUse);
            ++n;
            continue;
        }
        int32_t error = 0;
        if (OpenHidMatching(path, kUifVendorId, kUifHidProductId, &error) == nullptr) {
            continue; // no adapter, or one that cannot be asked
        }
        HidDevice probe;
        const int32_t status = OpenHidByName(probe, kUifVendorId, kUifHidProductId, name);
        if (status == kHidOk || status == kHidInUse) {
            SetSlot(slot, name, status == kHidOk ? kUsbIfFree : kUsbIfInUse);
            ++n;
        }
        CloseHidDevice(probe);
    }
    return n;
}

} // namespace

} // namespace debugif

using namespace debugif;

extern "C" {

int32_t MSP430_GetNumberOfUsbIfs(int32_t* count) {
    if (count == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    UsbIfListState& list = Api.UsbIfList;
    list = UsbIfListState{};
    int32_t n = ListComPorts(list, 0);
    n = ListHidAdapters(list, n);
    list.built = 1;
    list.count = n;
    *count = n;
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t MSP430_GetNameOfUsbIf(int32_t index, char** name, int32_t* status) {
    if (name == nullptr || status == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    const UsbIfListState& list = Api.UsbIfList;
    if (list.built == 0) {
        return ApiFail(kErrorInitialize);
    }
    if (index < 0 || index >= list.count) {
        return ApiFail(kErrorInvalidParameter);
    }
    UsbIfSlot& slot = Api.UsbIfList.slots[static_cast<size_t>(index)];
    *name = slot.name;
    *status = slot.status;
    return 0;
}

} // extern "C"
