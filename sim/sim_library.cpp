#include "sim/sim_library.h"

#include "core/debug_error_table.h"
#include "core/device_table.h"
#include "debugif/device_id_state.h"
#include "debugif/device_lookup.h"
#include "debugif/identify_build.h"
#include "sim/emu_board.h"

#include <algorithm>
#include <cstring>

namespace sim {

SimLibraryState SimLibrary;

namespace {

inline constexpr int32_t kErrorInit = 1;
inline constexpr int32_t kErrorParameter = 3;
inline constexpr int32_t kErrorRegisterWrite = 32;
inline constexpr int32_t kErrorRegisterRead = 33;
inline constexpr int32_t kErrorNotOpen = 34;
inline constexpr int32_t kErrorNoFet = 35;
inline constexpr int32_t kErrorNoFetOnPort = 57;
inline constexpr int32_t kErrorFetInUse = 58;
inline constexpr int32_t kErrorBslProtected = 62;
inline constexpr int32_t kErrorInvalidNumber = 63;
inline constexpr int32_t kBootloaderVersion = 20400000;
inline constexpr size_t kPortNameMax = 64;

int32_t simRow = 0;

SimLibraryState& L() {
    return SimLibrary;
}

int32_t Fail(int32_t error) {
    L().LastErrorNumber = error;
    return -1;
}

int32_t Logged(std::string_view entry, std::vector<int32_t> args, uint32_t hexMask, int32_t result,
               std::string_view detail = {}) {
    Sim().Log().Add(entry, std::move(args), hexMask, detail, result,
                    result != 0 ? L().LastErrorNumber : 0);
    return result;
}

// An operation of the target: its error number becomes the last error.
int32_t Target(int32_t error) {
    return error != 0 ? Fail(error) : 0;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

void ReleaseInterface() {
    SimLibraryState& s = L();
    auto& list = Sim().usbInterfaces;
    if (s.openInterface >= 0 && static_cast<size_t>(s.openInterface) < list.size()) {
        list[static_cast<size_t>(s.openInterface)].inUse = 0;
    }
    s.openInterface = -1;
    s.open = 0;
}

uint32_t FlashEnd() {
    return L().identifyRecord.MainEnd();
}

// Writes into, and segment erases of, the bootstrap loader need configure
// mode 11 first, and some parts keep it protected even so; a refusal takes
// the unlock back.
bool BslRefuses(int64_t first, int64_t last) {
    SimLibraryState& s = L();
    const int64_t bslStart = s.identifyRecord.BslStart();
    const int64_t bslEnd = s.identifyRecord.BslEnd();
    if (bslEnd == 0 || last < bslStart || first > bslEnd) {
        return false;
    }
    if (s.BslUnlock == 0 || debugif::IsBslProtectedDeviceType(s.deviceType)) {
        s.BslUnlock = 0;
        return true;
    }
    return false;
}

// --- The entries, without the log.

int32_t Initialize(const char* port, int32_t* version) {
    SimLibraryState& s = L();
    ReleaseInterface();
    if (port == nullptr || version == nullptr) {
        return Fail(kErrorParameter);
    }
    const std::string name(port, ::strnlen(port, kPortNameMax));
    int32_t kind = 0;
    if (!name.empty() && name[0] >= '1' && name[0] <= '3') {
        kind = 1;
    }
    if (Contains(name, "LPT")) {
        kind = 1;
    }
    if (Contains(name, "HID") || Contains(name, "COM") || Contains(name, "USB")) {
        kind = 2;
    }
    if (kind != 2) {
        // No parallel-port adapter here.
        return Fail(kErrorInit);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_Initialize")) {
        return Fail(e);
    }
    auto& list = Sim().usbInterfaces;
    int32_t found = -1;
    if (name == "TIUSB" || name == "USB") {
        for (size_t i = 0; i < list.size() && found < 0; ++i) {
            if (list[i].inUse == 0) {
                found = static_cast<int32_t>(i);
            }
        }
        if (found < 0) {
            return Fail(list.empty() ? kErrorInit : kErrorFetInUse);
        }
    } else {
        for (size_t i = 0; i < list.size() && found < 0; ++i) {
            if (list[i].name == name) {
                found = static_cast<int32_t>(i);
            }
        }
        if (found < 0) {
            return Fail(kErrorNoFetOnPort);
        }
        if (list[static_cast<size_t>(found)].inUse != 0) {
            return Fail(kErrorFetInUse);
        }
    }
    list[static_cast<size_t>(found)].inUse = 1;
    s.openInterface = found;
    s.open = 1;
    // Only a bootloader's version is passed on; every other adapter reads -1.
    *version = Sim().firmwareVersion == kBootloaderVersion ? kBootloaderVersion : -1;
    return 0;
}

int32_t Close(int32_t vccOff) {
    SimLibraryState& s = L();
    if (s.open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_Close")) {
        return Fail(e);
    }
    if (vccOff != 0) {
        Sim().SetAdapterSupply(0);
    }
    ReleaseInterface();
    return 0;
}

int32_t Identify(char* buffer, int32_t count, int32_t setId) {
    SimLibraryState& s = L();
    if (buffer == nullptr || count < 0 || setId < 0) {
        return Fail(kErrorParameter);
    }
    if (s.open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_Identify")) {
        return Fail(e);
    }
    if (!Sim().Powered()) {
        return Fail(kErrorNoDevice);
    }
    if (Sim().FuseBlown()) {
        s.LastErrorNumber = kErrorFuseRead;
        return kErrorFuseRead;
    }
    // The record builder works on the process's device-ID state, which a
    // debug interface in the same process may be using: put it back after.
    const auto block = Sim().IdentificationBlock();
    const debugif::DeviceIdState saved = debugif::gDeviceId;
    const int32_t error = debugif::LookupDevice(block, setId);
    if (error == 0) {
        debugif::BuildIdentifyRecord();
        s.identifyRecord = debugif::gDeviceId.identifyRecord;
        s.deviceIndex = debugif::gDeviceId.currentDeviceIndex;
        s.deviceType = debugif::gDeviceId.currentDeviceType;
    }
    debugif::gDeviceId = saved;
    if (error != 0) {
        return Fail(error);
    }
    const size_t n = std::min<size_t>(static_cast<size_t>(count), core::IdentifyRecord::kSize);
    std::memcpy(buffer, s.identifyRecord.Bytes().data(), n);
    if (setId == 0) {
        Sim().running = false; // identify ends with the CPU stopped
    }
    return 0;
}

int32_t Configure(int32_t mode, int32_t value) {
    SimLibraryState& s = L();
    if (s.open == 0) {
        return Fail(kErrorNoFet);
    }
    if (mode < 0 || mode > 11 || (mode == 8 && (value < 0 || value > 2))) {
        return Fail(kErrorParameter);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_Configure")) {
        return Fail(e);
    }
    switch (mode) {
    case 5:
        Sim().SetInfoAUnlocked(value != 0);
        break;
    case 11:
        s.BslUnlock = static_cast<uint16_t>(value);
        break;
    default:
        break;
    }
    return 0;
}

int32_t VCC(int32_t millivolts) {
    SimLibraryState& s = L();
    if (s.open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (millivolts < 0 || millivolts > kMaximumSupply) {
        return Fail(kErrorParameter);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_VCC")) {
        return Fail(e);
    }
    return Target(Sim().SetAdapterSupply(millivolts));
}

int32_t Reset(int32_t method, int32_t execute, int32_t releaseJTAG) {
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (method < 1 || method > 7) {
        return Fail(kErrorParameter);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_Reset")) {
        return Fail(e);
    }
    if (!Sim().Powered()) {
        return Fail(kErrorReset);
    }
    Sim().ResetCpu(execute != 0 && releaseJTAG != 0);
    return 0;
}

int32_t Erase(int32_t type, int32_t address, int32_t length) {
    SimLibraryState& s = L();
    if (s.deviceIndex == 0 || type < 0 || type > 2 || address < 1 || (address & 1) != 0 ||
        static_cast<int64_t>(address) + length > static_cast<int64_t>(FlashEnd()) + 1) {
        return Fail(kErrorParameter);
    }
    if (type == 0 && BslRefuses(address, address)) {
        return Fail(kErrorBslProtected);
    }
    if (s.open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_Erase")) {
        return Fail(e);
    }
    switch (type) {
    case 0:
        return Target(Sim().EraseSegment(static_cast<uint32_t>(address)));
    case 1:
        return Target(Sim().EraseMain());
    default:
        return Target(Sim().EraseAll());
    }
}

int32_t Memory(int32_t address, char* buffer, int32_t count, int32_t rw) {
    SimLibraryState& s = L();
    if (address < 0 || count < 0 || buffer == nullptr) {
        return Fail(kErrorParameter);
    }
    if (count == 0) {
        return 0;
    }
    const int64_t last = static_cast<int64_t>(address) + count - 1;
    if (last + 1 > static_cast<int64_t>(FlashEnd()) + 1) {
        return Fail(kErrorParameter);
    }
    if (rw == 0 && BslRefuses(address, last)) {
        return Fail(kErrorBslProtected);
    }
    if (s.open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_Memory")) {
        return Fail(e);
    }
    auto* bytes = reinterpret_cast<uint8_t*>(buffer);
    const auto a = static_cast<uint32_t>(address);
    const auto n = static_cast<uint32_t>(count);
    return Target(rw == 0 ? Sim().Write(a, bytes, n) : Sim().Read(a, bytes, n));
}

int32_t Secure() {
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_Secure")) {
        return Fail(e);
    }
    return Target(Sim().BlowFuse());
}

int32_t Verify(std::string_view entry, int32_t address, int32_t length, const char* buffer) {
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (address < 0 || length < 0 || static_cast<int64_t>(address) + length > kMemorySize) {
        return Fail(kErrorParameter);
    }
    if (const int32_t e = Sim().TakeFault(entry)) {
        return Fail(e);
    }
    return Target(Sim().Verify(static_cast<uint32_t>(address), static_cast<uint32_t>(length),
                               reinterpret_cast<const uint8_t*>(buffer)));
}

int32_t GetNumberOfUsbIfs(int32_t* count) {
    SimLibraryState& s = L();
    if (count == nullptr) {
        return Fail(kErrorParameter);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_GetNumberOfUsbIfs")) {
        return Fail(e);
    }
    s.UsbIfList.clear();
    for (const SimUsbInterface& i : Sim().usbInterfaces) {
        SimLibraryState::UsbSlot slot{};
        std::strncpy(slot.name, i.name.c_str(), sizeof slot.name - 1);
        slot.status = i.inUse != 0 ? 1 : 0;
        s.UsbIfList.push_back(slot);
    }
    s.usbListBuilt = 1;
    *count = static_cast<int32_t>(s.UsbIfList.size());
    return 0;
}

int32_t GetNameOfUsbIf(int32_t index, char** name, int32_t* status) {
    SimLibraryState& s = L();
    if (name == nullptr || status == nullptr) {
        return Fail(kErrorParameter);
    }
    if (s.usbListBuilt == 0) {
        return Fail(kErrorInit);
    }
    if (index < 0 || static_cast<size_t>(index) >= s.UsbIfList.size()) {
        return Fail(kErrorParameter);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_GetNameOfUsbIf")) {
        return Fail(e);
    }
    SimLibraryState::UsbSlot& slot = s.UsbIfList[static_cast<size_t>(index)];
    *name = slot.name;
    *status = slot.status;
    return 0;
}

int32_t FET_GetFwVersion(int32_t* version) {
    if (version == nullptr) {
        return Fail(kErrorParameter);
    }
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_FET_GetFwVersion")) {
        return Fail(e);
    }
    *version = Sim().firmwareVersion;
    return 0;
}

int32_t FET_FwUpdate(MSP430_FwUpdateCallback callback, void* context) {
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_FET_FwUpdate")) {
        if (callback != nullptr) {
            callback(7, 0, 0, context);
        }
        return Fail(e);
    }
    if (callback != nullptr) {
        for (const uint32_t step : {0u, 1u, 2u, 3u}) {
            callback(step, 0, 0, context);
        }
        callback(4, 50, 0, context);
        callback(4, 100, 0, context);
        callback(5, 0, 0, context);
        callback(6, 0, 0, context);
    }
    return 0;
}

int32_t RegisterAccess(int32_t* value, int32_t reg, int32_t rw) {
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (value == nullptr) {
        return Fail(kErrorParameter);
    }
    if (reg < 0 || reg > 15) {
        return Fail(rw == 0 ? kErrorRegisterWrite : kErrorRegisterRead);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_RegisterAccess")) {
        return Fail(e);
    }
    auto& r = Sim().registers;
    if (rw == 0) {
        r[static_cast<size_t>(reg)] = static_cast<uint32_t>(*value);
        r[1] &= ~1u; // the stack pointer is always even
    } else {
        *value = static_cast<int32_t>(r[static_cast<size_t>(reg)]);
    }
    return 0;
}

int32_t RunCpu(int32_t mode) {
    L().LastErrorNumber = 0;
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (mode < 1 || mode > 3) { // free run, run to breakpoint, release
        return Fail(kErrorParameter);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_RunCpu")) {
        return Fail(e);
    }
    Sim().running = true;
    L().LastErrorNumber = 0;
    return 0;
}

int32_t CpuState(int32_t* state, int32_t stop, int32_t* cycles) {
    if (state == nullptr) {
        return Fail(kErrorParameter);
    }
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_CpuState")) {
        return Fail(e);
    }
    SimTarget& t = Sim();
    if (stop != 0) {
        t.running = false;
    }
    if (t.running) {
        t.cycles += 1000;
    }
    *state = t.running ? 1 : 0;
    if (cycles != nullptr) {
        *cycles = static_cast<int32_t>(t.cycles);
    }
    return 0;
}

