#include "debugif/lpt_interface_path.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/device_id_table.h"
#include "debugif/device_lookup.h"
#include "debugif/error_numbers.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_eem.h"
#include "debugif/jtag_entry.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_access_table.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_primitives.h"
#include "debugif/lpt_state.h"
#include "debugif/uif_command_state.h"

#include <array>
#include <span>

namespace debugif {

LptState gLpt;

namespace {

constexpr int32_t kMaximumSupply = 3600;
constexpr size_t kInfoSize = 32;
constexpr size_t kIdReadSize = 16;
constexpr uint32_t kDescriptorAddress = 0x0FF0;
constexpr int32_t kEveryResetMethod = 7;
constexpr int32_t kNoRunToAddress = 0xFFFF;

// The ranges of a small generic device bound the identification read
// until the record of the matched row replaces them.
void SetIdentificationDefaults() {
    core::IdentifyRecord& id = gDeviceId.identifyRecord;
    id.SetRamStart(0x0200);
    id.SetRamEnd(0x09FF);
    id.SetRam2Start(0);
    id.SetRam2End(0);
    id.SetInfoStart(0x1000);
    id.SetInfoEnd(0x10FF);
    id.SetMainStart(0x1100);
    id.SetMainEnd(0xFFFF);
}

int32_t Succeed() {
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

} // namespace

int32_t LptInitialize(const char* name, int32_t* version) {
    Api.ProtocolSetting = 0;
    Api.BslUnlock = 0;
    Lpt().PortCall(0);
    gLpt.config10 = 1;
    gLpt.config11 = 0;
    gLpt.bslUnlocked = 0;
    if (version != nullptr) {
        *version = kUifBootloaderVersion;
    }
    if (Lpt().Open(name != nullptr ? name : "") != 0) {
        return LptFail(kErrorInitialize);
    }
    return Succeed();
}

int32_t LptClose(int32_t vccOff) {
    if (Lpt().Close(vccOff) != 0) {
        return LptFail(kErrorClose);
    }
    return Succeed();
}

int32_t LptConfigure(int32_t mode, int32_t value) {
    switch (mode) {
    case 0:
        gLpt.config0 = value;
        break;
    case 1:
        if (gDeviceId.currentDeviceType != 13) {
            return LptFail(kErrorInvalidParameter);
        }
        gLpt.config1 = static_cast<uint16_t>(value & 0x7000);
        break;
    case 2:
        gLpt.clockControl = static_cast<uint16_t>(value);
        break;
    case 3:
        gLpt.moduleClockControl = static_cast<uint16_t>(value);
        break;
    case 4:
    case 6:
        break;
    case 5:
        gLpt.config5 = static_cast<uint16_t>(value);
        break;
    case 7:
        Lpt().Pin(value, 0);
        break;
    case 8:
        if (value < 0 || value > 2) {
            return LptFail(kErrorInvalidParameter);
        }
        Api.ProtocolSetting = value;
        Lpt().PortCall(value);
        break;
    case 9:
        // 0xFFFF withdraws a pending address; any other value is the next
        // run's start.
        if (value == kNoRunToAddress) {
            gLpt.runToSet = 0;
        } else {
            gLpt.runToAddress = value;
            gLpt.runToSet = 1;
        }
        break;
    case 10:
        gLpt.config10 = value;
        break;
    case 11:
        gLpt.config11 = static_cast<uint16_t>(value);
        break;
    default:
        return LptFail(kErrorInvalidParameter);
    }
    return Succeed();
}

int32_t LptSetVcc(int32_t millivolts) {
    if (millivolts < 0 || millivolts > kMaximumSupply) {
        return LptFail(kErrorInvalidParameter);
    }
    if (Lpt().Supply(millivolts) != 0) {
        return LptFail(kErrorVcc);
    }
    return 0;
}

int32_t SelectDeviceAccessTable(uint8_t* info, int32_t setId, int32_t setType) {
    gLpt.cpuState = 0;
    gLpt.releasedOnRun = 0;
    gLpt.stepPending = 0;
    gLpt.stepArmed = 0;
    Api.LastErrorNumber = kErrorNone;
    gDeviceId.currentDeviceIndex = 0;
    gDeviceId.currentDeviceType = 0;
    gLpt.config1 = 0;
    gLpt.eemControlCopy = 0;
    gLpt.clockControl = 0;
    gLpt.config0 = 0;
    gLpt.cycleCount = kNoCycleCount;
    ResetCurrentDeviceRecord();
    SetIdentificationDefaults();

    if (JtagIdQuery() != 0) {
        return -1;
    }
    // 0x89 and 0x8D are both served by the 0x89 family, also after a 0x91
    // target.
    gLpt.access = JtagDeviceAccess(gLpt.jtagId);

    if (setId == 0) {
        gDeviceId.currentDeviceIndex = 0;
        gDeviceId.currentDeviceType = 0;
        if (gLpt.access.JtagReset(kEveryResetMethod, 0, 0) != 0) {
            return -1;
        }
        uint32_t readAddress = kDescriptorAddress;
        if (gLpt.jtagId == 0x91) {
            uint32_t core = 0;
            uint32_t v = 0;
            if (!Ir(0x17) || !Dr16(0, &core) || !Ir(0x87) || !Dr20(0, &v)) {
                return LptFail(kErrorReadMemory);
            }
            gLpt.coreIpId = core;
            gLpt.deviceIdPointer = (v & 0xFFFF) * 16 + (v >> 16);
            uint32_t eem = 0;
            if (EemAccess(0x87, &eem) != 0) {
                return -1;
            }
            gLpt.eemInfo = eem;
            if (gLpt.deviceIdPointer != 0) {
                readAddress = gLpt.deviceIdPointer + 4;
            }
        } else {
            gLpt.coreIpId = 0;
            gLpt.deviceIdPointer = 0;
        }
        if (gLpt.access.JtagMemory(static_cast<int32_t>(readAddress), info,
                                   static_cast<int32_t>(kIdReadSize), 1) != 0) {
            return LptFail(kErrorReadMemory);
        }
        if (gLpt.jtagId != 0x91) {
            uint32_t id = 0;
            uint32_t fuse = 0;
            if (!Ir(0x29, &id) || id != gLpt.jtagId || !Dr8(0, &fuse)) {
                return LptFail(kErrorFuseRead);
            }
            info[kDeviceIdFuseByte] = static_cast<uint8_t>(fuse);
        }
    } else {
        gDeviceId.currentDeviceIndex = static_cast<uint16_t>(setId);
        gDeviceId.currentDeviceType = static_cast<uint16_t>(setType);
        gLpt.releasedOnRun = 0;
        gLpt.cpuState = 1;
        if (!CheckJtagId()) {
            return LptFail(IsFuseBlown() == 0 ? kErrorFuseBlown : kErrorNoDevice);
        }
    }
    return Succeed();
}

int32_t LptPrepareDevice(int32_t setId) {
    const CurrentDeviceRecord& record = gDeviceId.currentDeviceRecord;
    if (LptConfigure(3, record.Emulation5()) != 0 || LptConfigure(2, 0x26) != 0 ||
        LptConfigure(5, 0) != 0) {
        return LptFail(kErrorConfiguration);
    }
    if (gDeviceId.currentDeviceType == 13) {
        if (LptConfigure(1, 0) != 0) {
            return LptFail(kErrorConfiguration);
        }
        if (setId == 0 && gLpt.access.JtagReset(1, 0, 0) != 0) {
            return LptFail(kErrorReset);
        }
    }
    if (JtagDeviceProfile::Current().FlashTiming()) {
        if (LptConfigure(6, 2) != 0) {
            return LptFail(kErrorConfiguration);
        }
        Step(0);
        Step(1);
    }
    if (setId == 0) {
        if (gLpt.access.JtagReset(kEveryResetMethod, 0, 0) != 0) {
            return -1;
        }
    } else {
        uint32_t control = 0;
        if (!Ir(0x0B) || !Dr16(0, &control)) {
            return LptFail(kErrorConfiguration);
        }
        gLpt.eemControlCopy = static_cast<uint16_t>(control);
    }
    return Succeed();
}

int32_t LptIdentify(char*, int32_t, int32_t setId) {
    if (setId < 0 || setId >= DeviceIdTableRowCount) {
        return LptFail(kErrorUnknownDevice);
    }
    const int32_t setType = DeviceIdTable[static_cast<size_t>(setId)].deviceType;
    std::array<uint8_t, kInfoSize> info{};
    if (SelectDeviceAccessTable(info.data(), setId, setType) != 0) {
        return -1;
    }
    if (LookupDevice(std::span<const uint8_t>(info.data(), info.size()), setId) != 0) {
        return LptFail(kErrorUnknownDevice);
    }
    return LptPrepareDevice(setId);
}

int32_t LptReset(int32_t method, int32_t execute, int32_t releaseJTAG) {
    return gLpt.access.JtagReset(method, execute, releaseJTAG);
}

int32_t LptErase(int32_t type, int32_t address, int32_t length) {
    return gLpt.access.JtagErase(type, address, length);
}

int32_t LptMemory(int32_t address, uint8_t* buffer, int32_t count, int32_t rw) {
    return gLpt.access.JtagMemory(address, buffer, count, rw);
}

int32_t LptRun(int32_t mode, int32_t releaseJTAG) {
    return gLpt.access.JtagRun(mode, releaseJTAG);
}

int32_t LptCpuState(int32_t* state, int32_t stop, int32_t* cycles) {
    return gLpt.access.JtagState(state, stop, cycles);
}

int32_t LptVerifyMem(int32_t start, int32_t length, int32_t signature, int32_t edgeBytes) {
    if (length <= 0) {
        return Succeed();
    }
    int32_t a = start;
    int32_t n = length;
    uint8_t word[2] = {};
    if ((a & 1) != 0) {
        if (gLpt.access.JtagMemory(a - 1, word, 2, 1) != 0) {
            return LptFail(kErrorReadMemory);
        }
        if (word[1] != (edgeBytes & 0xFF)) {
            return LptFail(kErrorVerify);
        }
        ++a;
        --n;
    }
    if (n <= 0) {
        return Succeed();
    }
    if ((n & 1) != 0) {
        if (gLpt.access.JtagMemory(a + n - 1, word, 2, 1) != 0) {
            return LptFail(kErrorReadMemory);
        }
        if (word[0] != ((edgeBytes >> 8) & 0xFF)) {
            return LptFail(kErrorVerify);
        }
        --n;
    }
    if (n <= 0) {
        return Succeed();
    }
    return gLpt.access.JtagVerifyPsa(a, n, signature);
}

} // namespace debugif
