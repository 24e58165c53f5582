// The entries that open, identify, configure, power and close the
// interface, and the fuse.

#include "core/identify_record.h"
#include "debugif/api_dispatch.h"
#include "debugif/api_state.h"
#include "debugif/debug_api_layer.h"
#include "debugif/debug_attach.h"
#include "debugif/device_id_state.h"
#include "debugif/error_numbers.h"
#include "debugif/identify_build.h"
#include "debugif/lpt_interface_path.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_identify.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_target_ops.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

namespace debugif {

namespace {

// Longer port names name no port; they are cut here and refused further on.
constexpr size_t kMaxPortArgument = 260;
constexpr int32_t kConfigureInterfaceMode = 8;
// kErrorFirmwareErased from the adapter at the connect: its firmware is
// gone and its bootloader runs. The connect counts as made, so that the
// firmware can be loaded.
constexpr int32_t kNoVersion = -1;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

int32_t ConnectAdapter(const std::string& name, int32_t* version) {
    const int32_t result = UifConnect(name.c_str(), version, 1);
    // Only the bootloader's version means something to a caller.
    if (*version != kUifBootloaderVersion) {
        *version = kNoVersion;
    }
    if (result != 0 && Api.LastErrorNumber == kErrorFirmwareErased) {
        Api.LastErrorNumber = kErrorNone;
        *version = kNoVersion;
        return 0;
    }
    if (result == 0 && ApiAttachHooks.interfaceOpened != nullptr) {
        ApiAttachHooks.interfaceOpened();
    }
    return result;
}

void TakeJtagId() {
    const std::string_view name = gDeviceId.identifyRecord.Name();
    const bool f5 = Contains(name, "430F5") || Contains(name, "430F6");
    Api.DeviceJtagId = f5 ? kJtagId91 : kJtagId89;
    Api.CycleCounterEncoded = f5 ? 1 : 0;
}

} // namespace

int32_t TakeLastError() {
    const int32_t error = Api.LastErrorNumber;
    Api.LastErrorNumber = kErrorNone;
    return error;
}

int32_t ApiFail(int32_t error) {
    Api.LastErrorNumber = error;
    return -1;
}

} // namespace debugif

using namespace debugif;

extern "C" {

int32_t MSP430_Initialize(const char* port, int32_t* version) {
    Api.InterfaceKind = kInterfaceNone;
    Api.SupplyOn = 0;
    if (port == nullptr || version == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    const std::string text(port, strnlen(port, kMaxPortArgument));
    int32_t kind = kInterfaceNone;
    std::string name;
    if (!text.empty() && text[0] >= '1' && text[0] <= '3') {
        kind = kInterfaceParallel;
        name = text;
    }
    if (Contains(text, "LPT")) {
        kind = kInterfaceParallel;
        name = text.size() > 3 ? text.substr(3) : std::string();
    }
    // The adapter names win over a parallel-port look-alike.
    if (Contains(text, "HID") || Contains(text, "COM") || Contains(text, "USB")) {
        kind = kInterfaceUsb;
        name = text;
    }
    Api.InterfaceKind = kind;
    if (kind == kInterfaceParallel) {
        std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
        return LptInitialize(name.c_str(), version);
    }
    if (kind == kInterfaceUsb) {
        return ConnectAdapter(name, version);
    }
    return ApiFail(kErrorInitialize);
}

int32_t MSP430_Close(int32_t vccOff) {
    return DispatchByKind(
        [&] {
            if (vccOff != 0) {
                Api.SupplyOn = 0;
            }
            return LptClose(vccOff);
        },
        [&] { return UifClose(vccOff); });
}

int32_t MSP430_Identify(char* buffer, int32_t count, int32_t setId) {
    if (buffer == nullptr || count < 0 || setId < 0) {
        return ApiFail(kErrorInvalidParameter);
    }
    const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(core::IdentifyRecord::kSize));
    const int32_t result = DispatchByKind([&] { return LptIdentify(buffer, n, setId); },
                                          [&] { return UifIdentify(buffer, n, setId); });
    if (result != 0) {
        return result;
    }
    BuildIdentifyRecord();
    std::memcpy(buffer, gDeviceId.identifyRecord.Bytes().data(), static_cast<size_t>(n));
    TakeJtagId();
    if (setId == 0) {
        // Identification ends with the CPU halted.
        int32_t state = 0;
        int32_t cycles = 0;
        return MSP430_CpuState(&state, 1, &cycles);
    }
    return 0;
}

int32_t MSP430_Configure(int32_t mode, int32_t value) {
    switch (Api.InterfaceKind) {
    case kInterfaceNone:
        return ApiFail(kErrorCommunication);
    case kInterfaceParallel:
        if (mode == kConfigureInterfaceMode && value == 1) {
            return ApiFail(kErrorInvalidParameter);
        }
        return LptConfigure(mode, value);
    case kInterfaceUsb:
        return UifConfigure(mode, value);
    default:
        return ApiFail(kErrorNotSupported);
    }
}

int32_t MSP430_VCC(int32_t millivolts) {
    if (millivolts == 0 && Api.InterfaceKind == kInterfaceNone) {
        // The library let a lost link go. Switching the supply off is done
        // when its close did it; else the port still held gets one close
        // with the supply off, whose answer says whether it is off.
        std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
        if (UifLink.supply_off_confirmed != 0) {
            Api.LastErrorNumber = kErrorNone;
            return 0;
        }
        if (UifLink.gave_up != 0) {
            UifReleaseLostLink();
            if (UifLink.supply_off_confirmed == 0) {
                return ApiFail(kErrorCommunication);
            }
            Api.LastErrorNumber = kErrorNone;
            return 0;
        }
    }
    const int32_t result = DispatchByKind([&] { return LptSetVcc(millivolts); },
                                          [&] { return UifSetVcc(millivolts); });
    Api.SupplyOn = result == 0 && millivolts != 0 ? 1 : 0;
    return result;
}

int32_t MSP430_FET_GetFwVersion(int32_t* version) {
    if (version == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    if (UifCommands.UifBootloaderOnly != 0 && Api.InterfaceKind != kInterfaceParallel) {
        // Only the bootloader answered the last connect (whose silent
        // firmware left the interface closed): there is no firmware to
        // have a version, and nothing else can be asked of the adapter.
        return ApiFail(kErrorFirmwareErased);
    }
    if (Api.InterfaceKind != kInterfaceUsb || Api.InterfaceOpen == 0) {
        return ApiFail(kErrorNotSupported);
    }
    *version = UifCommands.UifFirmwareVersion;
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t MSP430_Secure(void) {
    if (Api.InterfaceKind != kInterfaceUsb) {
        return ApiFail(kErrorNotSupported);
    }
    return UifSecure();
}

int32_t MSP430_ReadSupply(int32_t* millivolts) {
    if (millivolts == nullptr) {
        return ApiFail(kErrorInvalidParameter);
    }
    switch (Api.InterfaceKind) {
    case kInterfaceParallel:
        // The parallel port cannot measure: what it was told to supply.
        *millivolts = Api.SupplyOn != 0 ? 3000 : 0;
        return 0;
    case kInterfaceUsb:
        return UifReadVcc(millivolts);
    default:
        return ApiFail(kErrorNotSupported);
    }
}

} // extern "C"