int32_t ReadSupply(int32_t* millivolts) {
    if (millivolts == nullptr) {
        return Fail(kErrorParameter);
    }
    if (L().open == 0) {
        return Fail(kErrorNotOpen);
    }
    if (const int32_t e = Sim().TakeFault("MSP430_ReadSupply")) {
        return Fail(e);
    }
    *millivolts = Sim().MeasuredSupply();
    return 0;
}

} // namespace

namespace {

// The board a library starts with, before any test chose one.
void SelectDefaultBoard(SimTarget& target) {
    const int32_t row = EmuSelectDeviceNamed(target, "149");
    if (row > 0) {
        simRow = row;
    }
}

} // namespace

SimTarget& Sim() {
    static SimTarget target = [] {
        SimTarget t;
        SelectDefaultBoard(t);
        return t;
    }();
    return target;
}

void SimReset() {
    SimLibrary.Reset();
    SimTarget& target = Sim();
    target.Renew();
    SelectDefaultBoard(target);
}

int32_t SimSelectDeviceRow(int32_t row) {
    if (EmuSelectDeviceRow(Sim(), row) != 0) {
        return -1;
    }
    simRow = row;
    return 0;
}

int32_t SimSelectDeviceNamed(std::string_view name) {
    const int32_t row = EmuSelectDeviceNamed(Sim(), name);
    if (row > 0) {
        simRow = row;
    }
    return row;
}

