#include "core/target_connect.h"

#include "core/debug_api.h"
#include "core/debug_error_table.h"
#include "core/debug_lib.h"
#include "core/device_select.h"
#include "core/settings.h"
#include "core/target_result.h"
#include "core/target_state.h"
#include "core/timing.h"
#include "platform/ascii.h"

#include <cstring>
#include <string>

namespace core {

namespace {

inline constexpr int32_t kSupplyTable[8] = {2200, 2400, 2600, 2800, 3000, 3200, 3400, 3600};
inline constexpr size_t kPortNameMax = 20;
inline constexpr size_t kUsbNameMax = 256;
// The version an initialise reports for an adapter whose firmware it does
// not pass on (every one but an adapter in its bootloader mode).
inline constexpr int32_t kNoFirmwareVersion = -1;

bool BeginsWithAuto(const std::string& name) {
    return platform::BeginsNoCase(name, "auto");
}

std::string Bounded(const char* text, size_t max) {
    return text != nullptr ? std::string(text, ::strnlen(text, max)) : std::string();
}

void CloseIfOpen() {
    if (Target.TargetInterfaceOpen != 0) {
        Debug_Close(0);
        Target.TargetInterfaceOpen = 0;
    }
}

// The library's answer to a firmware question is "Firmware erased -
// Bootloader active.": the adapter answered the connect with its
// bootloader only.
bool FirmwareErased(DebugStatus status) {
    return status == kDebugErrorFirmwareErased ||
           (status == kDebugFailed && DebugApiInUse().Error_Number != nullptr &&
            Debug_Error_Number() == kDebugErrorFirmwareErased);
}

int32_t Initialize(const std::string& port) {
    DebugLibSelectPath(Settings.AdapterIndex);
    int32_t version = 0;
    Target.bootloaderOnly = 0;
    Target.TargetInterfaceOpen = TargetResultMap(Debug_Initialize(port.c_str(), &version));
    Target.AdapterFirmwareVersion = version;
    // An adapter without firmware reports a connect made, so that a library
    // that carries firmware can load it (the firmware offer of Quillbay's
    // connect). One that cannot would leave an interface that fails every
    // command: the connect fails here, naming the reason.
    if (Target.TargetInterfaceOpen == 1 && version == kNoFirmwareVersion &&
        !DebugLibraryHoldsFirmwareImage()) {
        int32_t firmware = 0;
        if (FirmwareErased(Debug_FET_GetFwVersion(&firmware))) {
            Target.bootloaderOnly = 1;
            Target.TargetInterfaceOpen = TargetResultMap(kDebugErrorFirmwareErased);
        }
    }
    return Target.TargetInterfaceOpen;
}

TargetOpenChoice DefaultOpenChoice() {
    TargetOpenChoice c;
    c.port = Settings.CommPortIndex;
    c.adapter = Settings.AdapterIndex;
    c.mode = Settings.InterfaceType == 1 ? 1 : (DeviceHasSbwInterface() != 0 ? 2 : 0);
    switch (c.port) {
    case 1:
        c.portName = "LPT2";
        break;
    case 2:
        c.portName = "LPT3";
        break;
    case 3:
        c.portName = "TIUSB";
        if (!Settings.Selected_UIF.empty() && !BeginsWithAuto(Settings.Selected_UIF)) {
            c.portName = Settings.Selected_UIF.substr(0, kPortNameMax);
        }
        break;
    default:
        c.portName = "LPT1";
        break;
    }
    return c;
}

TargetOpenRule OpenRule = nullptr;

TargetOpenChoice OpenChoice() {
    return OpenRule != nullptr ? OpenRule() : DefaultOpenChoice();
}

void Record(const TargetOpenChoice& c, const std::string& name) {
    Target.openPort = c.port;
    Target.openAdapter = c.adapter;
    Target.openMode = c.mode;
    Target.openPortName = name;
}

void ConfigureOpened(int32_t mode) {
    Debug_Configure(kConfigureInterfaceMode, mode);
    Debug_Configure(kConfigureRamPreserve, 0);
}

} // namespace

void TargetOpenRuleSet(TargetOpenRule rule) {
    OpenRule = rule;
}

int32_t TargetOpen() {
    const TargetOpenChoice c = OpenChoice();
    if (Target.TargetInterfaceOpen != 0 &&
        (c.port != Target.openPort || c.adapter != Target.openAdapter ||
         c.mode != Target.openMode || (OpenRule != nullptr && c.portName != Target.openPortName))) {
        CloseIfOpen();
    }
    Target.TargetErrorLog.clear();
    Record(c, c.portName);
    if (Target.TargetInterfaceOpen != 0) {
        return 1;
    }
    // Configuring an interface that did not open would only replace the
    // library's reason for the failure with its own.
    if (Initialize(c.portName) == 1) {
        ConfigureOpened(c.mode);
    }
    return Target.TargetInterfaceOpen;
}

void TargetOpenAdopt() {
    if (Target.TargetInterfaceOpen == 0) {
        return;
    }
    const TargetOpenChoice c = OpenChoice();
    ConfigureOpened(c.mode);
    Record(c, Target.openPortName);
}

int32_t TargetClose() {
    Target.TargetInterfaceOpen = 0;
    return TargetResultMap(Debug_Close(0));
}

int32_t TargetPowerSet(int32_t on) {
    ConnectedDevice.TargetIdentified = 0;
    if (Target.TargetInterfaceOpen == 0) {
        if (on == 0 && Target.bootloaderOnly != 0) {
            // The open just found the adapter without firmware: another
            // would wait as long to find the same, and nothing was powered.
            return 0;
        }
        TargetOpen();
        if (Target.TargetInterfaceOpen == 0) {
            return 0;
        }
    }
    // A stale or hand-edited setting must not index past the table.
    int32_t index = Settings.VccIndex;
    index = index < 0 ? 0 : (index > 7 ? 7 : index);
    if (on != 0) {
        // Whatever its answer says, the adapter may have switched it on.
        Target.supplyMayBeOn = 1;
    }
    const int32_t result = TargetResultMap(Debug_VCC(on != 0 ? kSupplyTable[index] : 0));
    // A refused switch leaves the supply as it was, and so the display.
    if (result == 1) {
        Target.powerState = on != 0 ? 1 : 0;
        if (on == 0) {
            Target.supplyMayBeOn = 0;
        }
    }
    DelayMicroseconds(10000);
    return result;
}

int32_t TargetVccEstimate() {
    Target.supplyScaleTop = 650;
    Target.TargetSupplyValue = Target.powerState != 0 ? 300 : 0;
    return 0;
}

int32_t TargetReset() {
    if (Target.TargetInterfaceOpen == 0) {
        return 0;
    }
    int32_t method;
    switch (Settings.ResetModeIndex) {
    case 1:
        method = 1;
        break;
    case 2:
        method = 2;
        break;
    case 3:
        method = 4;
        break;
    default:
        method = 7;
        break;
    }
    return TargetResultMap(Debug_Reset(method, 1, 1));
}

int32_t TargetListUsbAdapters() {
    for (std::string& slot : Target.UsbAdapterNames) {
        slot.clear();
    }
    CloseIfOpen();
    int32_t count = 0;
    if (Debug_GetNumberOfUsbIfs(&count) != kDebugOk || count < 0 || count > kUsbAdapterSlots) {
        return -1;
    }
    for (int32_t i = 0; i < count; ++i) {
        char* name = nullptr;
        int32_t status = 0;
        if (Debug_GetNameOfUsbIf(i, &name, &status) == kDebugOk && name != nullptr) {
            std::string& slot = Target.UsbAdapterNames[static_cast<size_t>(i)];
            slot = Bounded(name, kUsbNameMax);
            if (status == 1) {
                slot += " (used)";
            }
        }
    }
    return count;
}

int32_t TargetOpenUsbAdapter(const char* name) {
    CloseIfOpen();
    std::string port = Bounded(name, kPortNameMax);
    if (BeginsWithAuto(port) || port.size() < 4) {
        port = "TIUSB";
    }
    Target.openPortName = port;
    return Initialize(port);
}

} // namespace core
