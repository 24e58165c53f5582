#include "api/lib_target.h"

#include "api/adapter_select.h"
#include "api/api_state.h"
#include "core/device_select.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_result.h"
#include "core/target_state.h"
#include "platform/ascii.h"

namespace api {

LibTargetState LibTarget;

namespace {

constexpr size_t kPortNameMax = 20;
constexpr int32_t kUsbPort = 3;

struct Reasons {
    const core::DebugApi* inner = nullptr;
    int32_t (*takeError)() = nullptr;
};
Reasons Lower;
core::DebugApi Table{};

// The debug interface's reason for a link it gave up on: it has closed
// the adapter's port.
constexpr int32_t kLinkFailed = 35;

int32_t WithReason(int32_t status) {
    if (status == core::kDebugFailed && Lower.takeError != nullptr) {
        const int32_t error = Lower.takeError();
        if (error == kLinkFailed) {
            // The port is gone: the next open step must open it again, not
            // take it for open and fail every run after this one.
            core::Target.TargetInterfaceOpen = 0;
        }
        return error > 0 ? error : status;
    }
    return status;
}

// One wrapper per entry the core calls with a status result.
template <auto Member, typename... Args> int32_t Wrapped(Args... args) {
    return WithReason((Lower.inner->*Member)(args...));
}

template <auto Member, typename R, typename... Args> void Wrap(R (*&slot)(Args...)) {
    slot = (Lower.inner->*Member) != nullptr ? &Wrapped<Member, Args...> : nullptr;
}

core::TargetOpenChoice LibOpenChoice() {
    core::TargetOpenChoice c;
    c.port = kUsbPort;
    c.adapter = core::Settings.AdapterIndex;
    c.mode = LibSettings.Interface == 3 ? 1 : (core::DeviceHasSbwInterface() != 0 ? 2 : 0);
    if (AdapterSelect.ById != 0) {
        // Only the adapter the host chose; with none chosen no name, which
        // opens nothing.
        c.portName = AdapterSelect.SelectedPort.substr(0, kPortNameMax);
        return c;
    }
    const std::string& name = core::Settings.Selected_UIF;
    c.portName = !name.empty() && !platform::BeginsNoCase(name, "auto")
                     ? name.substr(0, kPortNameMax)
                     : std::string("TIUSB");
    return c;
}

} // namespace

void LibDebugApiUse(const core::DebugApi& inner, int32_t (*takeError)()) {
    using A = core::DebugApi;
    Lower.inner = &inner;
    Lower.takeError = takeError;
    Table = inner;
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    if constexpr (((uses)&core::kEntryInProcess) != 0) {                                           \
        Wrap<&A::name>(Table.name);                                                                \
    }
#include "core/debug_entries.def"
    core::DebugApiUse(&Table);
}

void LibTargetOpenRuleInstall() {
    core::TargetOpenRuleSet(&LibOpenChoice);
}

int32_t TargetVccRead() {
    core::TargetVccEstimate();
    int32_t millivolts = 0;
    if (core::TargetResultMap(core::Debug_ReadSupply(&millivolts)) != 1) {
        return 0;
    }
    core::Target.TargetSupplyValue = millivolts / 10;
    LibTarget.supplyMeasured = 1;
    return 1;
}

int32_t TargetRamWrite(int32_t address, const uint8_t* bytes, int32_t count) {
    // The debug API takes a writable buffer for both directions; a write
    // leaves it as it is.
    char* buffer = reinterpret_cast<char*>(const_cast<uint8_t*>(bytes));
    return core::TargetResultMap(core::Debug_Memory(address, buffer, count, core::kMemoryWrite));
}

int32_t TargetRamRead(int32_t address, uint8_t* bytes, int32_t count) {
    return core::TargetResultMap(
        core::Debug_Memory(address, reinterpret_cast<char*>(bytes), count, core::kMemoryRead));
}

} // namespace api