int32_t SimDeviceRow() {
    return simRow;
}

// --- The entries with their log lines. Bit i of the mask prints argument i
// as an address.

int32_t Sim_Initialize(const char* port, int32_t* version) {
    const std::string name =
        port != nullptr ? std::string(port, ::strnlen(port, kPortNameMax)) : "";
    return Logged("MSP430_Initialize", {}, 0, Initialize(port, version), name);
}

int32_t Sim_Close(int32_t vccOff) {
    return Logged("MSP430_Close", {vccOff}, 0, Close(vccOff));
}

int32_t Sim_Identify(char* buffer, int32_t count, int32_t setId) {
    return Logged("MSP430_Identify", {count, setId}, 0, Identify(buffer, count, setId));
}

int32_t Sim_Configure(int32_t mode, int32_t value) {
    return Logged("MSP430_Configure", {mode, value}, 0, Configure(mode, value));
}

int32_t Sim_VCC(int32_t millivolts) {
    return Logged("MSP430_VCC", {millivolts}, 0, VCC(millivolts));
}

int32_t Sim_Reset(int32_t method, int32_t execute, int32_t releaseJTAG) {
    return Logged("MSP430_Reset", {method, execute, releaseJTAG}, 0,
                  Reset(method, execute, releaseJTAG));
}

