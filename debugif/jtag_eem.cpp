#include "debugif/jtag_eem.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/error_numbers.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_entry.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_state.h"

namespace debugif {

namespace {

bool Wide() {
    return gLpt.jtagId == 0x91 || JtagDeviceProfile::Current().Cpux();
}

bool Data(uint32_t value, uint32_t* capture) {
    return Wide() ? Dr32(value, capture) : Dr16(value, capture);
}

int32_t Word16(uint8_t instruction, uint32_t value, uint32_t* capture) {
    if (!JtagShift(0, instruction) || !Dr16(value, capture)) {
        return LptFail(kErrorEem);
    }
    return 0;
}

int32_t CheckRegister(uint32_t reg, bool odd) {
    if (gDeviceId.currentDeviceIndex == 0) {
        return LptFail(kErrorUnknownDevice);
    }
    if (!JtagDeviceProfile::Current().Eem() || reg > 0xFF || ((reg & 1) != 0) != odd) {
        return LptFail(kErrorInvalidParameter);
    }
    return 0;
}

} // namespace

int32_t EemAccess(uint32_t reg, uint32_t* value) {
    if (!JtagShift(0, Wide() ? 0x0D : 0x09) || !Data(reg, nullptr)) {
        return LptFail(kErrorEem);
    }
    const bool read = (reg & 1) != 0;
    uint32_t c = 0;
    if (!Data(read ? 0 : *value, &c)) {
        return LptFail(kErrorEem);
    }
    if (read) {
        *value = c;
    }
    return 0;
}

bool EemWrite(uint32_t reg, uint32_t value) {
    return EemAccess(reg, &value) == 0;
}

int32_t EemReadTrigger(uint16_t* value) {
    uint32_t c = 0;
    const int32_t r = Word16(0x0A, 0, &c);
    *value = static_cast<uint16_t>(c);
    return r;
}

int32_t EemReadControl(uint16_t* value) {
    uint32_t c = 0;
    const int32_t r = Word16(0x0B, 0, &c);
    *value = static_cast<uint16_t>(c);
    return r;
}

int32_t EemWriteControl(uint16_t value) {
    return Word16(0x0C, value, nullptr);
}

int32_t EemRegisterRead(uint32_t reg, uint32_t* value) {
    if (CheckRegister(reg, true) != 0) {
        return -1;
    }
    uint16_t w = 0;
    switch (reg) {
    case 0x83:
        if (EemReadControl(&w) != 0) {
            return -1;
        }
        *value = w;
        return 0;
    case 0x89:
        *value = gLpt.clockControl;
        return 0;
    case 0x8B:
        *value = gLpt.moduleClockControl;
        return 0;
    case 0x8F:
        if (EemReadTrigger(&w) != 0) {
            return -1;
        }
        *value = w;
        return 0;
    default:
        return EemAccess(reg, value);
    }
}

int32_t EemRegisterWrite(uint32_t reg, uint32_t value) {
    if (CheckRegister(reg, false) != 0) {
        return -1;
    }
    switch (reg) {
    case 0x82:
        return EemWriteControl(static_cast<uint16_t>(value));
    case 0x88:
        gLpt.clockControl = static_cast<uint16_t>(value);
        return EemAccess(reg, &value);
    case 0x8A:
        gLpt.moduleClockControl = static_cast<uint16_t>(value);
        return gLpt.jtagId == 0x91 ? 0 : EemAccess(reg, &value);
    default:
        return EemAccess(reg, &value);
    }
}

} // namespace debugif
