#include "debugif/uif_target_ops.h"

#include "core/le_block.h"
#include "debugif/api_state.h"
#include "debugif/eem_registers.h"
#include "debugif/error_numbers.h"
#include "debugif/read_cache.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_blocks.h"
#include "debugif/uif_command.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace debugif {

namespace {

constexpr int32_t kConfigureLocal = 10;
constexpr int32_t kConfigureBslUnlock = 11;
constexpr uint32_t kAllRegisters = 0xFFFF;
constexpr int32_t kEraseAll = 2;
// What the bootloader-mode adapter leaves of the information memory after
// a mass erase: the segment erase that follows it.
constexpr uint32_t kBootloaderInfoStart = 0x1000;
constexpr uint32_t kBootloaderInfoLength = 0x100;

uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

// After the CPU stopped on the adapter's side: registers, and on HID an
// empty read cache and the EEM registers.
int32_t AfterHalt() {
    if (UifRegisters(1) != 0) {
        return -1;
    }
    if (OnHid()) {
        ResetReadCache();
        return ReadEemRegisters();
    }
    return 0;
}

} // namespace

int32_t UifConfigure(int32_t mode, int32_t value) {
    if (mode == kConfigureLocal) {
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    if (mode == kConfigureBslUnlock) {
        std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
        Api.BslUnlock = static_cast<uint16_t>(value);
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    return UifCommand(kUifConfigure, kUifTypeParams, {U(mode), U(value)});
}

int32_t UifSetVcc(int32_t millivolts) {
    return UifCommand(kUifSetVcc, kUifTypeParams, {U(millivolts)});
}

int32_t UifReset(int32_t method, int32_t execute, int32_t releaseJTAG) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (OnHid()) {
        FreeReadCache();
        if (WriteEemRegisters() != 0) {
            return -1;
        }
    }
    if (UifCommand(kUifReset, kUifTypeParams, {U(method), U(execute), U(releaseJTAG)}) != 0) {
        return -1;
    }
    return AfterHalt();
}

int32_t UifRegisters(int32_t read) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (read == 0) {
        uint8_t bytes[kCpuRegisterCount * 4];
        for (size_t i = 0; i < kCpuRegisterCount; ++i) {
            core::StoreU32(bytes + 4 * i, Api.RegisterCache[i]);
        }
        return UifCommand(kUifWriteRegisters, kUifTypeParamsData, {kAllRegisters}, bytes,
                          sizeof bytes);
    }
    if (UifCommand(kUifReadRegisters, kUifTypeBare) != 0 ||
        !UifReplyHasData(kCpuRegisterCount * 4)) {
        return UifFail(kErrorReadRegister);
    }
    for (size_t i = 0; i < kCpuRegisterCount; ++i) {
        Api.RegisterCache[i] = core::LoadU32(UifLink.ResponseBlock.data + 4 * i);
    }
    return 0;
}

int32_t UifErase(int32_t type, int32_t address, int32_t length) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    const bool hid = OnHid();
    if (hid) {
        FreeReadCache();
    }
    int32_t result = UifCommand(kUifErase, kUifTypeParams, {U(type), U(address), U(length)});
    // The extra erase only follows an erase that went through: its success
    // must not stand for a mass erase that failed.
    if (result == 0 && UifCommands.UifBootloaderMode != 0 && type == kEraseAll && !hid) {
        result =
            UifCommand(kUifErase, kUifTypeParams, {0, kBootloaderInfoStart, kBootloaderInfoLength});
    }
    if (hid) {
        ResetReadCache();
    }
    return result;
}

int32_t UifSecure() {
    return UifCommand(kUifSecure, kUifTypeBare);
}

int32_t UifReadVcc(int32_t* millivolts) {
    if (millivolts == nullptr) {
        return UifFail(kErrorInvalidParameter);
    }
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (UifCommand(kUifReadVcc, kUifTypeBare) != 0 || !UifReplyHasParams(1)) {
        return -1;
    }
    *millivolts = static_cast<int32_t>(UifLink.ResponseBlock.parameters[0]);
    return 0;
}

int32_t UifReadAdapterData(uint8_t* buffer, int32_t length) {
    if (buffer == nullptr || length < 0) {
        return UifFail(kErrorInvalidParameter);
    }
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (UifCommand(kUifAdapterData, kUifTypeParams, {U(length)}) != 0) {
        return -1;
    }
    const UifResponse& r = UifLink.ResponseBlock;
    if (r.data != nullptr) {
        std::memcpy(buffer, r.data, std::min<uint32_t>(r.data_length, U(length)));
    }
    return 0;
}

} // namespace debugif