int32_t Sim_Erase(int32_t type, int32_t address, int32_t length) {
    return Logged("MSP430_Erase", {type, address, length}, 0b010, Erase(type, address, length));
}

int32_t Sim_Memory(int32_t address, char* buffer, int32_t count, int32_t rw) {
    return Logged("MSP430_Memory", {address, count, rw}, 0b001, Memory(address, buffer, count, rw));
}

int32_t Sim_Secure() {
    return Logged("MSP430_Secure", {}, 0, Secure());
}

int32_t Sim_Error_Number() {
    const int32_t n = L().LastErrorNumber;
    Sim().Log().Add("MSP430_Error_Number", {}, 0, {}, n, 0);
    return n;
}

const char* Sim_Error_String(int32_t errorNumber) {
    Sim().Log().Add("MSP430_Error_String", {errorNumber}, 0, {}, 0, 0);
    const char* text = core::DebugErrorText(errorNumber);
    return text != nullptr ? text : core::DebugErrorText(kErrorInvalidNumber);
}

int32_t Sim_VerifyMem(int32_t address, int32_t length, char* buffer) {
    return Logged("MSP430_VerifyMem", {address, length}, 0b01,
                  Verify("MSP430_VerifyMem", address, length, buffer));
}

int32_t Sim_EraseCheck(int32_t address, int32_t length) {
    return Logged("MSP430_EraseCheck", {address, length}, 0b01,
                  Verify("MSP430_EraseCheck", address, length, nullptr));
}

int32_t Sim_GetNameOfUsbIf(int32_t index, char** name, int32_t* status) {
    return Logged("MSP430_GetNameOfUsbIf", {index}, 0, GetNameOfUsbIf(index, name, status));
}

int32_t Sim_GetNumberOfUsbIfs(int32_t* count) {
    return Logged("MSP430_GetNumberOfUsbIfs", {}, 0, GetNumberOfUsbIfs(count));
}

int32_t Sim_FET_GetFwVersion(int32_t* version) {
    return Logged("MSP430_FET_GetFwVersion", {}, 0, FET_GetFwVersion(version));
}

int32_t Sim_FET_FwUpdate(const char* file, MSP430_FwUpdateCallback callback, void* context) {
    const std::string name = file != nullptr ? std::string(file, ::strnlen(file, 260)) : "";
    return Logged("MSP430_FET_FwUpdate", {}, 0, FET_FwUpdate(callback, context), name);
}

int32_t Sim_RegisterAccess(int32_t* value, int32_t reg, int32_t rw) {
    return Logged("MSP430_RegisterAccess", {reg, rw}, 0, RegisterAccess(value, reg, rw));
}

int32_t Sim_RunCpu(int32_t mode, int32_t releaseJTAG) {
    return Logged("MSP430_RunCpu", {mode, releaseJTAG}, 0, RunCpu(mode));
}

int32_t Sim_CpuState(int32_t* state, int32_t stop, int32_t* cycles) {
    return Logged("MSP430_CpuState", {stop}, 0, CpuState(state, stop, cycles));
}

int32_t Sim_ReadSupply(int32_t* millivolts) {
    return Logged("MSP430_ReadSupply", {}, 0, ReadSupply(millivolts));
}

const core::DebugApi& SimDebugApi() {
    static const core::DebugApi api{
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses) Sim_##name,
#include "core/debug_entries.def"
    };
    return api;
}

} // namespace sim
